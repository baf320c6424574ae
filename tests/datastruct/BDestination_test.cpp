#include "model/BDestination.h"

#include "model/BDestinationList.h"
#include "support/KeyStreamBytes.h"
#include "support/Test.h"
#include "utils/umessage.h"

#include <array>
#include <optional>

namespace {

// A stream whose root holds the record 'LL' with the elements that `body` writes.
std::string WriteList(const std::function<void(UKeyOutStream&)>& body) {
    return writeKeyStream([&](UKeyOutStream& out) {
        out.begin_record('LL');
        body(out);
        out.end();
    });
}

// The destination's elements: the bytes inside 'LL' after its 8-byte head.
std::string RecordOf(const BDestination& destination) {
    return afterHead(WriteList([&](UKeyOutStream& out) { destination.Write(out); })).substr(8);
}

// The first item of 'LL' read into a new destination.
std::unique_ptr<BDestination> ReadDestination(const std::string& stream) {
    KeyStreamReader reader(stream);
    reader.in.enter_record('LL');
    auto destination = std::make_unique<BDestination>();
    EXPECT_TRUE(reader.in.next_item());
    destination->Read(reader.in);
    return destination;
}

// A destination whose stored fields all differ from their defaults.
std::unique_ptr<BDestination> Full() {
    auto d = std::make_unique<BDestination>();
    d->SetName("Daily News");
    d->SetFirstCode("R");
    d->SetFirstName("Region");
    d->SetSecondCode("N");
    d->SetSecondName("Newspaper");
    d->SetThirdCode("S");
    d->SetThirdName("Sport");
    d->SetStyle(-7);
    d->SetCo(42);
    d->SetNS("ns");
    d->SetCN("cn");
    d->SetMK("mk");
    d->SetRo(true);
    d->SetExported(true);
    d->SetSize(210.5, 297.25);
    d->SetBleeds(1.0, 2.0, 3.0, 4.0);
    d->SetTypeIndents(5.0, 6.0, 7.0, 8.0);
    d->SetIdentifier("X-17");
    d->AddField(AdMetadataField::FromTableRow(5, "120", "not stored"));
    return d;
}

} // namespace

TEST(BDestination, WritesTheRecordByteForByte) {
    BDestination destination;
    destination.SetName("N");
    destination.SetFirstCode("A");
    destination.SetFirstName("a");
    destination.SetStyle(1);
    destination.SetCN("c");
    destination.SetNS("s");
    destination.SetSize(100.0, 50.0);
    destination.SetExported(true);
    destination.SetBleeds(3.0, 0.0, 0.0, 0.0);
    destination.SetTypeIndents(0.0, 0.0, 0.0, 3.0);
    destination.SetIdentifier("12345");
    AdMetadataField field = AdMetadataField::FromTableRow(0, "P1", "text not stored");
    field.flag = true;
    destination.AddField(field);
    std::string sides;
    for (std::uint16_t key : {'Bl', 'Br', 'Bt', 'Bb', 'Tl', 'Tr', 'Tt', 'Tb'})
        sides += doubleElement(key, key == 'Bl' || key == 'Tb' ? 3.0 : 0.0);
    const std::string bare =
        stringElement('CC', "N") + stringElement('RC', "A") + stringElement('R1', "a") +
        stringElement('NC', "") + stringElement('N1', "") + stringElement('SC', "") +
        stringElement('S1', "") + intElement('St', 1) + stringElement('CN', "c") +
        intElement('Co', 0) + stringElement('NS', "s") + doubleElement('SX', 100.0) +
        doubleElement('SY', 50.0) + boolElement('Ex', true) + stringElement('MK', "") +
        boolElement('Ro', false) + sides + intElement('ID', 12345);
    const std::string fields =
        record('UF', stringElement('UP', "PubC") + stringElement('Uf', "mZ00") +
                         stringElement('UT', "Publication code") + stringElement('UV', "P1") +
                         boolElement('Ro', true));
    EXPECT_EQ(hex(RecordOf(destination)), hex(bare + fields));
    destination.ClearFields();
    EXPECT_EQ(hex(RecordOf(destination)), hex(bare)) << "no 'UF' without fields";
}

