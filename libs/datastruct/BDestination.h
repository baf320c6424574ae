// BDestination: one delivery destination of a job (a publication or section that receives the
// advertisement) with its keyed record, and AdMetadataField, the booking system's fields on it.
#pragma once

#include "model/BCheckSettingList.h"
#include "utils/ustring.h"

#include <array>
#include <cstdint>
#include <vector>

class BGroup;
class BJobFile;
class UKeyInStream;
class UKeyOutStream;
class umessage;

// One ad-metadata field. Only code, type code, label, value and flag are stored in a
// destination record; the table index and the text live in memory only.
struct AdMetadataField {
    struct TableRow {
        const char* code;     // four characters
        const char* typeCode; // four characters
        const char* label;
    };
    static constexpr int kTableSize = 33;
    // The known fields; a code or a label can occur twice.
    static const std::array<TableRow, kTableSize> kTable;

    // A field of table row `row` (0 to 32, else std::out_of_range) with the value and text given
    // and the flag clear.
    static AdMetadataField FromTableRow(int row, const ustring& value, const ustring& text);
    // The first row whose code equals `code` byte for byte; -1 when none.
    static std::int32_t FindByCode(const ustring& code);

    // Appends four strings under the code as entry name: type code, label, value, text.
    void AddToMessage(umessage& message) const;

    std::int32_t tableIndex = -1; // -1: the field does not come from the table
    ustring code;
    ustring typeCode;
    ustring label;
    ustring value;
    ustring text;
    bool flag = false; // 'Ro'
};

class BDestination {
public:
    // Copies take everything but the exported flag, the 'Ro' flag and 'MK': a copy starts them
    // false, false and empty, an assignment leaves the target's.
    BDestination() = default;
    explicit BDestination(BJobFile* owner) : m_owner(owner) {}

    // Zeroes 'Co', 'St', size, bleeds and type indents, empties the identifier, clears the
    // exported and 'Ro' flags and the owner and group; leaves the other texts and the fields.
    void Reset();

    // Setting a code empties the name that goes with it.
    void SetName(const ustring& name) { m_name = name; }
    void SetFirstCode(const ustring& code);
    void SetSecondCode(const ustring& code);
    void SetThirdCode(const ustring& code);

    // The destination record's elements, inside an item that the caller opened. Reading accepts
    // the older forms: 'BX'/'BY' (symmetric bleeds), 'TX'/'TY' (type area size) and an 'ID'
    // stored as an integer.
    void Read(UKeyInStream& in);
    void Write(UKeyOutStream& out) const;

    const ustring& GetName() const { return m_name; }
    const ustring& GetFirstCode() const { return m_firstCode; }
    const ustring& GetSecondCode() const { return m_secondCode; }
    const ustring& GetThirdCode() const { return m_thirdCode; }
    const ustring& GetFirstName() const { return m_firstName; }
    const ustring& GetSecondName() const { return m_secondName; }
    const ustring& GetThirdName() const { return m_thirdName; }
    void SetFirstName(const ustring& name) { m_firstName = name; }
    void SetSecondName(const ustring& name) { m_secondName = name; }
    void SetThirdName(const ustring& name) { m_thirdName = name; }

    // Values carried as they are ('Co', 'St', 'NS', 'CN', 'MK', 'Ro').
    std::int32_t GetCo() const { return m_co; }
    void SetCo(std::int32_t value) { m_co = value; }
    std::int32_t GetStyle() const { return m_style; }
    void SetStyle(std::int32_t style) { m_style = style; }
    void SetNS(const ustring& text) { m_ns = text; }
    void SetCN(const ustring& text) { m_cn = text; }
    const ustring& GetMK() const { return m_unshared.mk; }
    void SetMK(const ustring& text) { m_unshared.mk = text; }
    bool GetRo() const { return m_unshared.ro; }
    void SetRo(bool value) { m_unshared.ro = value; }

    // Booked size.
    double GetWidth() const { return m_width; }
    double GetHeight() const { return m_height; }
    void SetSize(double width, double height) {
        m_width = width;
        m_height = height;
    }
    double GetWidthWithBleed() const { return m_width + m_bleedLeft + m_bleedRight; }
    double GetHeightWithBleed() const { return m_height + m_bleedTop + m_bleedBottom; }

