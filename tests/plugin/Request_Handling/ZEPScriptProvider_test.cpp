// Tests of the script provider: the log line of every call, the methods and parameters that end
// in an alert while the call still succeeds, one run per script object, the transient job that
// ApplyJob reads in full, the export road ('expY') with its event and its failures, the
// destination update ('DisT') over the open documents and the print dialog's failures ('PrnT').
#include "Request_Handling/ZEPScriptProvider.h"

#include "Analysis/ZEPTransparencyFlattener.h"
#include "Plugin/ZEPExportJournal.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPSaveDetailsCmd.h"
#include "host/sdk/Errors.h"
#include "host/sdk/PDFExport.h"
#include "host/sdk/Print.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "host/standin/Scripting.h"
#include "platform/files.h"
#include "platform/fileseams.h"
#include "support/CompanionFixture.h"
#include "support/EventPayload.h"
#include "support/ExportRunFixture.h"
#include "support/FolderContents.h"
#include "support/JobDescription.h"
#include "support/JobSamples.h"
#include "support/LogCapture.h"
#include "support/PluginFixture.h"
#include "support/SampleLayoutFixture.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>

namespace {

using Parameters = std::map<ScriptID, ScriptData>;

class ScriptProvider : public PluginTest {};

Parameters job(const std::string& text) {
    return {{kJobParameter, ScriptData(PMString(text))}};
}

// The identifiers of the exported destinations of the document's stored job, each followed by
// a blank.
std::string Exported(const host::Document& document) {
    InterfacePtr<IZEPJobList> jobs(document.WorkspaceRef(), UseDefaultIID{});
    std::string exported;
    for (BGroup& group : jobs->GetJobFile()->GetGroups())
        for (const BDestination& destination : group)
            if (destination.IsExported())
                exported += destination.GetIdentifier().toStdString() + " ";
    return exported;
}

TEST_F(ScriptProvider, LogsEveryCallAtDebug) {
    const LogCapture log;
    host::CallScriptMethod(ScriptID{'none'}, {});
    EXPECT_EQ(log.text(), "[2026-03-01T14:05:09][DEBUG][5120][ZEPScriptProvider:"
                          "ZEPScriptProvider::HandleMethod:106] HandleEvent Called.\n");
    // The source file as the record names it; the line shows what follows its last backslash.
    EXPECT_EQ(log.records().at(0).file, "..\\Source\\Request_Handling\\ZEPScriptProvider");
}

TEST_F(ScriptProvider, FailuresEndInAnAlertAndTheCallSucceeds) {
    // A script hands the job over as hex text: its raw bytes are no UTF-16 text.
    const std::string hex = EncodeJobText(sampleJobBytes("ad"));
    Parameters withFit = job(hex);
    withFit.emplace(kFitParameter, ScriptData(true));
    Parameters badFit = job(hex);
    badFit.emplace(kFitParameter, ScriptData(PMString("yes")));
    struct Case {
        ScriptID method;
        Parameters parameters;
        std::vector<std::string> alerts;
    };
    const std::vector<std::string> notSupported{"The script method is not supported."};
    const Case cases[] = {
        {ScriptID{'none'}, job(hex), notSupported},
        // No document is open.
        {kExportJobMethod, job(hex), {"(result) == NULL"}},
        {kPrintDocumentMethod, {}, {"(result) == NULL"}},
        {kDeselectDestinationsMethod, job("00000000"), {}},
        {kDeselectDestinationsMethod, {}, {"A parameter of the script method is missing."}},
        // The job read from its text.
        {kSaveJobMethod, withFit, {}},
        {kSaveJobInNewDocumentMethod, job(hex), {}},
        {kSaveJobMethod, {}, {"A parameter of the script method is missing."}},
        {kSaveJobMethod,
         {{kJobParameter, ScriptData(true)}},
         {"A parameter of the script method has the wrong type."}},
        {kSaveJobMethod, badFit, {"A parameter of the script method has the wrong type."}},
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

TEST_F(ScriptProvider, LeavesObjectsAndPropertiesToTheHostWhichSupportsNone) {
    // The host's base answers what the provider does not handle: no objects, no properties.
    InterfacePtr<IScriptProvider> provider(static_cast<IScriptProvider*>(
        CreateObject(kZEPScriptProviderBoss, IScriptProvider::kDefaultIID)));
    host::ScriptRequest request({});
    const ScriptList objects(2, nullptr);
    const ScriptID property{'Zemp'};
    EXPECT_EQ(
        (std::vector<ErrorCode>{provider->GetObject(&request, nullptr),
                                provider->AccessProperty(property, &request, nullptr),
                                provider->AccessProperties(&request, nullptr),
                                provider->AccessParent(&request, nullptr),
                                provider->AccessPropertyOnObjects(property, &request, objects)}),
        std::vector<ErrorCode>(5, kScriptPropertyNotSupportedError));
    // The objects are visited while the results succeed: the first fails, so one result.
    EXPECT_EQ(request.Results(), std::vector<ErrorCode>{kScriptPropertyNotSupportedError});
    EXPECT_TRUE(Log(host::Channel::Alerts).empty());
}

TEST_F(ScriptProvider, ApplyJobReadsTheFullJob) {
    InterfacePtr<IScriptProvider> provider(static_cast<IScriptProvider*>(
        CreateObject(kZEPScriptProviderBoss, IScriptProvider::kDefaultIID)));
    host::ScriptRequest request(job(EncodeJobText(sampleJobBytes("ad"))));
    const InterfacePtr<IZEPJobList> applied =
        static_cast<ZEPScriptProvider&>(*provider).ApplyJob(nullptr, &request);
    ASSERT_TRUE(applied);
    EXPECT_FALSE(applied->IsStoredInDatabase());
    EXPECT_EQ(applied->GetJobFile()->jobName, "ad job");
    EXPECT_EQ(applied->GetJobFile()->pageCount, 3);
}

// 'expY' on the export layout with a job whose files lie in the test's folder: its selected group
// books destinations 1 and 2, its other group destination 3; PDF is allowed. The fixture keeps the
// document as it was when the job's store ended (the first outermost sequence to end).
class ExportJob : public ExportRunTest, public CompanionFixture {
protected:
    void SetUp() override {
        ExportRunTest::SetUp();
        host::SetCommandObserver({nullptr, [this](const ICommandSequence&, bool, int open) {
                                      if (open == 0 && !m_afterStore)
                                          m_afterStore = Dump();
                                  }});
    }

    void Call(const std::string& pageItemFile = "items.bin",
              const std::string& sections = R"([{"first": 1, "count": 2}])") {
        CallWithBytes(JobBytes(m_temp.systemPath(), m_temp.systemPath("ad"),
                               m_temp.systemPath(pageItemFile), sections));
    }
    // The job file of the export with these paths.
    static std::string JobBytes(const std::string& jobFolder, const std::string& outputFile,
                                const std::string& pageItemFile,
                                const std::string& sections = R"([{"first": 1, "count": 2}])") {
        const std::string destination =
            R"({"width": 300, "height": 400, "bleed": [3, 3, 3, 3], "id": ")";
        const std::string job = R"({"job": {"jobName": "Ad", "pageCount": 2, "jobFolder": ")" +
                                jobFolder + R"(", "outputFile": ")" + outputFile +
                                R"(", "pageItemFile": ")" + pageItemFile + R"(", "sections": )" +
                                sections + R"(},
            "groups": [{"selected": true, "destinations": [)" +
                                destination + R"(1"}, )" + destination + R"(2"}]},
                       {"destinations": [)" +
                                destination + R"(3"}]}], "forbidPDF": false})";
        return describedJobBytes(job);
    }
    static void CallWithBytes(const std::string& bytes) {
        host::CallScriptMethod(kExportJobMethod,
                               {{kJobParameter, ScriptData(PMString(EncodeJobText(bytes)))},
                                {kFitParameter, ScriptData(true)}});
    }
    // The stored job's exported destinations and the first destination of its selected group.
    std::string Stored() const {
        InterfacePtr<IZEPJobList> jobs(m_document->WorkspaceRef(), UseDefaultIID{});
        const BGroup* selected = jobs->GetJobFile()->GetGroups().GetSelectedGroup();
        return Exported(*m_document) + "| selected " +
               (selected ? selected->begin()->GetIdentifier().toStdString() : "-");
    }
    bool Written(const std::string& name) const { return std::filesystem::exists(m_temp.at(name)); }

    std::optional<std::string> m_afterStore;
};

