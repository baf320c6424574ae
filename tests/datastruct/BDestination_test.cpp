// Tests of BDestination (fields, copies, the destination record with its older forms) and of
// AdMetadataField with its table.
#include "BDestination.h"
#include "BDestinationList.h"
#include "UKeyStream.h"
#include "umessage.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace {

constexpr std::uint16_t kList = 'LL';

// A stream whose root holds the record 'LL' with the elements that `body` writes.
std::string WriteList(const std::function<void(UKeyOutStream&)>& body) {
    std::ostringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        out.begin_record(kList);
        body(out);
        out.end();
        out.close();
    }
    return bytes.str();
}

// The bytes inside the record 'LL' of a stream made by WriteList: after the root head (8),
// the version element (5) and the record's own head (8).
std::string ListContent(const std::string& stream) {
    return stream.substr(21);
}

// Reads the first item of 'LL' into a new destination.
BDestination ReadDestination(const std::string& stream) {
    std::istringstream bytes(stream);
    UKeyInStream in(bytes);
    in.enter_record(kList);
    BDestination destination;
    EXPECT_TRUE(in.next_item());
    destination.Read(in);
    in.leave();
    return destination;
}

BDestination RoundTrip(const BDestination& destination) {
    return ReadDestination(WriteList([&](UKeyOutStream& out) { destination.Write(out); }));
}

// One element of a record: key, one-byte length, type, payload.
std::string Element(std::uint16_t key, std::uint8_t type, const std::string& payload) {
    std::string bytes;
    bytes += static_cast<char>(key >> 8);
    bytes += static_cast<char>(key & 0xFF);
    bytes += static_cast<char>(payload.size());
    bytes += static_cast<char>(type);
    return bytes + payload;
}

std::string Str(std::uint16_t key, const std::string& text) {
    return Element(key, UKeyStream::field_string, text);
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
        Element('SX', UKeyStream::field_float, kDouble100) +
        Element('SY', UKeyStream::field_float, kDouble50) +
        Element('Ex', UKeyStream::field_bool, "\x01") + Str('MK', "") +
        Element('Ro', UKeyStream::field_bool, "") +
        Element('Bl', UKeyStream::field_float, kDouble3) +
        Element('Br', UKeyStream::field_float, "") + Element('Bt', UKeyStream::field_float, "") +
        Element('Bb', UKeyStream::field_float, "") + Element('Tl', UKeyStream::field_float, "") +
        Element('Tr', UKeyStream::field_float, "") + Element('Tt', UKeyStream::field_float, "") +
        Element('Tb', UKeyStream::field_float, kDouble3) +
        Element('ID', UKeyStream::field_int, "\x30\x39") + std::string("UF\xFF\0\0\0", 6) +
        static_cast<char>(fields.size()) + static_cast<char>(UKeyStream::field_record) + fields;

    EXPECT_EQ(ListContent(WriteList([&](UKeyOutStream& out) { destination.Write(out); })),
              expected);
}

