#include "Request_Handling/ZEPSaveHandlers.h"

#include "Analysis/ZEPColorManagement.h"
#include "Export/ZEPDocumentFitting.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPSaveDetailsCmd.h"
#include "Plugin/ZEPSequenceGuard.h"
#include "Plugin/ZEPStringConversions.h"
#include "host/sdk/Command.h"
#include "host/sdk/NewDocument.h"
#include "host/sdk/Session.h"
#include "model/BJobFile.h"
#include "model/KeyStrings.h"

namespace {

// Raises a profile lookup's code with an empty text; nothing for 0.
void ThrowIfProfileError(ProfileLookupResult result) {
    if (result != 0)
        ThrowZEPException(ustring(), result);
}

// Fills the new-document data from the job and its page rectangle, in the host's order.
void FillNewDocData(INewDocCmdData* data, const BJobFile& job, const PMRect& page) {
    data->SetFirstOption(1);
    data->SetSecondOption(0);
    double h = 0;
    double v = 0;
    if (!job.typeArea.isUnset() && BoxesDiffer(job.typeArea, job.trimBox)) {
        h = job.GetHorizontalTypeIndent();
        v = job.GetVerticalTypeIndent();
    }
    data->SetMargins(h, v, h, v);
    PMRect bleed(0, 0, 0, 0);
    if (BoxesDiffer(job.trimBox, job.bleedBox)) {
        const double horizontal = job.GetHorizontalBleed();
        const double vertical = job.GetVerticalBleed();
        bleed = PMRect(horizontal, vertical, horizontal, vertical);
    }
    data->SetBleed(bleed);
    data->SetBleedOption(0);
    data->SetColumns(1, 0.0, 0);
    data->SetColumnOption(0);
    data->SetPageSize(PMPageSize(page));
    data->SetWide(page.Width() > page.Height() + 0.00000001);
    data->SetSpreadOption(1);
    if (InterfacePtr<IPageSetupPrefs> prefs(GetExecutionContextSession(), UseDefaultIID{}); prefs)
        data->SetPageSetupValue(prefs->GetValue());
}

// A new command of the class whose item list is the new document; none: 0x52E1E with the name.
InterfacePtr<ICommand> CreateDocumentCommand(ClassID cls, const UIDList& document,
                                             const char* name) {
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(cls));
    ThrowIfNull(command, name);
    command->SetItemList(document);
    return command;
}

} // namespace

void CheckJobProfiles(IDocument* document, IZEPJobList* job, ustring& profileName) {
    job->UpdateGroupSummary();
    bool hasDestinations = false;
    bool hasBleed = false;
    job->GetGroupSummaryFlags(hasDestinations, hasBleed);
    const BJobFile& jobFile = *job->GetJobFile();
    profileName.clear();
    if (!hasDestinations) {
        if (document)
            return;
        // The code's own text, "The job has no destination.", unless the job has groups but none
        // selected: then the text says so.
        const BGroupList& groups = jobFile.GetGroups();
        ThrowZEPException(groups.empty() || groups.GetSelectedGroup()
                              ? ustring()
                              : ustring("The job has no destination: no group of destinations is "
                                        "selected."),
                          kZEPNoDestinationError);
    }

    if (const ustring* process = jobFile.GetProcessProfile(); process && !process->empty())
        ThrowIfProfileError(FindInstalledProfile(*process, profileName));

    const BCheckSetting* workingSpaces =
        jobFile.GetCheckSettings().FindSetting(keystr::Setting_WorkingSpaceProfiles);
    if (!workingSpaces)
        return;
    for (std::int32_t index = 0; index < 2; ++index) {
        if (workingSpaces->IsStringParameterNotSet(index))
            continue;
        ustring dropped;
        const ProfileLookupResult result =
            FindInstalledProfile(workingSpaces->GetStringParameter(index), dropped);
        ThrowIfProfileError(result == kZEPProfileReadError ? kZEPWorkingSpaceProfileError : result);
    }
}

void StoreJobInDocument(IDocument* document, IZEPJobList* job, const ustring& profileName,
                        bool fit) {
    // Any failure leaves the code 1, so the sequence is rolled back, and is thrown on.
    const ZEPSequenceGuard sequence(ZEPSequenceGuard::Outcome::kEndAsFailed,
                                    ZEPSequenceGuard::ErrorLeft::kFailure);
    sequence.Run([&] {
        InterfacePtr<ICommand> theSaveDetailsCmd = CreateSaveDetailsCmd(document);
        InterfacePtr<IZEPJobList> theCmdJobList(theSaveDetailsCmd, UseDefaultIID{});
        ThrowIfNull(theCmdJobList, "theCmdJobList");
        theCmdJobList->CopyFrom(job, true);
        ThrowIfError(CmdUtils::ProcessCommand(theSaveDetailsCmd.get()));

        if (!profileName.empty())
            SetDocumentProfile(document, profileName, job->GetJobFile());
        else
            ResetDocumentProfile(document);
        // The host's profile command reports a failure only in the global error code.
        ThrowIfGlobalError();

        if (fit)
            AdjustDocumentToJob(document);
    });
}

void NewDocumentFromJob(IZEPJobList* job, const ustring& profileName) {
    // Any failure leaves the code 1, so the sequence is rolled back, and is thrown on.
    const ZEPSequenceGuard sequence(ZEPSequenceGuard::Outcome::kEndAsFailed,
                                    ZEPSequenceGuard::ErrorLeft::kFailure);
    sequence.Run([&] {
        PMString name("0x52E00ZEPNewZephrinDocCmd");
        name.Translate();
        sequence->SetName(name);
        if (sequence->GetUndoability() != ICommand::kAutoUndo)
            sequence->SetUndoability(ICommand::kAutoUndo);

        InterfacePtr<ICommand> theNewDocCmd(CmdUtils::CreateCommand(kNewDocCmdBoss));
        ThrowIfNull(theNewDocCmd, "theNewDocCmd");
        BJobFile& jobFile = *job->GetJobFile();
        const PMRect page = GetJobPageRect(jobFile, false);
        InterfacePtr<INewDocCmdData> theNewDocData(theNewDocCmd, UseDefaultIID{});
        ThrowIfNull(theNewDocData, "theNewDocData");
        FillNewDocData(theNewDocData.get(), jobFile, page);
        ThrowIfError(CmdUtils::ProcessCommand(theNewDocCmd.get()));
        const UIDList newDocument = *theNewDocCmd->GetItemList();

        InterfacePtr<ICommand> theNewWinCmd =
            CreateDocumentCommand(kNewWinCmdBoss, newDocument, "theNewWinCmd");
        ThrowIfError(CmdUtils::ProcessCommand(theNewWinCmd.get()));

        if (!jobFile.documentName.empty()) {
            InterfacePtr<ICommand> renameCommand =
                CreateDocumentCommand(kRenameDocCmdBoss, newDocument, "renameCommand");
            InterfacePtr<IStringData> iRenameCommandData(renameCommand, UseDefaultIID{});
            ThrowIfNull(iRenameCommandData, "iRenameCommandData");
            iRenameCommandData->Set(UStringToPMString(jobFile.documentName));
            ThrowIfError(CmdUtils::ProcessCommand(renameCommand.get()));
        }

        // A host whose command succeeded without naming the new document must not make the
        // store reach a missing document.
        InterfacePtr<IDocument> iNewDocument(
            newDocument.IsEmpty() ? UIDRef() : newDocument.GetRef(0), UseDefaultIID{});
        ThrowIfNull(iNewDocument, "iNewDocument");
        StoreJobInDocument(iNewDocument.get(), job, profileName, false);
    });
}
