// Page and margin geometry: the page rectangle of a page of the page list and the same rectangle
// grown by the job's bleed, the trim and type-area rectangles around the selected items, the
// margins of every page, and the conversions between the host's rectangles and the job's boxes.
//
// The functions that return a code give 0, or the code of a UException they caught, which they
// also leave as the host's global error code; outputs not yet computed are then (0, 0, 0, 0). A
// null document is the front document.
#pragma once

#include "host/sdk/Document.h"
#include "host/sdk/Geometry.h"
#include "utils/Geometry2D.h"

#include <cstdint>

class BJobFile;

// The page's rectangle in its spread's coordinates and the same grown by the job's bleed per
// side (no job: no bleed).
std::int32_t GetPageBleedRects(IDocument* document, const BJobFile* job, std::int32_t pageIndex,
                               PMRect& pageRect, PMRect& bleedRect);
// The same in pasteboard coordinates. Whether the export has a selection modifier does not
// change the rectangles: the modifier has already given the page the selection's size.
std::int32_t GetPasteboardPageBleedRects(IDocument* document, const BJobFile* job,
                                         std::int32_t pageIndex, PMRect& pageRect,
                                         PMRect& bleedRect, bool hasSelectionModifier);
// The bounds of the selected items (bleed), moved inwards by the job's bleed (trim) and then by
// its type indents (type area); with nothing selected, inset from (0, 0, 0, 0).
std::int32_t GetSelectionGuideRects(IDocument* document, const BJobFile& job, PMRect& trimRect,
                                    PMRect& bleedRect, PMRect& typeAreaRect);
// The page's rectangle in its spread's coordinates; (0, 0, 0, 0) when no document is open.
std::int32_t GetPageBounds(IDocument* document, std::int32_t pageIndex, PMRect& bounds);
// The bounds of the selected page items in their spread's coordinates; (0, 0, 0, 0) with no
// layout selection or an empty one. The document is not read.
std::int32_t GetSelectedItemsBounds(IDocument* document, PMRect& bounds);

// Gives every page of the page list, and of the spreads of the list 0x1401 when the document has
// it, the margins through the host's margin command; throws CZEPException.
void SetDocumentMargins(IDocument* document, PMReal left, PMReal top, PMReal right, PMReal bottom,
                        bool flag);
// All margins 0.
void ClearDocumentMargins(IDocument* document);

// (0, 0, |width|, |height|) of the box.
PMRect BoxSizeToPageRect(const zeu::Rect2D& box);
// Origin at the rectangle's left-bottom corner.
zeu::Rect2D PageRectToRect2D(const PMRect& rect);
