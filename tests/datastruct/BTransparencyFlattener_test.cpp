// Tests of flattener records: their record 180 byte for byte, a round trip, absent keys, and the
// page set's lookup of a page's record.
#include "BPageSet.h"
#include "BTransparencyFlattener.h"

#include "UKeyStream.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

constexpr std::size_t kHeadSize = 13; // root record and version of a stream with identifier 0

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

std::string written(const BTransparencyFlattener& record, std::uint16_t key) {
    std::stringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        record.Write(out, key);
    }
    return bytes.str();
}

std::shared_ptr<BTransparencyFlattener> onPage(int page, const char* name) {
    auto record = std::make_shared<BTransparencyFlattener>();
    record->page = page;
    record->name = name;
    return record;
}

} // namespace

TEST(BTransparencyFlattener, StartsCleared) {
    const BDocumentTransparencyFlattener record;
    EXPECT_EQ(record.page, 0);
    EXPECT_FALSE(record.enabled);
    EXPECT_EQ(record.values, (std::array<double, 5>{}));
    EXPECT_EQ(record.options, (std::array<bool, 8>{}));
}

TEST(BTransparencyFlattener, WritesRecord180ByteForByte) {
    BTransparencyFlattener record;
    record.enabled = true;
    record.values[0] = 1.0;
    record.options[7] = true;
    // 3201 = 0C81, 3202 = 0C82, 3220..3223 = 0C94..0C97, 3210..3217 = 0C8A..0C91.
    EXPECT_EQ(hex(written(record, BTransparencyFlattener::kPageRecord).substr(kHeadSize)),
              "00 B4 FF 00 00 00 42 06 0C 81 01 01 01 0C 82 08 04 3F F0 00 00 00 00 00 00 "
              "0C 94 00 04 0C 95 00 04 0C 96 00 04 0C 97 00 04 "
              "0C 8A 00 01 0C 8B 00 01 0C 8C 00 01 0C 8D 00 01 0C 8E 00 01 0C 8F 00 01 "
              "0C 90 00 01 0C 91 01 01 01");
}

TEST(BTransparencyFlattener, RoundTripsItsFlagValuesAndOptionsButNotPageOrName) {
    for (std::uint16_t key :
         {BTransparencyFlattener::kPageRecord, BTransparencyFlattener::kAlternateRecord}) {
        BTransparencyFlattener record;
        record.page = 4;
        record.name = "High Resolution";
        record.enabled = true;
        record.values = {0.5, -2.0, 1200.0, 300.0, 1e-9};
        record.options = {true, false, true, true, false, false, true, false};
        std::stringstream bytes(written(record, key));

        UKeyInStream in(bytes);
        BTransparencyFlattener back;
        back.Read(in, key);
        EXPECT_EQ(back.page, 0) << key;
        EXPECT_TRUE(back.name.empty()) << key;
        EXPECT_TRUE(back.enabled) << key;
        EXPECT_EQ(back.values, record.values) << key;
        EXPECT_EQ(back.options, record.options) << key;
    }
}

TEST(BTransparencyFlattener, AbsentKeysKeepTheirValues) {
    std::stringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        out.begin_record(180);
        out.select_key(3221).write_double(7.0);
        out.end();
    }
    UKeyInStream in(bytes);
    BTransparencyFlattener record;
    record.enabled = true;
    record.values[0] = 3.0;
    record.options[2] = true;
    record.Read(in);
    EXPECT_TRUE(record.enabled);
    EXPECT_EQ(record.values, (std::array<double, 5>{3.0, 0.0, 7.0, 0.0, 0.0}));
    EXPECT_TRUE(record.options[2]);
}

TEST(BPageSet, FindPageFlattenerGivesTheRecordAddedLastForThePage) {
    BPageSet set;
    EXPECT_EQ(set.FindPageFlattener(3), nullptr);
    set.pageFlatteners = {onPage(3, "first"), onPage(1, "one"), onPage(3, "second"), nullptr,
                          onPage(2, "two")};
    ASSERT_NE(set.FindPageFlattener(3), nullptr);
    EXPECT_EQ(set.FindPageFlattener(3)->name, "second");
    EXPECT_EQ(set.FindPageFlattener(1)->name, "one");
    EXPECT_EQ(set.FindPageFlattener(0), nullptr) << "a new record's page 0 is no page";
    EXPECT_EQ(set.FindPageFlattener(4), nullptr);
}
