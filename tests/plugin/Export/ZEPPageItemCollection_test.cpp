// Tests of the export run's page-item collection: the page-item file of the two-page example,
// embedded graphics written into files of their own, the printout question, and failures that
// leave the job's page-item list as it was.
#include "Export/ZEPExportHelper.h"

#include "host/sdk/EPSExport.h"
#include "host/standin/Faults.h"
#include "support/ExportRunFixture.h"
#include "support/HexBytes.h"
#include "support/JobSamples.h"
#include "support/PageItemFile.h"
#include "support/ProblemTags.h"
#include "support/TableAd.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <filesystem>

namespace {

using PageItemCollection = ExportRunTest;

// The host answers this test relies on: the item walker visits the spread's items page by page;
// item 21 and 23 are transparent, frame 22 is a text item with one composed run.
TEST_F(PageItemCollection, ThePageItemFileListsEachPageThenItsItemsAndTextRuns) {
    EXPECT_TRUE(ZEPExportHelper().Export(nullptr, &m_job));
    // Without a job file's permission PDF is forbidden: one EPS file per page.
    EXPECT_TRUE(std::filesystem::exists(m_temp.at("ad.eps")));
    EXPECT_TRUE(std::filesystem::exists(m_temp.at("ad.eps#2")));
    EXPECT_EQ(
        PageItemFileOutline(m_temp.read("items.bin")),
        (std::vector<std::string>{
            "page -2", "page 0", "kind 20", "TransparencyBlendSpaceSetToRGB",
            "TransparencyOnPageFlattenedUsingGlobalFlattener", "kind 20",
            "TransparencyAppliedToObject", "flattener", "page 1", "kind 20",
            "TransparencyBlendSpaceSetToRGB", "TransparencyOnPageFlattenedUsingGlobalFlattener",
            "kind 20", "TransparentObjectsOverlapTextFrame", "kind 10", "kind 20",
            "OpacityTransparencyAppliedToObject", "TransparencyAppliedToObject", "flattener"}));
}

// A link path from the image attributes is ANSI text whose accented letters stay precomposed:
// the path "caf\xE9.tif" names the file that is there (UTF-8 "caf\xC3\xA9.tif"), which keeps the
// link; decomposed (e + U+0301) it would name nothing and the data would be written out instead.
TEST_F(PageItemCollection, EmbeddedGraphicsWithoutAUsableLinkGetFilesOfTheirOwn) {
    m_temp.write("EmbeddedGraphic#1", "taken");
    m_temp.write("linked.tif", "linked");
    m_temp.write("caf\xC3\xA9.tif", "linked");
    const auto placed = [](int id, int x, const std::string& attributes) {
        return R"({"id": )" + std::to_string(id) + R"(, "layer": 3, "bounds": [)" +
               std::to_string(x) + R"(, 10, )" + std::to_string(x + 20) +
               R"(, 30], "placed": {"attributes": {)" + attributes + R"(}, "embeddedImage": )" +
               std::to_string(60 + id % 2) + "}}";
    };
    Open(R"({"kind": "document", "name": "Placed.indd", "layers": [{"id": 3, "name": "L"}],
      "spreads": [{"id": 10, "pages": [{"id": 11, "width": 300, "height": 400}], "items": [)" +
         placed(31, 0, "") + ", " +
         placed(32, 40, R"("121": ")" + hexText(m_temp.systemPath("linked.tif")) + '"') + ", " +
         placed(33, 80, R"("121": ")" + hexText("Z:/nowhere.tif") + '"') + ", " +
         placed(34, 120, R"("121": ")" + hexText(m_temp.systemPath("caf\xE9.tif")) + '"') +
         R"(]}],
      "embedded": [{"id": 60, "data": "0102"}, {"id": 61, "data": "0304"}],
      "view": {"spread": 10, "page": 11}})");
    m_job.GetAbsoluteRuns().Clear();
    m_job.GetAbsoluteRuns().AddRun(1, 1);
    ZEPExportHelper owner;
    owner.Prepare(nullptr, &m_job);
    ZEPExportJobFileHelper(owner).CollectPageItems();
    std::vector<std::string> links;
    const BPageItemList& items = m_job.GetPageSet(kAnalysedPageSet).items;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (const auto* graphic = dynamic_cast<const BPlacedGraphic*>(items[i].get()))
            links.push_back(graphic->linkPath.c_str());
    EXPECT_EQ(links, (std::vector<std::string>{m_temp.systemPath("EmbeddedGraphic#2"),
                                               m_temp.systemPath("linked.tif"),
                                               m_temp.systemPath("EmbeddedGraphic#3"),
                                               m_temp.systemPath("caf\xC3\xA9.tif")}));
    EXPECT_EQ(m_temp.read("EmbeddedGraphic#2"), "\x03\x04");
    EXPECT_EQ(m_temp.read("EmbeddedGraphic#3"), "\x03\x04");
    EXPECT_FALSE(std::filesystem::exists(m_temp.at("EmbeddedGraphic#4")));
}

// The host answers relied on: a table's cells keep their text after the story's own text, on
// lines of their own, which the frame's line walk leaves out. Whatever the shape of the table's
// frame, the cells' runs follow the frame's own record, once each, and not the logo's before it;
// their font is one the session does not know.
TEST_F(PageItemCollection, TheRunsOfATablesCellsFollowTheRecordOfItsFrame) {
    std::string expected = "20 | 210 | 20 PlacedGraphicContainsSpots";
    for (std::size_t i = 0; i < kTableAdCells.size(); ++i)
        expected +=
            " | 10 FontStatusNotAvailable FontStatusSubstituted UnknownFontTypeUsedInLayout";
    for (const TableShape shape : {TableShape::Anchor, TableShape::AnchorAndReturn}) {
        Open(TableAd(shape));
        m_job.GetAbsoluteRuns().Clear();
        m_job.GetAbsoluteRuns().AddRun(1, 1);
        ZEPExportHelper owner;
        owner.Prepare(nullptr, &m_job);
        ZEPExportJobFileHelper(owner).CollectPageItems();
        std::string records;
        const BPageItemList& items = m_job.GetPageSet(kAnalysedPageSet).items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            records += (i == 0 ? "" : " | ") + std::to_string(items[i]->kind);
            for (const std::string& tag : Tags(items[i].get()))
                records += " " + tag;
        }
        EXPECT_EQ(records, expected) << (shape == TableShape::Anchor ? "anchor" : "and return");
    }
}

TEST_F(PageItemCollection, AFailureLeavesTheJobsPageItemListAsItWas) {
    const struct {
        std::vector<BPageRange> runs;
        std::string thrown;
        std::size_t records; // collected before the failure
    } cases[] = {
        {{{ustring(), 1, 1, '+'}, {ustring(), 2, 1, 'N'}},
         "0x52E1F (*it)->GetNumberingStyle() != ePageNumberingStyle_Absolute",
         3},
        {{{ustring(), 5, 1, '+'}}, "0x52E1E ", 0},
    };
    ZEPExportHelper owner;
    owner.Prepare(nullptr, &m_job);
    const auto kept = std::make_shared<BPageItem>();
    m_job.GetPageSet(kAnalysedPageSet).items.Append(kept);
    for (const auto& c : cases) {
        ZEPExportJobFileHelper helper(owner);
        m_job.GetAbsoluteRuns().Clear();
        for (const BPageRange& run : c.runs)
            m_job.GetAbsoluteRuns().Append(std::make_unique<BPageRange>(run));
        EXPECT_EQ(Thrown([&] { helper.CollectPageItems(); }), c.thrown);
        EXPECT_EQ(helper.GetRecords().GetRecords().size(), c.records) << c.thrown;
        ASSERT_EQ(m_job.GetPageSet(kAnalysedPageSet).items.size(), 1u);
        EXPECT_EQ(m_job.GetPageSet(kAnalysedPageSet).items[0], kept);
    }
}

TEST_F(PageItemCollection, TheFirstPageTellsThatNoLayerPrints) {
    for (auto& [uid, layer] : m_document->layout.layerData)
        layer.printable = false;
    ZEPExportHelper owner;
    owner.Prepare(nullptr, &m_job);
    ZEPExportJobFileHelper(owner).CollectPageItems();
    EXPECT_TRUE(
        Tags(m_job.GetPageSet(kAnalysedPageSet).items[0].get()).contains("PrintoutSuppressed"));
}

// The host answers this test relies on: the layout holds no placed content, so no analysis
// needs the placed-images folder; the EPS export command fails when the fault says so.
TEST_F(PageItemCollection, AnExportMakesThePlacedImagesFolderAndAFailedOneTakesItAway) {
    EXPECT_TRUE(ZEPExportHelper().Export(nullptr, &m_job));
    EXPECT_TRUE(std::filesystem::is_directory(m_temp.at("PlacedImages")));
    std::filesystem::remove_all(m_temp.root());
    std::filesystem::create_directory(m_temp.root());
    host::Faults::Instance().FailProcessCommand(kEPSExportCmdBoss, ErrorCode(0x52E1F));
    EXPECT_EQ(Thrown([&] { ZEPExportHelper().Export(nullptr, &m_job); }), "0x52E1F ");
    EXPECT_TRUE(std::filesystem::is_empty(m_temp.root()));
}

} // namespace
