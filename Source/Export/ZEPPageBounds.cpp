#include "Export/ZEPPageBounds.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The geometry request of every measurement here: pasteboard coordinates, no further matrix.
constexpr CoordinateSpace kPasteboard{0, PMMatrix()};

std::int32_t KindOf(bool strokeBounds) {
    return strokeBounds ? kOuterStrokeBounds : kPathBounds;
}

InterfacePtr<IGeometryUtils> QueryGeometryUtils() {
    InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
    ThrowIfNull(utils, "iGeometryUtils");
    return utils;
}

PMPoint SpreadOffset(const UIDRef& spread) {
    InterfacePtr<ISpread> iSpread(spread, UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    return iSpread->GetOffsetPoint();
}

// The value as a signed 32-bit integer, truncated towards zero and clamped to the type's range.
std::int32_t TruncateToInt32(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// The smallest whole number not below the value, through a 32-bit integer.
double RoundUp(double value) {
    const bool fraction = value > 0 && std::trunc(value) != value;
    return TruncateToInt32(fraction ? value + 1.0 : value);
}

} // namespace

PMRect& GetItemListBounds(const UIDList& items, PMRect& bounds, bool strokeBounds) {
    InterfacePtr<IHierarchy> iHierarchy(items.GetRef(0), UseDefaultIID{});
    ThrowIfNull(iHierarchy, "iHierarchy");
    const UIDRef spread(items.GetDataBase(), iHierarchy->GetSpreadUID());
    InterfacePtr<ISpread> iSpread(spread, UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    bounds = QueryGeometryUtils()->GetItemsBounds(items, kPasteboard, KindOf(strokeBounds));
    return UnoffsetRectBySpread(spread, bounds);
}

PMRect& GetItemBounds(const IPMUnknown* item, PMRect& bounds, bool strokeBounds) {
    InterfacePtr<IGeometry> iGeometry(item, UseDefaultIID{});
    ThrowIfNull(iGeometry, "iGeometry");
    InterfacePtr<IHierarchy> iHierarchy(item, UseDefaultIID{});
    ThrowIfNull(iHierarchy, "iHierarchy");
    const UIDRef spread(GetUIDRef(iHierarchy.get()).GetDataBase(), iHierarchy->GetSpreadUID());
    bounds =
        QueryGeometryUtils()->GetItemBounds(GetUIDRef(item), kPasteboard, KindOf(strokeBounds));
    return UnoffsetRectBySpread(spread, bounds);
}

PMRect& UnoffsetRectBySpread(const UIDRef& spread, PMRect& rect) {
    PMPoint leftTop = rect.LeftTop();
    PMPoint rightBottom = rect.RightBottom();
    rect =
        PMRect(UnoffsetPointBySpread(spread, leftTop), UnoffsetPointBySpread(spread, rightBottom));
    return rect;
}

PMPoint& UnoffsetPointBySpread(const UIDRef& spread, PMPoint& point) {
    const PMPoint offset = SpreadOffset(spread);
    point = PMPoint(point.X() - offset.X(), point.Y() - offset.Y());
    return point;
}

PMPoint& OffsetPointBySpread(const UIDRef& spread, PMPoint& point) {
    const PMPoint offset = SpreadOffset(spread);
    point = PMPoint(point.X() + offset.X(), point.Y() + offset.Y());
    return point;
}

void RoundRectOutward(const PMRect& rect, PMRect& whole, PMRect& margins) {
    whole = PMRect(std::floor(rect.Left()), std::floor(rect.Top()), RoundUp(rect.Right()),
                   RoundUp(rect.Bottom()));
    margins = PMRect(rect.Left() - whole.Left(), rect.Top() - whole.Top(),
                     whole.Right() - rect.Right(), whole.Bottom() - rect.Bottom());
}