// A field's table index and text are not stored. A copy or an assignment takes every stored
// field but the exported and Ro flags and MK, which an assigned destination keeps.
TEST(BDestination, ReadsBackEveryStoredFieldAndCopiesAllButTheExportedAndRoFlagsAndMK) {
    const auto full = Full();
    const auto read = ReadDestination(WriteList([&](UKeyOutStream& out) { full->Write(out); }));
    EXPECT_EQ(RecordOf(*read), RecordOf(*full));
    ASSERT_EQ(read->GetFields().size(), 1u);
    EXPECT_EQ(std::pair(read->GetFields()[0].tableIndex, read->GetFields()[0].text),
              std::pair(-1, ustring()));
    const BDestination copy(*full);
    auto expected = Full();
    expected->SetExported(false);
    expected->SetRo(false);
    expected->SetMK("");
    EXPECT_EQ(RecordOf(copy), RecordOf(*expected));
    BDestination assigned;
    assigned.SetExported(true);
    assigned.SetRo(true);
    assigned.SetMK("kept");
    assigned = *full;
    expected = Full();
    expected->SetMK("kept");
    EXPECT_EQ(RecordOf(assigned), RecordOf(*expected));
}

TEST(BDestination, StoresDigitIdentifiersAsIntegersWhenTheyFitIn32Bits) {
    // The identifier and the integer it is stored as; none: stored as its text.
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"007", 7},         {"", 0},   {"AB", {}}, {"2147483647", 2147483647},
        {"2147483648", {}}, {"-5", {}}};
    for (const auto& [identifier, number] : cases) {
        BDestination destination;
        destination.SetIdentifier(identifier);
        const std::string stream = WriteList([&](UKeyOutStream& out) { destination.Write(out); });
        EXPECT_NE(stream.find(number ? intElement('ID', *number) : stringElement('ID', identifier)),
                  std::string::npos)
            << identifier;
        EXPECT_EQ(ReadDestination(stream)->GetIdentifier(),
                  number ? ustring(std::to_string(*number)) : ustring(identifier));
    }
    // Also stored as unsigned; absent, it reads as empty.
    const auto readBack = [](const std::function<void(UKeyOutStream&)>& body) {
        return ReadDestination(WriteList(body))->GetIdentifier();
    };
    EXPECT_EQ(readBack([](UKeyOutStream& out) { out.select_key('ID').write_uint(4000000000u); }),
              "4000000000");
    EXPECT_EQ(readBack([](UKeyOutStream& out) { out.select_key('CC').write_string("x"); }), "");
}

TEST(BDestination, ReadsTheOlderSymmetricBleedsAndTypeAreaSize) {
    using Sides = std::array<double, 4>; // left, right, top, bottom
    const auto read = [](std::initializer_list<std::pair<std::uint16_t, double>> elements) {
        return ReadDestination(WriteList([&](UKeyOutStream& out) {
            for (const auto& [key, value] : elements)
                out.select_key(key).write_double(value);
        }));
    };
    auto d = read({{'Bl', 9}, {'Br', 9}, {'Bt', 9}, {'Bb', 9}, {'BX', 3}, {'BY', 2}});
    EXPECT_EQ((Sides{d->GetBleedLeft(), d->GetBleedRight(), d->GetBleedTop(), d->GetBleedBottom()}),
              (Sides{3, 3, 2, 2}));
    const auto indents = [](const BDestination& d) {
        return Sides{d.GetTypeIndentLeft(), d.GetTypeIndentRight(), d.GetTypeIndentTop(),
                     d.GetTypeIndentBottom()};
    };
    d = read({{'SX', 100}, {'SY', 50}, {'Tl', 1}, {'TX', 80}, {'TY', 40}});
    EXPECT_EQ(indents(*d), (Sides{10, 10, 5, 5}));
    d = read({{'SX', 100}, {'SY', 50}, {'Tt', 7}, {'TX', 80}});
    EXPECT_EQ(indents(*d), (Sides{10, 10, 0, 0})) << "'TX' without 'TY' takes the full height";
}

