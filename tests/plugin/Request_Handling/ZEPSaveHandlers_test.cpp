// Tests of 'savY' and 'sanY' end to end through the script provider: the job stored in the front
// document and taken back by undo, the new document shaped by the job in the host's order, jobs
// without a destination, the colour-profile checks and the rollback of every failure.
#include "Request_Handling/ZEPSaveHandlers.h"

#include "Plugin/ZEPID.h"
#include "Request_Handling/ZEPScriptProvider.h"
#include "host/sdk/DocumentSetup.h"
#include "host/sdk/Errors.h"
#include "host/standin/ColorManagement.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "host/standin/NewDocument.h"
#include "host/standin/Scripting.h"
#include "host/standin/Session.h"
#include "model/BJobFile.h"
#include "model/JobText.h"
#include "support/ColourProfileFolder.h"
#include "support/IccProfiles.h"
#include "support/JobDescription.h"
#include "support/SampleLayoutFixture.h"
#include "support/Test.h"

#include <map>
#include <optional>

namespace {

// A job whose selected group books one destination; `more` adds fields to the description.
std::string Ad(double width, double height, double bleed = 0, double indent = 0,
               const std::string& name = "Ad.indd", const std::string& more = "") {
    const auto n = [](double value) { return host::Number(value); };
    return R"({"job": {"identifier": "1", "jobName": "J", "documentName": ")" + name +
           R"("}, "groups": [{"selected": true, "destinations": [{"id": "7", "width": )" +
           n(width) + R"(, "height": )" + n(height) + R"(, "bleed": [)" + n(bleed) + "," +
           n(bleed) + "," + n(bleed) + "," + n(bleed) + R"(], "typeIndent": [)" + n(indent) + "," +
           n(indent) + "," + n(2 * indent) + "," + n(2 * indent) + "]}]}]" + more + "}";
}

// The settings of the colour-profile checks, and a ticket naming their profiles.
const std::string kProfileDefinitions =
    R"(, "defaults": {"Setting_ProcessProfile": {"type": "stringParameter"},
                      "Setting_WorkingSpaceProfiles": {"type": "stringParameter"}})";
std::string Profiles(const std::string& checks) {
    return kProfileDefinitions + R"(, "ticket": {"qcs": {"checks": {)" + checks + "}}}";
}
std::string Process(const std::string& file) {
    return Profiles(R"("Setting_ProcessProfile": {"sev": "parameter", "P": [")" + file + "\"]}");
}
std::string WorkingSpace(const std::string& file) {
    return Profiles(R"("Setting_WorkingSpaceProfiles": {"sev": "parameter", "P": [")" + file +
                    "\"]}");
}

class SaveJob : public SampleLayoutTest {
protected:
    static void Call(ScriptID method, const std::string& description,
                     std::optional<bool> fit = std::nullopt) {
        std::map<ScriptID, ScriptData> parameters{
            {kJobParameter, ScriptData(PMString(EncodeJobText(describedJobBytes(description))))}};
        if (fit)
            parameters.emplace(kFitParameter, ScriptData(*fit));
        EXPECT_EQ(host::CallScriptMethod(method, std::move(parameters)).code, kSuccess);
    }
    static BJobFile& Stored(const host::Document& document) {
        return *InterfacePtr<IZEPJobList>(document.WorkspaceRef(), UseDefaultIID{})->GetJobFile();
    }
    static std::string CMYKProfile(const host::Document& document) {
        const auto profile = host::DocumentCMYKProfile(document);
        return profile ? profile->name : "-";
    }
};

TEST_F(SaveJob, SavYStoresTheSummaryInTheFrontDocumentFitsOnRequestAndUndoTakesItBack) {
    Call(kSaveJobMethod, Ad(100, 50, 0, 0, "A.indd"));
    EXPECT_EQ(Stored(*m_document).documentName, "A.indd");
    EXPECT_EQ(Stored(*m_document).jobName, "");    // the summary part only
    EXPECT_EQ(Stored(*m_document).layoutWidth, 0); // no page rectangle was asked for
    EXPECT_EQ(m_document->layout.pages.at(UID(11)).width, 200);
    const std::string afterA = host::DumpDocument(*m_document);

    Call(kSaveJobMethod, Ad(120, 80, 3, 0, "B.indd"), true);
    EXPECT_EQ(Stored(*m_document).documentName, "B.indd");
    EXPECT_EQ(Stored(*m_document).layoutWidth, 120);
    EXPECT_EQ(m_document->layout.pages.at(UID(11)).width, 120);
    EXPECT_EQ(Log(host::Channel::Sequences),
              (std::vector<std::string>{"begin", "end ", "begin", "begin",
                                        "end 0x52E00kStringZEPAdjustFrameCmdKey", "end "}));
    ASSERT_TRUE(host::Undo());
    EXPECT_EQ(host::DumpDocument(*m_document), afterA);
    EXPECT_EQ(Stored(*m_document).documentName, "A.indd");
    EXPECT_TRUE(Log(host::Channel::Alerts).empty());
}

