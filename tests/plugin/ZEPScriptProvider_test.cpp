// Tests of the script provider: the log line of every call, the methods and parameters that end
// in an alert while the call still succeeds, one run per script object, and the transient job
// that ApplyJob reads in full.
#include "Request_Handling/ZEPScriptProvider.h"

#include "Plugin/ZEPID.h"
#include "host/Errors.h"
#include "host/Faults.h"
#include "support/JobSamples.h"
#include "support/LogCapture.h"
#include "support/PluginFixture.h"

#include <map>
#include <string>

namespace {

using Parameters = std::map<ScriptID, ScriptData>;

class ScriptProvider : public PluginTest {};

// The alert of a host error without a text: the plug-in's unknown-error text and the code.
std::string unknownError(ErrorCode code) {
    return "Unknown error " + std::to_string(code.Get());
}

Parameters job(const std::string& text) {
    return {{kJobParameter, ScriptData(PMString(text))}};
}

TEST_F(ScriptProvider, LogsEveryCallAtDebug) {
    const LogCapture log;
    host::CallScriptMethod(ScriptID{'none'}, {});
    EXPECT_EQ(log.text(), "[2026-03-01T14:05:09][DEBUG][5120][ZEPScriptProvider:"
                          "ZEPScriptProvider::HandleMethod:106] HandleEvent Called.\n");
}

TEST_F(ScriptProvider, FailuresEndInAnAlertAndTheCallSucceeds) {
    // A script hands the job over as hex text: its raw bytes are no UTF-16 text.
    const std::string hex = hexText(sampleJobBytes("ad"));
    Parameters withFit = job(hex);
    withFit.emplace(kFitParameter, ScriptData(true));
    Parameters badFit = job(hex);
    badFit.emplace(kFitParameter, ScriptData(PMString("yes")));
    struct Case {
        ScriptID method;
        Parameters parameters;
        std::vector<std::string> alerts;
    };
    const std::vector<std::string> notSupported{unknownError(kScriptMethodNotSupportedError)};
    const Case cases[] = {
        {ScriptID{'none'}, job(hex), notSupported},
        // Not handled yet.
        {kExportJobMethod, job(hex), notSupported},
        {kDeselectDestinationsMethod, job(hex), notSupported},
        {kPrintDocumentMethod, job(hex), notSupported},
        // The job read from its text.
        {kSaveJobMethod, withFit, {}},
        {kSaveJobInNewDocumentMethod, job(hex), {}},
        {kSaveJobMethod, {}, {unknownError(kScriptParameterMissingError)}},
        {kSaveJobMethod,
         {{kJobParameter, ScriptData(true)}},
         {unknownError(kScriptParameterTypeError)}},
        {kSaveJobMethod, badFit, {unknownError(kScriptParameterTypeError)}},
        {kSaveJobMethod, job("no job"), {"UKeyInStream: meta key mismatch"}},
    };
    for (const Case& c : cases) {
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        const host::ScriptCallResult result = host::CallScriptMethod(c.method, c.parameters);
        EXPECT_EQ(result.code, kSuccess);
        EXPECT_EQ(result.results, std::vector<ErrorCode>{kSuccess});
        EXPECT_EQ(Log(host::Channel::Alerts), c.alerts) << host::Hex(c.method.Get());
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    }
}

TEST_F(ScriptProvider, AJobObjectTheHostCannotCreateIsReported) {
    host::Faults::Instance().HideInterface(kZEPJobBoss, IID_IZEPJOBLIST);
    host::CallScriptMethod(kSaveJobMethod, job(sampleJobBytes("ad")));
    EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{"(theJob) == NULL"});
}

TEST_F(ScriptProvider, RunsOncePerScriptObject) {
    const host::ScriptCallResult result = host::CallScriptMethod(ScriptID{'none'}, {}, 3);
    EXPECT_EQ(result.results, std::vector<ErrorCode>(3, kSuccess));
    EXPECT_EQ(Log(host::Channel::Alerts).size(), 3u);
}

TEST_F(ScriptProvider, ApplyJobReadsTheFullJob) {
    InterfacePtr<IScriptProvider> provider(static_cast<IScriptProvider*>(
        CreateObject(kZEPScriptProviderBoss, IScriptProvider::kDefaultIID)));
    host::ScriptRequest request(job(hexText(sampleJobBytes("ad"))));
    const InterfacePtr<IZEPJobList> applied =
        static_cast<ZEPScriptProvider&>(*provider).ApplyJob(nullptr, &request);
    ASSERT_TRUE(applied);
    EXPECT_FALSE(applied->IsStoredInDatabase());
    EXPECT_EQ(applied->GetJobFile()->jobName, "ad job");
    EXPECT_EQ(applied->GetJobFile()->pageCount, 3);
}

} // namespace
