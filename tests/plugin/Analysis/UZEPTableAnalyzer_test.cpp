#include "Analysis/UZEPTableAnalyzer.h"

#include "Analysis/ZEPPageItemInfo.h"
#include "host/standin/Faults.h"
#include "host/standin/Text.h"
#include "support/AnalysisFixture.h"
#include "support/ProblemTags.h"
#include "support/TableAd.h"
#include "support/Thrown.h"

#include <string>
#include <vector>

namespace {

// Colours: 40 RGB (tint 30), 41 CMYK, 42 Lab (tint 25), 43 a spot, 44 CMYK of the tested class.
// Table 60 (2 x 3, story 62): (0,0) a fill and four edges, of which sides 1 to 3 have no stroke,
// weight 0 and weight 2; (0,1) a stroked cell line without a tint; (0,2) a cell line of no
// stroke; (1,0) a cell line with its tint; (1,1) a cell line of weight 0 and an edge of weight
// 1e-9; text "Ab" in (0,0) and "\t\r", U+FFFC, "x" in (1,2), each of the four a run of its own
// colours, after the table's anchor. Table 61 (1 x 1, no text): a fill of 44. Items: 23 shows
// all of 60, 24 an area outside 60 (the two text frames of story 62, which holds the table; 23
// shows the anchor), 27 all of 61.
constexpr const char* kTableLayout = R"({
  "kind": "document", "name": "Tables.indd",
  "colors": [{"id": 40, "space": 5, "tint": 30}, {"id": 41, "space": 6},
    {"id": 42, "space": 7, "tint": 25}, {"id": 43, "space": 8, "ink": {"kind": 1}},
    {"id": 44, "class": "0x6E0B", "space": 6}],
  "stories": [{"id": 62, "frameList": 63, "text": "\u0016Ab\t\r\uFFFCx", "frames": [23, 24],
   "attributes": [{"span": 1, "font": "F"},
    {"span": 2, "font": "F", "fill": {"color": 41}}, {"span": 2, "font": "F", "fill": {"color": 40}},
    {"span": 1, "font": "F", "fill": {"color": 41}},
    {"span": 1, "font": "F", "fill": {"color": 42, "tint": 80}, "stroke": {"color": 43, "tint": 20}}]}],
  "tables": [{"id": 60, "rows": 2, "columns": 3, "story": 62, "cells": [
      {"row": 0, "column": 0, "fill": {"color": 40, "tint": 50},
       "edges": [{"side": 0, "color": 41, "tint": 10}, {"side": 1, "type": "0x1040C", "color": 42},
                 {"side": 2, "weight": 0, "color": 42},
                 {"side": 3, "weight": 2, "color": 43, "tint": 70}],
       "text": [1, 2]},
      {"row": 0, "column": 1, "attributes": [{"class": "0xB6DA", "uid": 42},
        {"class": "0xB6D9", "type": "0xF0A010"}, {"class": "0xB6D8", "real": 1}]},
      {"row": 0, "column": 2, "attributes": [{"class": "0xB6DA", "uid": 41},
        {"class": "0xB6D9", "type": "0x1040C"}, {"class": "0xB6D8", "real": 1}]},
      {"row": 1, "column": 0, "attributes": [{"class": "0xB6D8", "real": 0.5},
        {"class": "0xB6DB", "real": 60}, {"class": "0xB6D9", "type": "0xF0A010"},
        {"class": "0xB6DA", "uid": 43}]},
      {"row": 1, "column": 1, "edges": [{"side": 0, "weight": 1e-9, "color": 41}],
       "attributes": [{"class": "0xB6DA", "uid": 41}, {"class": "0xB6D9", "type": "0xF0A010"},
                      {"class": "0xB6D8", "real": 0}]},
      {"row": 1, "column": 2, "text": [3, 4]}]},
    {"id": 61, "rows": 1, "columns": 1, "cells": [{"row": 0, "column": 0, "fill": {"color": 44}}]}],
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}], "items": [
    {"id": 23, "layer": 3, "bounds": [0, 0, 10, 10], "textFrame": {"start": 0, "span": 1},
     "table": {"model": 60, "areas": [[0, 0, 2, 3]]}},
    {"id": 24, "layer": 3, "bounds": [0, 0, 10, 10], "textFrame": {"start": 1, "span": 0},
     "table": {"model": 60, "areas": [[5, 5, 6, 6]]}},
    {"id": 27, "layer": 3, "bounds": [0, 0, 10, 10], "table": {"model": 61, "areas": [[0, 0, 1, 1]]}}]}]
})";

class TableAnalyzerTest : public AnalysisTest {
protected:
    std::string Description() const override { return kTableLayout; }
    InterfacePtr<ITableModel> Table(std::uint32_t uid) const {
        return InterfacePtr<ITableModel>(Ref(uid), UseDefaultIID{});
    }
};

