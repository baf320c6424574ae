// Tests of page runs: merging into the last run, the conversions between page numbers and
// positions, the 'LX' and 'PR' records byte for byte, and counts from a stream that are not sane.
#include "model/BPageRange.h"

#include "support/KeyStreamBytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct RunSpec {
    const char* section;
    int first;
    int count;
    int style;
    bool operator==(const RunSpec& other) const {
        return std::string(section) == other.section && first == other.first &&
               count == other.count && style == other.style;
    }
};

void PrintTo(const RunSpec& run, std::ostream* out) {
    *out << '"' << run.section << "\" " << run.first << '+' << run.count << ' ' << run.style;
}

template <typename List>
std::vector<RunSpec> runsOf(const List& list) {
    std::vector<RunSpec> runs;
    for (std::size_t i = 0; i < list.size(); ++i)
        runs.push_back(
            {list[i].sectionName.c_str(), list[i].firstPage, list[i].pageCount, list[i].style});
    return runs;
}

BPageRangeList sectionRuns(std::initializer_list<RunSpec> runs) {
    BPageRangeList list;
    for (const RunSpec& run : runs)
        list.Append(std::make_unique<BPageRange>(run.section, run.first, run.count, run.style));
    return list;
}

// Reads `list` from a stream whose root holds what `body` writes.
template <typename List>
void readInto(List& list, const std::function<void(UKeyOutStream&)>& body) {
    KeyStreamReader reader(writeKeyStream(body));
    list.Read(reader.in);
}

} // namespace

TEST(BPageRangeAbsoluteList, AddRunExtendsOnlyARunItContinuesAndCanHold) {
    BPageRangeAbsoluteList list;
    list.AddRun(5, 2);
    list.AddRun(7, 3);
    list.AddRun(13, 1);
    EXPECT_EQ(runsOf(list), (std::vector<RunSpec>{{"", 5, 5, '+'}, {"", 13, 1, '+'}}));
    EXPECT_EQ(list.GetPageCount(), 6);

    BPageRangeAbsoluteList full;
    full.AddRun(1, INT_MAX - 1);
    full.AddRun(INT_MAX, 2);
    EXPECT_EQ(runsOf(full),
              (std::vector<RunSpec>{{"", 1, INT_MAX - 1, '+'}, {"", INT_MAX, 2, '+'}}))
        << "a new run rather than an overflowing count";
    EXPECT_EQ(full.GetPageCount(), std::int64_t{INT_MAX} + 1);
}

TEST(BPageRangeList, AddPageExtendsOnlyTheLastRunOfTheSameSectionAndStyle) {
    BPageRangeList list;
    list.AddPage("A", 'N', 1);
    list.AddPage("A", 'N', 2);
    list.AddPage("B", 'N', 3);
    list.AddPage("A", 'N', 3);
    list.AddPage("A", 'R', 4);
    EXPECT_EQ(runsOf(list),
              (std::vector<RunSpec>{
                  {"A", 1, 2, 'N'}, {"B", 3, 1, 'N'}, {"A", 3, 1, 'N'}, {"A", 4, 1, 'R'}}));
}

TEST(BPageRangeList, ToAbsoluteNumbersThePagesInListOrder) {
    BPageRangeAbsoluteList absolute;
    absolute.AddRun(40, 1);
    sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, 'r'}}).ToAbsolute(absolute);
    EXPECT_EQ(runsOf(absolute), (std::vector<RunSpec>{{"", 1, 3, '+'}, {"", 4, 2, '+'}}));
}

