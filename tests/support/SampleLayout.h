// A document description that the layout tests share, written in the full form that `dump`
// writes.
//
// Spread 10 (offset 100, 1000): pages 11 (200 x 300) and 12 (100 x 300) in a row; frame 20
// (10, 20, 60, 80) with stroke 2 on layer 3; group 21 on layer 4 holding frame 22
// (150, 10, 250, 110) and frame 23 (inner 0, 0, 10, 10 scaled by 2 and moved by 50, 50),
// and the empty frame 24 (30, 30, 30, 60) on layer 3. Spread 30 (offset -50, 2000): page 31
// (400 x 200), frame 32 (5, 5, 15, 15). Master spread 40 with page 41. Bleed top 1, left 2,
// bottom 3, right 4; the view shows page 12; two copies print on "Proof".
#pragma once

#include "host/standin/Description.h"
#include "support/HostFixture.h"

inline constexpr const char* kSampleLayout = R"({
  "kind": "document",
  "name": "Sample.indd",
  "workspace": {
    "facets": {},
    "pageSetup": {"bleed": {"top": 1, "left": 2, "bottom": 3, "right": 4},
                  "flag": true, "value": 2, "switch": false},
    "valuePair": [5, 6],
    "print": {"printer": "Proof", "copies": 2}
  },
  "layers": [
    {"id": 3, "name": "Layer 1", "locked": false, "visible": true, "printable": true},
    {"id": 4, "name": "Back", "locked": true, "visible": false, "printable": false}
  ],
  "spreads": [
    {"id": 10, "offset": [100, 1000],
     "pages": [{"id": 11, "width": 200, "height": 300, "margins": [0, 0, 0, 0]},
               {"id": 12, "width": 100, "height": 300, "margins": [1, 2, 3, 4]}],
     "items": [
       {"id": 20, "class": "0xF03005", "layer": 3, "bounds": [10, 20, 60, 80],
        "matrix": [1, 0, 0, 1, 0, 0], "stroke": 2},
       {"id": 21, "class": "0xF03006", "layer": 4, "items": [
         {"id": 22, "class": "0xF03005", "bounds": [150, 10, 250, 110],
          "matrix": [1, 0, 0, 1, 0, 0], "stroke": 0},
         {"id": 23, "class": "0xB667", "bounds": [0, 0, 10, 10],
          "matrix": [2, 0, 0, 2, 50, 50], "stroke": 0}]},
       {"id": 24, "class": "0xF03005", "layer": 3, "bounds": [30, 30, 30, 60],
        "matrix": [1, 0, 0, 1, 0, 0], "stroke": 0}]},
    {"id": 30, "offset": [-50, 2000], "pasteboard": [-100, -100, 500, 300],
     "pages": [{"id": 31, "width": 400, "height": 200, "margins": [0, 0, 0, 0]}],
     "items": [{"id": 32, "class": "0xF03005", "layer": 3, "bounds": [5, 5, 15, 15],
                "matrix": [1, 0, 0, 1, 0, 0], "stroke": 0}]}
  ],
  "masterSpreads": [
    {"id": 40, "offset": [0, 0],
     "pages": [{"id": 41, "width": 200, "height": 300, "margins": [0, 0, 0, 0]}], "items": []}
  ],
  "sections": [{"name": "A", "start": 11, "count": 2, "style": "0x4C1A"},
               {"name": "B", "start": 31, "count": 1, "style": "0x4C18"}],
  "view": {"spread": 10, "page": 12}
})";
