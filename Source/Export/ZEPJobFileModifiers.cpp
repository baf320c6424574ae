#include "Export/ZEPJobFileModifiers.h"

#include "Analysis/ZEPColorAnalysis.h"
#include "Analysis/ZEPColorManagement.h"
#include "Analysis/ZEPItemCallbacks.h"
#include "Export/ZEPPageBounds.h"
#include "Export/ZEPPageGeometry.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPActiveSelection.h"
#include "Plugin/ZEPHostAccess.h"
#include "host/sdk/ColorCommands.h"
#include "host/sdk/ColorManagement.h"
#include "host/sdk/DocumentSetup.h"
#include "host/sdk/ItemCommands.h"
#include "host/sdk/ItemWalk.h"
#include "host/sdk/LayerCommands.h"
#include "host/sdk/Selection.h"
#include "model/BJobFile.h"

#include <cmath>

namespace {

constexpr double kTolerance = 1e-8;
// The value pair a selection export sets before it changes the page size.
constexpr PMReal kRaisedValue = 99999.0;
// The item walk's flags: page by page, into groups.
constexpr std::int32_t kWalkFlags = IItemWalker::kByPage | IItemWalker::kEnterGroups;

// Selects the items that lie directly on the spread (groups as one item), nothing else; the
// layout target's list afterwards.
UIDList SelectSpreadItems(const ActiveSelection& active, const IHierarchy* spread) {
    active.layoutSuite->DeselectAll();
    active.layoutSuite->SelectSpreadItems(spread, 0, 0);
    return SelectedLayoutItems(*active.jobSuite);
}

// Deletes the items of the spread whose bounds are empty.
void DeleteDegenerateItems(ISpread* spread) {
    InterfacePtr<IShape> shape(spread, UseDefaultIID{});
    if (!shape)
        return;
    InterfacePtr<IItemWalker> theWalker(
        static_cast<IItemWalker*>(CreateObject(kItemWalkerBoss, IItemWalker::kDefaultIID)));
    ThrowIfNull(theWalker, "theWalker");
    ZEPInfinitelySmallItemDeleter deleter(theWalker.get());
    theWalker->Walk(PMMatrix(), GetUIDRef(shape.get()), &deleter, kWalkFlags);
    deleter.DeleteItems();
}

// The job's bleed per side is not below the selection's whole width or height (when there is
// a bleed at all).
bool BleedTooLarge(const BJobFile& job, const PMRect& selection) {
    const double h = job.GetHorizontalBleed();
    const double v = job.GetVerticalBleed();
    if (std::abs(h) < kTolerance && std::abs(v) < kTolerance)
        return false;
    return h + kTolerance >= selection.Width() || v + kTolerance >= selection.Height();
}

} // namespace

ZEPExportSelectionHelper::ZEPExportSelectionHelper(ZEPExportJobFileHelper& owner)
    : ZEPExportJobFileModifier(owner) {
    Modify();
}

