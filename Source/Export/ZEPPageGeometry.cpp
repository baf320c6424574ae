#include "Export/ZEPPageGeometry.h"

#include "Export/ZEPPageBounds.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPActiveSelection.h"
#include "Plugin/ZEPHostAccess.h"
#include "host/sdk/Command.h"
#include "host/sdk/Errors.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Selection.h"
#include "model/BJobFile.h"

#include <cmath>

namespace {

constexpr PMRect kZeroRect{0, 0, 0, 0};

// Runs `work`; a UException becomes the host's global error code and the result, so that these
// helpers report instead of throwing. Other exceptions pass.
template <typename Work>
std::int32_t CatchingUException(Work&& work) {
    try {
        work();
    } catch (const UException& exception) {
        SetGlobalErrorCode(exception);
        return static_cast<std::int32_t>(exception.code());
    }
    return 0;
}

// The page geometry of the page at the index of the document's page list.
InterfacePtr<IGeometry> QueryPageGeometry(IDocument* document, std::int32_t pageIndex) {
    InterfacePtr<IPageList> iPageList(document, UseDefaultIID{});
    ThrowIfNull(iPageList, "iPageList");
    InterfacePtr<IGeometry> pageGeom(
        UIDRef(GetUIDRef(document).GetDataBase(), iPageList->GetNthPageUID(pageIndex)),
        UseDefaultIID{});
    ThrowIfNull(pageGeom, "pageGeom");
    return pageGeom;
}

// Both page rectangles; `pasteboard` chooses pasteboard coordinates, else spread coordinates.
std::int32_t PageBleedRects(IDocument* document, const BJobFile* job, std::int32_t pageIndex,
                            PMRect& pageRect, PMRect& bleedRect, bool pasteboard) {
    pageRect = kZeroRect;
    bleedRect = kZeroRect;
    return CatchingUException([&] {
        if (!document)
            document = GetFrontDocument();
        InterfacePtr<IGeometry> pageGeom = QueryPageGeometry(document, pageIndex);
        InterfacePtr<IHierarchy> iHierarchy(pageGeom, UseDefaultIID{});
        ThrowIfNull(iHierarchy, "iHierarchy");
        InterfacePtr<ISpread> iSpread(
            UIDRef(GetUIDRef(iHierarchy.get()).GetDataBase(), iHierarchy->GetSpreadUID()),
            UseDefaultIID{});
        ThrowIfNull(iSpread, "iSpread");
        PMRect page;
        if (pasteboard) {
            InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
            ThrowIfNull(utils, "iGeometryUtils");
            page = utils->GetItemsBounds(UIDList(GetUIDRef(pageGeom.get())), {0, PMMatrix()},
                                         kOuterStrokeBounds);
        } else {
            GetItemBounds(pageGeom.get(), page, true);
        }
        const double h = job ? job->GetHorizontalBleed() : 0.0;
        const double v = job ? job->GetVerticalBleed() : 0.0;
        pageRect = page;
        bleedRect = PMRect(page.Left() - h, page.Top() - v, page.Right() + h, page.Bottom() + v);
    });
}

} // namespace

std::int32_t GetPageBleedRects(IDocument* document, const BJobFile* job, std::int32_t pageIndex,
                               PMRect& pageRect, PMRect& bleedRect) {
    return PageBleedRects(document, job, pageIndex, pageRect, bleedRect, false);
}

std::int32_t GetPasteboardPageBleedRects(IDocument* document, const BJobFile* job,
                                         std::int32_t pageIndex, PMRect& pageRect,
                                         PMRect& bleedRect, bool /*hasSelectionModifier*/) {
    return PageBleedRects(document, job, pageIndex, pageRect, bleedRect, true);
}