// The host answers this test relies on: the export layout has two pages and transparent items;
// the PDF export command writes the file its output file names.
TEST_F(ExportJob, ExportsTellsTheCompanionAndStoresTheMarksInTheStoresUndoStep) {
    // The flattener style exists already: its making would be an undo step of its own.
    static_cast<void>(GetOrCreateFlattenerStyle());
    const auto companion = Listen();
    const std::string before = Dump();
    const std::size_t steps = host::UndoStepNames().size();
    Call();
    EXPECT_TRUE(Log(host::Channel::Alerts).empty());
    EXPECT_TRUE(Written("ad.pdf"));
    EXPECT_TRUE(Written("items.bin"));
    const auto received = companion->Messages();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], "{\"what\":\"ping\"}");
    const auto sent = PayloadJob(received[1]);
    ASSERT_EQ(sent->GetGroups().size(), 1u);
    EXPECT_EQ(sent->GetGroups().begin()->size(), 2u);
    EXPECT_EQ(sent->jobName, "Ad");
    EXPECT_EQ(Stored(), "1 2 | selected 3");
    const auto& sequences = Log(host::Channel::Sequences);
    EXPECT_EQ(std::count(sequences.begin(), sequences.end(), "end Zephrin Export"), 1);
    EXPECT_EQ(Log(host::Channel::Commands).back(), "0x52E00SaveDetailsCmd 0x52E16 -> 0x0");
    // The store's step (undoability 1) took the export's sequence and its save (both 0) in.
    EXPECT_EQ(host::UndoStepNames().size(), steps + 1);
    ASSERT_TRUE(host::Undo());
    EXPECT_EQ(Dump(), before);
}

