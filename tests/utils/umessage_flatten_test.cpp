#include "utils/umessage.h"

#include "support/HexBytes.h"
#include "support/LogCapture.h"
#include "support/Test.h"

using namespace umessage_details;
using namespace std::string_literals;

namespace {

std::string flat(const umessage& m) {
    std::ostringstream out;
    EXPECT_TRUE(m.flatten(out));
    return out.str();
}

bool unflat(umessage& m, const std::string& bytes) {
    std::istringstream in(bytes);
    return m.unflatten(in);
}

// A message of one number "n": the version, the table ("n"), one entry, its name, type code,
// isArray, value count and the value.
TEST(UmessageFlatten, WritesVarintsInTheShortestFormOfBothWidths) {
    EXPECT_EQ(flat(umessage()), fromHex("04 00 00"));
    const std::tuple<std::uint64_t, const char*, bool> cases[] = {
        {0x7F, "7F", true},
        {0x80, "80 80", true},
        {0x3FFF, "BF FF", true},
        {0x4000, "C0 40 00", true},
        {0x0FFFFFFF, "EF FF FF FF", true},
        {0x10000000, "F0 10 00 00 00", true},
        {0xFFFFFFFF, "F0 FF FF FF FF", true},
        {0x7FFFFFFFFull, "F7 FF FF FF FF", false},
        {0x800000000ull, "F8 08 00 00 00 00", false},
        {0xFFFFFFFFFFFFFFull, "FE FF FF FF FF FF FF FF", false},
        {1ull << 56, "FF 01 00 00 00 00 00 00 00", false},
        {~0ull, "FF FF FF FF FF FF FF FF FF", false},
    };
    for (const auto& [value, bytes, fits32] : cases) {
        SCOPED_TRACE(value);
        umessage wide, narrow, back;
        wide.add<long long>("n", type_int64, static_cast<long long>(value));
        EXPECT_EQ(flat(wide), fromHex("04 01 01 6E 01 01 06 00 01") + fromHex(bytes));
        ASSERT_TRUE(unflat(back, flat(wide)));
        EXPECT_EQ(back, wide);
        if (fits32) {
            narrow.add<int>("n", type_int, static_cast<int>(value));
            EXPECT_EQ(flat(narrow), fromHex("04 01 01 6E 01 01 01 00 01") + fromHex(bytes));
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
    EXPECT_EQ(flat(m), fromHex("04 06 01 62 01 63 01 64 01 65 01 78 02 C3 A9"
                               "05"                            // entries
                               "01 04 00 01 05"                // b: "x"
                               "02 05 00 01"                   // c: one child
                               "01 01 04 00 01 05"             //    b: "x"
                               "03 03 00 01 00000000 0000F03F" // d: 1.0
                               "04 02 01 01 01"                // e: [true]
                               "06 04 00 01 01"));             // é: "b"
    // Version 4 keeps the array flag of the single value in e; every truncation fails.
    umessage back;
    ASSERT_TRUE(unflat(back, flat(m)));
    EXPECT_EQ(flat(back), flat(m));
    for (std::size_t n = 1; n < flat(m).size(); ++n) {
        EXPECT_FALSE(unflat(back, flat(m).substr(0, n))) << n;
        EXPECT_TRUE(back.empty());
    }
}

// The table is ordered by ustring::compareTo also where texts share their first 8 bytes, hold
// NUL or high bytes, or are prefixes of one another.
TEST(UmessageFlatten, OrdersTheTableByUnsignedBytesThenLength) {
    umessage m;
    int n = 0;
    for (const std::string& text :
         {"abcdefghA"s, "abcdefgh"s, "ABCDEFGHI"s, "a\0"s, "a"s, ""s, "\xFF"s, "abcdefgh\xFF"s,
          "a\0b"s, "abcdefgh\0"s, "\x7F"s, "abcdefgg"s})
        m.add<ustring>(ustring::format("n%d", n++), type_string, ustring(text));
    const std::string bytes = flat(m);
    std::vector<ustring> table;
    for (std::size_t at = 2; table.size() < static_cast<unsigned char>(bytes[1]);
         at += 1 + static_cast<unsigned char>(bytes[at]))
        table.emplace_back(&bytes[at + 1], static_cast<unsigned char>(bytes[at]));
    for (std::size_t i = 1; i < table.size(); ++i)
        EXPECT_LT(table[i - 1].compareTo(table[i]), 0) << i;
    umessage back;
    EXPECT_TRUE(unflat(back, bytes));
    EXPECT_EQ(back, m);
}

// Version 3 has type codes but no isArray byte; version 2 type names and a table that need not
// be sorted; in version 1 every message opens with its kind, and a non-empty kind becomes "what".
// Overlong ints keep their first bits and an entry without values is skipped.
TEST(UmessageFlatten, ReadsOlderVersionsAndOverlongIntsAndSkipsEmptyEntries) {
    umessage v3, v2, v1, m;
    ASSERT_TRUE(unflat(v3, fromHex("03 02 01 61 01 62 02 01 01 02 05 06 02 06 01 81 2C")));
    EXPECT_EQ(v3.valueAt<int>("a", 1), 6);
    EXPECT_EQ(v3.value<long long>("b"), 300);
    EXPECT_EQ(v3.findEntry("b")->second->isArray, 0);
    ASSERT_TRUE(unflat(v2, fromHex("02 04 01 78 05 666C6F6174 04 626F6F6C 01 79"
                                   "02 01 02 01 0000000000000440 04 03 01 07")));
    EXPECT_EQ(v2.value<double>("x"), 2.5);
    EXPECT_TRUE(v2.value<bool>("y"));
    ASSERT_TRUE(
        unflat(v1, fromHex("01 06 00 01 61 03 6A6F62 08 756D657373616765 03 696E74 03 737562"
                           "03 02"             // root kind "job", two entries
                           "02 05 01 07"       // a: int 7
                           "06 04 02"          // sub: two children
                           "01 01 02 05 01 09" //   kind "", a: 9
                           "06 00")));         //   kind "sub", no entry
    EXPECT_EQ(v1.what(), "job");
    EXPECT_EQ(v1.value<int>("a"), 7);
    EXPECT_FALSE(v1.valueAt<umessage>("sub", 0).contains("what"));
    EXPECT_EQ(v1.valueAt<umessage>("sub", 0).value<int>("a"), 9);
    EXPECT_EQ(v1.valueAt<umessage>("sub", 1).what(), "sub");
    ASSERT_TRUE(unflat(m, fromHex("04 03 01 61 01 62 01 63 03" // a b c
                                  "01 01 00 02"                // a: two ints,
                                  "F9 0102030405"              //   0xF9: 5 bytes
                                  "FF 0102030405060708"        //   0xFF: 8 bytes
                                  "02 02 00 01 07"             // b: bool 7
                                  "03 01 01 00")));            // c: no value
    EXPECT_EQ(m.valueAt<int>("a", 0), 1);
    EXPECT_EQ(m.valueAt<int>("a", 1), 0);
    EXPECT_TRUE(m.value<bool>("b"));
    EXPECT_FALSE(m.contains("c"));
}

// 0x20000 + extra entries (C2 00 xx), each naming "a" as int: one entry of that many values.
std::string manyEntries(unsigned extra) {
    std::string bytes = fromHex("04 01 01 61 C2 00") + static_cast<char>(extra);
    for (std::uint32_t i = 0; i < 0x20000u + extra; ++i)
        bytes += fromHex("01 01 00 01 00");
    return bytes;
}

// 300 nested children under the name "a".
std::string deepStream() {
    std::string deep = fromHex("04 01 01 61");
    for (int i = 0; i < 300; ++i)
        deep += fromHex("01 01 05 00 01");
    return deep + '\0';
}

// A 1 MiB text used 65 times, as a string value of the root or as the name of 65 children:
// 65 MiB of copies from a stream of 1 MiB.
std::string wideStream(bool asName) {
    std::string wide = fromHex("04 02 01 61 F0 00 10 00 00") + std::string(1u << 20, 'x');
    if (!asName)
        return wide + fromHex("01 01 04 00 41") + std::string(65, '\x02');
    wide += fromHex("01 01 05 00 41");
    for (int i = 0; i < 65; ++i)
        wide += fromHex("01 02 01 00 01 00");
    return wide;
}

// Each failure empties the message and writes one ERROR record with the fault's text.
TEST(UmessageFlatten, AcceptsTheEntryLimitAndFailsWithTheTextOfEachFault) {
    umessage m;
    ASSERT_TRUE(unflat(m, manyEntries(0)));
    std::uint64_t n = 0;
    EXPECT_TRUE(m.count("a", n));
    EXPECT_EQ(n, 0x20000u);
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"too many entries", manyEntries(1), "umessage::unflatten() : too many entry"},
        {"reference 0", fromHex("04 01 01 61 01 00"), "string not found"},
        {"reference past the table", fromHex("04 01 01 61 01 02"), "string not found"},
        {"type code 7", fromHex("04 01 01 61 01 01 07 00 01 00"), "unknown type!"},
        {"unknown type name", fromHex("02 02 01 61 03 696E54 01 01 02 01 00"), "unknown type!"},
        {"empty name", fromHex("04 01 00 01 01 01 00 01 05"), "empty or invalid name"},
        {"name again with another type", fromHex("04 01 01 61 02 01 01 00 01 05 01 02 00 01 01"),
         "incompatible type"},
        {"string longer than a ustring", fromHex("04 01 F0 01 00 00 00"),
         "umessage::unflatten() : string too long"},
        {"huge string count", fromHex("04 FF FF FF FF FF FF FF FF FF"),
         "umessage::unflatten() : truncated"},
        {"huge value count", fromHex("04 01 01 61 01 01 01 00 F0 FF FF FF FF 00"),
         "umessage::unflatten() : truncated"},
        {"300 levels", deepStream(), "umessage::unflatten() : too deep"},
        {"65 MiB of string values", wideStream(false), "umessage::unflatten() : too large"},
        {"65 MiB of names", wideStream(true), "umessage::unflatten() : too large"},
    };
    for (const auto& [what, bytes, text] : cases) {
        LogCapture capture;
        m.add<int>("old", type_int, 1);
        EXPECT_FALSE(unflat(m, bytes)) << what;
        EXPECT_TRUE(m.empty()) << what;
        EXPECT_EQ(capture.text(),
                  LogCapture::line("ERROR", "umessage_serialize:umessage::unflatten:436", text))
            << what;
    }
}

// An unknown version or no byte at all fails silently; the fuzz target reads arbitrary bytes and
// checks that what it reads writes and reads back to the same bytes.
TEST(UmessageFlatten, FailsSilentlyOnAnUnknownVersionOrNoByte) {
    LogCapture capture;
    umessage m;
    for (const std::string& bytes : {fromHex("05 00 00"), fromHex("00 00 00"), std::string()}) {
        m.add<int>("old", type_int, 1);
        EXPECT_FALSE(unflat(m, bytes));
        EXPECT_TRUE(m.empty());
    }
    EXPECT_EQ(capture.text(), "");
}

} // namespace
