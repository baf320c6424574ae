#include "Export/ZEPDocumentFitting.h"

#include "Export/ZEPFrameFitting.h"
#include "Export/ZEPGuideLayer.h"
#include "Export/ZEPPageGeometry.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "Plugin/ZEPSequenceGuard.h"
#include "host/sdk/Command.h"
#include "host/sdk/DocumentSetup.h"
#include "host/sdk/Errors.h"
#include "host/sdk/LayerCommands.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Selection.h"
#include "model/BJobFile.h"

#include <cmath>

namespace {

// Locks or unlocks the layers through the layer-lock command.
void SetLayersLocked(const UIDList& layers, bool locked, const char* commandName,
                     const char* dataName) {
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kLockLayerCmdBoss));
    ThrowIfNull(command, commandName);
    command->SetItemList(layers);
    InterfacePtr<IBoolData> data(command, UseDefaultIID{});
    ThrowIfNull(data, dataName);
    data->Set(locked);
    ThrowIfError(CmdUtils::ProcessCommand(command.get()));
}

// Sets up the document for the page rectangle and the job's bleed.
void SetUpDocument(IDocument* document, const BJobFile& job, const PMRect& page) {
    InterfacePtr<IPageList> iPageList(document, UseDefaultIID{});
    ThrowIfNull(iPageList, "iPageList");
    const std::int32_t pageCount = iPageList->GetPageCount();

    InterfacePtr<ICommand> theDocSetupCmd(CmdUtils::CreateCommand(kDocSetupCmdBoss));
    ThrowIfNull(theDocSetupCmd, "theDocSetupCmd");
    InterfacePtr<IDocSetupCmdData> iDocSetupCmdData(theDocSetupCmd, UseDefaultIID{});
    ThrowIfNull(iDocSetupCmdData, "iDocSetupCmdData");
    iDocSetupCmdData->SetTargetDocument(GetUIDRef(document));
    const double h = job.GetHorizontalBleed();
    const double v = job.GetVerticalBleed();
    iDocSetupCmdData->SetBleed(PMRect(h, v, h, v));
    iDocSetupCmdData->SetBleedOption(false);
    bool flag = true;
    if (InterfacePtr<IPageSetupPrefs> prefs(QueryPreferences<IPageSetupPrefs>(document)); prefs) {
        flag = prefs->GetFlag();
        iDocSetupCmdData->SetValue(prefs->GetValue());
        iDocSetupCmdData->SetSwitch(prefs->GetSwitch());
    }
    iDocSetupCmdData->SetPageSize(PMPageSize(page));
    iDocSetupCmdData->SetWide(page.Width() > page.Height() + 1e-8);
    iDocSetupCmdData->SetFlag(flag);
    iDocSetupCmdData->SetPageCount(static_cast<std::int16_t>(pageCount));
    ThrowIfError(CmdUtils::ProcessCommand(theDocSetupCmd.get()));
}

// Everything the fitting changes inside its sequence.
void FitDocument(IDocument* document, const BJobFile& job, const PMRect& page) {
    UIDList layers(GetUIDRef(document).GetDataBase());
    CollectUnlockedLayers(document, layers);
    if (!layers.IsEmpty())
        SetLayersLocked(layers, true, "theLockLayerCmd", "theSetLockedBoolData");

    ClearGuideLayer(document);

    if (!job.typeArea.isUnset() && BoxesDiffer(job.typeArea, job.trimBox)) {
        const double h = job.GetHorizontalTypeIndent();
        const double v = job.GetVerticalTypeIndent();
        SetDocumentMargins(document, h, v, h, v, true);
    } else {
        ClearDocumentMargins(document);
    }

    SetUpDocument(document, job, page);

    if (!layers.IsEmpty())
        SetLayersLocked(layers, false, "theUnlockLayerCmd", "theSetUnlockedBoolData");

    if (ILayoutUtils* utils = GetLayoutUtils())
        utils->InvalidateViews(document);
}

} // namespace

void AdjustToJob(IDocument* document) {
    if (!document)
        document = GetFrontDocument();
    if (HasActiveSelection() && GetSelectionBasedExports())
        AdjustSelectedFrameToJob(document);
    else
        AdjustDocumentToJob(document);
}

void AdjustDocumentToJob(IDocument* document) {
    InterfacePtr<IZEPJobList> iZEPJobList = GetDocumentJobList(document);
    BJobFile& job = *iZEPJobList->GetJobFile();
    const PMRect page = GetJobPageRect(job, false);
    if (page.IsEmpty()) {
        PMString message("0x52E00ZEPNoDestinationErr");
        message.Translate();
        // The size comes from the selected group's destinations (from all groups with common
        // sizing): a job that has groups but none selected says so.
        if (!job.commonSizing && !job.GetGroups().empty() && !job.GetGroups().GetSelectedGroup()) {
            PMString reason("0x52E00ZEPNoGroupSelectedErr");
            reason.Translate();
            message.Append(std::string_view(" "));
            message.Append(reason);
        }
        CAlert::ErrorAlert(message);
        return;
    }

    // Ended also after a failure, with the exception's code pending: the host rolls it back.
    const ZEPSequenceGuard sequence(ZEPSequenceGuard::Outcome::kEndAsFailed,
                                    ZEPSequenceGuard::ErrorLeft::kExceptionCode);
    sequence->SetName(PMString("0x52E00kStringZEPAdjustFrameCmdKey"));
    sequence.Run([&] { FitDocument(document, job, page); });
}

PMRect GetJobPageRect(BJobFile& job, bool useBleed) {
    job.commonSizing = GetCommonSizing();
    job.ComputeBoxes();
    const zeu::Rect2D& chosen =
        useBleed && BoxesDiffer(job.bleedBox, job.trimBox) ? job.bleedBox : job.trimBox;
    const PMRect page = BoxSizeToPageRect(chosen);
    job.layoutWidth = std::abs(chosen.width);
    job.layoutDepth = std::abs(chosen.height);
    job.layoutHorizontalBleed = (std::abs(job.bleedBox.width) - std::abs(job.trimBox.width)) / 2;
    job.layoutVerticalBleed = (std::abs(job.bleedBox.height) - std::abs(job.trimBox.height)) / 2;
    return page;
}

InterfacePtr<IZEPJobList> GetDocumentJobList(IDocument*& document) {
    if (!document)
        document = GetFrontDocument();
    InterfacePtr<IZEPJobList> iZEPJobList(document->GetDocWorkSpace(), UseDefaultIID{});
    ThrowIfNull(iZEPJobList, "iZEPJobList");
    return iZEPJobList;
}

bool HasActiveSelection() {
    InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
    InterfacePtr<ILayoutSelectionSuite> suite(utils ? utils->QueryActiveLayoutSelectionSuite()
                                                    : nullptr);
    return suite && !suite->IsSelectionEmpty();
}

bool BoxesDiffer(const zeu::Rect2D& a, const zeu::Rect2D& b) {
    return a.x != b.x || a.y != b.y || a.width != b.width || a.height != b.height;
}
