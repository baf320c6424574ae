// Tests of the page-item analysis on a layout of their own, with a job whose folder is a fresh
// temporary folder and whose absolute page runs hold document pages 1 and 2, and an export run
// over that job.
//
// Spread 10 (offset 1000, 0): pages 11 and 12 (600 x 800 each) in a row. Layers: 3 "Layer 1",
// 4 the guide layer by its key, 5 the guide layer by its translation "Zephrin Guides", 6 hidden,
// 7 not printing. Items, back to front: 20 the 100 x 50 box moved to (50, 100); 21 a box scaled
// by 2 to (20, 20, 220, 120); 22 a box over both pages; 23 a box on the pasteboard only; 24 an
// empty frame; 25 a guide on layer 4; 26 a frame on layer 4; 27 a guide on layer 3.
#pragma once

#include "Analysis/ZEPAnalysisRun.h"
#include "host/standin/Description.h"
#include "host/standin/Layout.h"
#include "model/BJobFile.h"
#include "support/PluginFixture.h"
#include "support/TempFolder.h"

#include <string>

inline constexpr const char* kAnalysisLayout = R"({
  "kind": "document", "name": "Analysis.indd",
  "layers": [{"id": 3, "name": "Layer 1"}, {"id": 4, "name": "0x52E00ZEPGuideLayer"},
             {"id": 5, "name": "Zephrin Guides"}, {"id": 6, "name": "Hidden", "visible": false},
             {"id": 7, "name": "Proof", "printable": false}],
  "spreads": [{"id": 10, "offset": [1000, 0],
    "pages": [{"id": 11, "width": 600, "height": 800}, {"id": 12, "width": 600, "height": 800}],
    "items": [
      {"id": 20, "layer": 3, "bounds": [0, 0, 100, 50], "matrix": [1, 0, 0, 1, 50, 100]},
      {"id": 21, "layer": 3, "bounds": [10, 10, 110, 60], "matrix": [2, 0, 0, 2, 0, 0]},
      {"id": 22, "layer": 3, "bounds": [550, 10, 650, 60]},
      {"id": 23, "layer": 3, "bounds": [-200, 10, -100, 60]},
      {"id": 24, "layer": 3, "bounds": [30, 30, 30, 60]},
      {"id": 25, "layer": 4, "guide": {"horizontal": true, "position": 20, "index": 15}},
      {"id": 26, "layer": 4, "bounds": [0, 0, 10, 10]},
      {"id": 27, "layer": 3, "guide": {"horizontal": false, "position": 300, "index": 15}}]}]
})";

class AnalysisTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_document = &host::OpenDocumentDescription(Description());
        m_job.jobFolder.assign(ustring(m_temp.systemPath()));
        m_job.GetAbsoluteRuns().AddRun(1, 2);
    }

    // The description the tests run on (a fixture may give its own).
    virtual std::string Description() const { return kAnalysisLayout; }

    UIDRef Ref(std::uint32_t uid) const { return RefIn(*m_document, uid); }
    InterfacePtr<IPMUnknown> Object(std::uint32_t uid) const { return ObjectIn(*m_document, uid); }
    // A page's bounds in pasteboard coordinates.
    PMRect PageBounds(std::uint32_t page) const {
        InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
        return utils->GetItemBounds(Ref(page), {}, kPathBounds);
    }

    TempFolder m_temp;
    BJobFile m_job;
    ZEPAnalysisRun m_run{m_job};
    host::Document* m_document = nullptr;
};
