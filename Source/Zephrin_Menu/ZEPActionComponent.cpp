#include "Zephrin_Menu/ZEPActionComponent.h"

#include "Export/ZEPDocumentFitting.h"
#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPActiveSelection.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPJobList.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "Zephrin_Menu/UZEPEvents.h"
#include "host/sdk/Context.h"
#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Selection.h"
#include "host/sdk/Session.h"
#include "model/BJobFile.h"

#include <cmath>

namespace {

constexpr ActionID kDetailsAction{kZEPDetailsAction};
constexpr std::int32_t kShortcutModifier = 1;
constexpr std::int32_t kCheckedAction = kEnabledAction | kSelectedAction;

// Gives the details action the default shortcut '\' when it has none and the key is free.
void InstallDetailsShortcut() {
    ISession* session = GetExecutionContextSession();
    InterfacePtr<IPMUnknown> application(session ? session->QueryApplication() : nullptr);
    InterfacePtr<IApplication> iApplication(application, UseDefaultIID{});
    InterfacePtr<IActionManager> actionManager(iApplication ? iApplication->QueryActionManager()
                                                            : nullptr);
    InterfacePtr<IShortcutManager> shortcuts(actionManager, UseDefaultIID{});
    if (!shortcuts || shortcuts->CountShortcuts(kDetailsAction) != 0)
        return;
    const VirtualKey key(u'\\');
    const PMString context("DefaultContext");
    if (shortcuts->GetActionOfShortcut(key, kShortcutModifier, context) != ActionID{0})
        return;
    shortcuts->AddShortcut(kDetailsAction, context, key, kShortcutModifier);
    shortcuts->EndShortcutChanges();
}

// What the states of the adjust action depend on; all false without a front document.
struct AdjustConditions {
    bool hasJob = false;
    bool hasSelection = false;
    bool single = false;
    bool hasBleed = false;
    bool unexported = false;
    bool trimSet = false;
    bool blocked = false;
};

AdjustConditions ReadAdjustConditions(IActiveContext* context) {
    AdjustConditions is;
    ILayoutUtils* layoutUtils = GetLayoutUtils();
    IDocument* document = layoutUtils ? layoutUtils->GetFrontDocument() : nullptr;
    if (!document)
        return is;

    InterfacePtr<IZEPJobList> jobList(document->GetDocWorkSpace(), UseDefaultIID{});
    is.hasJob = jobList && jobList->IsStoredInDatabase();

    const ActiveSelection selection =
        QuerySelection(context ? context->GetContextSelection() : nullptr);
    if (selection.layoutSuite && !selection.layoutSuite->IsSelectionEmpty() && selection.jobSuite) {
        is.hasSelection = selection.jobSuite->HasSelectedItems();
        is.single = selection.jobSuite->HasSingleSelectedItem();
    }

    const BJobFile* job = is.hasJob ? jobList->GetJobFile() : nullptr;
    is.hasBleed = job && HasTrimMargins(*job);
    is.unexported = is.hasJob && jobList->HasUnselectedDestination();
    is.trimSet = is.unexported && job && std::abs(job->trimBox.width) > 0 &&
                 std::abs(job->trimBox.height) > 0;

    InterfacePtr<ILayoutControlData> view(QueryFrontLayoutControlData(document));
    is.blocked = view && InterfacePtr<IMasterSpread>(view->GetSpreadRef(), UseDefaultIID{});

    if ((is.hasSelection && is.blocked) || !is.hasJob || !is.unexported) {
        is.hasSelection = false;
        is.single = false;
    }
    return is;
}

const char* AdjustMenuKey(bool hasBleed, bool selectionBased) {
    if (hasBleed)
        return selectionBased ? "0x52E00kZEPMenu_AdjustSelectionToBleedKey"
                              : "0x52E00kZEPMenu_AdjustPageToTrimKey";
    return selectionBased ? "0x52E00kZEPMenu_AdjustSelectionNormalKey"
                          : "0x52E00kZEPMenu_AdjustPageNormalKey";
}

void UpdateStates(IActiveContext* context, IActionStateList* list) {
    InstallDetailsShortcut();
    const AdjustConditions is = ReadAdjustConditions(context);
    const bool selectionBased = GetSelectionBasedExports();
    const bool commonSizing = GetCommonSizing();
    const bool adjust = selectionBased ? is.hasSelection && is.trimSet && is.single
                                       : !is.blocked && is.hasJob && is.unexported && is.trimSet;

    for (std::int32_t i = 0; i < list->Length(); ++i) {
        switch (list->GetNthAction(i).Get()) {
        case kZEPAboutAction:
        case kZEPDetailsAction:
        case kZEPAboutAction2:
        case kZEPJobListAction:
            list->SetNthActionState(i, kEnabledAction);
            break;
        case kZEPAdjustAction:
            list->SetNthActionName(i, PMString(AdjustMenuKey(is.hasBleed, selectionBased),
                                               PMString::kTranslateDuringCall));
            list->SetNthActionState(i, adjust ? kEnabledAction : 0);
            break;
        case kZEPSelectionBasedExportsAction:
            list->SetNthActionState(i, selectionBased ? kCheckedAction : kEnabledAction);
            break;
        case kZEPCommonSizingAction:
            list->SetNthActionState(i, commonSizing ? kCheckedAction : kEnabledAction);
            break;
        default:
            break;
        }
    }
}

} // namespace

void ZEPActionComponent::UpdateActionStates(IActiveContext* context,
                                            IActionStateList* list) noexcept {
    RunActionAtHostBoundary([context, list] { UpdateStates(context, list); });
}

void ZEPActionComponent::DoAction(IActiveContext* context, ActionID action) noexcept {
    switch (action.Get()) {
    case kZEPAboutAction:
    case kZEPDetailsAction:
    case kZEPUnsettledAction:
    case kZEPAboutAction2:
    case kZEPJobListAction:
        RunActionAtHostBoundary(
            [action, context] { UZEPEvents::SendActionEvent(action, context); });
        break;
    case kZEPAdjustAction:
        RunActionAtHostBoundary([] { AdjustToJob(nullptr); });
        break;
    case kZEPSelectionBasedExportsAction:
        RunActionAtHostBoundary([] { SetSelectionBasedExports(!GetSelectionBasedExports()); });
        break;
    case kZEPCommonSizingAction:
        RunActionAtHostBoundary([] { SetCommonSizing(!GetCommonSizing()); });
        break;
    default:
        break;
    }
}
