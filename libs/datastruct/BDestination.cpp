// BDestination and AdMetadataField: field handling, the destination record and the table of the
// known ad-metadata fields.
#include "model/BDestination.h"

#include "model/BDestinationList.h"
#include "utils/UKeyStream.h"
#include "utils/umessage.h"

#include <array>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

// Keys of the destination record.
constexpr std::uint16_t kKeyName = 'CC';
constexpr std::uint16_t kKeyFirstCode = 'RC';
constexpr std::uint16_t kKeyFirstName = 'R1';
constexpr std::uint16_t kKeySecondCode = 'NC';
constexpr std::uint16_t kKeySecondName = 'N1';
constexpr std::uint16_t kKeyThirdCode = 'SC';
constexpr std::uint16_t kKeyThirdName = 'S1';
constexpr std::uint16_t kKeyStyle = 'St';
constexpr std::uint16_t kKeyCN = 'CN';
constexpr std::uint16_t kKeyCo = 'Co';
constexpr std::uint16_t kKeyNS = 'NS';
constexpr std::uint16_t kKeyWidth = 'SX';
constexpr std::uint16_t kKeyHeight = 'SY';
constexpr std::uint16_t kKeyExported = 'Ex';
constexpr std::uint16_t kKeyMK = 'MK';
constexpr std::uint16_t kKeyRo = 'Ro';
// Keys of the four sides of the bleeds and of the type indents: left, right, top, bottom.
using SideKeys = std::array<std::uint16_t, 4>;
constexpr SideKeys kBleedKeys = {'Bl', 'Br', 'Bt', 'Bb'};
constexpr SideKeys kTypeIndentKeys = {'Tl', 'Tr', 'Tt', 'Tb'};
constexpr std::uint16_t kKeyIdentifier = 'ID';
constexpr std::uint16_t kKeyFields = 'UF';
// Older forms: symmetric bleeds and the type area's size.
constexpr std::uint16_t kKeyBleedX = 'BX';
constexpr std::uint16_t kKeyBleedY = 'BY';
constexpr std::uint16_t kKeyTypeAreaWidth = 'TX';
constexpr std::uint16_t kKeyTypeAreaHeight = 'TY';
// Keys of one ad-metadata field inside 'UF'.
constexpr std::uint16_t kKeyFieldCode = 'UP';
constexpr std::uint16_t kKeyFieldTypeCode = 'Uf';
constexpr std::uint16_t kKeyFieldLabel = 'UT';
constexpr std::uint16_t kKeyFieldValue = 'UV';

// A field of this code is the booking system's own and never kept.
constexpr const char* kDroppedFieldCode = "RDts";

// The identifier as the integer it is stored as: decimal digits only (the empty text counts,
// giving 0) whose value fits in 32 bits. Other identifiers are stored as text.
[[nodiscard]] bool IdentifierAsInteger(const ustring& identifier, std::int32_t& value) {
    std::int64_t number = 0;
    for (char ch : identifier) {
        if (ch < '0' || ch > '9')
            return false;
        number = number * 10 + (ch - '0');
        if (number > std::numeric_limits<std::int32_t>::max())
            return false;
    }
    value = static_cast<std::int32_t>(number);
    return true;
}

void WriteSides(UKeyOutStream& out, const SideKeys& keys, const std::array<double, 4>& sides) {
    for (std::size_t i = 0; i < keys.size(); ++i)
        out.select_key(keys[i]).write_double(sides[i]);
}

// Absent sides keep their values.
void ReadSides(UKeyInStream& in, const SideKeys& keys, const std::array<double*, 4>& sides) {
    for (std::size_t i = 0; i < keys.size(); ++i)
        in.select_key(keys[i]).read_double(*sides[i]);
}

} // namespace

// --- AdMetadataField ------------------------------------------------------------------------

const std::array<AdMetadataField::TableRow, AdMetadataField::kTableSize> AdMetadataField::kTable{{
    {"PubC", "mZ00", "Publication code"},
    {"1PNm", "PZ00", "Publication name"},
    {"ClPo", "pZ00", "Class/position"},
    {"Styl", "CP00", "Job style"},
    {"Frmt", "CP00", "Document format"},
    {"Wdth", "Fp06", "Width"},
    {"Hght", "Fp06", "Depth"},
    {"Colm", "pZ00", "Booked width"},
    {"Colm", "pZ00", "Booked width"},
    {"UPHt", "Fp06", "Booked depth"},
    {"NmSz", "PZ00", "Named size"},
    {"1NSz", "PZ00", "Named size"},
    {"0ANm", "PZ40", "Artists name"},
    {"hiCp", "dX03", "Highest % Cyan"},
    {"hiMp", "dX03", "Highest % Magenta"},
    {"hiYp", "dX03", "Highest % Yellow"},
    {"hiKp", "dX03", "Highest % Black"},
    {"Spot", "PZ00", "Color style"},
    {"QCIm", "BZ00", "Contains QC images"},
    {"Bled", "PZ00", "Bleed box"},
    {"Trim", "PZ00", "Trim box"},
    {"1Trm", "PZ00", "Trim box destination"},
    {"0LPI", "Dz00", "Target LPI"},
    {"PMsz", "Fp06", "Printer marks size"},
    {"PMof", "Fp06", "Printer marks offset from trim"},
    {"1PSN", "PZ00", "Publisher name"},
    {"0ZUK", "PZ00", "Identifier"},
    {"1ICC", "PZ00", "Profile Information"},
    {"1SEC", "PZ00", "Section name"},
    {"0ZDt", "Yz00", "Zephrined Date"},
    {"CCod", "mZ00", "Country code"},
    {"CNam", "PZ00", "Country name"},
    {"0CkS", "PZ00", "Check Setting Used"},
}};