// A file of the user's named "PlacedImages" in the job folder stops only an export that writes a
// profile there: the export layout has no placed graphic, and goes out.
TEST_F(ExportJob, AFileNamedPlacedImagesStopsNoAdWithoutAProfile) {
    static_cast<void>(GetOrCreateFlattenerStyle());
    m_temp.write("PlacedImages", "the user's");
    const auto companion = Listen();
    Call();
    EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{});
    EXPECT_TRUE(Written("ad.pdf"));
    EXPECT_EQ(m_temp.read("PlacedImages"), "the user's");
}

// A job folder that does not exist, or an output's folder, ends the export in one alert naming it
// with the system's reason, before the host is asked to write anything.
TEST_F(ExportJob, AMissingFolderOfTheJobIsNamedBeforeTheHostWrites) {
    const struct {
        const char* name;
        std::string jobFolder, outputFile, alert;
    } cases[] = {
        {"job folder", "missing", "ad",
         "The folder " + m_temp.systemPath("missing") +
             " cannot be written: No such file or "
             "directory."},
        {"output folder", "", "out/ad",
         "The file " + m_temp.systemPath("out/ad.pdf") +
             " cannot be written: No such file or "
             "directory."},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Reset();
        Open(kExportLayout);
        const auto companion = Listen();
        CallWithBytes(JobBytes(m_temp.systemPath(c.jobFolder), m_temp.systemPath(c.outputFile),
                               m_temp.systemPath("items.bin")));
        EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{c.alert}) << c.name;
        for (const std::string& command : Log(host::Channel::Commands))
            EXPECT_EQ(command.find("Export PDF"), std::string::npos) << c.name << ": " << command;
        EXPECT_EQ(FolderContents(m_temp.root()), (std::map<std::string, std::string>{})) << c.name;
    }
}