// Logs the cells it visits, the colours and the text ranges it is told of.
class WalkLog final : public UZEPTableAnalyzer {
public:
    using UZEPTableAnalyzer::UZEPTableAnalyzer;
    void OnColorObject(IColorObject* color, PMReal tint, bool stroke) override {
        m_log.push_back(std::to_string(GetUIDRef(color).GetUID().Get()) +
                        (stroke ? " stroke " : " fill ") + host::Number(tint));
    }
    void OnTextRange(ITextModel*, std::int32_t start, std::int32_t length) override {
        m_log.push_back("text " + std::to_string(start) + "+" + std::to_string(length));
    }
    std::vector<std::string> m_log;

protected:
    void VisitCell(const GridAddress& at) override {
        m_log.push_back("cell " + std::to_string(at.row) + "," + std::to_string(at.column));
        UZEPTableAnalyzer::VisitCell(at);
    }
};

// Logs the text ranges handed to the text-run analysis.
class TextRunLog final : public ZEPPageItemInfo {
public:
    void CollectTextRuns(ITextModel*, std::int32_t start, std::int32_t length) override {
        m_ranges += std::to_string(start) + "+" + std::to_string(length) + " ";
    }
    std::string m_ranges;
};

// Counts the cells it visits.
class CountingChecker final : public UZEPTableColorChecker {
public:
    using UZEPTableColorChecker::UZEPTableColorChecker;
    int m_cells = 0;

protected:
    void VisitCell(const GridAddress& at) override {
        ++m_cells;
        UZEPTableColorChecker::VisitCell(at);
    }
};

TEST_F(TableAnalyzerTest, WalksEveryAddressInRowOrderAndReportsOnlyStrokedColours) {
    const std::pair<GridArea, std::vector<std::string>> cases[] = {
        {{0, 0, 2, 3},
         {"cell 0,0", "40 fill 50", "41 stroke 10", "43 stroke 70", "cell 0,1", "42 stroke 25",
          "cell 0,2", "cell 1,0", "43 stroke 60", "cell 1,1", "cell 1,2", "text 1+2", "text 3+4"}},
        {{1, 1, 2, 3}, {"cell 1,1", "cell 1,2", "text 3+4"}},
    };
    for (const auto& [area, log] : cases) {
        WalkLog walk(Table(60).get(), area);
        walk.Run();
        EXPECT_EQ(walk.m_log, log) << area.firstRow;
    }
}

TEST_F(TableAnalyzerTest, ScanningTextReportsEachRunThatShowsACharacterOnce) {
    InterfacePtr<ITextModel> text(Ref(62), UseDefaultIID{});
    const struct {
        std::int32_t start, length;
        std::vector<std::string> log;
    } cases[] = {
        {1, 6, {"41 fill 100", "43 stroke 20", "42 fill 80"}}, // stroke before fill
        {2, 2, {"41 fill 100"}},
        {4, 2, {}}, // a return and the object replacement character show nothing
    };
    for (const auto& c : cases) {
        WalkLog walk(Table(60).get(), {0, 0, 2, 3});
        walk.ScanTextRange(text.get(), c.start, c.length);
        EXPECT_EQ(walk.m_log, c.log) << c.start;
    }
}

TEST_F(TableAnalyzerTest, ATableThatCannotBeAnalysedKeepsWhatWasFoundBeforeSilently) {
    const struct {
        std::uint32_t item;
        ClassID cls;
        PMIID iid;
        ItemStateFlags flags;
        std::string ranges;
    } cases[] = {
        {23, kInvalidClass, {}, {{}, true, false, true, true, true}, "1+2 3+4 "},
        {23, host::kStoryBoss, ITextModel::kDefaultIID, {{}, true, false, true, true, true}, ""},
        {23,
         host::kStoryBoss,
         IComposeScanner::kDefaultIID,
         {{}, true, false, true, true, true},
         ""},
        {23, host::kTableModelBoss, ITableAccess::kDefaultIID, {}, "1+2 3+4 "},
        {24, kInvalidClass, {}, {}, ""},
        {27, kInvalidClass, {}, {{}, false, false, true, false, false}, ""},
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        host::Faults::Instance().HideInterface(c.cls, c.iid);
        TextRunLog info;
        EXPECT_EQ(Thrown([&] { info.AnalyseTable(Object(c.item).get()); }), "nothing");
        const ItemStateFlags& flags = info.GetColorSummary();
        EXPECT_EQ(std::tuple(flags.rgb, flags.cmyk, flags.lab, flags.spots),
                  std::tuple(c.flags.rgb, c.flags.cmyk, c.flags.lab, c.flags.spots))
            << c.item << " " << host::Hex(c.iid.Get());
        EXPECT_EQ(info.m_ranges, c.ranges) << c.item << " " << host::Hex(c.iid.Get());
    }
}

