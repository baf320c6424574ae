#include "Request_Handling/ZEPScriptProvider.h"

#include "Analysis/ZEPTransparencyFlattener.h"
#include "Export/ZEPExportHelper.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPSaveDetailsCmd.h"
#include "Plugin/ZEPSequenceGuard.h"
#include "Plugin/ZEPStringConversions.h"
#include "Request_Handling/ZEPSaveHandlers.h"
#include "Zephrin_Menu/UZEPEvents.h"
#include "host/sdk/Command.h"
#include "host/sdk/Print.h"
#include "host/sdk/Session.h"
#include "model/BJobFile.h"
#include "model/JobText.h"
#include "utils/Logger.h"

#include <sstream>

namespace {

// The text of a string parameter as UTF-8; the request's and the parameter's errors are raised
// with the host's code.
std::string StringParameter(IScriptRequestData* data, ScriptID parameter) {
    ScriptData value;
    ThrowIfError(data->ExtractParameter(parameter, value));
    PMString text;
    ThrowIfError(value.GetPMString(text));
    return PMStringToUString(text);
}

// The open documents, with a new reference; null when the session offers none.
IDocumentList* QueryOpenDocuments() {
    ISession* session = GetExecutionContextSession();
    InterfacePtr<IPMUnknown> object(session ? session->QueryApplication() : nullptr);
    InterfacePtr<IApplication> application(object, UseDefaultIID{});
    return application ? application->QueryDocumentList() : nullptr;
}

// Clears the exported flag of the identified destinations in the document's stored job through
// one save-details command that merges into the previous undo step. A document whose job list
// is missing or not stored is left alone.
void DeselectDestinationsInDocument(IDocument* document,
                                    const DestinationIdentifierSet& identifiers) {
    InterfacePtr<IZEPJobList> documentJobList(document->GetDocWorkSpace(), UseDefaultIID{});
    if (!documentJobList || !documentJobList->IsStoredInDatabase())
        return;
    InterfacePtr<ICommand> theSaveDetailsCmd = CreateSaveDetailsCmd(document);
    if (theSaveDetailsCmd->GetUndoability() != ICommand::kAutoUndo)
        theSaveDetailsCmd->SetUndoability(ICommand::kAutoUndo);
    InterfacePtr<IZEPJobList> theCmdJobList(theSaveDetailsCmd, UseDefaultIID{});
    ThrowIfNull(theCmdJobList, "theCmdJobList");
    theCmdJobList->CopyFrom(documentJobList.get(), true);
    theCmdJobList->DeselectDestinations(identifiers);
    ThrowIfError(CmdUtils::ProcessCommand(theSaveDetailsCmd.get()));
}

} // namespace

bool DecodeDestinationIdentifiers(const std::string& text, DestinationIdentifierSet& identifiers) {
    std::istringstream in(DecodeHexPairs(text, HexDigitRule::kLowNibble));
    if (ReadDestinationIdentifierSet(in, identifiers) &&
        in.peek() == std::istringstream::traits_type::eof())
        return true;
    identifiers.clear();
    return false;
}

ErrorCode ZEPScriptProvider::HandleMethodOnObjects(ScriptID method, IScriptRequestData* data,
                                                   const ScriptList& objects) noexcept {
    RunAtHostBoundary([&] {
        ErrorCode result = kSuccess;
        for (std::size_t i = 0; i < objects.size() && result == kSuccess; ++i) {
            result = HandleMethod(method, data, objects[i]);
            data->AppendObjectResult(objects, method, result);
        }
    });
    return kSuccess;
}

ErrorCode ZEPScriptProvider::HandleMethod(ScriptID method, IScriptRequestData* data,
                                          IScript* script) noexcept {
    RunAtHostBoundary([&] {
        ZEU_LOG(Debug, "..\\Source\\Request_Handling\\ZEPScriptProvider", 106,
                "ZEPScriptProvider::HandleMethod")
            << "HandleEvent Called.";
        if (method == kDeselectDestinationsMethod)
            DeselectDestinationsInDocuments(data, script);
        else if (method == kPrintDocumentMethod)
            PrintDocument(data, script);
        else if (method == kExportJobMethod)
            ExportJob(data, script);
        else if (method == kSaveJobInNewDocumentMethod)
            SaveJob(data, script, true);
        else if (method == kSaveJobMethod)
            SaveJob(data, script, false);
        else
            ThrowIfError(CScriptProvider::HandleMethod(method, data, script));
    });
    return kSuccess;
}

void ZEPScriptProvider::SaveJob(IScriptRequestData* data, IScript* /*script*/, bool newDocument) {
    IDocument* document = nullptr;
    if (!newDocument) {
        if (ILayoutUtils* utils = GetLayoutUtils())
            document = utils->GetFrontDocument();
    }
    ApplyJob(document, data);
}

