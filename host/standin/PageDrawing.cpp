#include "host/standin/PageDrawing.h"

#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <span>

namespace host {

namespace {

// Colours may name each other in cycles: a tint of a tint is followed this deep at most.
constexpr int kMaxColorDepth = 8;
constexpr PMReal kLabelSize = 8;

DrawColor Process(DrawColor::Space space, std::vector<PMReal> values) {
    return {space, std::move(values), {}, 1};
}
const DrawColor kBlack = Process(DrawColor::Space::kCMYK, {0, 0, 0, 1});
const DrawColor kImageGray = Process(DrawColor::Space::kGray, {0.85});
const DrawColor kImageLines = Process(DrawColor::Space::kGray, {0.5});

// The spot ink a colour prints on; empty for a process colour or an ink printed as process.
std::string SpotInk(const Colors& colors, const Color& color) {
    if (!color.ink || color.ink->kind != kSpotInkKind || color.ink->inks.empty())
        return {};
    const auto ink = colors.inkData.find(color.ink->inks.front());
    return ink == colors.inkData.end() || ink->second.convertToProcess ? "" : ink->second.name;
}

// The colour `uid` at `tint` (0 to 1): a paper colour white, a spot colour its separation, a
// process colour its values tinted toward white, a tint of a swatch that swatch tinted. Nothing
// for a colour the document lacks or whose values give none of these.
std::optional<DrawColor> Resolve(const Colors& colors, UID uid, PMReal tint, int depth = 0) {
    const auto found = colors.colors.find(uid);
    if (found == colors.colors.end() || depth > kMaxColorDepth)
        return std::nullopt;
    const Color& color = found->second;
    if (color.tint && color.tint->paper)
        return Process(DrawColor::Space::kGray, {1});
    tint *= color.tint ? color.tint->value / 100 : 1;
    if (!color.space && color.components && !color.components->empty())
        return Resolve(colors, color.components->front(), tint, depth + 1);
    std::vector<PMReal> values = color.values;
    const std::string ink = SpotInk(colors, color);
    if (!ink.empty() && (values.size() == 3 || values.size() == 4))
        return DrawColor{DrawColor::Space::kSeparation, values, ink, tint};
    if (color.space == kLabColorSpace && values.size() == 3)
        values = {values[0] / 100};
    for (PMReal& value : values)
        value = values.size() == 4 ? value * tint : 1 - tint * (1 - value);
    switch (values.size()) {
    case 1:
        return Process(DrawColor::Space::kGray, values);
    case 3:
        return Process(DrawColor::Space::kRGB, values);
    case 4:
        return Process(DrawColor::Space::kCMYK, values);
    default:
        return std::nullopt;
    }
}

// C0 controls, DEL and C1 controls: they print nothing of their own.
bool IsControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Text as the standard font shows it: Windows-1252, control characters as spaces, a character
// the code page does not hold as '?' (utf16ToAnsi's own substitute).
std::string ShownText(std::u16string_view text) {
    std::u16string spaced;
    if (std::any_of(text.begin(), text.end(), IsControl)) {
        spaced.assign(text);
        std::replace_if(spaced.begin(), spaced.end(), IsControl, u' ');
        text = spaced;
    }
    std::string bytes(text.size(), '\0');
    bytes.resize(platform::utf16ToAnsi(text.data(), text.size(), bytes.data(), bytes.size()));
    return bytes;
}

// Characters of a story from `begin` up to, not including, `end`.
struct CharacterRange {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

// The ranges in order, those that meet or touch joined into one.
std::vector<CharacterRange> Joined(std::vector<CharacterRange> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const CharacterRange& a, const CharacterRange& b) { return a.begin < b.begin; });
    std::vector<CharacterRange> joined;
    for (const CharacterRange& range : ranges)
        if (!joined.empty() && range.begin <= joined.back().end)
            joined.back().end = std::max(joined.back().end, range.end);
        else
            joined.push_back(range);
    return joined;
}

// Whether one of the ranges (in order, apart) holds the character.
bool Holds(std::span<const CharacterRange> ranges, std::int64_t character) {
    const auto after = std::upper_bound(
        ranges.begin(), ranges.end(), character,
        [](std::int64_t c, const CharacterRange& range) { return c < range.begin; });
    return after != ranges.begin() && character < std::prev(after)->end;
}

// A placed image's label: its link's file name and its file type.
std::string ImageLabel(const PlacedContent& placed) {
    std::string label = "placed graphic";
    if (!placed.links.empty() && !placed.links.front().fullName.empty()) {
        const std::string& name = placed.links.front().fullName;
        label = name.substr(name.find_last_of("/\\") + 1);
    }
    if (placed.fileTypes && !placed.fileTypes->empty()) {
        std::string type;
        for (int shift = 24; shift >= 0; shift -= 8)
            type += static_cast<char>(placed.fileTypes->front() >> shift);
        label += " (" + type.substr(0, type.find_last_not_of(' ') + 1) + ")";
    }
    return label;
}

class PageDrawer {
public:
    PageDrawer(const Document& document, UID page, const Sides& bleed)
        : m_document(document), m_layout(document.layout), m_bleed(bleed),
          m_pageRect(m_layout.PageRect(page)), m_top(bleed.bottom + m_pageRect.Height()) {
        m_area = PMRect(m_pageRect.Left() - bleed.left, m_pageRect.Top() - bleed.top,
                        m_pageRect.Right() + bleed.right, m_pageRect.Bottom() + bleed.bottom);
        const Spread& spread = m_layout.spreadData.at(m_layout.pages.at(page).spread);
        m_offset = spread.offset;
        for (UID item : spread.items)
            if (LayerPrints(m_layout.items.at(item).layer))
                Draw(item);
    }
    std::vector<DrawnItem> items;

private:
    bool LayerPrints(UID layer) const {
        const auto found = m_layout.layerData.find(layer);
        return found != m_layout.layerData.end() && found->second.visible &&
               found->second.printable;
    }
    const GraphicAttributes* Graphics(UID item) const {
        const auto found = m_document.colors.items.find(item);
        return found == m_document.colors.items.end() || !found->second.graphics
                   ? nullptr
                   : &*found->second.graphics;
    }
    // A point of spread coordinates in the output's.
    PMPoint Out(const PMPoint& spread) const {
        return {spread.X() - m_pageRect.Left() + m_bleed.left,
                m_top - (spread.Y() - m_pageRect.Top())};
    }
    // Text space (y up) at `origin` of the coordinates that `toSpread` maps, to the output.
    PMMatrix TextMatrix(const PMMatrix& toSpread, const PMPoint& origin) const {
        const PMPoint o = Out(toSpread.Transform(origin));
        const PMPoint x = Out(toSpread.Transform(PMPoint(origin.X() + 1, origin.Y())));
        const PMPoint y = Out(toSpread.Transform(PMPoint(origin.X(), origin.Y() - 1)));
        return {x.X() - o.X(), x.Y() - o.Y(), y.X() - o.X(), y.Y() - o.Y(), o.X(), o.Y()};
    }

