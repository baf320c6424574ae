// Every document described under examples/ and tests/data/, collected as an export collects its
// pages: each text-run record's box (the unit square under its matrix) lies inside the box of
// the frame record before it, and the proof of the page draws the run's text on that box's foot
// in the box's height. The host answers relied on: the description's composed lines and runs
// (host/standin/Text.h, RunBox) and the stand-in's page drawing (host/standin/PageDrawing.h).
#include "Export/ZEPExportHelper.h"

#include "host/standin/Description.h"
#include "host/standin/PageDrawing.h"
#include "host/standin/Session.h"
#include "model/BJobFile.h"
#include "support/PluginFixture.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double kTolerance = 1e-6;

// A box in the coordinates of its page: points from the page's left-bottom corner, y up.
struct Box {
    double left, bottom, right, top;
    bool Holds(const Box& inner) const {
        return inner.left >= left - kTolerance && inner.bottom >= bottom - kTolerance &&
               inner.right <= right + kTolerance && inner.top <= top + kTolerance;
    }
};

// The unit square under a record's matrix.
Box Square(const BPageItem& record) {
    const double* m = record.GetMatrix(0);
    const std::array xs{m[4], m[4] + m[0], m[4] + m[2], m[4] + m[0] + m[2]};
    const std::array ys{m[5], m[5] + m[1], m[5] + m[3], m[5] + m[1] + m[3]};
    return {*std::min_element(xs.begin(), xs.end()), *std::min_element(ys.begin(), ys.end()),
            *std::max_element(xs.begin(), xs.end()), *std::max_element(ys.begin(), ys.end())};
}

Box Relative(const Box& box, double x, double y) {
    return {box.left - x, box.bottom - y, box.right - x, box.top - y};
}

// The descriptions of documents and sessions (job descriptions have no "kind").
std::vector<fs::path> DocumentDescriptions() {
    std::vector<fs::path> paths;
    for (const char* folder : {ZEP_EXAMPLES_DIR, ZEP_TEST_DATA_DIR})
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".json")
                continue;
            std::ifstream in(entry.path());
            const std::string text(std::istreambuf_iterator<char>(in), {});
            if (text.find("\"kind\"") != std::string::npos)
                paths.push_back(entry.path());
        }
    std::sort(paths.begin(), paths.end());
    return paths;
}

class ExampleTextRuns : public PluginTest {
protected:
    // Collects the document's pages as an export does; the number of text-run records checked.
    int CheckRuns(host::Document& document, const std::string& name) {
        BJobFile job;
        job.jobFolder.assign(ustring(m_temp.systemPath()));
        const auto pages = static_cast<std::int32_t>(document.layout.PageCount());
        job.GetAbsoluteRuns().AddRun(1, pages);
        ZEPExportHelper owner;
        owner.Prepare(document.Get(), &job);
        ZEPExportJobFileHelper(owner).CollectPageItems();

        const host::Sides bleed =
            document.layout.pageSetup ? document.layout.pageSetup->bleed : host::Sides{};
        const BPageItemList& records = job.GetPageSet(kAnalysedPageSet).items;
        int runs = 0;
        std::int32_t page = 0;
        Box pageBox{}, frame{};
        std::vector<host::DrawnText> drawn;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const BPageItem& record = *records[i];
            if (record.page != page) { // the page's own record comes first
                page = record.page;
                pageBox = Square(record);
                drawn.clear();
                for (const host::DrawnItem& item : host::DrawPage(
                         document, document.layout.NthPage(static_cast<std::size_t>(page - 1)),
                         bleed))
                    drawn.insert(drawn.end(), item.text.begin(), item.text.end());
                continue;
            }
            const Box box = Relative(Square(record), pageBox.left, pageBox.bottom);
            if (record.kind != BPageItem::kTextRun) {
                frame = box;
                continue;
            }
            ++runs;
            const std::string where = name + " page " + std::to_string(page) + ", text run " +
                                      std::to_string(runs) + " of the document";
            EXPECT_TRUE(frame.Holds(box)) << where << " at " << box.left << " " << box.bottom << " "
                                          << box.right << " " << box.top;
            const auto onFoot = [&](const host::DrawnText& text) {
                return std::abs(text.matrix[4] - bleed.left - box.left) < kTolerance &&
                       std::abs(text.matrix[5] - bleed.bottom - box.bottom) < kTolerance &&
                       std::abs(text.size - (box.top - box.bottom)) < kTolerance;
            };
            EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), onFoot))
                << where << ": no text drawn on the box's foot";
        }
        return runs;
    }

    TempFolder m_temp;
};

TEST_F(ExampleTextRuns, LieInTheirFramesAndAreDrawnThere) {
    int runs = 0;
    for (const fs::path& path : DocumentDescriptions()) {
        host::UnloadAll();
        host::Reset();
        ASSERT_TRUE(host::Attach(GetPlugIn()));
        std::ifstream in(path);
        host::LoadDescription(std::string(std::istreambuf_iterator<char>(in), {}));
        for (const auto& document : host::OpenDocuments())
            runs += CheckRuns(*document, path.filename().string());
    }
    EXPECT_GE(runs, 3) << "the example ad's headline and body text";
}

} // namespace
