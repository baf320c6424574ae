#include "host/standin/PageDrawing.h"

#include "host/standin/Description.h"
#include "support/HostFixture.h"
#include "support/PostScriptText.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

namespace {

// A page of 100 x 100 without bleed, so an item at (l, t, r, b) is drawn at (l, 100 - t) to
// (r, 100 - b); layer 3 prints, 4 is hidden, 5 does not print; colour 40 is process black, 41 RGB
// red, 42 the spot colour "Red 185" (CMYK alternate), 43 paper, 44 a 50 % tint of 42.
std::string Document(const std::string& items, const std::string& stories = "[]",
                     const std::string& tables = "[]") {
    return R"({"kind": "document", "name": "D.indd",
      "layers": [{"id": 3, "name": "Art"}, {"id": 4, "name": "Hidden", "visible": false},
                 {"id": 5, "name": "Notes", "printable": false}],
      "colors": [{"id": 40, "space": 6, "values": [0, 0, 0, 1]},
                 {"id": 41, "space": 5, "values": [1, 0, 0]},
                 {"id": 42, "space": 8, "values": [0, 0.9, 0.7, 0], "ink": {"kind": 1, "inks": [81]}},
                 {"id": 43, "paper": true},
                 {"id": 44, "components": [42], "tint": 50}],
      "inks": [{"id": 81, "name": "Red 185", "process": false, "color": 42}],
      "spreads": [{"id": 10, "pages": [{"id": 11, "width": 100, "height": 100}], "items": [)" +
           items + "]}], \"stories\": " + stories + ", \"tables\": " + tables + "}";
}

const std::string kBox = "0 100 m\n10 100 l\n10 90 l\n0 90 l\nh\n";

} // namespace

using PageDrawing = HostTest;

TEST_F(PageDrawing, DrawsThePrintingItemsAsTheDescriptionHasThem) {
    const struct {
        const char* what;
        std::string items;
        std::string content; // the PDF content
        std::string stories = "[]";
    } cases[] = {
        {"a process fill",
         R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 40}})",
         "q\n0 0 0 1 k\n" + kBox + "f\nQ\n"},
        {"an RGB stroke of its weight",
         R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10], "stroke": 2,
             "graphics": {"stroke": 41}})",
         "q\n1 0 0 RG\n2 w\n" + kBox + "S\nQ\n"},
        {"a tint of a spot colour, as its separation",
         R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 44}})",
         "q\n/CS0 cs 0.5 scn\n" + kBox + "f\nQ\n"},
        {"no colour", R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10], "stroke": 1})", ""},
        {"a hidden layer",
         R"({"id": 20, "layer": 4, "bounds": [0, 0, 10, 10], "graphics": {"fill": 40}})", ""},
        {"a non-printing layer",
         R"({"id": 20, "layer": 5, "bounds": [0, 0, 10, 10], "graphics": {"fill": 40}})", ""},
        {"a non-printing item",
         R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10],
             "graphics": {"fill": 40, "nonPrinting": true}})",
         ""},
        {"a group's members",
         R"({"id": 20, "layer": 3, "items": [
               {"id": 21, "bounds": [0, 0, 10, 10], "graphics": {"fill": 43}}]})",
         "q\n1 g\n" + kBox + "f\nQ\n"},
        {"a text frame's runs, clipped to the frame",
         R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10],
             "textFrame": {"start": 0, "span": 9}})",
         "q\nq\n" + kBox + "W n\n1 g\nBT /F1 8 Tf 1 0 0 1 2 92 Tm (Hi \\(\\351\\) ) Tj ET\nQ\nQ\n",
         R"([{"id": 60, "frameList": 61, "text": "Hi (é) and more", "frames": [20],
              "attributes": [{"span": 15, "font": "F", "fill": {"color": 43, "tint": 100}}],
              "lines": [{"y": 16, "count": 7, "runs": [{"start": 0, "span": 7, "width": 8,
                         "height": 8, "matrix": [1, 0, 0, 1, 2, 0]}]},
                        {"y": 24, "count": 8, "runs": [{"start": 9, "span": 6, "width": 8,
                         "height": 8, "matrix": [1, 0, 0, 1, 2, 0]}]}]}])"},
        {"a placed image as a labelled box",
         R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10],
             "placed": {"fileTypes": ["TIFF"],
                        "links": [{"id": 52, "resource": 53, "fullName": "C:/img/a.tif"}]}})",
         "q\nq\n" + kBox + "W n\n0.85 g\n" + kBox + "f\n0.5 G\n0.5 w\n" + kBox +
             "0 100 m\n10 90 l\n10 100 m\n0 90 l\nS\n0 0 0 1 k\nBT /F1 8 Tf 1 0 0 1 4 88 Tm "
             "(a.tif \\(TIFF\\)) Tj ET\nQ\nQ\n"},
    };
    for (const auto& c : cases) {
        host::Reset();
        const host::Document& document =
            host::OpenDocumentDescription(Document(c.items, c.stories));
        const std::vector<host::DrawnItem> items = host::DrawPage(document, UID(11), {});
        EXPECT_EQ(host::PDFContent(items), c.content) << c.what;
    }
}

