// Tests of the export run on a two-page document of their own, opened as the front document,
// with a job whose folder, page-item file and output file lie in a fresh temporary folder and
// whose absolute pages are the document's pages 1 and 2.
//
// Spread 10: pages 11 and 12 (300 x 400 each) in a row; bleed top 1, left 2, bottom 3, right 4;
// value pair (5, 6); blend space RGB. Layers: 3 "Layer 1", 4 "Locked" (locked). Items, back to
// front: 20 a box on page 11; 21 a transparent box on page 11, on layer 4; 22 a text frame on
// page 12 showing "Hello"; 23 a box with 50 % opacity on page 12 that overlaps 22; 24 an empty
// frame. Master spread 40 with page 41. The view shows page 11.
#pragma once

#include "Export/ZEPExportHelper.h"
#include "host/sdk/Selection.h"
#include "host/standin/Description.h"
#include "model/BJobFile.h"
#include "support/PluginFixture.h"
#include "support/TempFolder.h"

#include <string>
#include <vector>

inline constexpr const char* kExportLayout = R"({
  "kind": "document", "name": "Export.indd",
  "workspace": {"pageSetup": {"bleed": {"top": 1, "left": 2, "bottom": 3, "right": 4}},
                "valuePair": [5, 6], "blendSpace": 2},
  "layers": [{"id": 3, "name": "Layer 1"}, {"id": 4, "name": "Locked", "locked": true}],
  "spreads": [{"id": 10,
    "pages": [{"id": 11, "width": 300, "height": 400}, {"id": 12, "width": 300, "height": 400}],
    "items": [
      {"id": 20, "layer": 3, "bounds": [20, 20, 120, 70]},
      {"id": 21, "layer": 4, "bounds": [60, 40, 160, 140], "transparent": true},
      {"id": 22, "layer": 3, "bounds": [320, 20, 420, 120], "textFrame": {"start": 0, "span": 5}},
      {"id": 23, "layer": 3, "bounds": [380, 60, 480, 160], "transparency": {"opacity": 50}},
      {"id": 24, "layer": 3, "bounds": [30, 300, 30, 320]}]}],
  "masterSpreads": [{"id": 40, "pages": [{"id": 41, "width": 300, "height": 400}]}],
  "stories": [{"id": 50, "frameList": 51, "text": "Hello", "frames": [22],
    "lines": [{"y": 40, "count": 5, "runs": [{"start": 0, "span": 5, "width": 40, "height": 12,
                                               "matrix": [1, 0, 0, 1, 330, 30]}]}]}],
  "view": {"spread": 10, "page": 11}
})";

class ExportRunTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        Open(kExportLayout);
    }

    void Open(const std::string& description) {
        m_document = &host::OpenDocumentDescription(description);
        m_job.jobFolder.assign(ustring(m_temp.systemPath()));
        m_job.pageItemFile.assign(ustring(m_temp.systemPath("items.bin")));
        m_job.outputFile.assign(ustring(m_temp.systemPath("ad.eps")));
        m_job.GetAbsoluteRuns().Clear();
        m_job.GetAbsoluteRuns().AddRun(1, 2);
    }

    std::string Dump() const { return host::DumpDocument(*m_document); }
    UIDList List(const std::vector<std::uint32_t>& uids) const { return ListIn(*m_document, uids); }
    // The items of the layout selection.
    static UIDList Selection() {
        InterfacePtr<ILayoutTarget> target(static_cast<ILayoutTarget*>(
            CreateObject(kLayoutSelectionBoss, ILayoutTarget::kDefaultIID)));
        return target->GetUIDList(1, 0);
    }

    TempFolder m_temp;
    BJobFile m_job;
    host::Document* m_document = nullptr;
};