    double GetBleedLeft() const { return m_bleedLeft; }
    double GetBleedRight() const { return m_bleedRight; }
    double GetBleedTop() const { return m_bleedTop; }
    double GetBleedBottom() const { return m_bleedBottom; }
    void SetBleeds(double left, double right, double top, double bottom);
    // Some side has a bleed other than 0.0.
    bool HasBleed() const;

    // Distance of the type area from each trim edge.
    double GetTypeIndentLeft() const { return m_typeIndentLeft; }
    double GetTypeIndentRight() const { return m_typeIndentRight; }
    double GetTypeIndentTop() const { return m_typeIndentTop; }
    double GetTypeIndentBottom() const { return m_typeIndentBottom; }
    void SetTypeIndents(double left, double right, double top, double bottom);

    // Decimal digits or other text.
    ustring GetIdentifier() const { return m_identifier; }
    void SetIdentifier(const ustring& identifier) { m_identifier = identifier; }

    // The job has been sent for this destination.
    bool IsExported() const { return m_unshared.exported; }
    void SetExported(bool exported) { m_unshared.exported = exported; }

    BCheckSettingList& GetCheckSettings() { return m_checkSettings; }
    const BCheckSettingList& GetCheckSettings() const { return m_checkSettings; }

    const BJobFile* GetOwner() const { return m_owner; }
    const BGroup* GetGroup() const { return m_group; }
    void SetGroup(BGroup* group) { m_group = group; }

    // The destination's width (height) minus its group's minimum width (height); 0.0 without a
    // group, when that minimum is not above 0 or when the size is not above 0.
    double GetExcessWidth() const;
    double GetExcessHeight() const;

    // The destination's Boolean query: no destination answers true. Nothing in the system asks.
    bool IsSpecial() const { return false; }

    const std::vector<AdMetadataField>& GetFields() const { return m_fields; }
    void AddField(const AdMetadataField& field) { m_fields.push_back(field); }
    void ClearFields() { m_fields.clear(); }

    // Whether this destination's width (height) becomes a group's minimum that stands at
    // `minimum`: the size is above 0 and the minimum is exactly 0 or above it.
    bool UpdatesGroupMinWidth(double minimum) const;
    bool UpdatesGroupMinHeight(double minimum) const;

private:
    // What copies of a destination leave alone.
    struct Unshared {
        Unshared() = default;
        Unshared(const Unshared&) {}
        Unshared(Unshared&&) = default;
        Unshared& operator=(const Unshared&) { return *this; }
        Unshared& operator=(Unshared&&) = default;

        bool exported = false;
        bool ro = false; // 'Ro'
        ustring mk;      // 'MK'
    };

    void ReadBleeds(UKeyInStream& in);
    void ReadTypeIndents(UKeyInStream& in);
    void ReadIdentifier(UKeyInStream& in);
    void ReadFields(UKeyInStream& in);
    void WriteIdentifier(UKeyOutStream& out) const;
    void WriteFields(UKeyOutStream& out) const;

    std::int32_t m_co = 0;
    double m_width = 0.0;
    double m_height = 0.0;
    double m_bleedLeft = 0.0;
    double m_bleedRight = 0.0;
    double m_bleedTop = 0.0;
    double m_bleedBottom = 0.0;
    double m_typeIndentLeft = 0.0;
    double m_typeIndentRight = 0.0;
    double m_typeIndentTop = 0.0;
    double m_typeIndentBottom = 0.0;
    ustring m_name;
    ustring m_firstCode;
    ustring m_secondCode;
    ustring m_thirdCode;
    ustring m_firstName;
    ustring m_secondName;
    ustring m_thirdName;
    ustring m_ns;
    ustring m_cn;
    ustring m_identifier;
    Unshared m_unshared;
    BCheckSettingList m_checkSettings;
    BJobFile* m_owner = nullptr;
    BGroup* m_group = nullptr;
    std::vector<AdMetadataField> m_fields;
    std::int32_t m_style = 0;
};
