// A theatre's ad holding a table of show times in a text frame, in each of the shapes a document
// description gives a table in (host/standin/Description.h).
//
// Page 11 (300 x 400) of spread 10, on layer 3. Item 20, the logo: placed EPS content at
// (20, 20, 120, 70). Item 22: the text frame at (20, 100, 280, 220) that carries table 60
// (3 x 4, kTableAdCells), threaded by story 62. The story's own text is the table's anchor, alone
// (TableShape::Anchor: the frame's span 1) or followed by a return (TableShape::AnchorAndReturn:
// span 2); the cells' text follows it, each cell a line of its own with one run 10 high in
// "Gill Sans" (a font the example studio does not know), 4 points into its cell (65 wide, 40
// high) and 26 down. The header row is filled with the spot colour 42 (ink "PANTONE 300 C").
#pragma once

#include <array>
#include <string>

enum class TableShape { Anchor, AnchorAndReturn };

inline const std::array<std::string, 12> kTableAdCells = {"Day", "Matinee", "Evening", "Late",
                                                          "Fri", "14:30",   "19:30",   "22:00",
                                                          "Sat", "15:00",   "20:00",   "22:30"};

// The left and top of a cell's run box on the page: the run's baseline lies 26 below the cell's
// top, its text 10 high above it.
inline std::array<double, 2> TableAdRunAt(std::size_t cell) {
    return {20 + 65.0 * static_cast<double>(cell % 4) + 4,
            100 + 40.0 * static_cast<double>(cell / 4) + 16};
}

inline std::string TableAd(TableShape shape) {
    const bool withReturn = shape == TableShape::AnchorAndReturn;
    const int own = withReturn ? 2 : 1;
    std::string text = withReturn ? "\\u0016\\r" : "\\u0016";
    std::string lines = R"({"y": 110, "count": )" + std::to_string(own) + "}";
    std::string cells;
    int start = own;
    for (std::size_t i = 0; i < kTableAdCells.size(); ++i) {
        const std::string& cell = kTableAdCells[i];
        const int length = static_cast<int>(cell.size());
        const std::array<double, 2> at = TableAdRunAt(i);
        text += cell;
        lines += R"(, {"y": )" + std::to_string(static_cast<int>(at[1]) + 20) + R"(, "count": )" +
                 std::to_string(length) + R"(, "runs": [{"start": )" + std::to_string(start) +
                 R"(, "span": )" + std::to_string(length) +
                 R"(, "width": 50, "height": 10, "matrix": [1, 0, 0, 1, )" +
                 std::to_string(static_cast<int>(at[0])) + ", 0]}]}";
        cells += std::string(i == 0 ? "" : ", ") + R"({"row": )" + std::to_string(i / 4) +
                 R"(, "column": )" + std::to_string(i % 4) + R"(, "text": [)" +
                 std::to_string(start) + ", " + std::to_string(length) + "]" +
                 (i < 4 ? R"(, "fill": {"color": 42, "tint": 30})" : "") + "}";
        start += length;
    }
    return R"({"kind": "document", "name": "Theatre.indd",
      "layers": [{"id": 3, "name": "Ad"}],
      "colors": [{"id": 41, "space": 6, "values": [0, 0, 0, 1]},
                 {"id": 42, "space": 8, "values": [1, 0.5, 0, 0], "ink": {"kind": 1, "inks": [81]}}],
      "inks": [{"id": 81, "name": "PANTONE 300 C", "process": false, "color": 42}],
      "spreads": [{"id": 10, "pages": [{"id": 11, "width": 300, "height": 400}], "items": [
        {"id": 20, "layer": 3, "bounds": [20, 20, 120, 70], "placed": {"eps": true}},
        {"id": 22, "layer": 3, "bounds": [20, 100, 280, 220], "textFrame": {"start": 0, "span": )" +
           std::to_string(own) + R"(}, "table": {"model": 60, "areas": [[0, 0, 3, 4]]}}]}],
      "stories": [{"id": 62, "frameList": 63, "text": ")" +
           text + R"(", "frames": [22],
        "attributes": [{"span": )" +
           std::to_string(start + 1) +
           R"(, "font": "Gill Sans", "fill": {"color": 41, "tint": 100}}],
        "lines": [)" +
           lines + R"(]}],
      "tables": [{"id": 60, "rows": 3, "columns": 4, "story": 62, "cells": [)" +
           cells + R"(]}],
      "sections": [{"name": "", "start": 11, "count": 1, "style": "0x4C1A"}],
      "view": {"spread": 10, "page": 11}})";
}