TEST(BDestination, RoundTripsEveryStoredField) {
    BDestination destination;
    destination.SetName("Daily News");
    destination.SetFirstCode("R");
    destination.SetFirstName("Region");
    destination.SetSecondCode("N");
    destination.SetSecondName("Newspaper");
    destination.SetThirdCode("S");
    destination.SetThirdName("Sport");
    destination.SetStyle(-7);
    destination.SetCo(42);
    destination.SetNS("ns");
    destination.SetCN("cn");
    destination.SetMK("mk");
    destination.SetRo(true);
    destination.SetExported(true);
    destination.SetSize(210.5, 297.25);
    destination.SetBleeds(1.0, 2.0, 3.0, 4.0);
    destination.SetTypeIndents(5.0, 6.0, 7.0, 8.0);
    destination.SetIdentifier("X-17");
    destination.AddField(AdMetadataField::FromTableRow(5, "120", ""));

    const BDestination read = RoundTrip(destination);
    EXPECT_EQ(read.GetName(), "Daily News");
    EXPECT_EQ(read.GetFirstCode(), "R");
    EXPECT_EQ(read.GetFirstName(), "Region");
    EXPECT_EQ(read.GetSecondCode(), "N");
    EXPECT_EQ(read.GetSecondName(), "Newspaper");
    EXPECT_EQ(read.GetThirdCode(), "S");
    EXPECT_EQ(read.GetThirdName(), "Sport");
    EXPECT_EQ(read.GetStyle(), -7);
    EXPECT_EQ(read.GetCo(), 42);
    EXPECT_EQ(read.GetNS(), "ns");
    EXPECT_EQ(read.GetCN(), "cn");
    EXPECT_EQ(read.GetMK(), "mk");
    EXPECT_TRUE(read.GetRo());
    EXPECT_TRUE(read.IsExported());
    EXPECT_EQ(read.GetWidth(), 210.5);
    EXPECT_EQ(read.GetHeight(), 297.25);
    EXPECT_EQ(read.GetBleedLeft(), 1.0);
    EXPECT_EQ(read.GetBleedRight(), 2.0);
    EXPECT_EQ(read.GetBleedTop(), 3.0);
    EXPECT_EQ(read.GetBleedBottom(), 4.0);
    EXPECT_EQ(read.GetTypeIndentLeft(), 5.0);
    EXPECT_EQ(read.GetTypeIndentRight(), 6.0);
    EXPECT_EQ(read.GetTypeIndentTop(), 7.0);
    EXPECT_EQ(read.GetTypeIndentBottom(), 8.0);
    EXPECT_EQ(read.GetIdentifier(), "X-17");
    ASSERT_EQ(read.GetFields().size(), 1u);
    const AdMetadataField& field = read.GetFields()[0];
    EXPECT_EQ(field.code, "Wdth");
    EXPECT_EQ(field.typeCode, "Fp06");
    EXPECT_EQ(field.label, "Width");
    EXPECT_EQ(field.value, "120");
    EXPECT_EQ(field.tableIndex, -1);
    EXPECT_FALSE(field.flag);
}

TEST(BDestination, StoresDigitIdentifiersAsIntegersWhenTheyFitIn32Bits) {
    struct Case {
        const char* identifier;
        std::string element; // the 'ID' element written
        const char* readBack;
    };
    const Case cases[] = {
        {"12345", Element('ID', UKeyStream::field_int, "\x30\x39"), "12345"},
        {"007", Element('ID', UKeyStream::field_int, "\x07"), "7"},
        {"", Element('ID', UKeyStream::field_int, ""), "0"},
        {"AB", Str('ID', "AB"), "AB"},
        {"2147483647", Element('ID', UKeyStream::field_int, "\x7F\xFF\xFF\xFF"), "2147483647"},
        {"2147483648", Str('ID', "2147483648"), "2147483648"},
        {"99999999999999999999", Str('ID', "99999999999999999999"), "99999999999999999999"},
        {"-5", Str('ID', "-5"), "-5"},
    };
    for (const Case& c : cases) {
        BDestination destination;
        destination.SetIdentifier(c.identifier);
        const std::string stream = WriteList([&](UKeyOutStream& out) { destination.Write(out); });
        EXPECT_NE(stream.find(c.element), std::string::npos) << c.identifier;
        EXPECT_EQ(ReadDestination(stream).GetIdentifier(), c.readBack) << c.identifier;
    }
}

TEST(BDestination, ReadsAnIdentifierStoredAsUnsignedOrAbsent) {
    const BDestination unsignedId = ReadDestination(
        WriteList([](UKeyOutStream& out) { out.select_key('ID').write_uint(4000000000u); }));
    EXPECT_EQ(unsignedId.GetIdentifier(), "4000000000");

    const BDestination absent = ReadDestination(
        WriteList([](UKeyOutStream& out) { out.select_key('CC').write_string("x"); }));
    EXPECT_EQ(absent.GetIdentifier(), "");
}

