#include "Export/ZEPGuideLayer.h"

#include "Analysis/ZEPLayerMasks.h"
#include "Export/ZEPDocumentFitting.h"
#include "Export/ZEPPageBounds.h"
#include "Export/ZEPPageGeometry.h"
#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPActiveSelection.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/Command.h"
#include "host/sdk/LayerCommands.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Selection.h"
#include "model/BJobFile.h"

#include <cmath>

namespace {

constexpr const char* kGuideLayerKey = "0x52E00ZEPGuideLayer";

// The two forms of the guide layer's name: argument 0 translates the key, argument 1 keeps it.
PMString GuideLayerName(PMString::TranslateDuringCall form) {
    return PMString(kGuideLayerKey, form);
}

IDocument* OrFrontDocument(IDocument* document) {
    return document ? document : GetFrontDocument();
}

IDataBase* DataBaseOf(const IDocument* document) {
    return GetUIDRef(document).GetDataBase();
}

void RunCommand(ICommand* command) {
    ThrowIfError(CmdUtils::ProcessCommand(command));
}

// The UID of the guide layer, creating it (and refreshing the Layers panel) when the document has
// none.
UID FindOrCreateGuideLayer(ILayerList* iLayerList) {
    const PMString name = GuideLayerName(PMString::kNoTranslate);
    UID theOrvaleLayerUID = iLayerList->FindByName(name);
    if (theOrvaleLayerUID == kInvalidUID) {
        InterfacePtr<ICommand> iNewLayerCmd(CmdUtils::CreateCommand(kNewLayerCmdBoss));
        ThrowIfNull(iNewLayerCmd, "iNewLayerCmd");
        const UIDRef layerList = GetUIDRef(iLayerList);
        iNewLayerCmd->SetItemList(UIDList(layerList));
        InterfacePtr<INewLayerCmdData> iNewLayerCmdData(iNewLayerCmd, UseDefaultIID{});
        ThrowIfNull(iNewLayerCmdData, "iNewLayerCmdData");
        iNewLayerCmdData->Set(layerList, name, true, true, true, true, kInvalidUID, false, true);
        RunCommand(iNewLayerCmd.get());
        const UIDList* created = iNewLayerCmd->GetItemList();
        if (!created->IsEmpty())
            theOrvaleLayerUID = (*created)[0];

        InterfacePtr<ICommand> iRefreshLayersCmd(
            CmdUtils::CreateCommand(kZEPRefreshLayersPanelCmdBoss));
        ThrowIfNull(iRefreshLayersCmd, "iRefreshLayersCmd");
        RunCommand(iRefreshLayersCmd.get());
    }
    if (theOrvaleLayerUID == kInvalidUID)
        ThrowZEPException("theOrvaleLayerUID==kInvalidUID", kZEPFailedConditionError);
    return theOrvaleLayerUID;
}

} // namespace