TEST(BDestination, DropsFieldsWithoutCodeOrOfTheCodeRDts) {
    const auto read = ReadDestination(WriteList([](UKeyOutStream& out) {
        out.begin_record('UF');
        for (const char* code : {"RDts", "", "PubC"}) {
            out.select_key('UP').write_string(code);
            out.select_key('Uf').write_string("mZ00");
            out.select_key('UT').write_string("label");
            out.select_key('UV').write_string(code);
            out.select_key('Ro').write_bool(true);
        }
        out.end();
    }));
    ASSERT_EQ(read->GetFields().size(), 1u);
    EXPECT_EQ(read->GetFields()[0].code, "PubC");
    EXPECT_EQ(read->GetFields()[0].value, "PubC");
    EXPECT_TRUE(read->GetFields()[0].flag);
}

TEST(BDestination, ResetKeepsTextsAndFieldsButClearsNumbersFlagsAndLinks) {
    BGroup group(reinterpret_cast<BJobFile*>(0x1000)); // the job is never dereferenced
    BDestination* destination = group.CreateDestination();
    *destination = *Full(); // all but the three below
    destination->SetMK("mk");
    destination->SetExported(true);
    destination->SetRo(true);
    EXPECT_EQ(destination->GetWidthWithBleed(), 210.5 + 1 + 2);
    EXPECT_EQ(destination->GetHeightWithBleed(), 297.25 + 3 + 4);
    destination->Reset();
    EXPECT_EQ(destination->GetName() + destination->GetMK() + destination->GetIdentifier(),
              "Daily Newsmk");
    EXPECT_EQ(destination->GetFields().size(), 1u);
    EXPECT_EQ(destination->GetStyle() + destination->GetCo(), 0);
    EXPECT_EQ(destination->GetWidthWithBleed() + destination->GetTypeIndentBottom(), 0.0);
    EXPECT_FALSE(destination->IsExported() || destination->GetRo());
    EXPECT_TRUE(destination->GetGroup() == nullptr && destination->GetOwner() == nullptr);
}

TEST(BDestination, SettingACodeEmptiesItsName) {
    const auto d = Full();
    d->SetSecondCode("B");
    EXPECT_EQ(d->GetFirstName() + d->GetSecondName() + d->GetThirdName(), "RegionSport");
    d->SetFirstCode("A");
    d->SetThirdCode("C");
    EXPECT_EQ(d->GetFirstName() + d->GetThirdName(), "");
    EXPECT_EQ(d->GetFirstCode() + d->GetSecondCode() + d->GetThirdCode(), "ABC");
}

TEST(BDestination, AnswersItsBooleanQueryFalseWhateverItHolds) {
    BGroup group(reinterpret_cast<BJobFile*>(0x1000)); // the job is never dereferenced
    const BDestination* inGroup = group.CreateDestination();
    EXPECT_FALSE(BDestination().IsSpecial() || Full()->IsSpecial() || inGroup->IsSpecial());
}

TEST(AdMetadataField, FindsTheFirstRowOfACodeExactly) {
    const std::pair<const char*, int> cases[] = {{"PubC", 0},   {"Colm", 7},  {"0CkS", 32},
                                                 {"Wdth ", -1}, {"wdth", -1}, {"", -1}};
    for (const auto& [code, row] : cases)
        EXPECT_EQ(AdMetadataField::FindByCode(code), row) << code;
}

TEST(AdMetadataField, MakesFieldsFromTableRowsOnlyAndAddsThemUnderTheirCode) {
    const AdMetadataField field = AdMetadataField::FromTableRow(29, "2024-01-01", "date");
    EXPECT_EQ(field.tableIndex, 29);
    EXPECT_EQ(field.code + field.typeCode + field.label, "0ZDtYz00Zephrined Date");
    EXPECT_EQ(field.value + field.text, "2024-01-01date");
    EXPECT_FALSE(field.flag);
    EXPECT_THROW(AdMetadataField::FromTableRow(-1, "", ""), std::out_of_range);
    EXPECT_THROW(AdMetadataField::FromTableRow(33, "", ""), std::out_of_range);
    umessage message;
    AdMetadataField::FromTableRow(13, "85", "C 85%").AddToMessage(message);
    std::vector<ustring> values;
    for (ustring value; message.get("hiCp", values.size(), value);)
        values.push_back(value);
    EXPECT_EQ(values, (std::vector<ustring>{"dX03", "Highest % Cyan", "85", "C 85%"}));
}