TEST(BDestination, ReadsTheOldSymmetricBleedsWhateverTheSidesSay) {
    const BDestination read = ReadDestination(WriteList([](UKeyOutStream& out) {
        out.select_key('Bl').write_double(9.0);
        out.select_key('Br').write_double(9.0);
        out.select_key('Bt').write_double(9.0);
        out.select_key('Bb').write_double(9.0);
        out.select_key('BX').write_double(3.0);
        out.select_key('BY').write_double(2.0);
    }));
    EXPECT_EQ(read.GetBleedLeft(), 3.0);
    EXPECT_EQ(read.GetBleedRight(), 3.0);
    EXPECT_EQ(read.GetBleedTop(), 2.0);
    EXPECT_EQ(read.GetBleedBottom(), 2.0);
}

TEST(BDestination, ReadsTheOldTypeAreaSizeAsIndents) {
    const BDestination read = ReadDestination(WriteList([](UKeyOutStream& out) {
        out.select_key('SX').write_double(100.0);
        out.select_key('SY').write_double(50.0);
        out.select_key('Tl').write_double(1.0);
        out.select_key('TX').write_double(80.0);
        out.select_key('TY').write_double(40.0);
    }));
    EXPECT_EQ(read.GetTypeIndentLeft(), 10.0);
    EXPECT_EQ(read.GetTypeIndentRight(), 10.0);
    EXPECT_EQ(read.GetTypeIndentTop(), 5.0);
    EXPECT_EQ(read.GetTypeIndentBottom(), 5.0);
}

TEST(BDestination, TakesAMissingTypeAreaHeightAsTheFullHeight) {
    const BDestination read = ReadDestination(WriteList([](UKeyOutStream& out) {
        out.select_key('SX').write_double(100.0);
        out.select_key('SY').write_double(50.0);
        out.select_key('Tt').write_double(7.0);
        out.select_key('TX').write_double(80.0);
    }));
    EXPECT_EQ(read.GetTypeIndentLeft(), 10.0);
    EXPECT_EQ(read.GetTypeIndentRight(), 10.0);
    EXPECT_EQ(read.GetTypeIndentTop(), 0.0);
    EXPECT_EQ(read.GetTypeIndentBottom(), 0.0);
}