TEST_F(SaveJob, SanYOpensADocumentShapedByTheJobWithItsSettersInTheHostsOrder) {
    host::SessionPageSetup().value = 7;
    const struct {
        std::string job;
        bool sessionPrefs;
        const char *margins, *bleed, *size, *wide, *name;
    } cases[] = {
        {Ad(190, 130, 3, 5, "Spring.indd"), true, "5 10 5 10", "3 3 3 3", "190 130", "true",
         "Spring.indd"},
        {Ad(100, 100, 0, 0, ""), false, "0 0 0 0", "0 0 0 0", "100 100", "false", "Untitled-2"},
        {Ad(100.00000002, 100, 2), true, "0 0 0 0", "2 2 2 2", "100.00000002 100", "true",
         "Ad.indd"},
        {Ad(100.000000005, 100), true, "0 0 0 0", "0 0 0 0", "100.000000005 100", "false",
         "Ad.indd"},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Reset();
        host::Faults::Instance().Reset();
        if (!c.sessionPrefs)
            host::Faults::Instance().HideInterface(host::kSessionBoss,
                                                   IPageSetupPrefs::kDefaultIID);
        Call(kSaveJobInNewDocumentMethod, c.job);
        std::vector<std::string> calls{"SetFirstOption 1",
                                       "SetSecondOption 0",
                                       std::string("SetMargins ") + c.margins,
                                       std::string("SetBleed ") + c.bleed,
                                       "SetBleedOption 0",
                                       "SetColumns 1 0 0",
                                       "SetColumnOption 0",
                                       std::string("SetPageSize ") + c.size,
                                       std::string("SetWide ") + c.wide,
                                       "SetSpreadOption 1"};
        if (c.sessionPrefs)
            calls.push_back("SetPageSetupValue 7");
        EXPECT_EQ(Log(host::Channel::Calls), calls);
        const host::Document& created = *host::FrontDocument();
        EXPECT_EQ(created.Get()->GetName().GetUTF8String(), c.name);
        // The store follows the page rectangle: the job's page width, never a fitting.
        EXPECT_EQ(Stored(created).layoutWidth, created.layout.pages.begin()->second.width);
        EXPECT_TRUE(Log(host::Channel::Alerts).empty());
    }
    EXPECT_EQ(Log(host::Channel::Commands),
              (std::vector<std::string>{"New Document 0xE04 -> 0x0", "New Window 0x1D01C -> 0x0",
                                        "Rename Document 0xE09 -> 0x0",
                                        "0x52E00SaveDetailsCmd 0x52E16 -> 0x0"}));
    EXPECT_EQ(host::UndoStepNames().size(), 1u) << "each new document merges into one step";
}

// Without a document the refusal says why the job has no destination when it is that none of its
// groups is selected.
TEST_F(SaveJob, AJobWithoutADestinationIsStoredUncheckedInADocumentAndRefusedWithout) {
    const std::string unchecked = WorkingSpace("missing.icc");
    const struct {
        const char* groups;
        const char* alert;
    } cases[] = {
        {"", "The job has no destination."},
        {R"(, "groups": [{"destinations": [{"id": "1", "width": 9, "height": 9}]}])",
         "The job has no destination: no group of destinations is selected."},
        {R"(, "groups": [{"selected": true}])", "The job has no destination."},
    };
    for (const auto& [groups, alert] : cases) {
        const std::string job =
            R"({"job": {"documentName": "N.indd"})" + std::string(groups) + unchecked + "}";
        host::Recorder::Instance().Reset();
        Call(kSaveJobMethod, job);
        EXPECT_EQ(Stored(*m_document).documentName, "N.indd") << groups;
        Call(kSaveJobInNewDocumentMethod, job);
        EXPECT_EQ(host::OpenDocuments().size(), 1u);
        host::CloseAllDocuments();
        Call(kSaveJobMethod, job);
        EXPECT_TRUE(host::OpenDocuments().empty());
        EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>(2, alert)) << groups;
        m_document = &host::OpenDocumentDescription(kSampleLayout);
    }
}