    void Draw(UID uid) {
        const Item& item = m_layout.items.at(uid);
        const GraphicAttributes* graphics = Graphics(uid);
        if (graphics && graphics->nonPrinting)
            return;
        if (item.group) {
            for (UID member : item.items)
                Draw(member);
            return;
        }
        const std::optional<PMRect> bounds =
            m_layout.SpreadCoordinateBounds(uid, kOuterStrokeBounds);
        if (item.guide || !bounds || !Intersect(*bounds, m_area))
            return;
        DrawnItem drawn;
        const PMRect& inner = item.bounds;
        drawn.outline = Outline(item.matrix, inner);
        if (graphics) {
            drawn.fill = Resolve(m_document.colors, graphics->fill, 1);
            drawn.stroke = Resolve(m_document.colors, graphics->stroke, 1);
            drawn.strokeWeight = item.stroke;
        }
        if (item.placed)
            drawn.image = DrawnText{
                ShownText(PMString(ImageLabel(*item.placed)).GetUTF16()), kLabelSize,
                TextMatrix(item.matrix, PMPoint(inner.Left() + 4, inner.Top() + 4 + kLabelSize)),
                kBlack};
        const TableFrame* table =
            m_document.tables.frames.empty() ? nullptr : FindByUID(m_document.tables.frames, uid);
        if (table)
            AddTable(uid, item, *table, drawn);
        else if (item.textFrame)
            AddFrameText(uid, *item.textFrame, drawn.text);
        if (drawn.fill || (drawn.stroke && drawn.strokeWeight > 0) || drawn.image ||
            !drawn.text.empty() || !drawn.cells.empty())
            items.push_back(std::move(drawn));
    }

