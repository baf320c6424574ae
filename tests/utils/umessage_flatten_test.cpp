// Tests of the binary message form: exact bytes of the writer, the varint widths, streams of
// versions 1 to 3, the failures with their log lines, hostile input and random round trips.
#include "support/LogCapture.h"
#include "support/RandomMessage.h"
#include "utils/umessage.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using namespace umessage_details;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes flat(const umessage& m) {
    std::ostringstream out;
    m.flatten(out);
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

bool unflat(umessage& m, const Bytes& bytes) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    return m.unflatten(in);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string errorLine(const char* text) {
    return std::string("[2026-03-01T14:05:09][ERROR][5120][umessage_serialize:umessage::unflatten:"
                       "436] ") +
           text + "\n";
}

// Reads `bytes`, expects failure with exactly one ERROR line and an emptied target.
void expectFailure(const Bytes& bytes, const char* text) {
    LogCapture capture;
    umessage m;
    m.add<int>("old", type_int, 1);
    EXPECT_FALSE(unflat(m, bytes));
    EXPECT_TRUE(m.empty());
    EXPECT_EQ(capture.text(), errorLine(text));
}

} // namespace

// A message of one number "n": the version, the table ("n"), one entry, its name, type code,
// isArray, value count and the value.
TEST(UmessageFlatten, WritesVarintsInTheShortestFormOfBothWidths) {
    EXPECT_EQ(flat(umessage()), (Bytes{0x04, 0x00, 0x00}));
    const std::tuple<std::uint64_t, Bytes, bool> cases[] = {
        {1, {0x01}, true},
        {0x7F, {0x7F}, true},
        {0x80, {0x80, 0x80}, true},
        {300, {0x81, 0x2C}, true},
        {0x3FFF, {0xBF, 0xFF}, true},
        {0x4000, {0xC0, 0x40, 0x00}, true},
        {0x0FFFFFFF, {0xEF, 0xFF, 0xFF, 0xFF}, true},
        {0x10000000, {0xF0, 0x10, 0x00, 0x00, 0x00}, true},
        {0xFFFFFFFF, {0xF0, 0xFF, 0xFF, 0xFF, 0xFF}, true},
        {0x7FFFFFFFFull, {0xF7, 0xFF, 0xFF, 0xFF, 0xFF}, false},
        {0x800000000ull, {0xF8, 0x08, 0x00, 0x00, 0x00, 0x00}, false},
        {0xFFFFFFFFFFFFFFull, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, false},
        {1ull << 56, {0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0}, false},
        {~0ull, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, false},
    };
    for (const auto& [value, bytes, fits32] : cases) {
        SCOPED_TRACE(value);
        umessage wide;
        wide.add<long long>("n", type_int64, static_cast<long long>(value));
        EXPECT_EQ(flat(wide),
                  concat({{0x04, 0x01, 0x01, 'n', 0x01, 0x01, 0x06, 0x00, 0x01}, bytes}));
        umessage back;
        ASSERT_TRUE(unflat(back, flat(wide)));
        EXPECT_EQ(back, wide);
        if (fits32) {
            umessage narrow;
            narrow.add<int>("n", type_int, static_cast<int>(value));
            EXPECT_EQ(flat(narrow),
                      concat({{0x04, 0x01, 0x01, 'n', 0x01, 0x01, 0x01, 0x00, 0x01}, bytes}));
            ASSERT_TRUE(unflat(back, flat(narrow)));
            EXPECT_EQ(back, narrow);
        }
    }
}