// Table 70 (3 x 2, story 72): each cell's text in a line of its own, with one run, after the
// table's anchor; item 23, the text frame of story 72, shows the anchor and the whole table.
constexpr const char* kCellTextLayout = R"({
  "kind": "document", "name": "Cells.indd",
  "stories": [{"id": 72, "frameList": 73, "text": "\u0016A1\tB1\rA2\tB2\rA3\tB3", "frames": [23],
    "lines": [
      {"y": 12, "count": 1},
      {"y": 24, "count": 3, "runs": [{"start": 1, "span": 2, "width": 10, "height": 12}]},
      {"y": 24, "count": 3, "runs": [{"start": 4, "span": 2, "width": 10, "height": 12}]},
      {"y": 44, "count": 3, "runs": [{"start": 7, "span": 2, "width": 10, "height": 12}]},
      {"y": 44, "count": 3, "runs": [{"start": 10, "span": 2, "width": 10, "height": 12}]},
      {"y": 64, "count": 3, "runs": [{"start": 13, "span": 2, "width": 10, "height": 12}]},
      {"y": 64, "count": 3, "runs": [{"start": 16, "span": 2, "width": 10, "height": 12}]}]}],
  "tables": [{"id": 70, "rows": 3, "columns": 2, "story": 72, "cells": [
    {"row": 0, "column": 0, "text": [1, 2]}, {"row": 0, "column": 1, "text": [4, 2]},
    {"row": 1, "column": 0, "text": [7, 2]}, {"row": 1, "column": 1, "text": [10, 2]},
    {"row": 2, "column": 0, "text": [13, 2]}, {"row": 2, "column": 1, "text": [16, 2]}]}],
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}], "items": [
    {"id": 23, "layer": 3, "bounds": [0, 0, 100, 80], "textFrame": {"start": 0, "span": 1},
     "table": {"model": 70, "areas": [[0, 0, 3, 2]]}}]}]
})";

class CellTextTest : public TableAnalyzerTest {
protected:
    std::string Description() const override { return kCellTextLayout; }
};

// The host answer relied on: each cell's text is composed in lines of its own.
TEST_F(CellTextTest, EachCellsRunIsCollectedOnce) {
    ZEPPageItemInfo info;
    RunTableAnalysis(Table(70).get(), {0, 0, 3, 2}, info);
    ASSERT_NE(info.GetTextRuns(), nullptr);
    EXPECT_EQ(info.GetTextRuns()->size(), 6u);
}

// The host answers relied on: a table's cells keep their text after the story's own text, each
// cell on lines of its own, which neither the frame's line walk nor the story's total length
// takes in. In each shape, the frame that shows the table gets a record of its own with its
// matrix and the table's colour tag, no "TextBoxOverflowed", and each cell's run once, in the
// order of the cells.
TEST_F(TableAnalyzerTest, ATablesFrameRecordsEachCellsRunOnceUnderItsOwnRecord) {
    const struct {
        TableShape shape;
        bool textItem; // the frame shows more than one character
    } cases[] = {{TableShape::Anchor, false}, {TableShape::AnchorAndReturn, true}};
    for (const auto& c : cases) {
        const host::Document& ad = host::OpenDocumentDescription(TableAd(c.shape));
        InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
        const PMRect page = utils->GetItemBounds(RefIn(ad, 11), {}, kPathBounds);
        ZEPPageItemInfo info;
        info.Init(ObjectIn(ad, 22).get(), page, m_run, 1);
        EXPECT_EQ(info.IsTextItem(), c.textItem);
        const BPageItem* record = info.GetPageItem();
        ASSERT_TRUE(record) << c.textItem;
        EXPECT_EQ(record->kind, BPageItem::kPageItem);
        EXPECT_EQ(record->page, 1);
        EXPECT_EQ(record->GetMatrixCount(), 1);
        EXPECT_EQ(Tags(record), std::set<std::string>{"PlacedGraphicContainsSpots"});
        std::vector<std::array<double, 2>> runs, cells;
        for (std::size_t i = 0; i < kTableAdCells.size(); ++i) {
            const std::array<double, 2> at = TableAdRunAt(i);
            cells.push_back({at[0], 400 - (at[1] + 10)}); // the baseline's left, y up
        }
        ASSERT_TRUE(info.GetTextRuns());
        for (std::size_t i = 0; i < info.GetTextRuns()->size(); ++i) {
            const auto run = (*info.GetTextRuns())[i];
            runs.push_back({run->GetMatrix(0)[4], run->GetMatrix(0)[5]});
        }
        EXPECT_EQ(runs, cells) << c.textItem;
    }
}

TEST_F(TableAnalyzerTest, TheColourCheckerStopsAtTheFirstColourOfAnotherClass) {
    CountingChecker other(Table(60).get(), {0, 0, 2, 3});
    other.Run();
    EXPECT_TRUE(other.Found());
    EXPECT_EQ(other.m_cells, 1);
    CountingChecker tested(Table(61).get(), {0, 0, 1, 1});
    tested.Run();
    EXPECT_FALSE(tested.Found());
}

} // namespace
