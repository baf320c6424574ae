// Fault runs over every road a user or the companion application takes into the plug-in: each
// road runs once clean while the host records the injection points it touches and the platform
// counts the file operations, then once per point with exactly that fault injected (the
// interface hidden, the command not created, a command failing from that run of its class on,
// the first command of a class throwing, file streams failing from that opening on, no abortable
// sequence, the platform's file operations failing from that one on). Every run must end in at
// most one alert, exactly one for a file operation, with a guard text, a condition text or the
// code's text; no sequence open; every reference given back; the documents and the session as
// before the road, but for what stays by design (the job stored before a failed export, the
// documents a destination update went through before the failure); the job's folder, which holds
// a previous export's files, byte for byte as before. A run without an alert must have done what
// the clean run did, unless the road skips that point silently (an optional interface, an unset
// event field, a skipped document, items dropped by the item walk).
#include "Analysis/ZEPTransparencyFlattener.h"
#include "Export/ZEPDocumentFitting.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPPlugin.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "Request_Handling/ZEPScriptProvider.h"
#include "host/sdk/Colors.h"
#include "host/sdk/DocumentSetup.h"
#include "host/sdk/EPSExport.h"
#include "host/sdk/Errors.h"
#include "host/sdk/LayerCommands.h"
#include "host/sdk/NewDocument.h"
#include "host/standin/Actions.h"
#include "host/standin/ColorManagement.h"
#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "host/standin/Document.h"
#include "host/standin/ExportOutput.h"
#include "host/standin/Faults.h"
#include "host/standin/Host.h"
#include "host/standin/Layout.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Recorder.h"
#include "host/standin/Scripting.h"
#include "host/standin/Selection.h"
#include "host/standin/Session.h"
#include "model/BJobFile.h"
#include "model/JobText.h"
#include "platform/files.h"
#include "platform/fileseams.h"
#include "support/CompanionFixture.h"
#include "support/ExampleText.h"
#include "support/FolderContents.h"
#include "support/IccProfiles.h"
#include "support/JobDescription.h"
#include "support/JobModelState.h"
#include "support/Test.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <optional>
#include <regex>
#include <set>