AdMetadataField AdMetadataField::FromTableRow(int row, const ustring& value, const ustring& text) {
    if (row < 0 || row >= kTableSize)
        throw std::out_of_range("AdMetadataField: table row out of range");
    const TableRow& entry = kTable[static_cast<std::size_t>(row)];
    AdMetadataField field;
    field.tableIndex = row;
    field.code = entry.code;
    field.typeCode = entry.typeCode;
    field.label = entry.label;
    field.value = value;
    field.text = text;
    return field;
}

std::int32_t AdMetadataField::FindByCode(const ustring& code) {
    for (std::int32_t row = 0; row < kTableSize; ++row) {
        if (code == kTable[static_cast<std::size_t>(row)].code)
            return row;
    }
    return -1;
}

void AdMetadataField::AddToMessage(umessage& message) const {
    for (const ustring* part : {&typeCode, &label, &value, &text})
        message.add<ustring>(code, umessage_details::type_string, *part);
}

// --- BDestination: construction and fields --------------------------------------------------

void BDestination::Reset() {
    m_co = 0;
    m_style = 0;
    m_width = m_height = 0.0;
    SetBleeds(0.0, 0.0, 0.0, 0.0);
    SetTypeIndents(0.0, 0.0, 0.0, 0.0);
    m_identifier.clear();
    m_unshared.exported = false;
    m_unshared.ro = false;
    m_owner = nullptr;
    m_group = nullptr;
}

void BDestination::SetFirstCode(const ustring& code) {
    m_firstCode = code;
    m_firstName.clear();
}

void BDestination::SetSecondCode(const ustring& code) {
    m_secondCode = code;
    m_secondName.clear();
}

void BDestination::SetThirdCode(const ustring& code) {
    m_thirdCode = code;
    m_thirdName.clear();
}

void BDestination::SetBleeds(double left, double right, double top, double bottom) {
    m_bleedLeft = left;
    m_bleedRight = right;
    m_bleedTop = top;
    m_bleedBottom = bottom;
}

bool BDestination::HasBleed() const {
    return m_bleedLeft != 0.0 || m_bleedRight != 0.0 || m_bleedTop != 0.0 || m_bleedBottom != 0.0;
}

void BDestination::SetTypeIndents(double left, double right, double top, double bottom) {
    m_typeIndentLeft = left;
    m_typeIndentRight = right;
    m_typeIndentTop = top;
    m_typeIndentBottom = bottom;
}

double BDestination::GetExcessWidth() const {
    if (m_group == nullptr || !(m_group->GetMinWidth() > 0.0) || !(m_width > 0.0))
        return 0.0;
    return m_width - m_group->GetMinWidth();
}

double BDestination::GetExcessHeight() const {
    if (m_group == nullptr || !(m_group->GetMinHeight() > 0.0) || !(m_height > 0.0))
        return 0.0;
    return m_height - m_group->GetMinHeight();
}

bool BDestination::UpdatesGroupMinWidth(double minimum) const {
    return m_width > 0.0 && (minimum == 0.0 || minimum > m_width);
}

bool BDestination::UpdatesGroupMinHeight(double minimum) const {
    return m_height > 0.0 && (minimum == 0.0 || minimum > m_height);
}

// --- BDestination: the record ---------------------------------------------------------------

void BDestination::Write(UKeyOutStream& out) const {
    out.select_key(kKeyName).write_string(m_name);
    out.select_key(kKeyFirstCode).write_string(m_firstCode);
    out.select_key(kKeyFirstName).write_string(m_firstName);
    out.select_key(kKeySecondCode).write_string(m_secondCode);
    out.select_key(kKeySecondName).write_string(m_secondName);
    out.select_key(kKeyThirdCode).write_string(m_thirdCode);
    out.select_key(kKeyThirdName).write_string(m_thirdName);

    out.select_key(kKeyStyle).write_int(m_style);
    out.select_key(kKeyCN).write_string(m_cn);
    out.select_key(kKeyCo).write_int(m_co);
    out.select_key(kKeyNS).write_string(m_ns);
    out.select_key(kKeyWidth).write_double(m_width);
    out.select_key(kKeyHeight).write_double(m_height);
    out.select_key(kKeyExported).write_bool(m_unshared.exported);
    out.select_key(kKeyMK).write_string(m_unshared.mk);
    out.select_key(kKeyRo).write_bool(m_unshared.ro);

    WriteSides(out, kBleedKeys, {m_bleedLeft, m_bleedRight, m_bleedTop, m_bleedBottom});
    WriteSides(out, kTypeIndentKeys,
               {m_typeIndentLeft, m_typeIndentRight, m_typeIndentTop, m_typeIndentBottom});

    WriteIdentifier(out);
    WriteFields(out);
}