// Each failure inside the export sequence: one alert, the sequence rolled back to the document as
// the store left it (fitted, the job stored without marks), no event; the files the export wrote
// are gone, unless only the event failed.
TEST_F(ExportJob, AFailureInsideTheExportIsOneAlertAndLeavesTheDocumentAsStored) {
    const struct {
        const char* name;
        bool listening;
        std::function<void()> inject;
        const char* pageItemFile;
        std::string alert;
        bool pdf;
        const char* sections = R"([{"first": 1, "count": 2}])";
    } cases[] = {
        {"no listener", false, [] {}, "items.bin",
         "The companion application cannot be told of the export: its destinations stay "
         "unexported.",
         true},
        {"PDF export fails", true,
         [] { host::Faults::Instance().FailProcessCommand(kPDFExportCmdBoss, ErrorCode{7}); },
         "items.bin", "Unknown error 7", false},
        {"page-item file not written", true, [] {}, "missing/items.bin",
         "The file " + m_temp.systemPath("missing/items.bin") +
             " cannot be written: No such file or directory.",
         false},
        {"page-item file is the PDF", true, [] {}, "ad.pdf",
         "The page-item file " + m_temp.systemPath("ad.pdf") + " is a file of the output " +
             m_temp.systemPath("ad") + ".",
         false},
        {"page-item file named as a device", true, [] {}, "con.items",
         "The file cannot be written: " +
             *platform::pathRefusal(std::string_view(m_temp.systemPath("con.items"))) + ".",
         false},
        {"no page", true, [] {}, "items.bin", "The job's pages lie outside the document.", false,
         R"([{"first": 1, "count": 0}])"},
        {"pages beyond the document", true, [] {}, "items.bin",
         "The job's pages lie outside the document.", false,
         R"([{"first": 2, "count": 2000000000}])"},
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        host::Recorder::Instance().Reset();
        std::filesystem::remove(m_temp.at("ad.pdf"));
        Open(kExportLayout);
        m_afterStore.reset();
        const auto companion = c.listening ? Listen() : nullptr;
        c.inject();
        Call(c.pageItemFile, c.sections);
        EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{c.alert}) << c.name;
        EXPECT_EQ(Log(host::Channel::Sequences).back(), "fail Zephrin Export") << c.name;
        ASSERT_TRUE(m_afterStore) << c.name;
        EXPECT_EQ(Dump(), *m_afterStore) << c.name;
        EXPECT_EQ(Stored(), "| selected 1") << c.name;
        EXPECT_EQ(Written("ad.pdf"), c.pdf) << c.name;
        if (companion) {
            EXPECT_EQ(companion->Messages().size(), 0u) << c.name;
        }
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess) << c.name;
    }
}

