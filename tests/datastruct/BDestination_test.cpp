// Tests of BDestination (the destination record with its older forms, copies, sizes) and of
// AdMetadataField with its table.
#include "model/BDestination.h"
#include "model/BDestinationList.h"
#include "support/KeyStreamBytes.h"
#include "utils/umessage.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace {

constexpr std::uint16_t kList = 'LL';

// A stream whose root holds the record 'LL' with the elements that `body` writes.
std::string WriteList(const std::function<void(UKeyOutStream&)>& body) {
    return writeKeyStream([&](UKeyOutStream& out) {
        out.begin_record(kList);
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
    reader.in.enter_record(kList);
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

// One element of a record: key, one-byte length, type, payload.
std::string Element(std::uint16_t key, std::uint8_t type, const std::string& payload) {
    return std::string{static_cast<char>(key >> 8), static_cast<char>(key & 0xFF),
                       static_cast<char>(payload.size()), static_cast<char>(type)} +
           payload;
}

std::string Str(std::uint16_t key, const std::string& text) {
    return Element(key, UKeyStream::field_string, text);
}

std::string Dbl(std::uint16_t key, const std::string& payload) {
    return Element(key, UKeyStream::field_float, payload);
}

const std::string kDouble100("\x40\x59\0\0\0\0\0\0", 8);
const std::string kDouble50("\x40\x49\0\0\0\0\0\0", 8);
const std::string kDouble3("\x40\x08\0\0\0\0\0\0", 8);

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

    const std::string fields = Str('UP', "PubC") + Str('Uf', "mZ00") +
                               Str('UT', "Publication code") + Str('UV', "P1") +
                               Element('Ro', UKeyStream::field_bool, "\x01");
    const std::string expected =
        Str('CC', "N") + Str('RC', "A") + Str('R1', "a") + Str('NC', "") + Str('N1', "") +
        Str('SC', "") + Str('S1', "") + Element('St', UKeyStream::field_int, "\x01") +
        Str('CN', "c") + Element('Co', UKeyStream::field_int, "") + Str('NS', "s") +
        Dbl('SX', kDouble100) + Dbl('SY', kDouble50) +
        Element('Ex', UKeyStream::field_bool, "\x01") + Str('MK', "") +
        Element('Ro', UKeyStream::field_bool, "") + Dbl('Bl', kDouble3) + Dbl('Br', "") +
        Dbl('Bt', "") + Dbl('Bb', "") + Dbl('Tl', "") + Dbl('Tr', "") + Dbl('Tt', "") +
        Dbl('Tb', kDouble3) + Element('ID', UKeyStream::field_int, "\x30\x39") +
        std::string("UF\xFF\0\0\0", 6) + static_cast<char>(fields.size()) +
        static_cast<char>(UKeyStream::field_record) + fields;
    EXPECT_EQ(RecordOf(destination), expected);

    // Without fields there is no 'UF': the record ends with the identifier.
    destination.ClearFields();
    const std::string bare = RecordOf(destination);
    EXPECT_EQ(bare, expected.substr(0, bare.size()));
    EXPECT_EQ(bare.substr(bare.size() - 6), Element('ID', UKeyStream::field_int, "\x30\x39"));
}

TEST(BDestination, ReadsBackEveryStoredField) {
    const auto full = Full();
    const auto read = ReadDestination(WriteList([&](UKeyOutStream& out) { full->Write(out); }));
    EXPECT_EQ(RecordOf(*read), RecordOf(*full));
    ASSERT_EQ(read->GetFields().size(), 1u);
    EXPECT_EQ(read->GetFields()[0].tableIndex, -1);
    EXPECT_EQ(read->GetFields()[0].text, "");
}

TEST(BDestination, StoresDigitIdentifiersAsIntegersWhenTheyFitIn32Bits) {
    const struct {
        const char* identifier;
        std::string element; // the 'ID' element written
        const char* readBack;
    } cases[] = {
        {"12345", Element('ID', UKeyStream::field_int, "\x30\x39"), "12345"},
        {"007", Element('ID', UKeyStream::field_int, "\x07"), "7"},
        {"", Element('ID', UKeyStream::field_int, ""), "0"},
        {"AB", Str('ID', "AB"), "AB"},
        {"2147483647", Element('ID', UKeyStream::field_int, "\x7F\xFF\xFF\xFF"), "2147483647"},
        {"2147483648", Str('ID', "2147483648"), "2147483648"},
        {"99999999999999999999", Str('ID', "99999999999999999999"), "99999999999999999999"},
        {"-5", Str('ID', "-5"), "-5"},
    };
    for (const auto& c : cases) {
        BDestination destination;
        destination.SetIdentifier(c.identifier);
        const std::string stream = WriteList([&](UKeyOutStream& out) { destination.Write(out); });
        EXPECT_NE(stream.find(c.element), std::string::npos) << c.identifier;
        EXPECT_EQ(ReadDestination(stream)->GetIdentifier(), c.readBack) << c.identifier;
    }
}

TEST(BDestination, ReadsAnIdentifierStoredAsUnsignedOrAbsent) {
    EXPECT_EQ(ReadDestination(WriteList([](UKeyOutStream& out) {
                  out.select_key('ID').write_uint(4000000000u);
              }))->GetIdentifier(),
              "4000000000");
    EXPECT_EQ(ReadDestination(WriteList([](UKeyOutStream& out) {
                  out.select_key('CC').write_string("x");
              }))->GetIdentifier(),
              "");
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

TEST(BDestination, CopiesAllButTheExportedAndRoFlagsAndMK) {
    const auto full = Full();
    BGroup group;
    full->SetGroup(&group);

    const BDestination copy(*full);
    auto expected = Full();
    expected->SetExported(false);
    expected->SetRo(false);
    expected->SetMK("");
    EXPECT_EQ(RecordOf(copy), RecordOf(*expected));
    EXPECT_EQ(copy.GetGroup(), &group);

    BDestination assigned;
    assigned.SetExported(true);
    assigned.SetRo(true);
    assigned.SetMK("kept");
    assigned = *full;
    expected = Full();
    expected->SetMK("kept");
    EXPECT_EQ(RecordOf(assigned), RecordOf(*expected));
}

TEST(BDestination, ResetKeepsTextsAndFieldsButClearsNumbersAndFlags) {
    BGroup group;
    const auto destination = Full();
    destination->SetGroup(&group);
    destination->Reset();
    EXPECT_EQ(destination->GetName(), "Daily News");
    EXPECT_EQ(destination->GetMK(), "mk");
    EXPECT_EQ(destination->GetFields().size(), 1u);
    EXPECT_EQ(destination->GetStyle(), 0);
    EXPECT_EQ(destination->GetCo(), 0);
    EXPECT_EQ(destination->GetWidthWithBleed(), 0.0);
    EXPECT_EQ(destination->GetTypeIndentBottom(), 0.0);
    EXPECT_EQ(destination->GetIdentifier(), "");
    EXPECT_FALSE(destination->IsExported());
    EXPECT_FALSE(destination->GetRo());
    EXPECT_EQ(destination->GetGroup(), nullptr);
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

TEST(BDestination, MeasuresSizesWithBleedAndItsExcessOverTheGroupMinimum) {
    BGroup group;
    BDestination* narrow = group.CreateDestination();
    narrow->SetSize(180.0, 100.0);
    BDestination* wide = group.CreateDestination();
    wide->SetSize(200.0, 120.0);
    wide->SetBleeds(1.0, 2.0, 3.0, 4.0);
    EXPECT_EQ(wide->GetWidthWithBleed(), 203.0);
    EXPECT_EQ(wide->GetHeightWithBleed(), 127.0);

    EXPECT_EQ(GetExcessWidth(*wide), 0.0); // minimum not computed yet
    wide->SetBleeds(0.0, 0.0, 0.0, 0.0);
    group.UpdateSizeSummary();
    EXPECT_EQ(GetExcessWidth(*wide), 20.0);
    EXPECT_EQ(GetExcessHeight(*wide), 20.0);
    EXPECT_EQ(GetExcessWidth(*narrow), 0.0);

    BDestination alone;
    alone.SetSize(300.0, 300.0);
    EXPECT_EQ(GetExcessWidth(alone), 0.0);
}

TEST(AdMetadataField, FindsTheFirstRowOfACodeExactly) {
    const struct {
        const char* code;
        int row;
    } cases[] = {{"PubC", 0}, {"Colm", 7}, {"0CkS", 32}, {"Wdth ", -1}, {"wdth", -1}, {"", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(AdMetadataField::FindByCode(c.code), c.row) << c.code;
}

TEST(AdMetadataField, MakesFieldsFromTableRowsOnly) {
    const AdMetadataField field = AdMetadataField::FromTableRow(29, "2024-01-01", "date");
    EXPECT_EQ(field.tableIndex, 29);
    EXPECT_EQ(field.code, "0ZDt");
    EXPECT_EQ(field.typeCode, "Yz00");
    EXPECT_EQ(field.label, "Zephrined Date");
    EXPECT_EQ(field.value, "2024-01-01");
    EXPECT_EQ(field.text, "date");
    EXPECT_FALSE(field.flag);
    EXPECT_THROW(AdMetadataField::FromTableRow(-1, "", ""), std::out_of_range);
    EXPECT_THROW(AdMetadataField::FromTableRow(33, "", ""), std::out_of_range);
}

TEST(AdMetadataField, AddsTypeLabelValueAndTextUnderItsCode) {
    umessage message;
    AdMetadataField::FromTableRow(13, "85", "C 85%").AddToMessage(message);
    const char* expected[] = {"dX03", "Highest % Cyan", "85", "C 85%"};
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(message.valueAt<ustring>("hiCp", i), expected[i]) << i;
    std::uint64_t count = 0;
    EXPECT_TRUE(message.count("hiCp", count));
    EXPECT_EQ(count, 4u);
}
