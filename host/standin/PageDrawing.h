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

// A printing item: its fill, a placed image's box, its text clipped to its outline, then its
// stroke.
struct DrawnItem {
    std::vector<PMPoint> outline; // closed
    std::optional<DrawColor> fill;
    std::optional<DrawColor> stroke;
    PMReal strokeWeight = 0;
    // A placed image: drawn as a grey box with its diagonals and this label (the link's file
    // name and the file type).
    std::optional<DrawnText> image;
    std::vector<DrawnText> text;
};

// The page's printing items, back to front: the items of the page's spread, group members in
// place of their groups, whose bounds meet the page grown by the bleed; each as the corners of
// its inner bounds under its matrix, with the fill and stroke colours of its graphic attributes,
// the composed runs of a text frame's story that fall in the frame's span (each on the foot of
// its box, RunBox, sized by the run's height, coloured by the story's fill) and a placed image's
// box. Left out is what does not print: guides, items on a hidden or non-printing layer, items
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
