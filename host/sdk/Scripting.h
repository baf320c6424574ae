// Scripting: a script calls a method (a four-character ScriptID) on one or more script objects,
// with parameters the host hands over as request data. The host passes the call to the
// plug-in's script provider (the boss class of its ServiceKind::ScriptProvider service), which
// runs the method once per object and hands each result back to the request data.
#pragma once

#include "host/sdk/IPMUnknown.h"
#include "host/sdk/ObjectModel.h"
#include "host/sdk/PMString.h"

#include <variant>
#include <vector>

// A method or parameter of the scripting interface: four characters, the first in the most
// significant byte ('savY' is 0x73617659).
using ScriptID = HostNumber<struct ScriptIDTag>;

// The host's answers for a method no provider supports, a parameter the call does not carry
// and a parameter of another type than asked for.
inline constexpr ErrorCode kScriptMethodNotSupportedError{0xF01030};
inline constexpr ErrorCode kScriptParameterMissingError{0xF01031};
inline constexpr ErrorCode kScriptParameterTypeError{0xF01032};
// The host's answer for a property, object or parent that no provider supports.
inline constexpr ErrorCode kScriptPropertyNotSupportedError{0xF01033};

// One parameter value of a script call: a string or a Boolean.
class ScriptData {
public:
    ScriptData() = default; // holds nothing
    explicit ScriptData(PMString text) : m_value(std::move(text)) {}
    explicit ScriptData(bool value) : m_value(value) {}
    // A text would otherwise become the Boolean true.
    explicit ScriptData(const char*) = delete;

    // kSuccess with the value, or kScriptParameterTypeError (the output unchanged).
    [[nodiscard]] ErrorCode GetPMString(PMString& text) const;
    [[nodiscard]] ErrorCode GetBoolean(bool& value) const;

private:
    std::variant<std::monostate, PMString, bool> m_value;
};

// An object a script method runs on.
class IScript : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF01002};
};

using ScriptList = std::vector<IScript*>;

// What the host hands a provider with a call: the parameters in, the results out.
class IScriptRequestData {
public:
    virtual ~IScriptRequestData() = default;

    // Copies the parameter into `data`: kSuccess, or kScriptParameterMissingError (`data`
    // unchanged) when the call does not carry it.
    [[nodiscard]] virtual ErrorCode ExtractParameter(ScriptID parameter,
                                                     ScriptData& data) const = 0;
    virtual bool IsParameterPresent(ScriptID parameter) const = 0;
    // Takes the result of the method for the call's objects; called once per object run.
    virtual void AppendObjectResult(const ScriptList& objects, ScriptID method,
                                    ErrorCode result) = 0;
};

class IScriptProvider : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF01001};

    // Runs the method on the objects, handing each object's result to the request data.
    virtual ErrorCode HandleMethodOnObjects(ScriptID method, IScriptRequestData* data,
                                            const ScriptList& objects) = 0;
    // Runs the method on one object.
    virtual ErrorCode HandleMethod(ScriptID method, IScriptRequestData* data, IScript* object) = 0;

    // Script objects and their properties. A script asks the provider for the objects of its
    // kind under `parent`, and reads or writes a property of one object, of several (the results
    // go to the request data, one per object) or all properties of one object; the Pre and Post
    // operations bracket each access. AccessParent answers an object's parent.
    virtual ErrorCode GetObject(IScriptRequestData* data, IScript* parent) = 0;
    virtual ErrorCode AccessPropertyOnObjects(ScriptID property, IScriptRequestData* data,
                                              const ScriptList& objects) = 0;
    virtual ErrorCode AccessProperties(IScriptRequestData* data, IScript* object) = 0;
    virtual ErrorCode AccessProperty(ScriptID property, IScriptRequestData* data,
                                     IScript* object) = 0;
    virtual ErrorCode PreAccessProperty(ScriptID property, IScriptRequestData* data,
                                        IScript* object) = 0;
    virtual ErrorCode PostAccessProperty(ScriptID property, IScriptRequestData* data,
                                         IScript* object) = 0;
    virtual ErrorCode PreAccessProperties(IScriptRequestData* data, IScript* object) = 0;
    virtual ErrorCode PostAccessProperties(IScriptRequestData* data, IScript* object) = 0;
    virtual ErrorCode AccessParent(IScriptRequestData* data, IScript* object) = 0;
};

// The base of a plug-in's script provider: what a provider does not handle itself the host
// answers as not supported.
class CScriptProvider : public CPMUnknown<IScriptProvider> {
public:
    using CPMUnknown<IScriptProvider>::CPMUnknown;

    // kScriptMethodNotSupportedError.
    ErrorCode HandleMethod(ScriptID method, IScriptRequestData* data, IScript* object) override;

    // kScriptPropertyNotSupportedError: the provider makes no objects of its own.
    ErrorCode GetObject(IScriptRequestData* data, IScript* parent) override;
    // AccessProperty on each object in turn while the results are kSuccess, each result handed to
    // the request data; the last result.
    ErrorCode AccessPropertyOnObjects(ScriptID property, IScriptRequestData* data,
                                      const ScriptList& objects) override;
    // PreAccessProperties, then PostAccessProperties; the provider has no properties to
    // access, so kScriptPropertyNotSupportedError unless a bracket failed first.
    ErrorCode AccessProperties(IScriptRequestData* data, IScript* object) override;
    // PreAccessProperty, then PostAccessProperty; kScriptPropertyNotSupportedError unless a
    // bracket failed first.
    ErrorCode AccessProperty(ScriptID property, IScriptRequestData* data, IScript* object) override;
    // The brackets do nothing: kSuccess.
    ErrorCode PreAccessProperty(ScriptID property, IScriptRequestData* data,
                                IScript* object) override;
    ErrorCode PostAccessProperty(ScriptID property, IScriptRequestData* data,
                                 IScript* object) override;
    ErrorCode PreAccessProperties(IScriptRequestData* data, IScript* object) override;
    ErrorCode PostAccessProperties(IScriptRequestData* data, IScript* object) override;
    // kScriptPropertyNotSupportedError.
    ErrorCode AccessParent(IScriptRequestData* data, IScript* object) override;
};