// A write of the export that fails names the system's reason after the file: a file of the
// plug-in's own in the alert; the output of the host's export command in the text the failed
// command leaves (the export's temporary that the host was handed, here TEMPORARY), while the
// alert is the host code's own text. Each fault fails a file operation
// of its kind with the system error number that a folder that may not be written, a full disk or
// a read-only file system gives: the host's first after the export's journal is written, or the
// first on the page-item file (its staged file, made first, or its rename into place). A new file
// that cannot be made names its folder.
TEST_F(ExportJob, AFailedWriteNamesTheSystemsReasonAfterTheFile) {
    using Op = platform::FileOperation;
    const std::string pdf = "The file " + m_temp.systemPath("TEMPORARY") + " cannot be written: ";
    const std::string items = "The file " + m_temp.systemPath("items.bin") + " cannot be written: ";
    const std::string command = "command Export PDF 0x2505 -> 0xF0F001: ";
    const std::string host = "The output file cannot be written.";
    const struct {
        const char* name;
        Op operation;
        bool onItems; // else the host's, after the journal
        int error;
        std::string alert;
        std::string failure; // the failed command's entry; empty: none
    } cases[] = {
        {"PDF, folder not writable", Op::Open, false, EACCES, host,
         command + pdf + "Permission denied."},
        {"PDF, disk full", Op::Flush, false, ENOSPC, host,
         command + pdf + "No space left on device."},
        {"PDF, read-only", Op::Rename, false, EROFS, host,
         command + pdf + "Read-only file system."},
        {"items, folder not writable", Op::Open, true, EACCES,
         "The folder " + m_temp.systemPath() + " cannot be written: Permission denied.", ""},
        {"items, disk full", Op::Flush, true, ENOSPC, items + "No space left on device.", ""},
        {"items, read-only", Op::Rename, true, EROFS, items + "Read-only file system.", ""},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Reset();
        Open(kExportLayout);
        const auto companion = Listen();
        bool journaled = false;
        bool failed = false;
        std::u16string staged; // the page-item file's staged file: the export's first file
        platform::setFileOperationFault([&](std::uint64_t, Op operation) {
            const platform::FileOperationPaths& paths = platform::currentFileOperationPaths();
            if (staged.empty() && operation == Op::Open)
                staged = paths.path;
            const bool items = paths.path == staged || paths.target.ends_with(u"/items.bin");
            const bool fails =
                !failed && operation == c.operation && (c.onItems ? items : journaled && !items);
            failed = failed || fails;
            journaled = journaled ||
                        IsJournalName(std::filesystem::path(paths.target).filename().u16string());
            return fails ? c.error : 0;
        });
        Call();
        platform::setFileOperationHook({});
        EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{c.alert}) << c.name;
        std::vector<std::string> failures;
        for (const std::string& entry : Log(host::Channel::Failures))
            if (entry.starts_with("command "))
                failures.push_back(
                    std::regex_replace(entry, std::regex("~zep[0-9A-F]{16}\\.tmp"), "TEMPORARY"));
        EXPECT_EQ(failures, c.failure.empty() ? std::vector<std::string>{}
                                              : std::vector<std::string>{c.failure})
            << c.name;
        EXPECT_FALSE(Written("items.bin")) << c.name;
        EXPECT_EQ(companion->Messages().size(), 0u) << c.name;
    }
}

// A path of the job whose text goes on past a NUL names no file: it is refused before anything
// is written, as every name a Windows system could not have is: one alert, no event. Cut at the
// NUL, each would name a file of the user's: "a.pdf" (the PDF of the output "a"), "notes.txt",
// and the folder above the job's.
TEST_F(ExportJob, APathGoingOnPastANulIsRefusedBeforeAnythingIsWritten) {
    static_cast<void>(GetOrCreateFlattenerStyle());
    m_temp.write("a.pdf", "the user's PDF");
    m_temp.write("notes.txt", "the user's notes");
    const std::string job = m_temp.systemPath();
    const struct {
        const char* name;
        std::string folder, output, items; // '|' stands for the NUL
    } cases[] = {
        {"output file", job, job + "/a|b", job + "/items.bin"},
        {"page-item file", job, job + "/ad", job + "/notes.txt|.items"},
        {"job folder", job + "/..|/job", job + "/ad", job + "/items.bin"},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Reset();
        Open(kExportLayout);
        m_afterStore.reset();
        const auto companion = Listen();
        const auto before = FolderContents(m_temp.root());
        std::string bytes = JobBytes(c.folder, c.output, c.items);
        ASSERT_EQ(std::count(bytes.begin(), bytes.end(), '|'), 1) << c.name;
        std::replace(bytes.begin(), bytes.end(), '|', '\0');
        CallWithBytes(bytes);
        std::string refused;
        for (const std::string& path : {c.folder, c.output, c.items})
            if (path.find('|') != std::string::npos)
                refused = path;
        std::replace(refused.begin(), refused.end(), '|', '\0');
        EXPECT_EQ(Log(host::Channel::Alerts),
                  std::vector<std::string>{"The file cannot be written: " +
                                           *platform::pathRefusal(std::string_view(refused)) + "."})
            << c.name;
        EXPECT_EQ(Log(host::Channel::Sequences).back(), "fail Zephrin Export") << c.name;
        ASSERT_TRUE(m_afterStore) << c.name;
        EXPECT_EQ(Dump(), *m_afterStore) << c.name;
        EXPECT_EQ(companion->Messages().size(), 0u) << c.name;
        EXPECT_EQ(FolderContents(m_temp.root()), before) << c.name;
    }
}