void BDestination::WriteIdentifier(UKeyOutStream& out) const {
    std::int32_t number = 0;
    out.select_key(kKeyIdentifier);
    if (IdentifierAsInteger(m_identifier, number))
        out.write_int(number);
    else
        out.write_string(m_identifier);
}

void BDestination::WriteFields(UKeyOutStream& out) const {
    if (m_fields.empty())
        return;
    out.begin_record(kKeyFields);
    for (const AdMetadataField& field : m_fields) {
        out.select_key(kKeyFieldCode).write_string(field.code);
        out.select_key(kKeyFieldTypeCode).write_string(field.typeCode);
        out.select_key(kKeyFieldLabel).write_string(field.label);
        out.select_key(kKeyFieldValue).write_string(field.value);
        out.select_key(kKeyRo).write_bool(field.flag);
    }
    out.end();
}

void BDestination::Read(UKeyInStream& in) {
    in.select_key(kKeyName).read_string(m_name);
    in.select_key(kKeyFirstCode).read_string(m_firstCode);
    in.select_key(kKeyFirstName).read_string(m_firstName);
    in.select_key(kKeySecondCode).read_string(m_secondCode);
    in.select_key(kKeySecondName).read_string(m_secondName);
    in.select_key(kKeyThirdCode).read_string(m_thirdCode);
    in.select_key(kKeyThirdName).read_string(m_thirdName);

    in.select_key(kKeyStyle).read_int(m_style);
    in.select_key(kKeyCN).read_string(m_cn);
    in.select_key(kKeyCo).read_int(m_co);
    in.select_key(kKeyNS).read_string(m_ns);
    in.select_key(kKeyWidth).read_double(m_width);
    in.select_key(kKeyHeight).read_double(m_height);
    in.select_key(kKeyExported).read_bool(m_unshared.exported);
    in.select_key(kKeyMK).read_string(m_unshared.mk);
    in.select_key(kKeyRo).read_bool(m_unshared.ro);

    ReadBleeds(in);
    ReadTypeIndents(in);
    ReadIdentifier(in);
    ReadFields(in);
}

void BDestination::ReadBleeds(UKeyInStream& in) {
    if (in.has_key(kKeyBleedX)) {
        in.select_key(kKeyBleedX).read_double(m_bleedRight);
        in.select_key(kKeyBleedY).read_double(m_bleedTop);
        m_bleedLeft = m_bleedRight;
        m_bleedBottom = m_bleedTop;
        return;
    }
    ReadSides(in, kBleedKeys, {&m_bleedLeft, &m_bleedRight, &m_bleedTop, &m_bleedBottom});
}

void BDestination::ReadTypeIndents(UKeyInStream& in) {
    if (in.has_key(kKeyTypeAreaWidth)) {
        // The type area's size; a missing height is taken as the full height (no indent).
        double typeWidth = m_width;
        double typeHeight = m_height;
        in.select_key(kKeyTypeAreaWidth).read_double(typeWidth);
        in.select_key(kKeyTypeAreaHeight).read_double(typeHeight);
        m_typeIndentLeft = m_typeIndentRight = (m_width - typeWidth) / 2;
        m_typeIndentTop = m_typeIndentBottom = (m_height - typeHeight) / 2;
        return;
    }
    ReadSides(in, kTypeIndentKeys,
              {&m_typeIndentLeft, &m_typeIndentRight, &m_typeIndentTop, &m_typeIndentBottom});
}

void BDestination::ReadIdentifier(UKeyInStream& in) {
    in.select_key(kKeyIdentifier);
    switch (in.selected_type()) {
    case UKeyStream::field_int: {
        std::int32_t number = 0;
        in.read_int(number);
        m_identifier = std::to_string(number);
        break;
    }
    case UKeyStream::field_uint: {
        std::uint32_t number = 0;
        in.read_uint(number);
        m_identifier = std::to_string(number);
        break;
    }
    default: // a string, or absent (empty)
        in.read_string(m_identifier);
        break;
    }
}

void BDestination::ReadFields(UKeyInStream& in) {
    in.enter_record(kKeyFields);
    while (in.next_item()) {
        AdMetadataField field;
        in.select_key(kKeyFieldCode).read_string(field.code);
        if (field.code.empty() || field.code == kDroppedFieldCode)
            continue;
        in.select_key(kKeyFieldTypeCode).read_string(field.typeCode);
        in.select_key(kKeyFieldLabel).read_string(field.label);
        in.select_key(kKeyFieldValue).read_string(field.value);
        in.select_key(kKeyRo).read_bool(field.flag);
        m_fields.push_back(field);
    }
    in.leave();
}