    // The corners of a rectangle of inner coordinates, in the output's.
    std::vector<PMPoint> Outline(const PMMatrix& toSpread, const PMRect& inner) const {
        std::vector<PMPoint> outline;
        outline.reserve(4);
        for (const PMPoint& corner :
             std::array{inner.LeftTop(), PMPoint(inner.Right(), inner.Top()), inner.RightBottom(),
                        PMPoint(inner.Left(), inner.Bottom())})
            outline.push_back(Out(toSpread.Transform(corner)));
        return outline;
    }

    // The runs of the story that threads the frame (a frame belongs to one story at most).
    void AddFrameText(UID frame, const TextFrame& shown, std::vector<DrawnText>& text) const {
        if (const Story* story = m_layout.StoryOfFrame(frame).second) {
            const CharacterRange range{shown.start, std::int64_t{shown.start} + shown.span};
            AddRuns(*story, std::span(&range, 1), text);
        }
    }

    // The cells of the frame's areas that lie in the table, with their text; the item's own text
    // when it is a text frame too, each run once when the frame's story is the table's.
    void AddTable(UID uid, const Item& item, const TableFrame& frame, DrawnItem& drawn) const {
        const Table* table = FindByUID(m_document.tables.models, frame.model);
        std::vector<CharacterRange> cellText;
        if (table)
            AddCells(item, *table, frame, drawn.cells, cellText);
        const auto [frameStoryUID, frameStory] =
            item.textFrame ? m_layout.StoryOfFrame(uid) : std::pair<UID, const Story*>();
        const Story* tableStory = table && table->story != kInvalidUID
                                      ? FindByUID(m_layout.stories, table->story)
                                      : nullptr;
        if (frameStory && tableStory && frameStoryUID == table->story) {
            cellText.push_back({item.textFrame->start,
                                std::int64_t{item.textFrame->start} + item.textFrame->span});
            AddRuns(*tableStory, Joined(std::move(cellText)), drawn.text);
            return;
        }
        if (frameStory)
            AddFrameText(uid, *item.textFrame, drawn.text);
        if (tableStory && !cellText.empty())
            AddRuns(*tableStory, Joined(std::move(cellText)), drawn.text);
    }

    // The table's cells in the frame's areas (documented at DrawPage), and their text ranges.
    void AddCells(const Item& item, const Table& table, const TableFrame& frame,
                  std::vector<DrawnCell>& cells, std::vector<CharacterRange>& text) const {
        const GridArea total{0, 0, table.rows, table.columns};
        std::vector<GridArea> shown;
        std::int64_t rows = 0;
        for (const GridArea& area : frame.areas)
            if (const GridArea both = area.Intersect(total); !both.IsEmpty()) {
                shown.push_back(both);
                rows += both.endRow - both.firstRow;
            }
        if (rows == 0)
            return;
        const PMRect& inner = item.bounds;
        const PMReal rowHeight = inner.Height() / static_cast<double>(rows);
        PMReal top = inner.Top();
        for (const GridArea& area : shown) {
            const PMReal columnWidth =
                inner.Width() / static_cast<double>(area.endColumn - area.firstColumn);
            auto at = table.cells.lower_bound({area.firstRow, area.firstColumn});
            while (at != table.cells.end() && at->first.row < area.endRow) {
                const GridAddress address = at->first;
                if (address.column < area.firstColumn) {
                    at = table.cells.lower_bound({address.row, area.firstColumn});
                    continue;
                }
                if (address.column >= area.endColumn) {
                    at = table.cells.lower_bound({address.row + 1, area.firstColumn});
                    continue;
                }
                const PMReal left =
                    inner.Left() + columnWidth * (address.column - area.firstColumn);
                const PMReal cellTop = top + rowHeight * (address.row - area.firstRow);
                AddCell(item.matrix, PMRect(left, cellTop, left + columnWidth, cellTop + rowHeight),
                        at->second, cells);
                if (at->second.text.length > 0)
                    text.push_back({at->second.text.start,
                                    std::int64_t{at->second.text.start} + at->second.text.length});
                ++at;
            }
            top += rowHeight * (area.endRow - area.firstRow);
        }
    }