// A booking that cannot be printed is refused before the job is stored: one alert naming the
// destination, the document as it was, no file, no event. A job without destinations is fitted
// to nothing (the fitting's alert) and exported as it stands.
TEST_F(ExportJob, ABookingThatCannotBePrintedIsRefusedBeforeTheJobIsStored) {
    const struct {
        std::string destinations;
        std::string alert;
        bool exported;
    } cases[] = {
        {R"({"id": "1", "name": "Daily Courier", "width": -595.28, "height": 842,
             "bleed": [3, 3, 3, 3]})",
         "The destination \"Daily Courier\" (1) cannot be printed: its width is -595.28 points.",
         false},
        {R"({"id": "1", "width": 300, "height": 400}, {"id": "2", "width": 300, "height": 400,
             "bleed": [3, 3, -3, 3]})",
         "The destination 2 cannot be printed: its top bleed is -3 points.", false},
        {"", "The job has no page size: the document cannot be fitted.", true},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Reset();
        std::filesystem::remove_all(m_temp.root());
        std::filesystem::create_directory(m_temp.root());
        Open(kExportLayout);
        static_cast<void>(GetOrCreateFlattenerStyle());
        const auto companion = Listen();
        const std::string before = Dump();
        host::Recorder::Instance().Clear(host::Channel::Commands);
        const std::string job =
            R"({"job": {"jobName": "Ad", "pageCount": 2, "jobFolder": ")" + m_temp.systemPath() +
            R"(", "outputFile": ")" + m_temp.systemPath("ad") + R"(", "pageItemFile": ")" +
            m_temp.systemPath("items.bin") + R"(", "sections": [{"first": 1, "count": 2}]},
            "groups": [{"selected": true, "destinations": [)" +
            c.destinations + R"(]}], "forbidPDF": false})";
        host::CallScriptMethod(
            kExportJobMethod,
            {{kJobParameter, ScriptData(PMString(EncodeJobText(describedJobBytes(job))))},
             {kFitParameter, ScriptData(true)}});
        EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{c.alert});
        EXPECT_EQ(Written("ad.pdf"), c.exported) << c.alert;
        EXPECT_EQ(Written("items.bin"), c.exported) << c.alert;
        EXPECT_EQ(companion->Messages().size(), c.exported ? 2u : 0u) << c.alert;
        if (!c.exported) {
            EXPECT_EQ(Dump(), before) << c.alert;
            EXPECT_TRUE(Log(host::Channel::Commands).empty()) << c.alert;
        }
    }
}

// The job's sizes would shape the document of a fitting ('savY' with 'Zerp') and of 'sanY': the
// same booking is refused there before anything changes; stored without a fitting it is kept.
TEST_F(ExportJob, ABookingThatCannotBePrintedShapesNoDocument) {
    const std::string job = R"({"job": {"jobName": "Ad", "pageCount": 1}, "groups": [{"selected":
        true, "destinations": [{"id": "7", "width": 300, "height": -1}]}]})";
    const std::string refused = "The destination 7 cannot be printed: its height is -1 points.";
    for (const auto& [method, fit, alerts] :
         {std::tuple(kSaveJobMethod, true, std::vector<std::string>{refused}),
          {kSaveJobInNewDocumentMethod, false, {refused}},
          {kSaveJobMethod, false, {}}}) {
        host::Recorder::Instance().Reset();
        Open(kExportLayout);
        const std::string before = Dump();
        const std::size_t documents = host::OpenDocuments().size();
        host::CallScriptMethod(
            method, {{kJobParameter, ScriptData(PMString(EncodeJobText(describedJobBytes(job))))},
                     {kFitParameter, ScriptData(fit)}});
        EXPECT_EQ(Log(host::Channel::Alerts), alerts) << host::Hex(method.Get()) << fit;
        EXPECT_EQ(host::OpenDocuments().size(), documents) << host::Hex(method.Get());
        if (!alerts.empty()) {
            EXPECT_EQ(Dump(), before) << host::Hex(method.Get());
        }
    }
}