TEST(BDestination, DropsFieldsWithoutCodeOrOfTheCodeRDts) {
    const BDestination read = ReadDestination(WriteList([](UKeyOutStream& out) {
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
    ASSERT_EQ(read.GetFields().size(), 1u);
    EXPECT_EQ(read.GetFields()[0].code, "PubC");
    EXPECT_EQ(read.GetFields()[0].value, "PubC");
    EXPECT_TRUE(read.GetFields()[0].flag);
}

TEST(BDestination, WritesNoFieldRecordWithoutFields) {
    BDestination destination;
    const std::string content =
        ListContent(WriteList([&](UKeyOutStream& out) { destination.Write(out); }));
    EXPECT_EQ(content.find("UF"), std::string::npos);
    // The record ends with the identifier 0 of the empty identifier.
    EXPECT_EQ(content.substr(content.size() - 4), Element('ID', UKeyStream::field_int, ""));
}

TEST(BDestination, CopiesAllButTheExportedAndRoFlagsAndMK) {
    BDestination original;
    original.SetName("n");
    original.SetFirstCode("c");
    original.SetStyle(3);
    original.SetCo(4);
    original.SetSize(10.0, 20.0);
    original.SetBleeds(1.0, 1.0, 1.0, 1.0);
    original.SetIdentifier("9");
    original.SetExported(true);
    original.SetRo(true);
    original.SetMK("mk");
    original.AddField(AdMetadataField::FromTableRow(1, "v", "t"));

    const BDestination copy(original);
    EXPECT_EQ(copy.GetName(), "n");
    EXPECT_EQ(copy.GetFirstCode(), "c");
    EXPECT_EQ(copy.GetStyle(), 3);
    EXPECT_EQ(copy.GetCo(), 4);
    EXPECT_EQ(copy.GetHeight(), 20.0);
    EXPECT_EQ(copy.GetBleedBottom(), 1.0);
    EXPECT_EQ(copy.GetIdentifier(), "9");
    EXPECT_EQ(copy.GetFields().size(), 1u);
    EXPECT_FALSE(copy.IsExported());
    EXPECT_FALSE(copy.GetRo());
    EXPECT_EQ(copy.GetMK(), "");

    BDestination assigned;
    assigned.SetExported(true);
    assigned.SetMK("kept");
    assigned = original;
    EXPECT_TRUE(assigned.IsExported());
    EXPECT_EQ(assigned.GetMK(), "kept");
    EXPECT_EQ(assigned.GetName(), "n");
}

TEST(BDestination, ResetKeepsTextsAndFieldsButClearsNumbersAndFlags) {
    BGroup group;
    BDestination destination;
    destination.SetName("n");
    destination.SetStyle(2);
    destination.SetSize(5.0, 6.0);
    destination.SetIdentifier("1");
    destination.SetExported(true);
    destination.SetGroup(&group);
    destination.AddField(AdMetadataField::FromTableRow(2, "", ""));
    destination.Reset();
    EXPECT_EQ(destination.GetName(), "n");
    EXPECT_EQ(destination.GetFields().size(), 1u);
    EXPECT_EQ(destination.GetStyle(), 0);
    EXPECT_EQ(destination.GetWidth(), 0.0);
    EXPECT_EQ(destination.GetIdentifier(), "");
    EXPECT_FALSE(destination.IsExported());
    EXPECT_EQ(destination.GetGroup(), nullptr);
}

TEST(BDestination, SettingACodeEmptiesItsName) {
    BDestination destination;
    destination.SetFirstName("first");
    destination.SetSecondName("second");
    destination.SetThirdName("third");
    destination.SetSecondCode("B");
    EXPECT_EQ(destination.GetFirstName(), "first");
    EXPECT_EQ(destination.GetSecondName(), "");
    EXPECT_EQ(destination.GetThirdName(), "third");
    destination.SetFirstCode("A");
    destination.SetThirdCode("C");
    EXPECT_EQ(destination.GetFirstName(), "");
    EXPECT_EQ(destination.GetThirdName(), "");
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

    EXPECT_EQ(wide->GetExcessWidth(), 0.0); // minimum not computed yet
    wide->SetBleeds(0.0, 0.0, 0.0, 0.0);
    group.UpdateSizeSummary();
    EXPECT_EQ(wide->GetExcessWidth(), 20.0);
    EXPECT_EQ(wide->GetExcessHeight(), 20.0);
    EXPECT_EQ(narrow->GetExcessWidth(), 0.0);

    BDestination alone;
    alone.SetSize(300.0, 300.0);
    EXPECT_EQ(alone.GetExcessWidth(), 0.0);
}

TEST(AdMetadataField, FindsTheFirstRowOfACodeExactly) {
    EXPECT_EQ(AdMetadataField::FindByCode("PubC"), 0);
    EXPECT_EQ(AdMetadataField::FindByCode("Colm"), 7);
    EXPECT_EQ(AdMetadataField::FindByCode("0CkS"), 32);
    EXPECT_EQ(AdMetadataField::FindByCode("Wdth "), -1);
    EXPECT_EQ(AdMetadataField::FindByCode("wdth"), -1);
    EXPECT_EQ(AdMetadataField::FindByCode(""), -1);
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
    EXPECT_EQ(message.valueAt<ustring>("hiCp", 0), "dX03");
    EXPECT_EQ(message.valueAt<ustring>("hiCp", 1), "Highest % Cyan");
    EXPECT_EQ(message.valueAt<ustring>("hiCp", 2), "85");
    EXPECT_EQ(message.valueAt<ustring>("hiCp", 3), "C 85%");
    std::uint64_t count = 0;
    EXPECT_TRUE(message.count("hiCp", count));
    EXPECT_EQ(count, 4u);
}