    // A cell's fill and its stroked edges, when it has any: sides 0 top, 1 left, 2 bottom,
    // 3 right.
    void AddCell(const PMMatrix& toSpread, const PMRect& box, const Cell& cell,
                 std::vector<DrawnCell>& cells) const {
        DrawnCell drawn;
        drawn.box = Outline(toSpread, box);
        if (cell.fill)
            drawn.fill = Resolve(m_document.colors, cell.fill->color, cell.fill->tint / 100);
        const std::vector<PMPoint>& c = drawn.box; // left-top, right-top, right-bottom, left-bottom
        const std::array<std::pair<PMPoint, PMPoint>, 4> sides{
            {{c[0], c[1]}, {c[0], c[3]}, {c[3], c[2]}, {c[1], c[2]}}};
        for (std::size_t side = 0; side < 4; ++side) {
            const std::optional<CellEdge>& edge = cell.edges[side];
            if (!edge || edge->type == kNoStrokeBoss || edge->weight <= 0)
                continue;
            if (std::optional<DrawColor> color =
                    Resolve(m_document.colors, edge->paint.color, edge->paint.tint / 100))
                drawn.edges.push_back(
                    {sides[side].first, sides[side].second, std::move(*color), edge->weight});
        }
        if (drawn.fill || !drawn.edges.empty())
            cells.push_back(std::move(drawn));
    }

    // The story's runs that start in one of the ranges (in order, apart).
    void AddRuns(const Story& story, std::span<const CharacterRange> ranges,
                 std::vector<DrawnText>& text) const {
        PMMatrix toSpread(1, 0, 0, 1, -m_offset.X(), -m_offset.Y());
        for (const TextLine& line : story.lines)
            for (const TextRun& run : line.runs) {
                if (!Holds(ranges, run.start) || run.span <= 0 || !story.text ||
                    static_cast<std::size_t>(run.start) + static_cast<std::size_t>(run.span) >
                        story.text->size())
                    continue;
                // The text stands on the foot of the run's box in line space.
                PMMatrix matrix = run.matrix;
                matrix.PostConcat(toSpread);
                const PMRect box = RunBox(line, run);
                text.push_back({ShownText(std::u16string_view(*story.text)
                                              .substr(static_cast<std::size_t>(run.start),
                                                      static_cast<std::size_t>(run.span))),
                                run.height, TextMatrix(matrix, PMPoint(box.Left(), box.Bottom())),
                                RunColor(story, run.start)});
            }
    }
    // The fill of the story's attribute run at the character; black where none is given.
    DrawColor RunColor(const Story& story, std::int32_t character) const {
        std::int64_t end = 0;
        for (const AttributeRun& run : story.attributes) {
            end += run.span;
            if (character < end)
                return Resolve(m_document.colors, run.fill.color, run.fill.tint / 100)
                    .value_or(kBlack);
        }
        return kBlack;
    }

    const Document& m_document;
    const Layout& m_layout;
    Sides m_bleed;
    PMRect m_pageRect;
    PMReal m_top;
    PMRect m_area;
    PMPoint m_offset;
};

// A number as PDF and PostScript write it: fixed point, no trailing zeros.
std::string Num(PMReal value) {
    // Four decimals, as printf's "%.4f" gives them; room for the largest double.
    char text[400];
    const std::to_chars_result end = std::to_chars(
        text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, 4);
    std::string number(text, end.ptr);
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.')
        number.pop_back();
    return number == "-0" ? "0" : number;
}

// A string literal of PDF and PostScript: bytes outside printable ASCII as octal escapes.
std::string Literal(const std::string& bytes) {
    std::string literal = "(";
    for (unsigned char c : bytes) {
        if (c < 0x20 || c > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", c);
            literal += escaped;
            continue;
        }
        if (c == '(' || c == ')' || c == '\\')
            literal += '\\';
        literal += static_cast<char>(c);
    }
    return literal + ")";
}

// Writes the drawing's operations in PDF's or in PostScript's words.
class ContentWriter {
public:
    ContentWriter(bool pdf, std::vector<DrawColor> separations)
        : m_pdf(pdf), m_separations(std::move(separations)) {}