TEST(DecodeDestinationIdentifiers, ReadsEitherLetterCaseAndRefusesBytesThatEndEarlyOrRunOn) {
    const DestinationIdentifierSet numbers{"171", "48879"};
    const struct {
        const char* text;
        std::optional<DestinationIdentifierSet> identifiers;
    } cases[] = {
        {"00000002000000AB0000BEEF", numbers},
        {"00000002000000ab0000beef", numbers},
        {"00000002000000aB0000BeEf7", numbers}, // an odd last character is ignored
        {"FFFFFFFF00000003414243", DestinationIdentifierSet{"ABC"}},
        {"00000000", DestinationIdentifierSet{}},
        {"", std::nullopt},
        {"000000", std::nullopt},             // the count is cut
        {"00000002000000AB", std::nullopt},   // fewer numbers than counted
        {"7FFFFFFF", std::nullopt},           // a count beyond the bytes
        {"80000000", std::nullopt},           // the lowest count
        {"FFFFFFFFFFFFFFFF", std::nullopt},   // a negative length
        {"FFFFFFFF7FFFFFFF41", std::nullopt}, // a length beyond the bytes
        {"00000001000000AB00", std::nullopt}, // a byte after the set
    };
    for (const auto& [text, expected] : cases) {
        DestinationIdentifierSet identifiers{"stale"};
        EXPECT_EQ(DecodeDestinationIdentifiers(text, identifiers), expected.has_value()) << text;
        EXPECT_EQ(identifiers, expected.value_or(DestinationIdentifierSet{})) << text;
    }
}

// Four open documents: A, C and D hold a stored job whose destinations 171 and 18 are exported;
// B's workspace carries no job list. Each save is an undo step of its own.
class DestinationUpdate : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        for (const char* name : {"A", "B", "C", "D"})
            m_documents.push_back(&host::NewDocument(name));
        m_documents[1]->db->GetBoss(m_documents[1]->workspace)->RemoveFacet(IID_IZEPJOBLIST);
        for (int stored : {0, 2, 3})
            Save(*m_documents[stored]);
        host::Recorder::Instance().Clear(host::Channel::Commands);
    }

    static void Save(host::Document& document) {
        InterfacePtr<ICommand> command = CreateSaveDetailsCmd(document.Get());
        InterfacePtr<IZEPJobList>(command, UseDefaultIID{})
            ->SetFromString(describedJobBytes(R"({"groups": [{"selected": true, "destinations": [
                {"id": "171", "exported": true}, {"id": "18", "exported": true}]}]})"),
                            true);
        ASSERT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    }
    // The identifiers of the exported destinations of the stored jobs, A's, C's and D's.
    std::string Exported() const {
        std::string exported;
        for (int stored : {0, 2, 3})
            exported += ::Exported(*m_documents[stored]) + "| ";
        return exported;
    }
    static void Update(const std::string& payload) {
        host::CallScriptMethod(kDeselectDestinationsMethod, job(payload));
    }

    std::vector<host::Document*> m_documents;
};

const std::string kSaveDetails = "0x52E00SaveDetailsCmd 0x52E16 -> 0x0";

TEST_F(DestinationUpdate, ClearsTheListedFlagsByOneCommandPerStoredJobMergedIntoTheLastStep) {
    const std::vector<std::string> steps = host::UndoStepNames();
    Update("00000001000000ab");
    EXPECT_EQ(Exported(), "18 | 18 | 18 | ");
    EXPECT_EQ(Log(host::Channel::Commands), std::vector<std::string>(3, kSaveDetails));
    EXPECT_TRUE(Log(host::Channel::Alerts).empty());
    EXPECT_EQ(host::UndoStepNames(), steps);
    // A count of 0 changes no flag but still runs one command per stored job.
    const std::string before = host::DumpSession();
    Update("00000000");
    EXPECT_EQ(Log(host::Channel::Commands).size(), 6u);
    EXPECT_EQ(host::DumpSession(), before);
    // The last step, D's save, took every update in: undoing it undoes them in A and C too.
    ASSERT_TRUE(host::Undo());
    EXPECT_EQ(Exported(), "171 18 | 171 18 | | ");
}