TEST(UmessageFlatten, KeepsEachTextOnceInByteOrderAndDoublesLittleEndian) {
    umessage m;
    auto child = std::make_shared<umessage>();
    child->add<ustring>("b", type_string, "x");
    m.add<ustring>("b", type_string, "x");
    m.add<ustring>("\xC3\xA9", type_string, "b");
    m.add<std::shared_ptr<umessage>>("c", type_message, child);
    m.add<double>("d", type_double, 1.0);
    m.add<bool>("e", type_bool, true, true);
    // Table: b c d e x é (0xC3 sorts after every ASCII byte).
    EXPECT_EQ(flat(m),
              (Bytes{0x04, 0x06, 0x01, 'b',  0x01, 'c',  0x01, 'd', 0x01, 'e', 0x01, 'x',
                     0x02, 0xC3, 0xA9,
                     0x05,                               // entries
                     0x01, 0x04, 0x00, 0x01, 0x05,       // b: "x"
                     0x02, 0x05, 0x00, 0x01,             // c: one child
                     0x01, 0x01, 0x04, 0x00, 0x01, 0x05, //    b: "x"
                     0x03, 0x03, 0x00, 0x01, 0,    0,    0,    0,   0,    0,   0xF0, 0x3F, // d: 1.0
                     0x04, 0x02, 0x01, 0x01, 0x01,    // e: [true]
                     0x06, 0x04, 0x00, 0x01, 0x01})); // é: "b"
    // Version 4 keeps the array flag of the single value in e.
    umessage back;
    ASSERT_TRUE(unflat(back, flat(m)));
    EXPECT_TRUE(sameWithFlags(back, m));
}

// The table is ordered by ustring::compareTo also where texts share their first 8 bytes, hold
// NUL or high bytes, or are prefixes of one another.
TEST(UmessageFlatten, OrdersTheTableByUnsignedBytesThenLength) {
    const std::string pieces[] = {"", "a", std::string("a\0", 2), "\xFF", "abcdefgh", "ABCDEFGHI"};
    for (unsigned seed = 0; seed < 20; ++seed) {
        std::mt19937 rng(seed);
        umessage m;
        // At most 40 names and 40 values of at most 27 bytes: every count and length is one byte.
        for (int i = 0; i < 40; ++i) {
            std::string text;
            for (int n = static_cast<int>(rng() % 4); n > 0; --n)
                text += pieces[rng() % std::size(pieces)];
            m.add<ustring>(ustring::format("n%d", i), type_string, ustring(text));
        }
        const Bytes bytes = flat(m);
        std::vector<ustring> table;
        for (std::size_t at = 2; table.size() < bytes[1]; at += 1 + bytes[at])
            table.emplace_back(reinterpret_cast<const char*>(&bytes[at + 1]), bytes[at]);
        for (std::size_t i = 1; i < table.size(); ++i)
            EXPECT_LT(table[i - 1].compareTo(table[i]), 0) << "seed " << seed << " at " << i;
        umessage back;
        EXPECT_TRUE(unflat(back, bytes));
        EXPECT_EQ(back, m);
    }
}

TEST(UmessageFlatten, ReadsOlderVersions) {
    // Version 3: type codes, no isArray byte; a single value comes back as no array.
    umessage v3;
    ASSERT_TRUE(unflat(v3, {0x03, 0x02, 0x01, 'a', 0x01, 'b', 0x02, 0x01, 0x01, 0x02, 0x05, 0x06,
                            0x02, 0x06, 0x01, 0x81, 0x2C}));
    EXPECT_EQ(v3.valueAt<int>("a", 1), 6);
    EXPECT_EQ(v3.value<long long>("b"), 300);
    EXPECT_EQ(v3.findEntry("b")->second->isArray, 0);

    // Version 2: type names; the table need not be sorted.
    umessage v2;
    ASSERT_TRUE(unflat(v2, {0x02, 0x04, 0x01, 'x', 0x05, 'f',  'l',  'o',  'a',  't',  0x04,
                            'b',  'o',  'o',  'l', 0x01, 'y',  0x02, 0x01, 0x02, 0x01, 0,
                            0,    0,    0,    0,   0,    0x04, 0x40, 0x04, 0x03, 0x01, 0x07}));
    EXPECT_EQ(v2.value<double>("x"), 2.5);
    EXPECT_TRUE(v2.value<bool>("y"));

    // Version 1: every message opens with its kind; a non-empty kind becomes "what".
    const Bytes v1bytes = {0x01, 0x06, 0x00, 0x01, 'a',  0x03, 'j', 'o', 'b', 0x08, 'u', 'm', 'e',
                           's',  's',  'a',  'g',  'e',  0x03, 'i', 'n', 't', 0x03, 's', 'u', 'b',
                           0x03,                               // root kind "job"
                           0x02,                               // two entries
                           0x02, 0x05, 0x01, 0x07,             // a: int 7
                           0x06, 0x04, 0x02,                   // sub: two children
                           0x01, 0x01, 0x02, 0x05, 0x01, 0x09, // kind "", a: 9
                           0x06, 0x00};                        // kind "sub", no entry
    umessage v1;
    ASSERT_TRUE(unflat(v1, v1bytes));
    EXPECT_EQ(v1.what(), "job");
    EXPECT_EQ(v1.value<int>("a"), 7);
    const umessage first = v1.valueAt<umessage>("sub", 0);
    EXPECT_FALSE(first.contains("what"));
    EXPECT_EQ(first.value<int>("a"), 9);
    EXPECT_EQ(v1.valueAt<umessage>("sub", 1).what(), "sub");
}

