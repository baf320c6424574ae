// Measuring page items and pages in spread coordinates, the conversion between pasteboard and
// spread coordinates (pasteboard = spread + the spread's offset point), and the outward rounding
// of a page rectangle to whole points for the EPS export.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"

// The bounds of all items of the list, in the spread coordinates of the first item's spread;
// `strokeBounds` measures the outer edge of the strokes, else the paths. The list must hold an
// item (an empty one throws std::out_of_range). Missing interfaces throw 0x52E1E
// "(iHierarchy) == NULL", "(iSpread) == NULL".
PMRect& GetItemListBounds(const UIDList& items, PMRect& bounds, bool strokeBounds);
// The bounds of one item, in its spread's coordinates. Missing interfaces throw 0x52E1E
// "(iGeometry) == NULL", "(iHierarchy) == NULL", "(iSpread) == NULL".
PMRect& GetItemBounds(const IPMUnknown* item, PMRect& bounds, bool strokeBounds);

// Pasteboard to spread coordinates and back, in place; a spread reference that names no spread
// throws 0x52E1E "(iSpread) == NULL".
PMRect& UnoffsetRectBySpread(const UIDRef& spread, PMRect& rect);
PMPoint& UnoffsetPointBySpread(const UIDRef& spread, PMPoint& point);
PMPoint& OffsetPointBySpread(const UIDRef& spread, PMPoint& point);

// `whole` = the smallest rectangle of whole numbers around `rect` (top and left by floor; right
// and bottom through a 32-bit integer, clamped to its range, a NaN giving 0); `margins` = the
// distance from `rect` out to `whole` on each side.
void RoundRectOutward(const PMRect& rect, PMRect& whole, PMRect& margins);