// A new document's job list was never saved, but it is the workspace's, which the database
// holds: the document counts as one with a stored job and gets its save-details command too.
TEST_F(DestinationUpdate, ADocumentWhoseJobWasNeverSavedIsWalkedAsOneWithAStoredJob) {
    const host::Document& fresh = host::NewDocument("E");
    Update("00000001000000ab");
    EXPECT_EQ(Exported() + ::Exported(fresh), "18 | 18 | 18 | ");
    EXPECT_EQ(Log(host::Channel::Commands), std::vector<std::string>(4, kSaveDetails));
}

TEST_F(DestinationUpdate, APayloadThatEndsEarlyOrRunsOnChangesNoDocument) {
    const std::string before = host::DumpSession();
    for (const char* payload : {"00000002000000AB", "7FFFFFFF", "80000000", "00000000FF"}) {
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        Update(payload);
        EXPECT_EQ(
            Log(host::Channel::Alerts),
            std::vector<std::string>{"The list of destinations to deliver again cannot be read."})
            << payload;
        EXPECT_EQ(host::DumpSession(), before) << payload;
    }
    EXPECT_TRUE(Log(host::Channel::Commands).empty());
}

TEST_F(DestinationUpdate, AFailingDocumentEndsTheWalkAndTheDocumentsBeforeKeepTheirChange) {
    host::Faults::Instance().FailProcessCommand(kZEPSaveDetailsCmdBoss, ErrorCode{7}, 1);
    Update("00000001000000AB");
    EXPECT_EQ(Exported(), "18 | 171 18 | 171 18 | ");
    EXPECT_EQ(
        Log(host::Channel::Commands),
        (std::vector<std::string>{kSaveDetails, "0x52E00SaveDetailsCmd 0x52E16 -> skipped 0x7"}));
    EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{"Unknown error 7"});
}

// The print dialog's data calls in order are checked end to end by the print road (tests/app).
class PrintDialog : public SampleLayoutTest {};

TEST_F(PrintDialog, AMissingHostObjectOrAFailingDialogEndsInOneAlert) {
    host::Faults& faults = host::Faults::Instance();
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { faults.FailCreateCommand(kPrintDialogCmdBoss); }, "(thePrintDialogCmd) == NULL"},
        {[&] { faults.HideInterface(kPrintDialogCmdBoss, IPrintDialogCmdData::kDefaultIID); },
         "(iPrintDialogCmdData) == NULL"},
        {[&] { faults.HideInterface(kDocWorkspaceBoss, IInkList::kDefaultIID); },
         "(iInkList) == NULL"},
        {[&] { faults.HideInterface(kDocWorkspaceBoss, ITrapStyleListMgr::kDefaultIID); },
         "(iTrapStyleListMgr) == NULL"},
        {[&] { faults.HideInterface(kPrintDataBoss, IPrintData::kDefaultIID); },
         "(iPrintData) == NULL"},
        {[&] { faults.HideInterface(kDocWorkspaceBoss, IPrintData::kDefaultIID); },
         "(iOrigPrintData) == NULL"},
        {[&] { faults.FailProcessCommand(kPrintDialogCmdBoss, ErrorCode{7}); }, "Unknown error 7"},
    };
    for (const auto& [inject, alert] : cases) {
        faults.Reset();
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        inject();
        host::CallScriptMethod(kPrintDocumentMethod, {});
        EXPECT_EQ(Log(host::Channel::Alerts), std::vector<std::string>{alert});
    }
}

} // namespace