void AddJobGuides(IDocument* document) {
    document = OrFrontDocument(document);
    ClearGuideLayer(document);

    InterfacePtr<IZEPJobList> iZEPJobList = GetDocumentJobList(document);
    const BJobFile& job = *iZEPJobList->GetJobFile();
    const double h = job.GetHorizontalTypeIndent();
    const double v = job.GetVerticalTypeIndent();
    const bool bleedDiffers = BoxesDiffer(job.trimBox, job.bleedBox);
    const bool typeArea = std::abs(h) >= 1e-8 || std::abs(v) >= 1e-8;

    const ActiveSelection selection = QueryActiveSelection();
    ThrowIfNull(selection.layoutSuite, "theLayoutSelectionSuite");
    ThrowIfNull(selection.jobSuite, "iZEPSelectionJobSuite");
    const UIDList selected = SelectedLayoutItems(*selection.jobSuite);
    // Without a selected item there is no spread to draw on.
    InterfacePtr<IHierarchy> iHierarchy;
    if (!selected.IsEmpty())
        iHierarchy = InterfacePtr<IHierarchy>(selected.GetRef(0), UseDefaultIID{});
    ThrowIfNull(iHierarchy, "iHierarchy");
    InterfacePtr<ISpread> iSpread(UIDRef(DataBaseOf(document), iHierarchy->GetSpreadUID()),
                                  UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    const UIDRef spread = GetUIDRef(iSpread.get());

    PMRect trim;
    PMRect bleed;
    PMRect typeAreaRect;
    const std::int32_t code = GetSelectionGuideRects(document, job, trim, bleed, typeAreaRect);
    ThrowIfError(ErrorCode(static_cast<std::uint32_t>(code)));
    if (bleedDiffers && !bleed.IsEmpty())
        AddGuidesForRect(document, spread, bleed, kAllEdges, kBleedGuideIndex);
    if (!trim.IsEmpty())
        AddGuidesForRect(document, spread, trim, kAllEdges, kTrimGuideIndex);
    if (typeArea && !typeAreaRect.IsEmpty())
        AddGuidesForRect(document, spread, typeAreaRect, kAllEdges, kTypeAreaGuideIndex);
}

void AddGuidesForRect(IDocument* document, const UIDRef& spread, const PMRect& rect,
                      std::int32_t edges, std::int32_t index) {
    document = OrFrontDocument(document);
    InterfacePtr<ISpread> iSpread(spread, UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    InterfacePtr<ILayerList> iLayerList(document, UseDefaultIID{});
    ThrowIfNull(iLayerList, "iLayerList");
    const UID theOrvaleLayerUID = FindOrCreateGuideLayer(iLayerList.get());

    InterfacePtr<IDocumentLayer> iDocumentLayer(UIDRef(DataBaseOf(document), theOrvaleLayerUID),
                                                UseDefaultIID{});
    ThrowIfNull(iDocumentLayer, "iDocumentLayer");
    InterfacePtr<ISpreadLayer> spreadLayer(iSpread->QueryLayer(iDocumentLayer.get(), 0, true));
    ThrowIfNull(spreadLayer, "spreadLayer");
    const UIDRef parent = GetUIDRef(spreadLayer.get());

    PMRect inner = rect;
    OffsetRectBySpread(spread, inner);
    TransformPasteboardRectToInner(iSpread.get(), &inner);
    const UID spreadUID = spread.GetUID();
    if (edges & kLeftEdge)
        AddGuide(parent, 0, inner.Left(), spreadUID, index);
    if (edges & kTopEdge)
        AddGuide(parent, 1, inner.Top(), spreadUID, index);
    if (edges & kRightEdge)
        AddGuide(parent, 0, inner.Right(), spreadUID, index);
    if (edges & kBottomEdge)
        AddGuide(parent, 1, inner.Bottom(), spreadUID, index);
}

void AddGuide(const UIDRef& parent, std::int16_t horizontal, PMReal position, UID spread,
              std::int32_t index) {
    InterfacePtr<ICommand> theGuideCmd(CmdUtils::CreateCommand(kNewGuideCmdBoss));
    ThrowIfNull(theGuideCmd, "theGuideCmd");
    InterfacePtr<INewGuideCmdData> theGuideCmdData(theGuideCmd, UseDefaultIID{});
    ThrowIfNull(theGuideCmdData, "theGuideCmdData");
    const PMReal threshold = 0;
    theGuideCmdData->Set(parent, horizontal, position, spread, 0, threshold, index, 0);
    RunCommand(theGuideCmd.get());
}

void ClearGuideLayer(IDocument* document) {
    document = OrFrontDocument(document);
    InterfacePtr<ILayerList> iLayerList(document, UseDefaultIID{});
    ThrowIfNull(iLayerList, "iLayerList");
    if (iLayerList->FindByName(GuideLayerName(PMString::kTranslateDuringCall)) == kInvalidUID &&
        iLayerList->FindByName(GuideLayerName(PMString::kNoTranslate)) == kInvalidUID)
        return;

    IDataBase* db = DataBaseOf(document);
    UIDList guides(db);
    ZEPAddGuidesIterator iterator(&guides);
    const ZEPGuideLayermask mask;
    InterfacePtr<ISpreadList> iSpreadList(document, UseDefaultIID{});
    ThrowIfNull(iSpreadList, "iSpreadList");
    for (std::int32_t i = 0; i < iSpreadList->GetSpreadCount(); ++i) {
        InterfacePtr<ISpread> iSpread(UIDRef(db, iSpreadList->GetNthSpreadUID(i)), UseDefaultIID{});
        ThrowIfNull(iSpread, "iSpread");
        iSpread->WalkItems(iterator, mask);
    }

    InterfacePtr<ICommand> deletePageItemsCmd(CmdUtils::CreateCommand(kDeleteCmdBoss));
    ThrowIfNull(deletePageItemsCmd, "deletePageItemsCmd");
    deletePageItemsCmd->SetItemList(guides);
    RunCommand(deletePageItemsCmd.get());
}

PMRect& OffsetRectBySpread(const UIDRef& spread, PMRect& rect) {
    PMPoint leftTop = rect.LeftTop();
    PMPoint rightBottom = rect.RightBottom();
    OffsetPointBySpread(spread, leftTop);
    OffsetPointBySpread(spread, rightBottom);
    rect = PMRect(leftTop, rightBottom);
    return rect;
}

void CollectUnlockedLayers(IDocument* document, UIDList& layers) {
    document = OrFrontDocument(document);
    InterfacePtr<ILayerList> iLayerList(document, UseDefaultIID{});
    if (!iLayerList)
        return;
    for (std::int32_t i = 0; i < iLayerList->GetCount(); ++i) {
        InterfacePtr<IDocumentLayer> layer(iLayerList->QueryLayer(i));
        if (layer && !layer->IsLocked())
            layers.Append(GetUIDRef(layer.get()).GetUID());
    }
}