std::int32_t GetSelectionGuideRects(IDocument* document, const BJobFile& job, PMRect& trimRect,
                                    PMRect& bleedRect, PMRect& typeAreaRect) {
    trimRect = kZeroRect;
    bleedRect = kZeroRect;
    typeAreaRect = kZeroRect;
    std::int32_t code = CatchingUException([&] {
        if (!document)
            document = GetFrontDocument();
    });
    if (code != 0)
        return code;
    const double h = job.GetHorizontalBleed();
    const double v = job.GetVerticalBleed();
    const double hi = job.GetHorizontalTypeIndent();
    const double vi = job.GetVerticalTypeIndent();
    code = GetSelectedItemsBounds(document, bleedRect);
    if (code != 0)
        return code;
    trimRect = bleedRect;
    trimRect.Inset(h, v);
    typeAreaRect = trimRect;
    typeAreaRect.Inset(hi, vi);
    return 0;
}

std::int32_t GetPageBounds(IDocument* document, std::int32_t pageIndex, PMRect& bounds) {
    bounds = kZeroRect;
    if (!document) {
        ILayoutUtils* utils = GetLayoutUtils();
        document = utils ? utils->GetFrontDocument() : nullptr;
        if (!document)
            return 0;
    }
    return CatchingUException([&] {
        InterfacePtr<IGeometry> pageGeom = QueryPageGeometry(document, pageIndex);
        PMRect measured;
        bounds = GetItemBounds(pageGeom.get(), measured, true);
    });
}

std::int32_t GetSelectedItemsBounds(IDocument* /*document*/, PMRect& bounds) {
    bounds = kZeroRect;
    return CatchingUException([&] {
        const ActiveSelection selection = QueryActiveSelection();
        if (!selection.layoutSuite || selection.layoutSuite->IsSelectionEmpty())
            return;
        ThrowIfNull(selection.jobSuite, "iZEPSelectionJobSuite");
        PMRect measured;
        bounds = GetItemListBounds(SelectedLayoutItems(*selection.jobSuite), measured, true);
    });
}

void SetDocumentMargins(IDocument* document, PMReal left, PMReal top, PMReal right, PMReal bottom,
                        bool flag) {
    InterfacePtr<ICommand> marginSetupCmd(CmdUtils::CreateCommand(kMarginCmdBoss));
    ThrowIfNull(marginSetupCmd, "marginSetupCmd");
    InterfacePtr<IMarginData> marginSetupData(marginSetupCmd, UseDefaultIID{});
    ThrowIfNull(marginSetupData, "marginSetupData");
    InterfacePtr<IPageList> iPageList(document, UseDefaultIID{});
    ThrowIfNull(iPageList, "iPageList");

    IDataBase* db = GetUIDRef(document).GetDataBase();
    UIDList pages(db);
    for (std::int32_t i = 0; i < iPageList->GetPageCount(); ++i)
        pages.Append(iPageList->GetNthPageUID(i));
    InterfacePtr<ISpreadList> masters(document, IID_IMASTERSPREADLIST);
    for (std::int32_t i = 0; masters && i < masters->GetSpreadCount(); ++i) {
        InterfacePtr<ISpread> spread(UIDRef(db, masters->GetNthSpreadUID(i)), UseDefaultIID{});
        for (std::int32_t page = 0; spread && page < spread->GetNumPages(); ++page)
            pages.Append(spread->GetNthPageUID(page));
    }

    marginSetupCmd->SetItemList(pages);
    marginSetupData->SetMargins(left, top, right, bottom, flag);
    ThrowIfError(CmdUtils::ProcessCommand(marginSetupCmd.get()));
}

void ClearDocumentMargins(IDocument* document) {
    SetDocumentMargins(document, 0, 0, 0, 0, true);
}

PMRect BoxSizeToPageRect(const zeu::Rect2D& box) {
    return {0, 0, std::abs(box.width), std::abs(box.height)};
}

zeu::Rect2D PageRectToRect2D(const PMRect& rect) {
    return {rect.Left(), rect.Bottom(), rect.Width(), rect.Height()};
}