TEST(UmessageFlatten, ReadsOverlongIntsAsTheirFirstBitsAndSkipsEmptyEntries) {
    umessage m;
    ASSERT_TRUE(unflat(m, {0x04, 0x03, 0x01, 'a',  0x01, 'b', 0x01, 'c', 0x03, // a b c
                           0x01, 0x01, 0x00, 0x02,                             // a: two ints
                           0xF9, 1,    2,    3,    4,    5,                    //    0xF9: 5 bytes
                           0xFF, 1,    2,    3,    4,    5,   6,    7,   8,    //    0xFF: 8 bytes
                           0x02, 0x02, 0x00, 0x01, 0x07,                       // b: bool 7
                           0x03, 0x01, 0x01, 0x00}));                          // c: no value
    EXPECT_EQ(m.valueAt<int>("a", 0), 1);
    EXPECT_EQ(m.valueAt<int>("a", 1), 0);
    EXPECT_TRUE(m.value<bool>("b"));
    EXPECT_FALSE(m.contains("c"));
}

TEST(UmessageFlatten, AcceptsTheEntryLimitAndFailsAbove) {
    // 0x20000 + extra entries (C2 00 xx), each naming "a" as int: one entry of that many values.
    const auto stream = [](unsigned char extra) {
        Bytes b = {0x04, 0x01, 0x01, 'a', 0xC2, 0x00, extra};
        for (std::uint32_t i = 0; i < 0x20000u + extra; ++i)
            b.insert(b.end(), {0x01, 0x01, 0x00, 0x01, 0x00});
        return b;
    };
    umessage m;
    ASSERT_TRUE(unflat(m, stream(0)));
    std::uint64_t n = 0;
    EXPECT_TRUE(m.count("a", n));
    EXPECT_EQ(n, 0x20000u);
    expectFailure(stream(1), "umessage::unflatten() : too many entry");
}

namespace {

// 300 nested children under the name "a".
Bytes deepStream() {
    Bytes deep = {0x04, 0x01, 0x01, 'a'};
    for (int i = 0; i < 300; ++i)
        deep.insert(deep.end(), {0x01, 0x01, 0x05, 0x00, 0x01});
    deep.push_back(0x00);
    return deep;
}

// A 1 MiB text used 65 times, as a string value of the root or as the name of 65 children:
// 65 MiB of copies from a stream of 1 MiB.
Bytes wideStream(bool asName) {
    Bytes wide = {0x04, 0x02, 0x01, 'a', 0xF0, 0x00, 0x10, 0x00, 0x00};
    wide.resize(wide.size() + (1u << 20), 'x');
    if (asName) {
        wide.insert(wide.end(), {0x01, 0x01, 0x05, 0x00, 0x41});
        for (int i = 0; i < 65; ++i)
            wide.insert(wide.end(), {0x01, 0x02, 0x01, 0x00, 0x01, 0x00});
    } else {
        wide.insert(wide.end(), {0x01, 0x01, 0x04, 0x00, 0x41});
        wide.insert(wide.end(), 65, 0x02);
    }
    return wide;
}

} // namespace