void ZEPExportSelectionHelper::Modify() {
    BeginModify();
    const ActiveSelection active = QueryActiveSelection();
    ThrowIfNull(active.layoutSuite, "theLayoutSelectionSuite");
    if (!active.jobSuite)
        ThrowZEPException(ustring(), kZEPNoSelectionSuiteError);
    m_savedSelection = SelectedLayoutItems(*active.jobSuite);
    m_selectionSaved = true;

    IDataBase* db = m_savedSelection.GetDataBase();
    InterfacePtr<IHierarchy> theFirstItemHierarchy(
        m_savedSelection.IsEmpty() ? UIDRef() : m_savedSelection.GetRef(0), UseDefaultIID{});
    ThrowIfNull(theFirstItemHierarchy, "theFirstItemHierarchy");
    InterfacePtr<IHierarchy> theSpreadHierarchy(UIDRef(db, theFirstItemHierarchy->GetSpreadUID()),
                                                UseDefaultIID{});
    ThrowIfNull(theSpreadHierarchy, "theSpreadHierarchy");
    PMRect selection;
    GetItemListBounds(m_savedSelection, selection, true);
    BJobFile& job = GetJob();
    if (BleedTooLarge(job, selection))
        ThrowZEPException(ustring(), kZEPBleedTooLargeError);

    UnlockDocumentLayers();
    IDocument* document = GetDocument();
    InterfacePtr<ISpread> iSpread(
        UIDRef(GetUIDRef(document).GetDataBase(), theSpreadHierarchy->GetSpreadUID()),
        UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    DeleteDegenerateItems(iSpread.get());

    UIDList items = SelectSpreadItems(active, theSpreadHierarchy.get());
    m_groupCmd.reset(CmdUtils::CreateCommand(kGroupCmdBoss));
    ThrowIfNull(m_groupCmd, "mGroupCmd");
    InterfacePtr<IGroupCmdData> groupCmdData(m_groupCmd, UseDefaultIID{});
    ThrowIfNull(groupCmdData, "groupCmdData");
    groupCmdData->Set(std::make_unique<UIDList>(items));
    ThrowIfError(CmdUtils::ProcessCommand(m_groupCmd.get()));
    items = SelectSpreadItems(active, theSpreadHierarchy.get());

    ClearDocumentMargins(document);
    InterfacePtr<IValuePairPrefs> values(QueryPreferences<IValuePairPrefs>(document));
    if (values) {
        m_savedValues = std::pair(values->GetFirst(), values->GetSecond());
        values->SetValues(kRaisedValue, kRaisedValue);
    }

    m_docSetupCmd.reset(CmdUtils::CreateCommand(kDocSetupCmdBoss));
    ThrowIfNull(m_docSetupCmd, "mDocSetupCmd");
    InterfacePtr<IDocSetupCmdData> docSetupData(m_docSetupCmd, UseDefaultIID{});
    ThrowIfNull(docSetupData, "docSetupData");
    docSetupData->SetTargetDocument(GetUIDRef(document));
    docSetupData->SetPageSize(PMPageSize(selection));
    docSetupData->SetWide(selection.Width() > selection.Height() + kTolerance);
    ThrowIfError(CmdUtils::ProcessCommand(m_docSetupCmd.get()));

    PMRect moved;
    GetItemListBounds(m_savedSelection, moved, true);
    if (job.GetAbsoluteRuns().empty())
        ThrowZEPException("!(GetAbsoluteRuns().empty())", kZEPFailedConditionError);
    PMRect page;
    ThrowIfError(ErrorCode(static_cast<std::uint32_t>(
        GetPageBounds(document, job.GetAbsoluteRuns().front().firstPage - 1, page))));
    InterfacePtr<ITransformUtils> iTransformUtils(UtilsBoss::QueryUtils<ITransformUtils>());
    ThrowIfNull(iTransformUtils, "iTransformUtils");
    const CoordinateSpace space{0, PMMatrix()};
    const TransformOrigin origin{page.LeftTop(), space, 0, 1, PMPoint(0, 0)};
    const TransformMatrix move{
        PMMatrix(1, 0, 0, 1, page.Left() - moved.Left(), page.Top() - moved.Top()), 0, 0};
    ThrowIfError(iTransformUtils->TransformItems(items, space, origin, move, 2));
}

void ZEPExportSelectionHelper::Restore() noexcept {
    AbortModify();
    try {
        if (m_savedValues) {
            InterfacePtr<IValuePairPrefs> values(QueryPreferences<IValuePairPrefs>(GetDocument()));
            if (values)
                values->SetValues(m_savedValues->first, m_savedValues->second);
        }
        if (m_selectionSaved) {
            InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
            InterfacePtr<ILayoutSelectionSuite> suite(
                utils ? utils->QueryActiveLayoutSelectionSuite() : nullptr);
            if (suite)
                suite->SelectItems(m_savedSelection, 0, 0);
        }
    } catch (...) {
        // Runs while the modifier goes: what cannot be put back stays as it is.
    }
}

ZEPExportCMSOnOffHelper::ZEPExportCMSOnOffHelper(ZEPExportJobFileHelper& owner)
    : ZEPExportJobFileModifier(owner) {
    Modify();
}

void ZEPExportCMSOnOffHelper::Modify() {
    {
        InterfacePtr<IColorSettingsUtils> iColorSettingsUtils(
            UtilsBoss::QueryUtils<IColorSettingsUtils>());
        ThrowIfNull(iColorSettingsUtils, "iColorSettingsUtils");
        m_switchNeeded = !iColorSettingsUtils->IsColorManagementOn();
    }
    if (!m_switchNeeded)
        return;
    BeginModify();
    m_turnCMSOnOffCmd.reset(CmdUtils::CreateCommand(kColorPresetsCmdBoss));
    ThrowIfNull(m_turnCMSOnOffCmd, "mTurnCMSOnOffCmd");
    InterfacePtr<IColorPresetsSettingsData> theColorPresetsSettingsData(m_turnCMSOnOffCmd,
                                                                        UseDefaultIID{});
    ThrowIfNull(theColorPresetsSettingsData, "theColorPresetsSettingsData");
    InterfacePtr<IColorSettingsUtils> iColorSettingsUtils(
        UtilsBoss::QueryUtils<IColorSettingsUtils>());
    ThrowIfNull(iColorSettingsUtils, "iColorSettingsUtils");
    InterfacePtr<IColorPresetsSettings> theColorPresetsSettings(
        iColorSettingsUtils->QueryColorPresetsSettings());
    ThrowIfNull(theColorPresetsSettings, "theColorPresetsSettings");
    CopyColorSettings(theColorPresetsSettings.get(), theColorPresetsSettingsData.get());
    theColorPresetsSettingsData->SetColorManagementOn(true);
    ThrowIfError(CmdUtils::ProcessCommand(m_turnCMSOnOffCmd.get()));
}

ZEPExportPaperHelper::ZEPExportPaperHelper(ZEPExportJobFileHelper& owner)
    : ZEPExportJobFileModifier(owner) {
    Modify();
}

void ZEPExportPaperHelper::Modify() {
    IDocument* document = GetDocument();
    ThrowIfNull(document, "GetDocument()");
    InterfacePtr<ISwatchList> swatchList(document->GetDocWorkSpace(), UseDefaultIID{});
    ThrowIfNull(swatchList, "swatchList");
    UIDRef paper;
    for (std::int32_t i = 0; i < swatchList->GetSwatchCount() && !paper.GetDataBase(); ++i) {
        const UIDRef swatch = swatchList->GetNthSwatchRef(i);
        InterfacePtr<IColorSpaceData> color(swatch, UseDefaultIID{});
        if (IsPaperSwatch(color.get()))
            paper = swatch;
    }
    if (!paper.GetDataBase())
        return;
    BeginModify();
    m_changePaperColorCmd.reset(CmdUtils::CreateCommand(kChangeColorCmdBoss));
    ThrowIfNull(m_changePaperColorCmd, "mChangePaperColorCmd");
    m_changePaperColorCmd->SetItemList(UIDList(paper));
    InterfacePtr<INewColorData> iNewColorData(m_changePaperColorCmd, UseDefaultIID{});
    ThrowIfNull(iNewColorData, "iNewColorData");
    iNewColorData->SetColorData(kCMYKColorSpace, {0.0, 0.0, 0.0, 0.0});
    InterfacePtr<IColorOverrides> iColorOverrides(m_changePaperColorCmd, UseDefaultIID{});
    ThrowIfNull(iColorOverrides, "iColorOverrides");
    iColorOverrides->Set(1);
    InterfacePtr<IUIDData> iUIDData(m_changePaperColorCmd, UseDefaultIID{});
    ThrowIfNull(iUIDData, "iUIDData");
    iUIDData->Set(paper);
    ThrowIfError(CmdUtils::ProcessCommand(m_changePaperColorCmd.get()));
}

ZEPExportSpotToProcessHelper::ZEPExportSpotToProcessHelper(ZEPExportJobFileHelper& owner)
    : ZEPExportJobFileModifier(owner) {
    Modify();
}

void ZEPExportSpotToProcessHelper::Modify() {
    IDocument* document = GetDocument();
    InterfacePtr<IInkList> inks(document ? document->GetDocWorkSpace() : UIDRef(), UseDefaultIID{});
    if (!inks)
        return;
    IDataBase* db = document->GetDocWorkSpace().GetDataBase();
    for (std::int32_t i = 0; i < inks->GetInkCount(); ++i) {
        const UIDRef ink(db, inks->GetNthInk(i));
        InterfacePtr<IInkInfo> data(ink, UseDefaultIID{});
        if (!data || data->IsProcess() ||
            (data->IsConvertedToProcess() && data->GetAliasInk() == kInvalidUID))
            continue;
        BeginModify();
        InterfacePtr<ICommand> iChangeInkCmd(CmdUtils::CreateCommand(kChangeInkCmdBoss));
        ThrowIfNull(iChangeInkCmd, "iChangeInkCmd");
        iChangeInkCmd->SetItemList(UIDList(ink));
        InterfacePtr<IInkInfo> theCmdPMInkBossData(iChangeInkCmd, UseDefaultIID{});
        ThrowIfNull(theCmdPMInkBossData, "theCmdPMInkBossData");
        // The first thirteen attributes as they are, then converted to process, aliased to none.
        theCmdPMInkBossData->SetName(data->GetName());
        theCmdPMInkBossData->SetProcess(data->IsProcess());
        theCmdPMInkBossData->SetColor(data->GetColor());
        theCmdPMInkBossData->SetInkType(data->GetInkType());
        theCmdPMInkBossData->SetNeutralDensity(data->GetNeutralDensity());
        theCmdPMInkBossData->SetNeutralDensityCustom(data->IsNeutralDensityCustom());
        theCmdPMInkBossData->SetTrapSequence(data->GetTrapSequence());
        theCmdPMInkBossData->SetScreenFrequency(data->GetScreenFrequency());
        theCmdPMInkBossData->SetScreenAngle(data->GetScreenAngle());
        theCmdPMInkBossData->SetDotShape(data->GetDotShape());
        theCmdPMInkBossData->SetPrinted(data->IsPrinted());
        theCmdPMInkBossData->SetInkOrder(data->GetInkOrder());
        theCmdPMInkBossData->SetLocked(data->IsLocked());
        theCmdPMInkBossData->SetConvertedToProcess(true);
        theCmdPMInkBossData->SetAliasInk(kInvalidUID);
        ThrowIfError(CmdUtils::ProcessCommand(iChangeInkCmd.get()));
    }
}

// The layer list is the document's: the pass of the first spread unlocks what every spread
// shows, and a later spread's pass finds only a layer whose unlocking failed, which it tries again.
void UnlockDocumentLayers() {
    ILayoutUtils* layoutUtils = GetLayoutUtils();
    IDocument* document = layoutUtils ? layoutUtils->GetFrontDocument() : nullptr;
    InterfacePtr<ISpreadList> spreads(document, UseDefaultIID{});
    InterfacePtr<ILayerList> layers(document, UseDefaultIID{});
    if (!spreads || !layers)
        return;
    for (std::int32_t spread = 0; spread < spreads->GetSpreadCount(); ++spread)
        for (std::int32_t i = 1; i < layers->GetCount(); ++i) {
            InterfacePtr<IDocumentLayer> layer(layers->QueryLayer(i));
            if (!layer || !layer->IsLocked())
                continue;
            InterfacePtr<ICommand> lockLayerCmd(CmdUtils::CreateCommand(kLockLayerCmdBoss));
            InterfacePtr<IBoolData> locked(lockLayerCmd, UseDefaultIID{});
            if (!lockLayerCmd || !locked)
                continue;
            lockLayerCmd->SetItemList(UIDList(GetUIDRef(layer.get())));
            locked->Set(false);
            static_cast<void>(CmdUtils::ProcessCommand(lockLayerCmd.get()));
        }
}
