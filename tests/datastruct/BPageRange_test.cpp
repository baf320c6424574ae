// Tests of page runs: merging into the last run, the conversions between page numbers and
// positions, the 'LX' and 'PR' records byte for byte, and counts from a stream that are not sane.
#include "BPageRange.h"

#include "UKeyStream.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <sstream>
#include <string>

namespace {

// The head of a stream with identifier 0: the root record and the version element.
constexpr std::size_t kHeadSize = 13;

std::string writeStream(const std::function<void(UKeyOutStream&)>& body) {
    std::stringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        body(out);
    }
    return bytes.str();
}

std::string bodyOf(const std::string& stream) {
    return stream.substr(kHeadSize);
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

struct RunSpec {
    const char* section;
    int first;
    int count;
    int style;
};

void expectRuns(const BPageRangeList& list, std::initializer_list<RunSpec> runs) {
    ASSERT_EQ(list.size(), runs.size());
    std::size_t i = 0;
    for (const RunSpec& run : runs) {
        EXPECT_EQ(list[i].sectionName, run.section) << "run " << i;
        EXPECT_EQ(list[i].firstPage, run.first) << "run " << i;
        EXPECT_EQ(list[i].pageCount, run.count) << "run " << i;
        EXPECT_EQ(list[i].style, run.style) << "run " << i;
        ++i;
    }
}

BPageRangeList sectionRuns(std::initializer_list<RunSpec> runs) {
    BPageRangeList list;
    for (const RunSpec& run : runs)
        list.Append(std::make_unique<BPageRange>(run.section, run.first, run.count, run.style));
    return list;
}

} // namespace

TEST(BPageRangeAbsoluteList, AddRunExtendsOnlyARunItContinues) {
    BPageRangeAbsoluteList joined;
    joined.AddRun(5, 2);
    joined.AddRun(7, 3);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0].firstPage, 5);
    EXPECT_EQ(joined[0].pageCount, 5);
    EXPECT_EQ(joined[0].style, '+');

    BPageRangeAbsoluteList apart;
    apart.AddRun(5, 2);
    apart.AddRun(8, 1);
    ASSERT_EQ(apart.size(), 2u);
    EXPECT_EQ(apart[1].firstPage, 8);
    EXPECT_EQ(apart.GetPageCount(), 3);
}

TEST(BPageRangeAbsoluteList, AddRunStartsANewRunRatherThanOverflowTheCount) {
    BPageRangeAbsoluteList list;
    list.AddRun(1, INT_MAX - 1);
    list.AddRun(INT_MAX, 2);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].pageCount, INT_MAX - 1);
    EXPECT_EQ(list.GetPageCount(), std::int64_t{INT_MAX} + 1);
}

TEST(BPageRangeList, AddPageExtendsOnlyTheLastRunOfTheSameSectionAndStyle) {
    BPageRangeList list;
    list.AddPage("A", 'N', 1);
    list.AddPage("A", 'N', 2);
    list.AddPage("B", 'N', 3);
    list.AddPage("A", 'N', 3);
    list.AddPage("A", 'R', 4);
    expectRuns(list, {{"A", 1, 2, 'N'}, {"B", 3, 1, 'N'}, {"A", 3, 1, 'N'}, {"A", 4, 1, 'R'}});
}

TEST(BPageRangeList, ToAbsoluteNumbersThePagesInListOrder) {
    const BPageRangeList sections = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, 'r'}});
    BPageRangeAbsoluteList absolute;
    absolute.AddRun(40, 1);
    sections.ToAbsolute(absolute);
    ASSERT_EQ(absolute.size(), 2u);
    EXPECT_EQ(absolute[0].firstPage, 1);
    EXPECT_EQ(absolute[0].pageCount, 3);
    EXPECT_EQ(absolute[1].firstPage, 4);
    EXPECT_EQ(absolute[1].pageCount, 2);
    EXPECT_EQ(absolute[0].style, '+');
    EXPECT_EQ(absolute[1].style, '+');
    EXPECT_TRUE(absolute[1].sectionName.empty());
}

