// The stand-in's side of scripting (host/sdk/Scripting.h): the request data of its calls and
// calling a method as a script does.
#pragma once

#include "host/sdk/Scripting.h"

#include <map>

namespace host {

inline constexpr ClassID kScriptObjectBoss{0xF01010};

// The request data of one call the stand-in makes.
class ScriptRequest final : public IScriptRequestData {
public:
    explicit ScriptRequest(std::map<ScriptID, ScriptData> parameters)
        : m_parameters(std::move(parameters)) {}

    [[nodiscard]] ErrorCode ExtractParameter(ScriptID parameter, ScriptData& data) const override;
    bool IsParameterPresent(ScriptID parameter) const override;
    void AppendObjectResult(const ScriptList& objects, ScriptID method, ErrorCode result) override;

    // The results handed back, in order.
    const std::vector<ErrorCode>& Results() const { return m_results; }

private:
    std::map<ScriptID, ScriptData> m_parameters;
    std::vector<ErrorCode> m_results;
};

struct ScriptCallResult {
    ErrorCode code;                 // what the provider's HandleMethodOnObjects returned
    std::vector<ErrorCode> results; // the per-object results handed to the request data
};

// Calls the method as a script does: on `objectCount` new script objects, through the first
// attached plug-in's script provider; kScriptMethodNotSupportedError when there is none.
ScriptCallResult CallScriptMethod(ScriptID method, std::map<ScriptID, ScriptData> parameters,
                                  int objectCount = 1);

// Registers the script-object class (part of host::Reset).
void RegisterScriptingClasses();

} // namespace host