    std::string Write(const std::vector<DrawnItem>& items) {
        for (const DrawnItem& item : items)
            Item(item);
        return std::move(m_out);
    }

private:
    void Op(const char* pdf, const char* postScript) {
        m_out += m_pdf ? pdf : postScript;
        m_out += "\n";
    }
    void Point(const PMPoint& point, const char* pdf, const char* postScript) {
        m_out += Num(point.X()) + " " + Num(point.Y()) + " ";
        Op(pdf, postScript);
    }
    void Path(const std::vector<PMPoint>& outline) {
        for (std::size_t i = 0; i < outline.size(); ++i)
            Point(outline[i], i == 0 ? "m" : "l", i == 0 ? "moveto" : "lineto");
        Op("h", "closepath");
    }
    void Numbers(const std::vector<PMReal>& values) {
        for (PMReal value : values)
            m_out += Num(value) + " ";
    }
    void Color(const DrawColor& color, bool stroke) {
        using Space = DrawColor::Space;
        if (color.space == Space::kSeparation) {
            SeparationColor(color, stroke);
            return;
        }
        Numbers(color.values);
        if (color.space == Space::kGray)
            Op(stroke ? "G" : "g", "setgray");
        else if (color.space == Space::kRGB)
            Op(stroke ? "RG" : "rg", "setrgbcolor");
        else
            Op(stroke ? "K" : "k", "setcmykcolor");
    }
    void SeparationColor(const DrawColor& color, bool stroke) {
        if (m_pdf) {
            std::size_t index = 0;
            while (index + 1 < m_separations.size() && m_separations[index].name != color.name)
                ++index;
            m_out += "/CS" + std::to_string(index) + (stroke ? " CS " : " cs ") + Num(color.tint) +
                     (stroke ? " SCN\n" : " scn\n");
            return;
        }
        // The tint transform: CMYK values grow from 0, RGB values fall from 1.
        const bool cmyk = color.values.size() == 4;
        m_out +=
            "[/Separation " + Literal(color.name) + (cmyk ? " /DeviceCMYK {" : " /DeviceRGB {");
        for (std::size_t i = 0; i < color.values.size(); ++i)
            m_out += (i + 1 < color.values.size() ? "dup " : "") +
                     (cmyk ? Num(color.values[i]) + " mul"
                           : "1 " + Num(color.values[i]) + " sub mul 1 exch sub") +
                     (i + 1 < color.values.size() ? " exch " : "");
        m_out += "}] setcolorspace " + Num(color.tint) + " setcolor\n";
    }
    void Text(const DrawnText& text) {
        Color(text.color, false);
        const PMMatrix& m = text.matrix;
        const std::string matrix = Num(m[0]) + " " + Num(m[1]) + " " + Num(m[2]) + " " + Num(m[3]) +
                                   " " + Num(m[4]) + " " + Num(m[5]);
        m_out += m_pdf ? "BT /F1 " + Num(text.size) + " Tf " + matrix + " Tm " +
                             Literal(text.text) + " Tj ET\n"
                       : "gsave [" + matrix + "] concat /ZepHelvetica findfont " + Num(text.size) +
                             " scalefont setfont 0 0 moveto " + Literal(text.text) +
                             " show grestore\n";
    }
    void Item(const DrawnItem& item) {
        Op("q", "gsave");
        if (item.fill) {
            Color(*item.fill, false);
            Path(item.outline);
            Op("f", "fill");
        }
        for (const DrawnCell& cell : item.cells)
            if (cell.fill) {
                Color(*cell.fill, false);
                Path(cell.box);
                Op("f", "fill");
            }
        if (item.image || !item.text.empty()) {
            Op("q", "gsave");
            Path(item.outline);
            Op("W n", "clip newpath");
            if (item.image)
                Image(item.outline, *item.image);
            for (const DrawnText& text : item.text)
                Text(text);
            Op("Q", "grestore");
        }
        for (const DrawnCell& cell : item.cells)
            for (const DrawnEdge& edge : cell.edges) {
                Color(edge.color, true);
                m_out += Num(edge.weight) + " ";
                Op("w", "setlinewidth");
                Point(edge.from, "m", "moveto");
                Point(edge.to, "l", "lineto");
                Op("S", "stroke");
            }
        if (item.stroke && item.strokeWeight > 0) {
            Color(*item.stroke, true);
            m_out += Num(item.strokeWeight) + " ";
            Op("w", "setlinewidth");
            Path(item.outline);
            Op("S", "stroke");
        }
        Op("Q", "grestore");
    }
    void Image(const std::vector<PMPoint>& box, const DrawnText& label) {
        Color(kImageGray, false);
        Path(box);
        Op("f", "fill");
        Color(kImageLines, true);
        Op("0.5 w", "0.5 setlinewidth");
        Path(box);
        for (std::size_t i = 0; i < 2; ++i) {
            Point(box[i], "m", "moveto");
            Point(box[i + 2], "l", "lineto");
        }
        Op("S", "stroke");
        Text(label);
    }

    bool m_pdf;
    std::vector<DrawColor> m_separations;
    std::string m_out;
};

} // namespace

std::vector<DrawnItem> DrawPage(const Document& document, UID page, const Sides& bleed) {
    return PageDrawer(document, page, bleed).items;
}

