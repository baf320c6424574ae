// Tests of the PDF and EPS exports: a document of five pages in a row on one spread (widths 100,
// 110, 120, 130 and 140, height 200; bleed top 1, left 2, bottom 3, right 4) with frame 20 on
// page 1 and frame 21 on page 5 on the printable layer 3, and frame 22 on page 1 on the
// non-printing layer 4; a temporary folder; and jobs read from a description, then given their
// output path, 'NP', name and absolute page runs.
#pragma once

#include "host/standin/Description.h"
#include "model/BJobFile.h"
#include "model/SettingDefinitions.h"
#include "support/JobDescription.h"
#include "support/PluginFixture.h"
#include "support/TempFolder.h"

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char* kFivePages = R"({
  "kind": "document", "name": "Five.indd",
  "workspace": {"pageSetup": {"bleed": {"top": 1, "left": 2, "bottom": 3, "right": 4},
                              "flag": false, "value": 0, "switch": false}},
  "layers": [{"id": 3, "name": "Art"}, {"id": 4, "name": "Notes", "printable": false}],
  "spreads": [{"id": 10, "pages": [
      {"id": 11, "width": 100, "height": 200}, {"id": 12, "width": 110, "height": 200},
      {"id": 13, "width": 120, "height": 200}, {"id": 14, "width": 130, "height": 200},
      {"id": 15, "width": 140, "height": 200}],
    "items": [{"id": 20, "layer": 3, "bounds": [10, 20, 60, 80]},
              {"id": 21, "layer": 3, "bounds": [470, 10, 500, 40]},
              {"id": 22, "layer": 4, "bounds": [5, 5, 50, 50]}]}]
})";

// The calls of a log joined by spaces, "SetOption 79 13" shortened to "79=13".
inline std::string ShortCalls(const std::vector<std::string>& log) {
    std::string calls;
    for (const std::string& entry : log) {
        std::string call = entry;
        if (entry.starts_with("SetOption ")) {
            call = entry.substr(10);
            call[call.find(' ')] = '=';
        }
        calls += (calls.empty() ? "" : " ") + call;
    }
    return calls;
}

class ExportTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_document = &host::OpenDocumentDescription(kFivePages);
    }

    // The job of the description (by default one selected group with one destination), with the
    // output file `output` in the temporary folder, the runs (first page, count) and 'NP'. The
    // setting definitions are those of the description alone.
    std::unique_ptr<BJobFile> Job(const std::vector<std::pair<int, int>>& runs,
                                  const std::string& output = "ad.eps", std::int32_t pages = 3,
                                  const std::string& description =
                                      R"({"groups": [{"selected": true,
                                          "destinations": [{"id": "1"}]}]})") const {
        SettingDefinitionsRegistry::Reset();
        ResetDefaultSettings();
        auto job = std::make_unique<BJobFile>();
        std::istringstream in(describedJobBytes(description));
        job->Read(in, kJobFilePartFull);
        EXPECT_TRUE(job->outputFile.set(m_folder.systemPath(output).c_str(), nullptr));
        job->jobName = "Ad";
        job->pageCount = pages;
        job->GetAbsoluteRuns().Clear();
        for (const auto& [first, count] : runs)
            job->GetAbsoluteRuns().AddRun(first, count);
        return job;
    }

    host::Document* m_document = nullptr;
    TempFolder m_folder;
};
