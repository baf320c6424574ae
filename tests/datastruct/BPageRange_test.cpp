#include "model/BPageRange.h"

#include "support/KeyStreamBytes.h"
#include "support/Test.h"

#include <climits>

namespace {

using PageRun = std::tuple<std::string, int, int, int>; // section, first page, count, style

std::vector<PageRun> runsOf(const OwningList<BPageRange>& list) {
    std::vector<PageRun> runs;
    for (const BPageRange& run : list)
        runs.emplace_back(run.sectionName.toStdString(), run.firstPage, run.pageCount, run.style);
    return runs;
}

BPageRangeList sectionRuns(const std::vector<PageRun>& runs) {
    BPageRangeList list;
    for (const auto& [section, first, count, style] : runs)
        list.Append(std::make_unique<BPageRange>(section.c_str(), first, count, style));
    return list;
}

// `list` read from a stream whose root holds what `body` writes.
template <typename List>
void readInto(List& list, const std::function<void(UKeyOutStream&)>& body) {
    KeyStreamReader reader(writeKeyStream(body));
    list.Read(reader.in);
}

std::string recordOf(const auto& list) {
    return hex(afterHead(writeKeyStream([&](UKeyOutStream& out) { list.Write(out); })));
}

} // namespace

TEST(BPageRangeAbsoluteList, AddRunExtendsOnlyARunItContinuesAndCanHold) {
    BPageRangeAbsoluteList list;
    list.AddRun(5, 2);
    list.AddRun(7, 3);
    list.AddRun(13, 1);
    EXPECT_EQ(runsOf(list), (std::vector<PageRun>{{"", 5, 5, '+'}, {"", 13, 1, '+'}}));
    EXPECT_EQ(list.GetPageCount(), 6);
    BPageRangeAbsoluteList full;
    full.AddRun(1, INT_MAX - 1);
    full.AddRun(INT_MAX, 2);
    EXPECT_EQ(runsOf(full),
              (std::vector<PageRun>{{"", 1, INT_MAX - 1, '+'}, {"", INT_MAX, 2, '+'}}))
        << "a new run rather than an overflowing count";
    EXPECT_EQ(full.GetPageCount(), std::int64_t{INT_MAX} + 1);
}

TEST(BPageRangeList, AddPageExtendsOnlyTheLastRunOfTheSameSectionAndStyle) {
    BPageRangeList list;
    for (const auto& [section, style, page] :
         {std::tuple("A", 'N', 1), {"A", 'N', 2}, {"B", 'N', 3}, {"A", 'N', 3}, {"A", 'R', 4}})
        list.AddPage(section, style, page);
    EXPECT_EQ(runsOf(list),
              (std::vector<PageRun>{
                  {"A", 1, 2, 'N'}, {"B", 3, 1, 'N'}, {"A", 3, 1, 'N'}, {"A", 4, 1, 'R'}}));
    BPageRangeAbsoluteList absolute;
    absolute.AddRun(40, 1);
    sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, 'r'}}).ToAbsolute(absolute);
    EXPECT_EQ(runsOf(absolute), (std::vector<PageRun>{{"", 1, 3, '+'}, {"", 4, 2, '+'}}))
        << "ToAbsolute numbers the pages in list order";
}

TEST(BPageRangeAbsoluteList, GetPositionCountsThePagesOfEarlierRuns) {
    BPageRangeAbsoluteList list;
    list.AddRun(3, 3);
    list.AddRun(8, 2);
    list.AddRun(INT_MAX - 1, 2);
    const std::pair<int, unsigned> cases[] = {{3, 1}, {5, 3},  {8, 4},       {9, 5},      {6, 0},
                                              {2, 0}, {10, 0}, {INT_MIN, 0}, {INT_MAX, 7}};
    for (const auto& [page, position] : cases)
        EXPECT_EQ(list.GetPosition(page), position) << "page " << page;
}

TEST(BPageRangeList, GetRunAtAndGetPositionConvertBetweenPositionsAndPages) {
    const BPageRangeList list = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, 'N'}});
    int page = -7;
    EXPECT_EQ(list.GetRunAt(4, page), &list[1]);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(list.GetRunAt(3, page), &list[0]);
    EXPECT_EQ(page, 3);
    page = -7;
    EXPECT_EQ(list.GetRunAt(6, page), nullptr);
    EXPECT_EQ(list.GetRunAt(0, page), nullptr);
    EXPECT_EQ(page, -7);
    bool inside = false;
    EXPECT_EQ(list.GetPosition(&list[1], 2, inside), 5u);
    EXPECT_TRUE(inside);
    EXPECT_EQ(list.GetPosition(&list[1], 7, inside), 10u);
    EXPECT_FALSE(inside);
    const BPageRange stranger("A", 1, 3, 'N');
    inside = true;
    EXPECT_EQ(list.GetPosition(&stranger, 2, inside), 0u);
    EXPECT_TRUE(inside);
    EXPECT_EQ(list.GetPosition(&list[0], INT_MIN, inside), 0u) << "no position below 1";
    EXPECT_FALSE(inside);
}

