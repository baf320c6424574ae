#include "model/BPageSet.h"
#include "model/BTransparencyFlattener.h"

#include "support/KeyStreamBytes.h"
#include "support/Test.h"

namespace {

std::string written(const BTransparencyFlattener& record, std::uint16_t key) {
    return writeKeyStream([&](UKeyOutStream& out) { record.Write(out, key); });
}

std::shared_ptr<BTransparencyFlattener> onPage(int page, const char* name) {
    auto record = std::make_shared<BTransparencyFlattener>();
    record->page = page;
    record->name = name;
    return record;
}

} // namespace

TEST(BTransparencyFlattener, WritesRecord180ByteForByte) {
    BTransparencyFlattener record;
    record.enabled = true;
    record.values[0] = 1.0;
    record.options[7] = true;
    // 3201 = 0C81, 3202 = 0C82, 3220..3223 = 0C94..0C97, 3210..3217 = 0C8A..0C91.
    EXPECT_EQ(hex(afterHead(written(record, BTransparencyFlattener::kPageRecord))),
              "00 B4 FF 00 00 00 42 06 0C 81 01 01 01 0C 82 08 04 3F F0 00 00 00 00 00 00 "
              "0C 94 00 04 0C 95 00 04 0C 96 00 04 0C 97 00 04 "
              "0C 8A 00 01 0C 8B 00 01 0C 8C 00 01 0C 8D 00 01 0C 8E 00 01 0C 8F 00 01 "
              "0C 90 00 01 0C 91 01 01 01");
}

TEST(BTransparencyFlattener, ReadsItsFlagValuesAndOptionsButNotPageOrName) {
    BTransparencyFlattener record;
    record.page = 4;
    record.name = "High Resolution";
    record.enabled = true;
    record.values = {0.5, -2.0, 1200.0, 300.0, 1e-9};
    record.options = {true, false, true, true, false, false, true, false};
    for (std::uint16_t key :
         {BTransparencyFlattener::kPageRecord, BTransparencyFlattener::kAlternateRecord}) {
        KeyStreamReader reader(written(record, key));
        BTransparencyFlattener back;
        back.Read(reader.in, key);
        EXPECT_TRUE(back.page == 0 && back.name.empty() && back.enabled) << key;
        EXPECT_EQ(back.values, record.values) << key;
        EXPECT_EQ(back.options, record.options) << key;
    }
    // Absent keys keep their values.
    KeyStreamReader reader(writeKeyStream([](UKeyOutStream& out) {
        out.begin_record(180).select_key(3221).write_double(7.0);
        out.end();
    }));
    BTransparencyFlattener kept;
    kept.enabled = true;
    kept.values[0] = 3.0;
    kept.options[2] = true;
    kept.Read(reader.in);
    EXPECT_TRUE(kept.enabled);
    EXPECT_EQ(kept.values, (std::array<double, 5>{3.0, 0.0, 7.0, 0.0, 0.0}));
    EXPECT_EQ(kept.options, (std::array<bool, 8>{false, false, true}));
}

TEST(BPageSet, FindPageFlattenerGivesTheRecordAddedLastForThePage) {
    BPageSet set;
    EXPECT_EQ(set.FindPageFlattener(3), nullptr);
    set.pageFlatteners = {onPage(3, "first"), onPage(1, "one"), onPage(3, "second"), nullptr,
                          onPage(2, "two")};
    ASSERT_NE(set.FindPageFlattener(3), nullptr);
    EXPECT_EQ(set.FindPageFlattener(3)->name, "second");
    EXPECT_EQ(set.FindPageFlattener(1)->name, "one");
    EXPECT_EQ(set.FindPageFlattener(4), nullptr);
}
