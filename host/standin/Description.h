// Documents and the session described in JSON: read into the stand-in, and dumped in the same
// form with everything a command can change, so that "the document is restored" is a
// comparison of two dumps.
//
// A document:
//   {"kind": "document", "name": "Ad.indd",
//    "workspace": {"facets": {"0x52E06": "<hex>"},                   persistent facets
//                  "pageSetup": {"bleed": {"top": 3, "left": 3, "bottom": 3, "right": 3},
//                                "flag": false, "value": 1, "switch": false},    0x515
//                  "valuePair": [0, 0],                                          0x549
//                  "print": {"printer": "PDF", "copies": 1},                     0xA15
//                  "blendSpace": 3},                                             0x1080C
//    "layers": [{"id": 3, "name": "Layer 1", "locked": false, "visible": true,
//                "printable": true}],
//    "profiles": [{"id": 50, "name": "SWOP", "path": "Z:/p/swop.icc", "space": 3,       0x7C03
//                  "class": 1, "kind": 1, "data": "<hex>"}],
//    "colorManagement": {"rgb": 51, "cmyk": 50},                                      0xF0B002
//    "spreads": [{"id": 4, "offset": [0, 0], "pasteboard": [l, t, r, b],
//                 "flattener": {"on": true, "values": [1, 300, 1200, 0, 0],         0x10812
//                               "options": 144, "valueMask": 1, "optionMask": 0},
//                 "pages": [{"id": 5, "width": 595, "height": 842, "margins": [l, t, r, b]}],
//                 "items": [{"id": 6, "class": "0xF03005", "layer": 3, "bounds": [l, t, r, b],
//                            "matrix": [a, b, c, d, tx, ty], "stroke": 1,
//                            "fonts": ["Minion Pro"], "tests": "AB",               0x2502
//                            "textFrame": {"interfaces": ["0xCA12", "0xCA13"],
//                                          "start": 0, "span": 11},          0xCA12, 0xCA13
//                            "transparency": {"opacity": 50, "blendMode": 1,
//                                             "feather": 0, "dropShadow": 0},      0x6E03
//                            "transparent": true,
//                            "placed": {"attributes": {"103": "02000000"},         0x1707
//                                       "fileTypes": ["TIFF"],             0x170B, 0x1703
//                                       "eps": true, "imageObject": true,  0x6605, 0x6608
//                                       "embeddedImage": 60, "colors": [61],  0x8C13, 0x6604
//                                       "pdf": {"transparent": true, "colors": [61]},  0x2503
//                                       "links": [{"id": 52, "resource": 53,       0x8C3C
//                                                  "fullName": "Z:/img/a.tif"}],
//                                       "colorPolicy": 3, "profile": 50},   0x7C0C, 0x7C05
//                            "table": {"model": 60, "areas": [[0, 0, 2, 3]]}},             0xB62E
//                           {"id": 7, "class": "0xF03006", "layer": 3, "items": [...],
//                            "transparency": {...}, "transparent": true},
//                           {"id": 9, "layer": 3, "bounds": [l, t, r, b],
//                            "graphics": {"fill": 40, "stroke": 41, "nonPrinting": false},  0x6E02
//                            "inks": ["Cyan", "PANTONE 185 C"],                            0x1779
//                            "colorTest": true},                                           0x16CF
//                           {"id": 8, "class": "0xB667", "layer": 3,
//                            "guide": {"horizontal": true, "position": 10, "index": 15}}]}],
//    "masterSpreads": [...spreads...],                                           0x1401
//    "stories": [{"id": 50, "frameList": 51, "text": "Hello world", "frames": [6],
//                 "damaged": 1, "attributes": [{"span": 12, "font": "Minion Pro",
//                                               "fill": {"color": 40, "tint": 100}}],
//                 "lines": [{"y": 32, "count": 12, "runs": [{"start": 0, "span": 11,
//                            "width": 60, "height": 12, "matrix": [1, 0, 0, 1, 10, 0]}]}]}],
//    "sections": [{"name": "", "start": 5, "count": 1, "style": "0x4C1A"}],
//    "view": {"spread": 4, "page": 5},
//    "cmykProfile": {"name": "Coated FOGRA39", "path": "Z:/icc/fogra39.icc",
//                    "colorSpace": 3, "deviceClass": 1, "kind": 1, "data": "<hex>"},
//    "colors": [{"id": 40, "class": "0xF0A000", "components": [41],                    0x5501
//                "space": 6, "values": [1, 0, 0, 0],                                  0x1F01
//                "ink": {"kind": 1, "inks": [50], "count": 1},                        0x1F04
//                "tint": 100, "paper": false}],                                       0x1F0E
//    "inks": [{"id": 50, "name": "Cyan", "process": true, "color": 40,
//              "convertToProcess": false, "alias": 51}],
//    "swatches": [40],
//    "tables": [{"id": 60, "rows": 2, "columns": 3, "story": 50,
//                "cells": [{"row": 0, "column": 1, "fill": {"color": 40, "tint": 100},
//                           "edges": [{"side": 0, "type": "0xF0A010", "weight": 1,
//                                      "color": 41, "tint": 100}],
//                           "attributes": [{"class": "0xB6DA", "uid": 40},
//                                          {"class": "0xB6D9", "type": "0xF0A010"},
//                                          {"class": "0xB6D8", "real": 1}],
//                           "text": [0, 5]}]}],
//    "embedded": [{"id": 70, "data": "<hex>"}]}                                       0x130
// Ids are the objects' UIDs (1 and 2 are the document and its workspace). An item with "items"
// is a group; its members have no "layer" of their own. An item with "guide" is a ruler guide
// (interface 0x3301) across its spread at the position, in spread coordinates. A layer's
// "visible" and "printable" are what its interfaces 0x303 and 0x302 answer. A master spread has
// interface 0x1402; "tests" are the item-list tests that hold for the item (host/sdk/Transform.h).
// A text frame ("textFrame") has the frame interfaces listed (both by default) and shows the span
// of its story's characters from its start; a story (host/sdk/Text.h) threads its frames in order,
// each frame in one story at most; its text is UTF-8 without the end-of-story character, its first
// damaged frame index defaults to its frame count. A story's "lines" and their "runs" are its
// composed text (host/standin/Text.h): a line's "y" places the line in line space, the inner
// space of the frame it lies in (points, y down), and a run's "matrix" maps line space to the
// pasteboard, carrying the run's start along the line, the frame's own matrix and its spread's
// offset. A run's text stands in line space from x 0 to its "width" and from the line's y - 2 x
// its "height" to y - "height", on its baseline at the foot, and it is drawn there. So the run
// whose baseline starts at (x, b) in an untransformed frame of a spread at offset (0, 0) has the
// matrix [1, 0, 0, 1, x, 0] and its line the y b + "height"; its box runs from b - "height" to b
// and lies in the frame.
// "transparency" gives an item interface 0x6E03 with the attributes listed; "transparent" is what
// the transparency tester answers for the item (host/sdk/Transparency.h).
// Optional parts ("pageSetup", "valuePair", "print", "masterSpreads",
// "stories", "pasteboard", "view", a non-empty "fonts" or "tests", "textFrame", "transparency", a
// true "transparent", the document's CMYK profile "cmykProfile") are absent from the document when
// absent from the description; other fields have defaults: no facets, offset (0, 0), zero
// margins, class 0xF03005 (groups 0xF03006, guides 0xB667), identity matrix, stroke 0, unlocked,
// visible, printable, identity run matrices; a profile's path "", colour space 3, device class 1,
// kind 1, no data.
// A spread's "flattener" gives it its own flattener settings (host/sdk/Flattener.h); "blendSpace"
// is what the document's transparency preferences answer (3 when absent); "embedded" objects hold
// the bytes of embedded data (host/sdk/EmbeddedData.h). An ink's "alias" (the ink it is aliased to)
// is not checked; "convertToProcess" and "alias" are dumped when set. An ink's other attributes
// (host/sdk/Colors.h) are neither read nor dumped: a described ink has a new ink's values.
// Colours, inks, swatches and tables (host/sdk/Colors.h, host/sdk/Tables.h) are read before the
// layout; a colour's interfaces are those its optional parts give (0x14C always), "paper" alone
// gives a tint of 100, an ink count defaults to the ink list's length and may exceed it. Colours
// may name each other in cycles. A cell attribute holds one of "type", "real" and "uid".
// A table with a "story" (one of the "stories") has text (interface 0xB650). A table lives in the
// story of a text frame, so the story threads every item whose "table" carries it. The story's
// "text" is its own text, which its frames show (a host keeps the table's anchor, U+0016, there),
// followed by the text of its tables' cells: a cell's "text" is the start and length of its range
// of the story's text, a table's cells hold theirs one after another in row order, and the own
// text ends where the first cell's text begins. So a frame that shows only the table's anchor
// ("text": "\u0016Seeds...") has the "span" 1, and one that shows the anchor and a return after
// it ("\u0016\rSeeds...") the "span" 2. Each cell's text is composed in lines of its own, apart
// from the lines of the own text and of other cells. The story's total length counts only its
// own text (and the end-of-story character), and a walk over its lines stays on the text its
// first line holds, its own or one cell's (host/sdk/Text.h): the frames' lines never give a
// cell's text, which is reached through the table's text ranges alone. Refused, naming the
// field: a cell's "text" that runs past the story's text or begins before the end of the text of
// the cell before it in row order; a frame's "span" whose text runs into the cells' text; a line
// of the story that holds characters of two cells, or of a cell and of the own text.
// A story's attribute runs may give a "fill" and a "stroke" colour. An item's "graphics", "inks",
// "colorTest" and "table" give the interfaces named beside them. These lists are dumped only when
// not empty.
// A persistent facet is the hex of the bytes its read-write function writes; it is read back
// through that function and must use up exactly those bytes; a read-write function that throws
// refuses the description like any other fault (DescriptionError).
// "profiles" are the profile objects stored in the document (host/sdk/ColorManagement.h; a
// profile's "space", "class" and "kind" default to 3, 1 and 1, its "path" and "data" to empty);
// "colorManagement" names the document's RGB and CMYK profiles among them. An item's "placed"
// gives its placed content (host/sdk/PlacedGraphics.h): image attributes by decimal tag, as hex of
// their exact bytes; the four-character file types of its import provider; its links, each with
// the resource it names and that resource's full name, or without one; the UIDs of its colours
// and of its embedded image data, which are not checked; the colour policy; and its profile,
// which must be one of the document's "profiles". Each part gives the item its interface.
//
// The session:
//   {"kind": "session", "plugins": [{"id": "0x52E80", "file": "C:/Plug-Ins/Other.pln"}],
//    "workspace": {"facets": {...}}, "layersPanel": true,
//    "fonts": [{"name": "Minion Pro", "status": 0, "type": 6, "class": 4}],
//    "colorManagement": {"on": true,
//                        "presets": {"workingRGB": "sRGB IEC61966-2.1", "workingCMYK": "SWOP",
//                                    "colorEngine": "", "renderingIntent": 0,
//                                    "blackPointCompensation": false},
//                        "installedProfiles": [{"name": "SWOP", ...profile...}],
//                        "profilesAfterRefresh": [...]},
//    "epsExport": {"6": "+1", "9": 31, "14": 14},
//    "flattenerStyles": [{"name": "Zephrin", "settings": {...flattener settings...}}],
//    "documents": [...], "front": 0}
// "plugins" are the installed plug-ins (the plug-in list 0x10E), none when absent.
// "layersPanel" tells whether the Layers panel is present (host/sdk/Panels.h; default true).
// "fonts" are the fonts the session knows (host/standin/Fonts.h): given, they replace the known
// fonts; absent, the known fonts stay; dumped when there are any. A font that is not installed is
// described by leaving it out: a story's attribute run that names it gives its text the font
// object of a missing font (status 0x12: not available and substituted; type 3, unknown; class
// 5), and an item's "fonts" that name it are its missing fonts (0x2502). zephost's report then
// shows each text run in that font with the tags "FontStatusNotAvailable", "FontStatusSubstituted"
// and "UnknownFontTypeUsedInLayout". "colorManagement" is the
// application's (host/standin/ColorManagement.h): whether it is on, the colour presets, the
// profiles the manager knows and, when given, those every refresh finds; absent parts keep the
// start state (on, empty presets, no profiles). "epsExport" are the session's EPS export
// preferences (host/standin/EPSExport.h), a number or a text by operation number; none when absent,
// dumped when there are any. "flattenerStyles" are appended to the session's flattener styles
// (host/standin/Flattener.h); dumped when there are any.
//
// The reader refuses anything else (an unknown field, a wrong type, a dangling id, a count or
// nesting over its bound) with a DescriptionError that names the field, and then changes
// nothing.
#pragma once

#include "host/standin/Document.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace host {

class DescriptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens the described document as the front document.
Document& OpenDocumentDescription(std::string_view json);
// Reads the session workspace's facets and opens the described documents.
void LoadSessionDescription(std::string_view json);
// Either of the two, by the description's "kind".
void LoadDescription(std::string_view json);

std::string DumpDocument(const Document& document);
// The persistent facets of the document's workspace as its dump gives them ("workspace",
// "facets"): the plug-in's data, which the model's change count (host/standin/Command.h) cannot
// follow, so one who compares dumps by that count reads these again.
std::string DumpWorkspaceFacets(const Document& document);
// The session with every open document.
std::string DumpSession();

} // namespace host