TEST(BPageRangeList, FirstPageAndDefaultness) {
    EXPECT_EQ(BPageRangeList().GetFirstPage(), 1);
    EXPECT_EQ(sectionRuns({{"", 4, 12, 'N'}}).GetFirstPage(), 4);
    const std::pair<std::vector<PageRun>, bool> cases[] = {
        {{}, true},
        {{{"", 1, 12, 'N'}}, true},
        {{{"A", 1, 12, 'N'}}, false},
        {{{"", 2, 12, 'N'}}, false},
        {{{"", 1, 12, '1'}}, false},
        {{{"", 1, 1, 'N'}, {"", 2, 1, 'N'}}, false},
    };
    for (const auto& [runs, isDefault] : cases)
        EXPECT_EQ(sectionRuns(runs).IsDefault(), isDefault) << runs.size();
}

// The absolute list's record 'PR' with runs is written byte for byte in the job and
// exported-destination tests.
TEST(BPageRange, ListsWriteTheirRecordsByteForByte) {
    EXPECT_EQ(recordOf(BPageRangeAbsoluteList()), "50 52 FF 00 00 00 00 06");
    EXPECT_EQ(recordOf(sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, '1'}})),
              "4C 58 FF 00 00 00 28 06 "
              "73 53 01 02 01 73 4E 01 02 03 73 50 01 05 41 73 46 01 02 4E "
              "73 53 01 02 01 73 4E 01 02 02 73 50 01 05 42 73 46 01 02 31");
}

TEST(BPageRangeList, ReadsBackWithPositionsAndAppendsToWhatItHolds) {
    const BPageRangeList written = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, '1'}});
    BPageRangeList list = sectionRuns({{"X", 7, 4, 'N'}});
    readInto(list, [&](UKeyOutStream& out) { written.Write(out); });
    EXPECT_EQ(runsOf(list),
              (std::vector<PageRun>{{"X", 7, 4, 'N'}, {"A", 1, 3, 'N'}, {"B", 1, 2, '1'}}));
    // Positions: 0 for the run appended by hand.
    EXPECT_EQ(std::tuple(list[0].absoluteStart, list[1].absoluteStart, list[2].absoluteStart),
              std::tuple(0, 5, 8));
    BPageRangeList sparse;
    readInto(sparse, [](UKeyOutStream& out) {
        out.begin_record('LX').select_key('sS').write_int(4);
        out.end();
    });
    EXPECT_EQ(runsOf(sparse), (std::vector<PageRun>{{"", 4, 0, 0}})) << "missing fields";
    EXPECT_EQ(sparse[0].absoluteStart, 1);
    BPageRangeAbsoluteList absolute;
    readInto(absolute, [](UKeyOutStream& out) {
        out.begin_record('PR').select_key('sS').write_int(3);
        out.select_key('sN').write_int(2).select_key('sS').write_int(9);
        out.end();
    });
    EXPECT_EQ(runsOf(absolute), (std::vector<PageRun>{{"", 3, 2, '+'}, {"", 9, 0, '+'}}));
    EXPECT_EQ(absolute[0].absoluteStart, 3) << "an absolute run starts at its first page";
}

TEST(BPageRangeList, ANegativeCountFromAStreamReadsAsZeroAndLargeSumsDoNotWrap) {
    BPageRangeList list;
    readInto(list, [](UKeyOutStream& out) {
        out.begin_record('LX');
        for (int count : {INT_MAX, -5, INT_MAX, 1})
            out.select_key('sS').write_int(1).select_key('sN').write_int(count);
        out.end();
    });
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].pageCount, 0);
    EXPECT_EQ(list.GetPageCount(), 2 * std::int64_t{INT_MAX} + 1);
    EXPECT_EQ(std::pair(list[1].absoluteStart, list[3].absoluteStart), std::pair(INT_MAX, INT_MAX))
        << "saturated";
    int page = 0;
    EXPECT_EQ(list.GetRunAt(UINT_MAX, page), &list[3]) << "1 + 2 * INT_MAX is UINT_MAX";
    EXPECT_EQ(page, 1);
    bool inside = false;
    EXPECT_EQ(list.GetPosition(&list[3], 1, inside), UINT_MAX);
    EXPECT_TRUE(inside);
    EXPECT_EQ(list.GetPosition(&list[3], 2, inside), 0u) << "beyond 32 bits";
}