void ZEPScriptProvider::ExportJob(IScriptRequestData* data, IScript* /*script*/) {
    IDocument* document = GetFrontDocument();
    const InterfacePtr<IZEPJobList> theJob = ApplyJob(document, data, JobUse::kExport);
    static_cast<void>(GetOrCreateFlattenerStyle());

    // A failure is reported here and thrown on: the sequence ends with the error set, so the
    // host ends it as failed, and HandleMethod reports it again.
    const ZEPSequenceGuard sequence(ZEPSequenceGuard::Outcome::kEndAsFailed,
                                    ZEPSequenceGuard::ErrorLeft::kReported);
    sequence.Run([&] {
        PMString name("0x52E00ZEPExportCmd");
        name.Translate();
        sequence->SetName(name);
        if (sequence->GetUndoability() != ICommand::kAutoUndo)
            sequence->SetUndoability(ICommand::kAutoUndo);

        BJobFile& jobFile = *theJob->GetJobFile();
        const bool exported = ZEPExportHelper().Export(document, &jobFile);
        if (!exported)
            return;
        // The exported marks are stored only when the companion application heard of the
        // export; otherwise the destinations stay due for delivery.
        if (!UZEPEvents::SendExportedEvent(jobFile))
            ThrowZEPException(ustring(), kZEPExportNotReportedError);
        InterfacePtr<ICommand> theSaveDetailsCmd = CreateSaveDetailsCmd(document);
        if (theSaveDetailsCmd->GetUndoability() != ICommand::kAutoUndo)
            theSaveDetailsCmd->SetUndoability(ICommand::kAutoUndo);
        InterfacePtr<IZEPJobList> theCmdJobList(theSaveDetailsCmd, UseDefaultIID{});
        ThrowIfNull(theCmdJobList, "theCmdJobList");
        theCmdJobList->CopyFrom(theJob.get(), true);
        ThrowIfError(CmdUtils::ProcessCommand(theSaveDetailsCmd.get()));
    });
}

void ZEPScriptProvider::PrintDocument(IScriptRequestData* /*data*/, IScript* /*script*/) {
    IDocument* document = GetFrontDocument();
    InterfacePtr<ICommand> thePrintDialogCmd(CmdUtils::CreateCommand(kPrintDialogCmdBoss));
    ThrowIfNull(thePrintDialogCmd, "thePrintDialogCmd");
    InterfacePtr<IPrintDialogCmdData> iPrintDialogCmdData(thePrintDialogCmd, UseDefaultIID{});
    ThrowIfNull(iPrintDialogCmdData, "iPrintDialogCmdData");

    const UIDRef workspace = document->GetDocWorkSpace();
    InterfacePtr<IInkList> iInkList(workspace, UseDefaultIID{});
    ThrowIfNull(iInkList, "iInkList");
    InterfacePtr<ITrapStyleListMgr> iTrapStyleListMgr(workspace, UseDefaultIID{});
    ThrowIfNull(iTrapStyleListMgr, "iTrapStyleListMgr");

    InterfacePtr<IPrintData> iPrintData(
        static_cast<IPrintData*>(CreateObject(kPrintDataBoss, IPrintData::kDefaultIID)));
    ThrowIfNull(iPrintData, "iPrintData");
    InterfacePtr<IPrintData> iOrigPrintData(workspace, UseDefaultIID{});
    ThrowIfNull(iOrigPrintData, "iOrigPrintData");
    iPrintData->CopyData(iOrigPrintData.get(), 1);

    iPrintDialogCmdData->SetPrintData(iPrintData.get());
    iPrintDialogCmdData->SetInkList(iInkList.get());
    iPrintDialogCmdData->SetTrapStyleListMgr(iTrapStyleListMgr.get());
    iPrintDialogCmdData->SetDocument(GetUIDRef(document));
    ThrowIfError(CmdUtils::ProcessCommand(thePrintDialogCmd.get()));
}

void ZEPScriptProvider::DeselectDestinationsInDocuments(IScriptRequestData* data,
                                                        IScript* /*script*/) {
    DestinationIdentifierSet identifiers;
    if (!DecodeDestinationIdentifiers(StringParameter(data, kJobParameter), identifiers))
        ThrowZEPException(ustring(), kZEPDestinationSetError);
    InterfacePtr<IDocumentList> documents(QueryOpenDocuments());
    if (!documents)
        return;
    for (int i = 0; i < documents->GetDocCount(); ++i)
        if (IDocument* document = documents->GetNthDoc(i))
            DeselectDestinationsInDocument(document, identifiers);
}

InterfacePtr<IZEPJobList> ZEPScriptProvider::ApplyJob(IDocument* document, IScriptRequestData* data,
                                                      JobUse use) {
    const std::string text = StringParameter(data, kJobParameter);

    bool fit = false;
    if (data->IsParameterPresent(kFitParameter)) {
        ScriptData fitParameter;
        ThrowIfError(data->ExtractParameter(kFitParameter, fitParameter));
        ThrowIfError(fitParameter.GetBoolean(fit));
    }

    InterfacePtr<IZEPJobList> theJob(static_cast<IZEPJobList*>(
        GetObjectModelInstance()->CreateInstance(kZEPJobBoss, IID_IZEPJOBLIST)));
    ThrowIfNull(theJob, "theJob");
    theJob->SetFromString(text, false);
    // The job's sizes shape a document when it is exported, fitted or made a new document.
    if (use == JobUse::kExport || fit || !document)
        CheckPrintableDestinations(*theJob->GetJobFile());

    ustring profileName;
    CheckJobProfiles(document, theJob.get(), profileName);
    if (document)
        StoreJobInDocument(document, theJob.get(), profileName, fit);
    else
        NewDocumentFromJob(theJob.get(), profileName);
    return theJob;
}