TEST(UmessageFlatten, FailsWithTheTextOfEachFault) {
    const std::tuple<const char*, Bytes, const char*> cases[] = {
        {"reference 0", {0x04, 0x01, 0x01, 'a', 0x01, 0x00}, "string not found"},
        {"reference past the table", {0x04, 0x01, 0x01, 'a', 0x01, 0x02}, "string not found"},
        {"type code 7",
         {0x04, 0x01, 0x01, 'a', 0x01, 0x01, 0x07, 0x00, 0x01, 0x00},
         "unknown type!"},
        {"unknown type name",
         {0x02, 0x02, 0x01, 'a', 0x03, 'i', 'n', 'T', 0x01, 0x01, 0x02, 0x01, 0x00},
         "unknown type!"},
        {"empty name",
         {0x04, 0x01, 0x00, 0x01, 0x01, 0x01, 0x00, 0x01, 0x05},
         "empty or invalid name"},
        {"name with a slash",
         {0x04, 0x01, 0x01, '/', 0x01, 0x01, 0x01, 0x00, 0x01, 0x05},
         "empty or invalid name"},
        {"name again with another type",
         {0x04, 0x01, 0x01, 'a', 0x02, 0x01, 0x01, 0x00, 0x01, 0x05, 0x01, 0x02, 0x00, 0x01, 0x01},
         "incompatible type"},
        {"string longer than the stream",
         {0x04, 0x01, 0xC0, 0x40, 0x00, 'a'},
         "umessage::unflatten() : truncated"},
        {"string longer than a ustring",
         {0x04, 0x01, 0xF0, 0x01, 0x00, 0x00, 0x00},
         "umessage::unflatten() : string too long"},
        {"huge string count",
         {0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         "umessage::unflatten() : truncated"},
        {"huge value count",
         {0x04, 0x01, 0x01, 'a', 0x01, 0x01, 0x01, 0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00},
         "umessage::unflatten() : truncated"},
        {"missing double bytes",
         {0x04, 0x01, 0x01, 'a', 0x01, 0x01, 0x03, 0x00, 0x01, 0x00},
         "umessage::unflatten() : truncated"},
        {"300 levels", deepStream(), "umessage::unflatten() : too deep"},
        {"65 MiB of string values", wideStream(false), "umessage::unflatten() : too large"},
        {"65 MiB of names", wideStream(true), "umessage::unflatten() : too large"},
    };
    for (const auto& [what, bytes, text] : cases) {
        SCOPED_TRACE(what);
        expectFailure(bytes, text);
    }
}

TEST(UmessageFlatten, RoundTripsRandomTreesAndFailsOnEveryTruncation) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 200; ++i) {
        const umessage m = randomMessage(rng, 0);
        const Bytes bytes = flat(m);
        umessage back;
        ASSERT_TRUE(unflat(back, bytes)) << i;
        EXPECT_TRUE(sameWithFlags(back, m)) << i;
        EXPECT_EQ(flat(back), bytes) << i;
    }
    LogCapture capture;
    umessage m;
    for (const Bytes& bytes : {Bytes{0x05, 0x00, 0x00}, Bytes{0x00, 0x00, 0x00}, Bytes{}}) {
        m.add<int>("old", type_int, 1);
        EXPECT_FALSE(unflat(m, bytes));
        EXPECT_TRUE(m.empty());
    }
    EXPECT_EQ(capture.text(), ""); // an unknown version or no byte at all fails silently
    const Bytes whole = flat(randomMessage(rng, 0));
    for (std::size_t n = 1; n < whole.size(); ++n) {
        EXPECT_FALSE(unflat(m, Bytes(whole.begin(), whole.begin() + n))) << n;
        EXPECT_TRUE(m.empty());
    }
    for (int i = 0; i < 2000; ++i) {
        Bytes bytes = whole;
        for (int flips = 1 + i % 4; flips > 0; --flips)
            bytes[rng() % bytes.size()] = static_cast<unsigned char>(rng());
        EXPECT_TRUE(unflat(m, bytes) || m.empty());
    }
}