namespace {

using host::InjectionPoint;
using Kind = InjectionPoint::Kind;

constexpr ErrorCode kInjected{119};

// The alert of a host code: the plug-in's text for an unknown error and the code.
std::string UnknownError(ErrorCode code) {
    return "Unknown error " + std::to_string(code.Get());
}

std::map<ScriptID, ScriptData> JobParameters(const std::string& job, std::optional<bool> fit) {
    std::map<ScriptID, ScriptData> parameters{
        {kJobParameter, ScriptData(PMString(ExampleText("jobs/" + job + ".hex")))}};
    if (fit)
        parameters.emplace(kFitParameter, ScriptData(*fit));
    return parameters;
}

BJobFile& StoredJob(const host::Document& document) {
    InterfacePtr<IZEPJobList> jobs(document.WorkspaceRef(), UseDefaultIID{});
    return *jobs->GetJobFile();
}

// A document holding the example half-page job, stored by 'savY' as the companion does.
host::Document& WithStoredJob(const std::string& description) {
    host::Document& document = host::OpenDocumentDescription(ExampleText(description));
    host::CallScriptMethod(kSaveJobMethod, JobParameters("half_page", false));
    return document;
}

// A CMYK profile file of the test's own.
const std::string& ProfileFile() {
    static const TempFolder folder;
    static const std::string path = [] {
        folder.write("fogra.icc", icc::Profile{.description = "Coated FOGRA39"}.Bytes());
        return folder.systemPath("fogra.icc");
    }();
    return path;
}

// A job whose process profile is that file: saving it asks the host's colour management for the
// profiles installed.
std::function<void()> SaveJobWithProfile() {
    return [] {
        const std::string head =
            R"({"job": {"identifier": "1", "jobName": "J", "documentName": "Ad.indd"},
                "groups": [{"selected": true, "destinations": [{"id": "7", "width": 100,
                    "height": 50, "bleed": [0, 0, 0, 0], "typeIndent": [0, 0, 0, 0]}]}],
                "defaults": {"Setting_ProcessProfile": {"type": "stringParameter"}},
                "ticket": {"qcs": {"checks": {"Setting_ProcessProfile": {"sev": "parameter",
                    "P": [")";
        const std::string job = head + ProfileFile() + "\"]}}}}}";
        host::CallScriptMethod(
            kSaveJobMethod,
            {{kJobParameter, ScriptData(PMString(EncodeJobText(describedJobBytes(job))))}});
    };
}

struct Road {
    const char* name;
    // Opens the documents and sets the preferences and the selection the road starts from.
    std::function<void()> setup;
    std::function<void()> run;
    bool sendsEvent = false;
    // A failure keeps the documents the road went through before it (a destination update).
    bool keepsEarlierDocuments = false;
    // The store that a failure after it keeps (an export's, as 'savY' of the same job does it).
    std::function<void()> store = {};
    // Points the road passes over silently: without an alert, the outcome may differ from the
    // clean run's.
    std::vector<InjectionPoint> silent = {};
    // The exact alert of representative points.
    std::vector<std::pair<InjectionPoint, std::string>> guards = {};
    // Points that fail after the road's event went out (the export's save of the exported marks).
    std::vector<InjectionPoint> afterEvent = {};
};

void PrintTo(const Road& road, std::ostream* out) {
    *out << road.name;
}

InjectionPoint Interface(ClassID cls, PMIID iid) {
    return {Kind::Interface, cls, iid};
}
// An object the host makes to answer a call: hidden, it is not made.
InjectionPoint Made(ClassID cls, PMIID iid) {
    return {Kind::MadeObject, cls, iid};
}
InjectionPoint Create(ClassID cls) {
    return {Kind::CreateCommand, cls};
}
InjectionPoint Process(ClassID cls) {
    return {Kind::ProcessCommand, cls};
}

void OpenAd() {
    host::LoadDescription(ExampleText("studio.json"));
    host::OpenDocumentDescription(ExampleText("spring_sale.json"));
    // The flattener style exists already, as after the first export of a session.
    static_cast<void>(GetOrCreateFlattenerStyle());
}

void SelectItem(std::uint32_t uid) {
    UIDList items(host::FrontDocument()->db.get());
    items.Append(UID(uid));
    host::SelectLayoutItems(items);
}

// The page values a fitting stores in the job come before anything can fail: store them before
// the road, so that they belong to the state the road must come back to.
void PrepareJobPage(bool useBleed) {
    static_cast<void>(GetJobPageRect(StoredJob(*host::FrontDocument()), useBleed));
}

std::function<void()> Call(ScriptID method, const std::string& job, std::optional<bool> fit) {
    return [=] { host::CallScriptMethod(method, JobParameters(job, fit)); };
}

std::function<void()> Action(std::uint32_t action) {
    return [=] { host::DoAction(ActionID{action}); };
}

// Points whose absence a road takes as "nothing there": the session without the host's session
// interface or the workspace without the preferences (the preferences' defaults), no layout
// selection (the whole document is fitted), no page-setup preferences on the document (the
// job's bleed and the document setup's further values are not taken from them).
const InjectionPoint kNoSession = Interface(host::kSessionBoss, ISession::kDefaultIID);
const InjectionPoint kNoPreferences = Interface(kSessionWorkspaceBoss, IID_IZEPPLUGINPREFSDATA);
const InjectionPoint kNoPageSetup = Interface(kDocWorkspaceBoss, IPageSetupPrefs::kDefaultIID);
// The item walk drops a spread without its shape and items without geometry or hierarchy; the ad
// then shows no transparency, so its EPS job goes out as PDF.
const InjectionPoint kNoSpreadShape = Interface(host::kSpreadBoss, IShape::kDefaultIID);
const InjectionPoint kNoItemGeometry = Interface(host::kFrameItemBoss, IGeometry::kDefaultIID);
const InjectionPoint kNoItemHierarchy = Interface(host::kFrameItemBoss, IHierarchy::kDefaultIID);

// An export of the example ad: what its failures keep is the store of 'savY' of the same job.
Road Export(const char* name, const std::string& job, std::function<void()> setup,
            std::pair<InjectionPoint, std::string> guard) {
    const InjectionPoint marksSaved{Kind::ProcessCommand, kZEPSaveDetailsCmdBoss, {}, {}, 1};
    return {.name = name,
            .setup = std::move(setup),
            .run = Call(kExportJobMethod, job, true),
            .sendsEvent = true,
            .store = Call(kSaveJobMethod, job, true),
            .silent = {kNoPageSetup, kNoSpreadShape, kNoItemGeometry, kNoItemHierarchy},
            .guards = {{Interface(host::kDocBoss, IPageList::kDefaultIID), "(iPageList) == NULL"},
                       {marksSaved, UnknownError(kInjected)},
                       std::move(guard)},
            .afterEvent = {marksSaved}};
}

const Road kRoads[] = {
    {.name = "SaveJob",
     .setup = [] { host::OpenDocumentDescription(ExampleText("single_page.json")); },
     .run = Call(kSaveJobMethod, "half_page", true),
     // Without the layout utilities there is no front document: the job goes to a new one.
     .silent = {Interface(host::kUtilsBoss, ILayoutUtils::kDefaultIID)},
     .guards = {{Create(kZEPSaveDetailsCmdBoss), "(theSaveDetailsCmd) == NULL"},
                {Interface(kZEPSaveDetailsCmdBoss, IID_IZEPJOBLIST), "(theCmdJobList) == NULL"},
                {Create(kDocSetupCmdBoss), "(theDocSetupCmd) == NULL"},
                {Process(kZEPSaveDetailsCmdBoss), UnknownError(kInjected)}}},
    {.name = "SaveJobWithInstalledProfile",
     .setup =
         [] {
             host::OpenDocumentDescription(ExampleText("single_page.json"));
             host::SetInstalledProfiles({{.name = "Coated FOGRA39", .path = ProfileFile()}});
         },
     .run = SaveJobWithProfile(),
     // Without the layout utilities there is no front document: the job goes to a new one.
     .silent = {Interface(host::kUtilsBoss, ILayoutUtils::kDefaultIID)},
     // Without its profile list the manager cannot say the profile is installed.
     .guards = {{Made(host::kCMSProfileListBoss, ICMSProfileList::kDefaultIID),
                 "A colour profile of the job cannot be read."}}},
    {.name = "SaveJobInNewDocument",
     .setup = [] {},
     .run = Call(kSaveJobInNewDocumentMethod, "half_page", std::nullopt),
     .guards = {{Create(kNewDocCmdBoss), "(theNewDocCmd) == NULL"},
                {Process(kNewDocCmdBoss), UnknownError(kInjected)}}},
    // The host's only file stream of the export is the PDF's, under the temporary the export hands
    // it (each run its own, so known here as TEMPORARY): the plug-in writes the embedded graphic
    // through a file of its own change.
    Export("ExportPDF", "spring_sale_pdf", OpenAd,
           {{Kind::FileStream, {}, {}, u"J:/TEMPORARY", 0}, "The output file cannot be written."}),
    Export("ExportEPS", "spring_sale_eps", OpenAd,
           {Process(kEPSExportCmdBoss), UnknownError(kInjected)}),
    Export("ExportSelection", "spring_sale_pdf",
           [] {
               OpenAd();
               SetSelectionBasedExports(true);
               SelectItem(21);
           },
           {Interface(kSelectionManagerBoss, IID_IZEPSELECTIONJOBSUITE),
            "The selection cannot be exported."}),
    {.name = "UpdateDestinations",
     .setup =
         [] {
             // Two documents with the half-page job, its destination 3001 exported; one without.
             for (const char* description : {"single_page.json", "facing_pages.json"}) {
                 host::Document& document = WithStoredJob(description);
                 for (BGroup& group : StoredJob(document).GetGroups())
                     for (BDestination& destination : group)
                         destination.SetExported(true);
             }
             host::OpenDocumentDescription(ExampleText("spring_sale.json"));
         },
     .run =
         [] {
             host::CallScriptMethod(
                 kDeselectDestinationsMethod,
                 {{kJobParameter, ScriptData(PMString("0000000100000BB9"))}}); // 3001
         },
     .keepsEarlierDocuments = true,
     // Without the application or its document list nothing is done; a document that is not
     // there or holds no job list is skipped.
     .silent = {kNoSession, Interface(host::kApplicationBoss, IDocumentList::kDefaultIID),
                Interface(host::kApplicationBoss, IApplication::kDefaultIID),
                Interface(host::kDocBoss, IDocument::kDefaultIID),
                Interface(kDocWorkspaceBoss, IID_IZEPJOBLIST)},
     .guards = {{Create(kZEPSaveDetailsCmdBoss), "(theSaveDetailsCmd) == NULL"}}},
    {.name = "Print",
     .setup = [] { host::LoadDescription(ExampleText("session.json")); },
     .run = [] { host::CallScriptMethod(kPrintDocumentMethod, {}); },
     .guards = {{Interface(kDocWorkspaceBoss, IInkList::kDefaultIID), "(iInkList) == NULL"}}},
    {.name = "AdjustDocument",
     .setup =
         [] {
             WithStoredJob("single_page.json");
             PrepareJobPage(false);
         },
     .run = Action(kZEPAdjustAction),
     .guards = {{Create(kLockLayerCmdBoss), "(theLockLayerCmd) == NULL"},
                {{Kind::ProcessCommand, kLockLayerCmdBoss, {}, {}, 1}, UnknownError(kInjected)}}},
    {.name = "AdjustFrame",
     .setup =
         [] {
             WithStoredJob("single_page.json");
             PrepareJobPage(true);
             SetSelectionBasedExports(true);
             SelectItem(21);
         },
     .run = Action(kZEPAdjustAction),
     // Without the selection or the preference on, the whole document is fitted.
     .silent = {Interface(host::kUtilsBoss, ISelectionUtils::kDefaultIID),
                Interface(kSelectionManagerBoss, ISelectionManager::kDefaultIID),
                Interface(kSelectionManagerBoss, ILayoutSelectionSuite::kDefaultIID), kNoSession,
                kNoPreferences},
     .guards = {{{Kind::AbortableSequence}, "(theCmdSeq) == NULL"},
                {Create(kZEPInvalidateCmdBoss), "(iInvalidateCmd) == NULL"}}},
    {.name = "Details",
     .setup = [] { WithStoredJob("single_page.json"); },
     .run = Action(kZEPDetailsAction),
     .sendsEvent = true},
    {.name = "JobList",
     .setup = [] { WithStoredJob("single_page.json"); },
     .run = Action(kZEPJobListAction),
     .sendsEvent = true},
    // A workspace without the preferences is skipped by the preferences' command.
    {.name = "ToggleSelectionBasedExports",
     .setup = [] {},
     .run = Action(kZEPSelectionBasedExportsAction),
     .silent = {kNoPreferences},
     .guards = {{Create(kZEPSetPluginPrefsCmdBoss), UnknownError(kFailure)}}},
    {.name = "ToggleCommonSizing",
     .setup = [] {},
     .run = Action(kZEPCommonSizingAction),
     .silent = {kNoPreferences},
     .guards = {{Process(kZEPSetPluginPrefsCmdBoss), UnknownError(kInjected)}}},
};

// One injected fault: a recorded point, a command that throws instead of failing, or the
// platform's file operations failing from the n-th on (n > 0).
struct Fault {
    InjectionPoint point;
    bool throws = false;
    std::uint64_t fileOperation = 0;
};

std::string Describe(const Fault& fault) {
    const InjectionPoint& point = fault.point;
    if (fault.fileOperation)
        return "file operations fail from " + std::to_string(fault.fileOperation);
    if (fault.throws)
        return "command " + host::Hex(point.cls.Get()) + " throws";
    switch (point.kind) {
    case Kind::Interface:
        return "hide " + host::Hex(point.iid.Get()) + " of " + host::Hex(point.cls.Get());
    case Kind::CreateCommand:
        return "no command " + host::Hex(point.cls.Get());
    case Kind::ProcessCommand:
        return "command " + host::Hex(point.cls.Get()) + " #" + std::to_string(point.index) +
               " fails";
    case Kind::FileStream:
        return "file streams fail from opening " + std::to_string(point.index);
    case Kind::AbortableSequence:
        return "no abortable sequence";
    case Kind::MadeObject:
        return "make no " + host::Hex(point.cls.Get()) + " as " + host::Hex(point.iid.Get());
    }
    return {};
}

void Inject(const Fault& fault) {
    const InjectionPoint& point = fault.point;
    host::Faults& faults = host::Faults::Instance();
    if (fault.fileOperation) {
        platform::setFileOperationHook(
            [first = fault.fileOperation](std::uint64_t n, auto) { return n < first; });
        return;
    }
    if (fault.throws) {
        faults.ThrowFromProcessCommand(point.cls);
        return;
    }
    switch (point.kind) {
    case Kind::Interface:
    case Kind::MadeObject:
        faults.HideInterface(point.cls, point.iid);
        break;
    case Kind::CreateCommand:
        faults.FailCreateCommand(point.cls);
        break;
    case Kind::ProcessCommand:
        faults.FailProcessCommand(point.cls, kInjected, point.index);
        break;
    case Kind::FileStream:
        faults.FailFileStreams(point.index);
        break;
    case Kind::AbortableSequence:
        faults.FailAbortableSequences();
        break;
    }
}

// What a road left, and what it started from.
struct Outcome {
    std::vector<std::string> alerts;
    std::vector<std::string> before; // each open document's dump before the road
    std::string sessionBefore;       // the session's, without the documents
    std::vector<std::string> documents;
    std::string session;
    std::size_t messages = 0;
    std::map<std::string, std::string> folderBefore; // the job's
    std::map<std::string, std::string> folder;
    int openSequences = 0;
    std::int64_t referencesGained = 0;
    bool storeEnded = false; // the road's first command sequence ended without error
};

std::vector<std::string> DocumentDumps() {
    std::vector<std::string> dumps;
    for (const auto& document : host::OpenDocuments())
        dumps.push_back(host::DumpDocument(*document));
    return dumps;
}

// The session's dump without its documents (dumped one by one).
std::string SessionWithoutDocuments() {
    std::string session = host::DumpSession();
    const std::size_t start = session.find("\n  \"documents\": [");
    const std::size_t end = session.find("\n  ]", start);
    if (start != std::string::npos && end != std::string::npos)
        session.erase(start, end + 4 - start);
    return session;
}

// Where two states part, for a failure's message: the document and its first differing line.
std::string Difference(const std::vector<std::string>& got, const std::vector<std::string>& want) {
    if (got.size() != want.size())
        return std::to_string(got.size()) + " documents, not " + std::to_string(want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] == want[i])
            continue;
        std::istringstream a(got[i]), b(want[i]);
        std::string lineA, lineB;
        while (std::getline(a, lineA) && std::getline(b, lineB) && lineA == lineB) {
        }
        return "document " + std::to_string(i) + ": " + lineA.substr(0, 80) + " | " +
               lineB.substr(0, 80);
    }
    return {};
}

// Whether two runs changed the same documents to the same dumps (a document without a stored
// job has an identifier of its own in every run).
bool SameChanges(const Outcome& a, const Outcome& b) {
    if (a.documents.size() != b.documents.size() || a.before.size() != b.before.size())
        return false;
    for (std::size_t i = 0; i < a.documents.size(); ++i) {
        const bool changed = i >= a.before.size() || a.documents[i] != a.before[i];
        if (changed != (i >= b.before.size() || b.documents[i] != b.before[i]) ||
            (changed && a.documents[i] != b.documents[i]))
            return false;
    }
    return true;
}

class FaultRuns : public ::testing::TestWithParam<Road>, public CompanionFixture {
protected:
    void SetUp() override { m_environment.Set("ZEP_DRIVE_J", m_folder.at("job")); }
    void TearDown() override {
        host::UnloadAll();
        host::Reset();
        platform::setFileOperationHook({});
    }

    // The job's folder (drive J:) as a previous export of the ad left it, with a file of the
    // user's named like a temporary of the output beside it.
    void LayPreviousExport() const {
        std::filesystem::remove_all(m_folder.at("job"));
        std::filesystem::create_directory(m_folder.at("job"));
        for (const char* name : {"spring-sale.pdf", "spring-sale.eps", "spring-sale.eps#2",
                                 "spring-sale.items", "EmbeddedGraphic#1", "spring-sale.pdf.part"})
            m_folder.write(std::string("job/") + name, std::string("previous ") + name);
    }

    // A fresh host with the plug-in and the road's start, then the fault (if any) and `road`.
    // The job model's process-wide state is that of a fresh process too, as for the road alone.
    Outcome Run(const std::function<void()>& road, const std::optional<Fault>& fault,
                bool record = false) {
        host::UnloadAll();
        host::Reset();
        JobModelState::Reset();
        EXPECT_TRUE(host::Attach(GetPlugIn()));
        GetParam().setup();
        // The host's selection manager, made on first use, lives as long as the session.
        static_cast<void>(InterfacePtr<ISelectionUtils>(UtilsBoss::QueryUtils<ISelectionUtils>())
                              ->GetActiveSelection());
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        const auto companion = GetParam().sendsEvent ? Listen() : nullptr;
        LayPreviousExport();

        Outcome outcome;
        outcome.folderBefore = FolderContents(m_folder.at("job"));
        outcome.before = DocumentDumps();
        outcome.sessionBefore = SessionWithoutDocuments();
        const std::int64_t references = host::LiveReferences();
        bool firstEnded = false;
        host::SetCommandObserver({nullptr, [&](const ICommandSequence&, bool ended, int open) {
                                      if (open == 0 && !firstEnded) {
                                          firstEnded = true;
                                          outcome.storeEnded = ended;
                                      }
                                  }});
        if (fault)
            Inject(*fault);
        if (record) {
            host::Faults::Instance().StartRecording();
            platform::setFileOperationHook([this](std::uint64_t n, auto) {
                m_fileOperations = n;
                return true;
            });
        }
        road();
        if (record) {
            m_points = host::Faults::Instance().StopRecording();
            // A file stream on an export's temporary is known by that role: each run names its
            // own.
            for (InjectionPoint& point : m_points) {
                const std::size_t leaf = point.path.find_last_of(u"/\\") + 1;
                if (point.kind == Kind::FileStream &&
                    platform::isTemporaryName(std::u16string_view(point.path).substr(leaf)))
                    point.path = point.path.substr(0, leaf) + u"TEMPORARY";
            }
        }
        host::Faults::Instance().Reset();
        platform::setFileOperationHook({});
        host::SetCommandObserver({});

        outcome.alerts = host::Recorder::Instance().Log(host::Channel::Alerts);
        outcome.documents = DocumentDumps();
        outcome.session = SessionWithoutDocuments();
        outcome.messages = companion ? companion->Messages().size() : 0;
        outcome.folder = FolderContents(m_folder.at("job"));
        outcome.openSequences = host::OpenSequenceCount();
        outcome.referencesGained = host::LiveReferences() - references;
        return outcome;
    }

    std::vector<InjectionPoint> m_points;
    std::uint64_t m_fileOperations = 0;
    const JobModelState m_jobModel;
};

// The texts an alert may show: a missing object's guard, a failed condition, or a code's text
// (the plug-in's own codes and the host's file error by their texts, the injected code and the
// host's general failure by their numbers).
bool IsReportText(const std::string& alert) {
    static const std::regex guard(R"(\(.+\) == NULL)");
    // A failed file operation of the hook fails with EIO, whose text follows the file, or the
    // folder whose journal could not be written, when the failing call hands its number on.
    static const std::regex unwritten(
        "The (file|folder) .+ cannot be written(: Input/output error)?\\.");
    static const std::set<std::string> conditions{
        "(*it)->GetNumberingStyle() != ePageNumberingStyle_Absolute", "!(mPageItemRef)",
        "s16.empty()", "theOrvaleLayerUID==kInvalidUID"};
    if (std::regex_match(alert, guard) || std::regex_match(alert, unwritten) ||
        conditions.contains(alert) || alert == UnknownError(kInjected) ||
        alert == UnknownError(kFailure) ||
        alert == ErrorUtils::PMGetErrorString(host::kFileWriteErr).GetUTF8String())
        return true;
    for (std::uint32_t code = 0x52E00; code <= 0x52EFF; ++code)
        if (ErrorUtils::PMGetErrorString(ErrorCode{code}).GetUTF8String() == alert)
            return true;
    return false;
}

TEST_P(FaultRuns, EveryInjectedFaultEndsInOneStatedAlertAndLeavesNothingBehind) {
    const Road& road = GetParam();
    const Outcome clean = Run(road.run, std::nullopt, true);
    ASSERT_TRUE(clean.alerts.empty()) << clean.alerts.front();
    ASSERT_EQ(clean.messages, road.sendsEvent ? 2u : 0u); // the ping and the event
    // The host's own way into the plug-in is no point of the road. The first command of each
    // class also throws once.
    std::vector<Fault> faults;
    for (const InjectionPoint& point : m_points) {
        if (point.kind == Kind::MadeObject && (point.iid == IScriptProvider::kDefaultIID ||
                                               point.iid == IActionComponent::kDefaultIID))
            continue;
        faults.push_back({point});
        if (point.kind == Kind::ProcessCommand && point.index == 0)
            faults.push_back({point, true});
    }
    for (std::uint64_t n = 1; n <= m_fileOperations; ++n)
        faults.push_back({.point = {}, .fileOperation = n});
    const std::optional<Outcome> stored =
        road.store ? std::optional(Run(road.store, std::nullopt)) : std::nullopt;

    std::size_t guardsSeen = 0;
    for (const Fault& fault : faults) {
        const InjectionPoint& point = fault.point;
        const std::string what = Describe(fault);
        const Outcome run = Run(road.run, fault);
        ASSERT_LE(run.alerts.size(), 1u) << what;
        if (fault.fileOperation) {
            ASSERT_EQ(run.alerts.size(), 1u) << what;
        }
        EXPECT_EQ(run.openSequences, 0) << what;
        for (const auto& [guarded, alert] : road.guards)
            if (guarded == point && !fault.throws) {
                EXPECT_EQ(run.alerts, std::vector<std::string>{alert}) << what;
                ++guardsSeen;
            }
        if (!run.alerts.empty()) {
            EXPECT_TRUE(fault.throws ? run.alerts.front() == std::bad_alloc().what()
                                     : IsReportText(run.alerts.front()))
                << what << ": " << run.alerts.front();
            const bool afterEvent =
                !fault.fileOperation && std::find(road.afterEvent.begin(), road.afterEvent.end(),
                                                  point) != road.afterEvent.end();
            EXPECT_EQ(run.messages, afterEvent ? clean.messages : 0u) << what;
            if (!afterEvent) {
                EXPECT_EQ(run.folder, run.folderBefore) << what << " (job folder)";
            }
            // Back to the start, or to the store's outcome once the store has ended.
            const bool keptStore = stored && run.storeEnded;
            EXPECT_EQ(Difference({run.session}, {keptStore ? stored->session : run.sessionBefore}),
                      "")
                << what << " (session)";
            EXPECT_EQ(run.referencesGained, keptStore ? stored->referencesGained : 0) << what;
            if (road.keepsEarlierDocuments) {
                // The documents the update went through keep their change; the rest are as
                // before.
                bool reached = true;
                for (std::size_t i = 0; i < run.documents.size(); ++i) {
                    const bool changed = run.documents[i] != run.before[i];
                    EXPECT_TRUE(!changed || (reached && run.documents[i] == clean.documents[i]))
                        << what << ": document " << i;
                    reached = reached && changed;
                }
            } else {
                EXPECT_EQ(Difference(run.documents, keptStore ? stored->documents : run.before), "")
                    << what;
            }
        } else if (fault.throws ||
                   std::find(road.silent.begin(), road.silent.end(), point) == road.silent.end()) {
            // No alert: the road did what the clean run did.
            EXPECT_TRUE(SameChanges(run, clean)) << what;
            EXPECT_EQ(Difference({run.session}, {clean.session}), "") << what << " (session)";
            EXPECT_EQ(run.messages, clean.messages) << what;
            EXPECT_EQ(run.referencesGained, clean.referencesGained) << what;
        }
    }
    EXPECT_EQ(guardsSeen, road.guards.size());
}

INSTANTIATE_TEST_SUITE_P(Roads, FaultRuns, ::testing::ValuesIn(kRoads),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