TEST_F(PageDrawing, ASeparationHasItsInkAndAlternateInPDFAndPostScript) {
    const host::Document& document = host::OpenDocumentDescription(Document(
        R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 44}},
           {"id": 21, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 42}})"));
    const std::vector<host::DrawnItem> items = host::DrawPage(document, UID(11), {});
    const std::vector<host::DrawColor> separations = host::Separations(items);
    ASSERT_EQ(separations.size(), 1u);
    EXPECT_EQ(separations[0].name, "Red 185");
    EXPECT_EQ(separations[0].values, (std::vector<PMReal>{0, 0.9, 0.7, 0}));
    EXPECT_THAT(
        host::PostScriptContent(items),
        ::testing::StartsWith(
            "gsave\n[/Separation (Red 185) /DeviceCMYK {dup 0 mul exch dup 0.9 mul exch dup "
            "0.7 mul exch 0 mul}] setcolorspace 0.5 setcolor\n"));
}

// Item 20 (0, 0, 10, 10) carries table 60 of story 62 and threads the story, which holds the
// frame's own text ("x", or with `own` 2 "x" and a return) and then the text of each cell with a
// line of its own: "Ab" in cell (0, 0), "Cd" in (0, 1), "Ef" in (1, 0), each a run of height 4 on
// the baseline at 4 (drawn at y 96), at x 1, 6 and 1.
std::string TableItem(int span, const std::string& areas) {
    return R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10],
               "textFrame": {"start": 0, "span": )" +
           std::to_string(span) + R"(}, "table": {"model": 60, "areas": )" + areas + "}}";
}
std::string TableStory(int own = 1) {
    const auto at = [own](int offset) { return std::to_string(own + offset); };
    return R"([{"id": 62, "frameList": 63, "text": ")" + std::string(own == 2 ? "x\\r" : "x") +
           R"(AbCdEf", "frames": [20],
    "attributes": [{"span": )" +
           at(7) + R"(, "font": "F", "fill": {"color": 40, "tint": 100}}],
    "lines": [{"y": 8, "count": )" +
           at(0) + R"(, "runs": [{"start": 0, "span": 1, "width": 2,
                                              "height": 4, "matrix": [1, 0, 0, 1, 1, 0]}]},
              {"y": 8, "count": 2, "runs": [{"start": )" +
           at(0) + R"(, "span": 2, "width": 4,
                                              "height": 4, "matrix": [1, 0, 0, 1, 1, 0]}]},
              {"y": 8, "count": 2, "runs": [{"start": )" +
           at(2) + R"(, "span": 2, "width": 4,
                                              "height": 4, "matrix": [1, 0, 0, 1, 6, 0]}]},
              {"y": 8, "count": 2, "runs": [{"start": )" +
           at(4) + R"(, "span": 2, "width": 4,
                                              "height": 4, "matrix": [1, 0, 0, 1, 1, 0]}]}]}])";
}
// Table 60, 2 x 2: (0, 0) filled red with a top edge of weight 2 in black, a left edge of no
// stroke, a bottom edge of weight 0 and a right edge at 50 % of red; (0, 1) the text "Cd" alone;
// (1, 0) filled with the spot colour's tint; (1, 1) nothing. Its cells' text follows the story's
// own text of `own` characters.
std::string Table(int own = 1) {
    const auto at = [own](int offset) { return std::to_string(own + offset); };
    return R"([{"id": 60, "rows": 2, "columns": 2, "story": 62, "cells": [
    {"row": 0, "column": 0, "fill": {"color": 41, "tint": 100}, "text": [)" +
           at(0) + R"(, 2],
     "edges": [{"side": 0, "weight": 2, "color": 40}, {"side": 1, "type": "0x1040C", "color": 40},
               {"side": 2, "weight": 0, "color": 40}, {"side": 3, "color": 41, "tint": 50}]},
    {"row": 0, "column": 1, "text": [)" +
           at(2) + R"(, 2]},
    {"row": 1, "column": 0, "fill": {"color": 44, "tint": 100}, "text": [)" +
           at(4) + R"(, 2]}]}])";
}

std::string Text(const std::string& literal, int x) {
    return "0 0 0 1 k\nBT /F1 4 Tf 1 0 0 1 " + std::to_string(x) + " 96 Tm (" + literal +
           ") Tj ET\n";
}
const std::string kCellEdges = "0 0 0 1 K\n2 w\n0 100 m\n5 100 l\nS\n1 0.5 0.5 RG\n1 w\n5 100 "
                               "m\n5 95 l\nS\n";

TEST_F(PageDrawing, DrawsATablesCellsInTheFrameThatShowsThem) {
    const struct {
        const char* what;
        std::string item;
        std::string content; // the PDF content
        std::vector<std::string> separations;
        int own = 1; // the characters of the story's own text
    } cases[] = {
        {"every cell: fills, stroked edges and text, each row half the frame's height",
         TableItem(1, "[[0, 0, 2, 2]]"),
         "q\n1 0 0 rg\n0 100 m\n5 100 l\n5 95 l\n0 95 l\nh\nf\n/CS0 cs 0.5 scn\n0 95 m\n5 95 l\n5 "
         "90 l\n0 90 l\nh\nf\nq\n" +
             kBox + "W n\n" + Text("x", 1) + Text("Ab", 1) + Text("Cd", 6) + Text("Ef", 1) + "Q\n" +
             kCellEdges + "Q\n",
         {"Red 185"}},
        {"a frame whose own text reaches the cells' text: each run once",
         TableItem(2, "[[0, 0, 2, 2]]"),
         "q\n1 0 0 rg\n0 100 m\n5 100 l\n5 95 l\n0 95 l\nh\nf\n/CS0 cs 0.5 scn\n0 95 m\n5 95 l\n5 "
         "90 l\n0 90 l\nh\nf\nq\n" +
             kBox + "W n\n" + Text("x", 1) + Text("Ab", 1) + Text("Cd", 6) + Text("Ef", 1) + "Q\n" +
             kCellEdges + "Q\n",
         {"Red 185"},
         2},
        {"the frame's areas within the table, stacked in the frame's order",
         TableItem(1, "[[1, 0, 2, 1], [5, 5, 6, 6], [0, 1, 1, 2]]"),
         "q\n/CS0 cs 0.5 scn\n0 100 m\n10 100 l\n10 95 l\n0 95 l\nh\nf\nq\n" + kBox + "W n\n" +
             Text("x", 1) + Text("Cd", 6) + Text("Ef", 1) + "Q\nQ\n",
         {"Red 185"}},
        {"an area outside the table",
         TableItem(1, "[[2, 0, 3, 2]]"),
         "q\nq\n" + kBox + "W n\n" + Text("x", 1) + "Q\nQ\n",
         {}},
    };
    for (const auto& c : cases) {
        host::Reset();
        const host::Document& document =
            host::OpenDocumentDescription(Document(c.item, TableStory(c.own), Table(c.own)));
        const std::vector<host::DrawnItem> items = host::DrawPage(document, UID(11), {});
        EXPECT_EQ(host::PDFContent(items), c.content) << c.what;
        std::vector<std::string> separations;
        for (const host::DrawColor& separation : host::Separations(items))
            separations.push_back(separation.name);
        EXPECT_EQ(separations, c.separations) << c.what;
    }
}

// The bytes of a run's text are Windows-1252, and the EPS's font shows each byte as the code
// page's character: the glyphs its encoding names for them.
TEST_F(PageDrawing, EachCharacterOfTheCodePagePrintsAsItselfInPostScript) {
    const struct {
        const char* text; // UTF-8
        std::vector<std::string> glyphs;
    } cases[] = {
        {"a-b", {"a", "hyphen", "b"}},
        {"\xE2\x80\x93", {"endash"}},
        {"\xE2\x80\x94", {"emdash"}},
        {"caf\xC3\xA9", {"c", "a", "f", "eacute"}},
        {"\xC2\xA3", {"sterling"}},
        {"\xE2\x82\xAC", {"Euro"}},
        {"'`", {"quotesingle", "grave"}},
        {"\xE2\x80\x9C\xE2\x80\x9D", {"quotedblleft", "quotedblright"}},
        {"\xC5\xA0\xC3\xBF", {"Scaron", "ydieresis"}},
        {"\xC2\xA0", {"space"}},                            // no-break space
        {"a\tb", {"a", "space", "b"}},                      // a control: a space
        {"\xC2\x85\xC2\x81", {"space", "space"}},           // C1 controls, one undefined
        {"\xE2\x86\x92", {"question"}},                     // outside the code page
        {"\xF0\x9F\x8C\xB1", {"question"}},                 // outside, a surrogate pair
        {"(\\)", {"parenleft", "backslash", "parenright"}}, // escaped in the literal
    };
    for (const auto& c : cases) {
        host::Reset();
        const std::string item = R"({"id": 20, "layer": 3, "bounds": [0, 0, 10, 10],
                                     "textFrame": {"start": 0, "span": 10}})";
        const std::string story = R"([{"id": 60, "frameList": 61, "text": )" +
                                  nlohmann::json(c.text).dump() + R"(, "frames": [20],
            "lines": [{"y": 16, "count": 10, "runs": [{"start": 0, "span": )" +
                                  std::to_string(PMString(c.text).GetUTF16().size()) +
                                  R"(, "width": 8, "height": 8}]}]}])";
        const host::Document& document = host::OpenDocumentDescription(Document(item, story));
        const std::string eps = std::string(host::kPostScriptProlog) +
                                host::PostScriptContent(host::DrawPage(document, UID(11), {}));
        const std::vector<std::string> encoding = postscript::Encoding(eps, "ZepWinAnsiEncoding");
        ASSERT_EQ(encoding.size(), 256u);
        const std::vector<std::string> shown = postscript::ShownStrings(eps);
        ASSERT_EQ(shown.size(), 1u) << c.text;
        EXPECT_EQ(postscript::Glyphs(encoding, shown[0]), c.glyphs) << c.text;
    }
}
