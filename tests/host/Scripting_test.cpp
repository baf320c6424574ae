// Tests of the host's scripting: typed parameter values, the request data of a call, and a call
// with no script provider to take it.
#include "host/Scripting.h"

#include "support/HostFixture.h"

namespace {

TEST(ScriptData, GivesItsValueOnlyAsItsOwnType) {
    struct Case {
        ScriptData data;
        ErrorCode asText;
        ErrorCode asBoolean;
    };
    const Case cases[] = {
        {ScriptData(), kScriptParameterTypeError, kScriptParameterTypeError},
        {ScriptData(PMString("job")), kSuccess, kScriptParameterTypeError},
        {ScriptData(true), kScriptParameterTypeError, kSuccess},
    };
    for (const Case& c : cases) {
        PMString text("old");
        bool value = false;
        EXPECT_EQ(c.data.GetPMString(text), c.asText);
        EXPECT_EQ(text.GetUTF8String(), c.asText == kSuccess ? "job" : "old");
        EXPECT_EQ(c.data.GetBoolean(value), c.asBoolean);
        EXPECT_EQ(value, c.asBoolean == kSuccess);
    }
}

TEST(ScriptRequest, GivesOnlyTheParametersOfTheCallAndKeepsTheResults) {
    host::ScriptRequest request({{ScriptID{'Zerp'}, ScriptData(true)}});
    ScriptData data;
    bool value = false;
    EXPECT_TRUE(request.IsParameterPresent(ScriptID{'Zerp'}));
    EXPECT_EQ(request.ExtractParameter(ScriptID{'Zerp'}, data), kSuccess);
    EXPECT_EQ(data.GetBoolean(value), kSuccess);
    EXPECT_TRUE(value);
    EXPECT_FALSE(request.IsParameterPresent(ScriptID{'Zemp'}));
    EXPECT_EQ(request.ExtractParameter(ScriptID{'Zemp'}, data), kScriptParameterMissingError);

    request.AppendObjectResult({}, ScriptID{'savY'}, kFailure);
    EXPECT_EQ(request.Results(), std::vector<ErrorCode>{kFailure});
}

TEST_F(HostTest, AScriptCallWithoutProviderIsNotSupported) {
    const host::ScriptCallResult result = host::CallScriptMethod(ScriptID{'savY'}, {}, 2);
    EXPECT_EQ(result.code, kScriptMethodNotSupportedError);
    EXPECT_TRUE(result.results.empty());
}

} // namespace
