#include "host/standin/Scripting.h"

#include "host/standin/Host.h"
#include "host/standin/ObjectModel.h"

ErrorCode ScriptData::GetPMString(PMString& text) const {
    const auto* value = std::get_if<PMString>(&m_value);
    if (!value)
        return kScriptParameterTypeError;
    text = *value;
    return kSuccess;
}

ErrorCode ScriptData::GetBoolean(bool& value) const {
    const auto* stored = std::get_if<bool>(&m_value);
    if (!stored)
        return kScriptParameterTypeError;
    value = *stored;
    return kSuccess;
}

ErrorCode CScriptProvider::HandleMethod(ScriptID /*method*/, IScriptRequestData* /*data*/,
                                        IScript* /*object*/) {
    return kScriptMethodNotSupportedError;
}

ErrorCode CScriptProvider::GetObject(IScriptRequestData* /*data*/, IScript* /*parent*/) {
    return kScriptPropertyNotSupportedError;
}

ErrorCode CScriptProvider::AccessPropertyOnObjects(ScriptID property, IScriptRequestData* data,
                                                   const ScriptList& objects) {
    ErrorCode result = kSuccess;
    for (std::size_t i = 0; i < objects.size() && result == kSuccess; ++i) {
        result = AccessProperty(property, data, objects[i]);
        data->AppendObjectResult(objects, property, result);
    }
    return result;
}

ErrorCode CScriptProvider::AccessProperties(IScriptRequestData* data, IScript* object) {
    if (const ErrorCode pre = PreAccessProperties(data, object); pre != kSuccess)
        return pre;
    const ErrorCode post = PostAccessProperties(data, object);
    return post != kSuccess ? post : kScriptPropertyNotSupportedError;
}

ErrorCode CScriptProvider::AccessProperty(ScriptID property, IScriptRequestData* data,
                                          IScript* object) {
    if (const ErrorCode pre = PreAccessProperty(property, data, object); pre != kSuccess)
        return pre;
    const ErrorCode post = PostAccessProperty(property, data, object);
    return post != kSuccess ? post : kScriptPropertyNotSupportedError;
}

ErrorCode CScriptProvider::PreAccessProperty(ScriptID /*property*/, IScriptRequestData* /*data*/,
                                             IScript* /*object*/) {
    return kSuccess;
}

ErrorCode CScriptProvider::PostAccessProperty(ScriptID /*property*/, IScriptRequestData* /*data*/,
                                              IScript* /*object*/) {
    return kSuccess;
}

ErrorCode CScriptProvider::PreAccessProperties(IScriptRequestData* /*data*/, IScript* /*object*/) {
    return kSuccess;
}

ErrorCode CScriptProvider::PostAccessProperties(IScriptRequestData* /*data*/, IScript* /*object*/) {
    return kSuccess;
}

ErrorCode CScriptProvider::AccessParent(IScriptRequestData* /*data*/, IScript* /*object*/) {
    return kScriptPropertyNotSupportedError;
}

namespace host {

namespace {

constexpr ImplementationID kScriptObjectImpl{0xF01020};

class ScriptObject final : public CPMUnknown<IScript> {
public:
    using CPMUnknown<IScript>::CPMUnknown;
};

IScriptProvider* QueryScriptProvider() {
    for (const IPlugIn* plugin : Plugins())
        for (const ServiceResource& service : plugin->GetResources().services)
            if (service.kind == ServiceKind::ScriptProvider)
                return static_cast<IScriptProvider*>(
                    CreateObject(service.cls, IScriptProvider::kDefaultIID));
    return nullptr;
}

} // namespace

ErrorCode ScriptRequest::ExtractParameter(ScriptID parameter, ScriptData& data) const {
    const auto found = m_parameters.find(parameter);
    if (found == m_parameters.end())
        return kScriptParameterMissingError;
    data = found->second;
    return kSuccess;
}

bool ScriptRequest::IsParameterPresent(ScriptID parameter) const {
    return m_parameters.contains(parameter);
}

void ScriptRequest::AppendObjectResult(const ScriptList& /*objects*/, ScriptID /*method*/,
                                       ErrorCode result) {
    m_results.push_back(result);
}

ScriptCallResult CallScriptMethod(ScriptID method, std::map<ScriptID, ScriptData> parameters,
                                  int objectCount) {
    InterfacePtr<IScriptProvider> provider(QueryScriptProvider());
    if (!provider)
        return {kScriptMethodNotSupportedError, {}};
    std::vector<InterfacePtr<IScript>> held;
    ScriptList objects;
    for (int i = 0; i < objectCount; ++i) {
        held.emplace_back(
            static_cast<IScript*>(CreateObject(kScriptObjectBoss, IScript::kDefaultIID)));
        objects.push_back(held.back().get());
    }
    ScriptRequest request(std::move(parameters));
    const ErrorCode code = provider->HandleMethodOnObjects(method, &request, objects);
    return {code, request.Results()};
}

void RegisterScriptingClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kScriptObjectImpl,
                                 ImplementationFunctionsOf<ScriptObject>());
    model.AddToClass(kScriptObjectBoss, {{IScript::kDefaultIID, kScriptObjectImpl}});
}

} // namespace host
