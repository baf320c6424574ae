#include "host/ExportOutput.h"

#include "host/Faults.h"
#include "host/PMString.h"
#include "host/Recorder.h"
#include "platform/files.h"

#include <array>
#include <optional>

namespace host {

namespace {

// The layer an item lies on: a group member's is its outermost group's.
UID LayerOf(const Layout& layout, UID item) {
    for (;;) {
        const Item& data = layout.items.at(item);
        if (data.parent == kInvalidUID)
            return data.layer;
        item = data.parent;
    }
}

void AddOutlines(const Layout& layout, UID item, const PMRect& area, const PMPoint& origin,
                 std::vector<Outline>& outlines) {
    const Item& data = layout.items.at(item);
    if (data.group) {
        for (UID member : data.items)
            AddOutlines(layout, member, area, origin, outlines);
        return;
    }
    const std::optional<PMRect> bounds = layout.SpreadCoordinateBounds(item, kOuterStrokeBounds);
    if (data.guide || !bounds || !Intersect(*bounds, area))
        return;
    const PMRect& inner = data.bounds;
    Outline outline;
    for (const PMPoint& corner :
         std::array{inner.LeftTop(), PMPoint(inner.Right(), inner.Top()), inner.RightBottom(),
                    PMPoint(inner.Left(), inner.Bottom())}) {
        const PMPoint spread = data.matrix.Transform(corner);
        outline.emplace_back(spread.X() - origin.X(), spread.Y() - origin.Y());
    }
    outlines.push_back(std::move(outline));
}

} // namespace

PMRect PageBleedRect(const Document& document, UID page, const Sides& bleed) {
    const Page& data = document.layout.pages.at(page);
    return {-bleed.left, -bleed.top, data.width + bleed.right, data.height + bleed.bottom};
}

std::vector<Outline> PageOutlines(const Document& document, UID page, const Sides& bleed) {
    const Layout& layout = document.layout;
    const PMRect pageRect = layout.PageRect(page);
    PMRect area = PageBleedRect(document, page, bleed);
    area.MoveRel(pageRect.Left(), pageRect.Top());
    std::vector<Outline> outlines;
    for (UID item : layout.spreadData.at(layout.pages.at(page).spread).items) {
        const Layer* layer = nullptr;
        if (auto found = layout.layerData.find(LayerOf(layout, item));
            found != layout.layerData.end())
            layer = &found->second;
        if (layer && layer->printable)
            AddOutlines(layout, item, area, pageRect.LeftTop(), outlines);
    }
    return outlines;
}

ErrorCode WriteOutputFile(const IDFile& file, const std::function<bool(std::ostream& out)>& write) {
    if (file.IsEmpty() || !platform::toPosixPath(file.GetString()) ||
        Faults::Instance().FileStreamOpenFails(file.GetString()))
        return kFileWriteErr;
    const std::u16string part = platform::temporarySibling(file.GetString());
    bool written = false;
    {
        platform::OutputFileStream out;
        try {
            written = out.open(part) && write(out);
        } catch (const std::exception&) {
            written = false;
        }
        written = out.close() && written;
    }
    if (!written || !platform::replaceFile(part, file.GetString())) {
        static_cast<void>(platform::deleteFile(part));
        return kFileWriteErr;
    }
    Recorder::Instance().Record(Channel::Outputs, PMString(file.GetString()).GetUTF8String());
    return kSuccess;
}

} // namespace host