TEST(BPageRangeAbsoluteList, GetPositionCountsThePagesOfEarlierRuns) {
    BPageRangeAbsoluteList list;
    list.AddRun(3, 3);
    list.AddRun(8, 2);
    const struct {
        int page;
        unsigned position;
    } cases[] = {{3, 1}, {5, 3}, {8, 4}, {9, 5}, {6, 0}, {2, 0}, {10, 0}, {INT_MIN, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(list.GetPosition(c.page), c.position) << "page " << c.page;
}

TEST(BPageRangeAbsoluteList, GetPositionOfAPageNearTheLimitDoesNotOverflow) {
    BPageRangeAbsoluteList list;
    list.AddRun(INT_MAX - 1, 2);
    EXPECT_EQ(list.GetPosition(INT_MAX), 2u);
}

TEST(BPageRangeList, GetRunAtFindsTheRunAndItsPage) {
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
}

TEST(BPageRangeList, GetPositionCountsAPageAgainstItsRunInsideOrNot) {
    const BPageRangeList list = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, 'N'}});
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

    const struct {
        RunSpec run;
        const char* why;
    } notDefault[] = {{{"A", 1, 12, 'N'}, "named section"},
                      {{"", 2, 12, 'N'}, "first page 2"},
                      {{"", 1, 12, '1'}, "style 1"}};
    for (const auto& c : notDefault)
        EXPECT_FALSE(sectionRuns({c.run}).IsDefault()) << c.why;
    EXPECT_FALSE(sectionRuns({{"", 1, 1, 'N'}, {"", 2, 1, 'N'}}).IsDefault());
}

TEST(BPageRangeList, WritesTheLXRecordByteForByte) {
    const BPageRangeList list = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, '1'}});
    const std::string bytes = writeStream([&](UKeyOutStream& out) { list.Write(out); });
    EXPECT_EQ(hex(bodyOf(bytes)), "4C 58 FF 00 00 00 28 06 "
                                  "73 53 01 02 01 73 4E 01 02 03 73 50 01 05 41 73 46 01 02 4E "
                                  "73 53 01 02 01 73 4E 01 02 02 73 50 01 05 42 73 46 01 02 31");
}

TEST(BPageRangeAbsoluteList, WritesThePRRecordByteForByte) {
    BPageRangeAbsoluteList list;
    list.AddRun(3, 3);
    list.AddRun(8, 2);
    const std::string bytes = writeStream([&](UKeyOutStream& out) { list.Write(out); });
    EXPECT_EQ(hex(bodyOf(bytes)), "50 52 FF 00 00 00 14 06 "
                                  "73 53 01 02 03 73 4E 01 02 03 "
                                  "73 53 01 02 08 73 4E 01 02 02");

    const std::string empty =
        writeStream([&](UKeyOutStream& out) { BPageRangeAbsoluteList().Write(out); });
    EXPECT_EQ(hex(bodyOf(empty)), "50 52 FF 00 00 00 00 06");
}

TEST(BPageRangeList, ReadsBackWithPositionsAndAppendsToWhatItHolds) {
    const BPageRangeList written = sectionRuns({{"A", 1, 3, 'N'}, {"B", 1, 2, '1'}});
    std::stringstream bytes(writeStream([&](UKeyOutStream& out) { written.Write(out); }));
    UKeyInStream in(bytes);

    BPageRangeList list = sectionRuns({{"X", 7, 4, 'N'}});
    list.Read(in);
    expectRuns(list, {{"X", 7, 4, 'N'}, {"A", 1, 3, 'N'}, {"B", 1, 2, '1'}});
    EXPECT_EQ(list[0].absoluteStart, 0) << "appended by hand";
    EXPECT_EQ(list[1].absoluteStart, 5);
    EXPECT_EQ(list[2].absoluteStart, 8);
}

TEST(BPageRangeList, ReadsMissingFieldsAsZeroAndEmpty) {
    std::stringstream bytes(writeStream([](UKeyOutStream& out) {
        out.begin_record('LX');
        out.select_key('sS').write_int(4);
        out.end();
    }));
    UKeyInStream in(bytes);
    BPageRangeList list;
    list.Read(in);
    expectRuns(list, {{"", 4, 0, 0}});
    EXPECT_EQ(list[0].absoluteStart, 1);
}

TEST(BPageRangeAbsoluteList, ReadsRunsOfStylePlusStartingAtTheirFirstPage) {
    std::stringstream bytes(writeStream([](UKeyOutStream& out) {
        out.begin_record('PR');
        out.select_key('sS').write_int(3);
        out.select_key('sN').write_int(2);
        out.select_key('sS').write_int(9);
        out.end();
    }));
    UKeyInStream in(bytes);
    BPageRangeAbsoluteList list;
    list.Read(in);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].style, '+');
    EXPECT_EQ(list[0].absoluteStart, 3);
    EXPECT_EQ(list[0].pageCount, 2);
    EXPECT_EQ(list[1].firstPage, 9);
    EXPECT_EQ(list[1].pageCount, 0) << "no 'sN'";
}

TEST(BPageRangeList, ANegativeCountFromAStreamReadsAsZeroAndLargeSumsDoNotWrap) {
    std::stringstream bytes(writeStream([](UKeyOutStream& out) {
        out.begin_record('LX');
        for (int count : {INT_MAX, -5, INT_MAX, 1}) {
            out.select_key('sS').write_int(1);
            out.select_key('sN').write_int(count);
        }
        out.end();
    }));
    UKeyInStream in(bytes);
    BPageRangeList list;
    list.Read(in);
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