TEST_F(SaveJob, ProfilesMustBeInstalledBeforeAnythingChanges) {
    const ColourProfileFolder folder({});
    folder.temp().write("icc/fogra.icc", icc::Profile{.description = "Coated FOGRA39"}.Bytes());
    folder.temp().write("icc/other.icc", icc::Profile{.description = "Other"}.Bytes());
    const std::string fogra = folder.profile("fogra.icc").toStdString();
    host::SetInstalledProfiles({{.name = "Coated FOGRA39", .path = fogra}});
    const struct {
        std::string profiles;
        const char* alert; // none: stored, with the document's profile
        const char* profile;
    } cases[] = {
        {Process("fogra.icc"), nullptr, "Coated FOGRA39"},
        {Process("missing.icc"), "A colour profile of the job cannot be read.", nullptr},
        {Process("other.icc"), "A colour profile of the job is not installed.", nullptr},
        {WorkingSpace("missing.icc"), "A working-space profile of the job cannot be read.",
         nullptr},
        {WorkingSpace("other.icc"), "A colour profile of the job is not installed.", nullptr},
        // The older ticket form can set parameter 1 alone: only that profile is looked up. No
        // process profile resets the document's profile (colour management is off).
        {kProfileDefinitions + R"(, "ticket": {"settings": [{"problem":
            "Setting_WorkingSpaceProfiles", "P1": ")" +
             fogra + "\"}]}",
         nullptr, "-"},
    };
    host::SetColorManagementOn(false);
    for (const auto& c : cases) {
        host::SetDocumentCMYKProfile(*m_document, host::ColorProfileInfo{.name = "SWOP"});
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        const std::string before = host::DumpSession();
        for (ScriptID method : {kSaveJobMethod, kSaveJobInNewDocumentMethod})
            Call(method, Ad(100, 50, 0, 0, "P.indd", c.profiles));
        if (c.alert) {
            EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>(2, c.alert));
            EXPECT_EQ(host::DumpSession(), before) << c.profiles;
            continue;
        }
        EXPECT_TRUE(Log(host::Channel::Alerts).empty()) << c.profiles;
        EXPECT_EQ(CMYKProfile(*m_document), c.profile);
        EXPECT_EQ(CMYKProfile(*host::FrontDocument()), c.profile);
        host::CloseAllDocuments();
        m_document = &host::OpenDocumentDescription(kSampleLayout);
    }
}

TEST_F(SaveJob, AnyFailureRollsEveryChangeBackAndEndsInOneAlert) {
    host::Faults& faults = host::Faults::Instance();
    const ErrorCode seven{7};
    const struct {
        std::function<void()> inject;
        ScriptID method;
        const char* alert;
        bool fit = false;
    } cases[] = {
        {[&] { faults.FailProcessCommand(kZEPSaveDetailsCmdBoss, seven); }, kSaveJobMethod,
         "Unknown error 7"},
        {[&] { faults.FailProcessCommand(kDocSetupCmdBoss, seven); }, kSaveJobMethod,
         "Unknown error 7", true},
        // The host reports a failed profile command only in the global error code.
        {[&] { faults.FailProcessCommand(host::kDocumentProfileCmdBoss, seven); }, kSaveJobMethod,
         "Unknown error 7"},
        {[&] { faults.FailCreateCommand(kNewDocCmdBoss); }, kSaveJobInNewDocumentMethod,
         "(theNewDocCmd) == NULL"},
        {[&] { faults.HideInterface(kNewDocCmdBoss, INewDocCmdData::kDefaultIID); },
         kSaveJobInNewDocumentMethod, "(theNewDocData) == NULL"},
        {[&] { faults.FailCreateCommand(kNewWinCmdBoss); }, kSaveJobInNewDocumentMethod,
         "(theNewWinCmd) == NULL"},
        {[&] { faults.FailCreateCommand(kRenameDocCmdBoss); }, kSaveJobInNewDocumentMethod,
         "(renameCommand) == NULL"},
        {[&] { faults.HideInterface(kRenameDocCmdBoss, IStringData::kDefaultIID); },
         kSaveJobInNewDocumentMethod, "(iRenameCommandData) == NULL"},
        {[&] { faults.FailProcessCommand(kRenameDocCmdBoss, seven); }, kSaveJobInNewDocumentMethod,
         "Unknown error 7"},
        {[&] { faults.FailProcessCommand(kZEPSaveDetailsCmdBoss, seven); },
         kSaveJobInNewDocumentMethod, "Unknown error 7"},
    };
    const ColourProfileFolder folder({});
    folder.temp().write("icc/fogra.icc", icc::Profile{.description = "Coated FOGRA39"}.Bytes());
    host::SetInstalledProfiles(
        {{.name = "Coated FOGRA39", .path = folder.profile("fogra.icc").toStdString()}});
    const std::string job = Ad(120, 80, 3, 0, "F.indd", Process("fogra.icc"));
    Call(kSaveJobMethod, Ad(100, 50));
    for (const auto& c : cases) {
        faults.Reset();
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        c.inject();
        const std::string before = host::DumpSession();
        Call(c.method, job, c.fit);
        EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{c.alert});
        EXPECT_EQ(host::DumpSession(), before) << c.alert;
        EXPECT_EQ(host::OpenSequenceCount(), 0);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    }
}

} // namespace