TEST(BPageRangeAbsoluteList, GetPositionCountsThePagesOfEarlierRuns) {
    BPageRangeAbsoluteList list;
    list.AddRun(3, 3);
    list.AddRun(8, 2);
    list.AddRun(INT_MAX - 1, 2);
    const struct {
        int page;
        unsigned position;
    } cases[] = {{3, 1}, {5, 3},  {8, 4},       {9, 5},      {6, 0},
                 {2, 0}, {10, 0}, {INT_MIN, 0}, {INT_MAX, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(list.GetPosition(c.page), c.position) << "page " << c.page;
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
    EXPECT_TRUE(BPageRangeList().IsDefault());
    EXPECT_TRUE(sectionRuns({{"", 1, 12, 'N'}}).IsDefault());
    EXPECT_EQ(sectionRuns({{"", 4, 12, 'N'}}).GetFirstPage(), 4);
    EXPECT_FALSE(sectionRuns({{"A", 1, 12, 'N'}}).IsDefault());
    EXPECT_FALSE(sectionRuns({{"", 2, 12, 'N'}}).IsDefault());
    EXPECT_FALSE(sectionRuns({{"", 1, 12, '1'}}).IsDefault());
    EXPECT_FALSE(sectionRuns({{"", 1, 1, 'N'}, {"", 2, 1, 'N'}}).IsDefault());
}

TEST(BPageRange, ListsWriteTheirRecordsByteForByte) {
    const BPageRangeList sections = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, '1'}});
    EXPECT_EQ(hex(afterHead(writeKeyStream([&](UKeyOutStream& out) { sections.Write(out); }))),
              "4C 58 FF 00 00 00 28 06 "
              "73 53 01 02 01 73 4E 01 02 03 73 50 01 05 41 73 46 01 02 4E "
              "73 53 01 02 01 73 4E 01 02 02 73 50 01 05 42 73 46 01 02 31");

    BPageRangeAbsoluteList absolute;
    EXPECT_EQ(hex(afterHead(writeKeyStream([&](UKeyOutStream& out) { absolute.Write(out); }))),
              "50 52 FF 00 00 00 00 06");
    absolute.AddRun(3, 3);
    absolute.AddRun(8, 2);
    EXPECT_EQ(hex(afterHead(writeKeyStream([&](UKeyOutStream& out) { absolute.Write(out); }))),
              "50 52 FF 00 00 00 14 06 73 53 01 02 03 73 4E 01 02 03 "
              "73 53 01 02 08 73 4E 01 02 02");
}

TEST(BPageRangeList, ReadsBackWithPositionsAndAppendsToWhatItHolds) {
    const BPageRangeList written = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, '1'}});
    BPageRangeList list = sectionRuns({{"X", 7, 4, 'N'}});
    readInto(list, [&](UKeyOutStream& out) { written.Write(out); });
    EXPECT_EQ(runsOf(list),
              (std::vector<RunSpec>{{"X", 7, 4, 'N'}, {"A", 1, 3, 'N'}, {"B", 1, 2, '1'}}));
    EXPECT_EQ(list[0].absoluteStart, 0) << "appended by hand";
    EXPECT_EQ(list[1].absoluteStart, 5);
    EXPECT_EQ(list[2].absoluteStart, 8);

    BPageRangeList sparse;
    readInto(sparse, [](UKeyOutStream& out) {
        out.begin_record('LX');
        out.select_key('sS').write_int(4);
        out.end();
    });
    EXPECT_EQ(runsOf(sparse), (std::vector<RunSpec>{{"", 4, 0, 0}})) << "missing fields";
    EXPECT_EQ(sparse[0].absoluteStart, 1);
}

TEST(BPageRangeAbsoluteList, ReadsRunsOfStylePlusStartingAtTheirFirstPage) {
    BPageRangeAbsoluteList list;
    readInto(list, [](UKeyOutStream& out) {
        out.begin_record('PR');
        out.select_key('sS').write_int(3);
        out.select_key('sN').write_int(2);
        out.select_key('sS').write_int(9);
        out.end();
    });
    EXPECT_EQ(runsOf(list), (std::vector<RunSpec>{{"", 3, 2, '+'}, {"", 9, 0, '+'}}));
    EXPECT_EQ(list[0].absoluteStart, 3);
}

TEST(BPageRangeList, ANegativeCountFromAStreamReadsAsZeroAndLargeSumsDoNotWrap) {
    BPageRangeList list;
    readInto(list, [](UKeyOutStream& out) {
        out.begin_record('LX');
        for (int count : {INT_MAX, -5, INT_MAX, 1}) {
            out.select_key('sS').write_int(1);
            out.select_key('sN').write_int(count);
        }
        out.end();
    });
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].pageCount, 0);
    EXPECT_EQ(list.GetPageCount(), 2 * std::int64_t{INT_MAX} + 1);
    EXPECT_EQ(list[1].absoluteStart, INT_MAX) << "saturated";
    EXPECT_EQ(list[3].absoluteStart, INT_MAX) << "saturated";

    int page = 0;
    EXPECT_EQ(list.GetRunAt(UINT_MAX, page), &list[3]) << "1 + 2 * INT_MAX is UINT_MAX";
    EXPECT_EQ(page, 1);
    bool inside = false;
    EXPECT_EQ(list.GetPosition(&list[3], 1, inside), UINT_MAX);
    EXPECT_TRUE(inside);
    EXPECT_EQ(list.GetPosition(&list[3], 2, inside), 0u) << "beyond 32 bits";
}