std::vector<DrawColor> Separations(const std::vector<DrawnItem>& items) {
    std::vector<DrawColor> separations;
    const auto add = [&separations](const std::optional<DrawColor>& color) {
        if (!color || color->space != DrawColor::Space::kSeparation)
            return;
        for (const DrawColor& known : separations)
            if (known.name == color->name)
                return;
        separations.push_back(*color);
    };
    for (const DrawnItem& item : items) {
        add(item.fill);
        add(item.stroke);
        for (const DrawnText& text : item.text)
            add(text.color);
        for (const DrawnCell& cell : item.cells) {
            add(cell.fill);
            for (const DrawnEdge& edge : cell.edges)
                add(edge.color);
        }
    }
    return separations;
}

std::string PDFContent(const std::vector<DrawnItem>& items) {
    return ContentWriter(true, Separations(items)).Write(items);
}

std::string PostScriptContent(const std::vector<DrawnItem>& items) {
    return ContentWriter(false, {}).Write(items);
}

// Helvetica with the glyph names of Windows-1252 as its encoding: the text's bytes are that code
// page's, and a standard encoding would print some of them as other glyphs: ISOLatin1Encoding a
// hyphen as a minus sign and an en dash as a breve, StandardEncoding an é as an Ø.
const char* const kPostScriptProlog =
    "/ZepWinAnsiEncoding [\n"
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n" // 0x00
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n"
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n" // 0x10
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n"
    "/space /exclam /quotedbl /numbersign /dollar /percent /ampersand /quotesingle\n" // 0x20
    "/parenleft /parenright /asterisk /plus /comma /hyphen /period /slash\n"
    "/zero /one /two /three /four /five /six /seven\n" // 0x30
    "/eight /nine /colon /semicolon /less /equal /greater /question\n"
    "/at /A /B /C /D /E /F /G\n" // 0x40
    "/H /I /J /K /L /M /N /O\n"
    "/P /Q /R /S /T /U /V /W\n" // 0x50
    "/X /Y /Z /bracketleft /backslash /bracketright /asciicircum /underscore\n"
    "/grave /a /b /c /d /e /f /g\n" // 0x60
    "/h /i /j /k /l /m /n /o\n"
    "/p /q /r /s /t /u /v /w\n" // 0x70
    "/x /y /z /braceleft /bar /braceright /asciitilde /.notdef\n"
    "/Euro /.notdef /quotesinglbase /florin /quotedblbase /ellipsis /dagger /daggerdbl\n" // 0x80
    "/circumflex /perthousand /Scaron /guilsinglleft /OE /.notdef /Zcaron /.notdef\n"
    "/.notdef /quoteleft /quoteright /quotedblleft /quotedblright /bullet /endash /emdash\n" // 0x90
    "/tilde /trademark /scaron /guilsinglright /oe /.notdef /zcaron /Ydieresis\n"
    "/space /exclamdown /cent /sterling /currency /yen /brokenbar /section\n" // 0xA0
    "/dieresis /copyright /ordfeminine /guillemotleft /logicalnot /hyphen /registered /macron\n"
    "/degree /plusminus /twosuperior /threesuperior /acute /mu /paragraph /periodcentered\n" // 0xB0
    "/cedilla /onesuperior /ordmasculine /guillemotright /onequarter /onehalf /threequarters "
    "/questiondown\n"
    "/Agrave /Aacute /Acircumflex /Atilde /Adieresis /Aring /AE /Ccedilla\n" // 0xC0
    "/Egrave /Eacute /Ecircumflex /Edieresis /Igrave /Iacute /Icircumflex /Idieresis\n"
    "/Eth /Ntilde /Ograve /Oacute /Ocircumflex /Otilde /Odieresis /multiply\n" // 0xD0
    "/Oslash /Ugrave /Uacute /Ucircumflex /Udieresis /Yacute /Thorn /germandbls\n"
    "/agrave /aacute /acircumflex /atilde /adieresis /aring /ae /ccedilla\n" // 0xE0
    "/egrave /eacute /ecircumflex /edieresis /igrave /iacute /icircumflex /idieresis\n"
    "/eth /ntilde /ograve /oacute /ocircumflex /otilde /odieresis /divide\n" // 0xF0
    "/oslash /ugrave /uacute /ucircumflex /udieresis /yacute /thorn /ydieresis\n"
    "] def\n"
    "/ZepHelvetica /Helvetica findfont dup length dict begin\n"
    "{1 index /FID ne {def} {pop pop} ifelse} forall /Encoding ZepWinAnsiEncoding def\n"
    "currentdict end definefont pop\n";

} // namespace host
