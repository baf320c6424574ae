#include "Export/ZEPFrameFitting.h"

#include "Export/ZEPDocumentFitting.h"
#include "Export/ZEPGuideLayer.h"
#include "Export/ZEPPageBounds.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPActiveSelection.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPSequenceGuard.h"
#include "host/sdk/Command.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Selection.h"
#include "host/sdk/Transform.h"
#include "model/BJobFile.h"

#include <cmath>

namespace {

constexpr CoordinateSpace kPasteboardSpace{0, PMMatrix()};
constexpr CoordinateSpace kResizeSpace{2, PMMatrix()};

PMPoint Centre(const PMRect& rect) {
    return {(rect.Left() + rect.Right()) / 2, (rect.Top() + rect.Bottom()) / 2};
}

// Extends the shorter side of the range [low, high] to the longer one, mirrored about 0.
void MakeSymmetric(PMReal& low, PMReal& high) {
    if (-low - 1e-8 > high)
        high = -low;
    else if (low > -high + 1e-8)
        low = -high;
}

// The bounds of the items in pasteboard coordinates.
PMRect PasteboardBounds(const UIDList& items) {
    PMRect bounds;
    GetItemListBounds(items, bounds, true);
    InterfacePtr<IHierarchy> iHierarchy(items.GetRef(0), UseDefaultIID{});
    ThrowIfNull(iHierarchy, "iHierarchy");
    return OffsetRectBySpread(UIDRef(items.GetDataBase(), iHierarchy->GetSpreadUID()), bounds);
}

// Grows the pasteboard of the front view's spread when a frame of the page's size centred on the
// selected items, plus 50 on every side, does not lie on it, keeping the pasteboard symmetric
// about the spread's origin. The host gives and takes the spread's bounds in pasteboard
// coordinates; they are compared and made symmetric in the spread's own.
void GrowPasteboard(IDocument* document, const UIDList& items, const PMRect& page,
                    PMRect& selection) {
    InterfacePtr<ILayoutControlData> iLayoutControlData(QueryFrontLayoutControlData(document));
    ThrowIfNull(iLayoutControlData, "iLayoutControlData");
    const UIDRef spread(GetUIDRef(document).GetDataBase(),
                        iLayoutControlData->GetSpreadRef().GetUID());
    InterfacePtr<IGeometry> theSpreadGeometry(spread, UseDefaultIID{});
    ThrowIfNull(theSpreadGeometry, "theSpreadGeometry");
    InterfacePtr<ISpread> iSpread(theSpreadGeometry, UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    InterfacePtr<IGeometryUtils> iGeometryUtils(UtilsBoss::QueryUtils<IGeometryUtils>());
    ThrowIfNull(iGeometryUtils, "iGeometryUtils");
    const PMPoint offset = iSpread->GetOffsetPoint();
    PMRect bounds = iGeometryUtils->GetItemBounds(spread, kPasteboardSpace, 0);
    bounds.MoveRel(-offset.X(), -offset.Y());

    selection = PasteboardBounds(items);
    const PMPoint centre = Centre(selection);
    PMRect needed;
    needed.SetWidth(page.Width());
    needed.SetHeight(page.Height());
    needed.CenterOn({centre.X() - offset.X(), centre.Y() - offset.Y()});
    needed.Inset(-50, -50);
    if (RectIn(needed, bounds))
        return;
    bounds.Union(needed);
    PMReal top = bounds.Top(), bottom = bounds.Bottom();
    PMReal left = bounds.Left(), right = bounds.Right();
    MakeSymmetric(top, bottom);
    MakeSymmetric(left, right);
    bounds = PMRect(left, top, right, bottom);
    bounds.MoveRel(offset.X(), offset.Y());
    ThrowIfError(iGeometryUtils->SetItemsBounds(UIDList(spread), kPasteboardSpace, 0, {bounds}));
}

// Gives the selected items (bounds `selection` in pasteboard coordinates) the page's size about
// their centre: resized to it when the item-list tests allow (A false), else scaled by one
// factor in both directions.
void ResizeSelection(ILayoutSelectionSuite* theLayoutSelectionSuite, const UIDList& items,
                     const PMRect& selection, const PMRect& page) {
    InterfacePtr<IGeometrySuite> theGeometrySuite(theLayoutSelectionSuite, UseDefaultIID{});
    ThrowIfNull(theGeometrySuite, "theGeometrySuite");
    InterfacePtr<IItemListTestUtils> iItemListTestUtils(
        UtilsBoss::QueryUtils<IItemListTestUtils>());
    ThrowIfNull(iItemListTestUtils, "iItemListTestUtils");
    const ItemListValue value = iItemListTestUtils->ComputeValue(items, kPasteboardSpace);

    const PMReal w = page.Width();
    const PMReal h = page.Height();
    ErrorCode result;
    if (!iItemListTestUtils->TestA(value)) {
        const ReferencePoint centre{0, PMMatrix(), 2, 0, {0.5, 0.5}, {0, 0}, 1, 0};
        const ResizeValue size{kResizeSpace, {0, 0, 0, 0, 1}, w, h};
        result = theGeometrySuite->Resize(kResizeSpace, 0, centre, size, 0);
    } else {
        PMReal factor = 0;
        if (iItemListTestUtils->TestB(value))
            factor = h / selection.Height();
        else if (iItemListTestUtils->TestD(value))
            factor = w / selection.Width();
        else
            factor = std::hypot(w, h) / std::hypot(selection.Width(), selection.Height());
        const ReferencePoint at{0, PMMatrix(), 0, 1, Centre(selection), {0, 0}, 0, 0};
        const ResizeValue factors{kResizeSpace, {2, 1, 1, 0, 1}, factor, factor};
        result = theGeometrySuite->Resize(kResizeSpace, 0, at, factors, 0);
    }
    ThrowIfError(result);
}

// Everything the fitting changes inside its sequence.
void FitFrame(IDocument* document, ILayoutSelectionSuite* theLayoutSelectionSuite,
              const UIDList& items, const PMRect& page) {
    PMRect selection;
    GrowPasteboard(document, items, page, selection);
    ResizeSelection(theLayoutSelectionSuite, items, selection, page);
    AddJobGuides(document);

    InterfacePtr<ICommand> iInvalidateCmd(CmdUtils::CreateCommand(kZEPInvalidateCmdBoss));
    ThrowIfNull(iInvalidateCmd, "iInvalidateCmd");
    iInvalidateCmd->SetItemList(UIDList(GetUIDRef(document)));
    ThrowIfError(CmdUtils::ProcessCommand(iInvalidateCmd.get()));
}

} // namespace

void AdjustSelectedFrameToJob(IDocument* document) {
    InterfacePtr<IZEPJobList> iZEPJobList = GetDocumentJobList(document);

    const ActiveSelection selection = QueryActiveSelection();
    ThrowIfNull(selection.layoutSuite, "theLayoutSelectionSuite");
    ThrowIfNull(selection.jobSuite, "iZEPSelectionJobSuite");
    const UIDList items = SelectedLayoutItems(*selection.jobSuite);
    // Without a selected item there is nothing to measure: fail before anything changes.
    if (items.IsEmpty())
        ThrowZEPException("(iHierarchy) == NULL", kZEPMissingObjectError);

    // Aborted on any failure: the host rolls back everything the fitting changed.
    const ZEPSequenceGuard sequence(ZEPSequenceGuard::Outcome::kAbort,
                                    ZEPSequenceGuard::ErrorLeft::kExceptionCode);
    const PMRect page = GetJobPageRect(*iZEPJobList->GetJobFile(), true);
    sequence->SetName(PMString("0x52E00kStringZEPAdjustFrameCmdKey"));
    sequence.Run([&] { FitFrame(document, selection.layoutSuite.get(), items, page); });
}
