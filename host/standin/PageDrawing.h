// What the export commands draw of a page: its printing items as the description has them, and
// the drawing as the content of a PDF page or of an EPS file.
//
// Coordinates are the output's: points, origin at the left-bottom corner of the page grown by
// the bleed, y up.
#pragma once

#include "host/sdk/Geometry.h"
#include "host/standin/Document.h"
#include "host/standin/Layout.h"

#include <optional>
#include <string>
#include <vector>

namespace host {

// A colour as an output sets it.
struct DrawColor {
    enum class Space { kGray, kRGB, kCMYK, kSeparation };
    Space space = Space::kGray;
    // 0 to 1: the gray, RGB or CMYK values; a separation's alternate (CMYK, or RGB for three).
    std::vector<PMReal> values;
    std::string name; // a separation's ink (UTF-8)
    PMReal tint = 1;  // a separation's tint, 0 to 1
    bool operator==(const DrawColor&) const = default;
};

// A run of text in the standard font (Helvetica), starting at text-space (0, 0) on its baseline.
// Its bytes are Windows-1252, the ANSI code page, and the font is encoded to match (WinAnsi in
// PDF, the code page's glyph names in PostScript), so that each character prints as itself.
// Control characters (U+0000 to U+001F, U+007F to U+009F) show as spaces, and a character the
// code page does not hold as '?'.
struct DrawnText {
    std::string text; // Windows-1252
    PMReal size = 0;
    PMMatrix matrix; // text space (y up) to the output
    DrawColor color;
};

// An edge of a table cell: a line along one side of the cell's box.
struct DrawnEdge {
    PMPoint from;
    PMPoint to;
    DrawColor color;
    PMReal weight = 0;
};

// A table cell that has a fill or a stroked edge.
struct DrawnCell {
    std::vector<PMPoint> box; // closed
    std::optional<DrawColor> fill;
    std::vector<DrawnEdge> edges;
};

// A printing item: its fill, its table cells' fills, a placed image's box and its text (its
// cells' text among it) clipped to its outline, its table cells' edges, then its stroke.
struct DrawnItem {
    std::vector<PMPoint> outline; // closed
    std::optional<DrawColor> fill;
    std::optional<DrawColor> stroke;
    PMReal strokeWeight = 0;
    // A placed image: drawn as a grey box with its diagonals and this label (the link's file
    // name and the file type).
    std::optional<DrawnText> image;
    std::vector<DrawnText> text;
    std::vector<DrawnCell> cells;
};

// The page's printing items, back to front: the items of the page's spread, group members in
// place of their groups, whose bounds meet the page grown by the bleed; each as the corners of
// its inner bounds under its matrix, with the fill and stroke colours of its graphic attributes,
// the composed runs of a text frame's story that fall in the frame's span (each on the foot of
// its box, RunBox, sized by the run's height, coloured by the story's fill) and a placed image's
// box.
// An item with a table frame shows the cells of the frame's areas (within the table): the areas
// stacked top to bottom in the frame's order, every row shown of equal height and each area's
// columns of equal width across the item's inner bounds (a description gives no cell sizes).
// Each cell has its fill and the edges whose stroke type is not kNoStrokeBoss (any other type is
// drawn solid) and whose weight is above 0, centred on the box's side, in their colours and
// tints. Its text is the composed runs of the table's story that start in the cell's text
// range, drawn where the story's lines and runs place them, as a text frame's; a run that both
// a cell and the frame's own span show is drawn once.
// Left out is what does not print: guides, items on a hidden or non-printing layer, items
// (and groups) whose non-printing attribute is set.
std::vector<DrawnItem> DrawPage(const Document& document, UID page, const Sides& bleed);

// The separations the items use, each once (by ink name), in order of first use.
std::vector<DrawColor> Separations(const std::vector<DrawnItem>& items);
// The items as a PDF content stream: the font resource /F1, the separations' colour spaces
// /CS0, /CS1, ... in the order of `Separations`.
std::string PDFContent(const std::vector<DrawnItem>& items);
// The items as PostScript (level 2) for an EPS page, using the font /ZepHelvetica that
// kPostScriptProlog defines: Helvetica re-encoded by /ZepWinAnsiEncoding, the 256 glyph names
// of Windows-1252 (/.notdef where the code page has no character or a control).
std::string PostScriptContent(const std::vector<DrawnItem>& items);
extern const char* const kPostScriptProlog;

} // namespace host
