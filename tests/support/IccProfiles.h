// Test aid: ICC profile files made in the test. A profile is a 128-byte header, an element table
// and its elements (big-endian throughout); the description element is a version-2 text
// description ('desc' type) or a version-4 multi-localised text ('mluc' type), and tests may
// replace it by bytes of their own or damage the file afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace icc {

// Where the first element table entry (the description's) keeps its offset and size.
inline constexpr std::size_t kDescOffsetField = 136;
inline constexpr std::size_t kDescSizeField = 140;

inline void PutBigEndian(std::string& bytes, std::size_t at, std::uint32_t value, int width = 4) {
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * (width - 1 - i)));
}

inline std::string BigEndian(std::uint32_t value, int width = 4) {
    std::string bytes(static_cast<std::size_t>(width), '\0');
    PutBigEndian(bytes, 0, value, width);
    return bytes;
}

// One record of a version-4 description: language and country ("enUS") and the text.
struct Localized {
    std::string languageCountry;
    std::u16string text;
};

struct Profile {
    std::uint32_t deviceClass = 'prtr';
    std::uint32_t colorSpace = 'CMYK';
    int version = 2;
    std::string description{};          // version 2: the text's bytes (ANSI)
    std::vector<Localized> localized{}; // version 4
    // The description element's bytes exactly as given ("" makes an element of size 0); with
    // `noDescription` the profile has none.
    std::optional<std::string> descElement{};
    bool noDescription = false;

    std::string DescriptionElement() const {
        if (descElement)
            return *descElement;
        if (version < 4) {
            // Type, reserved, the ASCII count with its NUL and the text; then the empty Unicode
            // and ScriptCode parts.
            std::string element = "desc" + BigEndian(0) +
                                  BigEndian(static_cast<std::uint32_t>(description.size() + 1)) +
                                  description + '\0';
            return element + std::string(4 + 4 + 2 + 1 + 67, '\0');
        }
        // Type, reserved, record count, record size; the records; then the UTF-16BE texts.
        std::string element = "mluc" + BigEndian(0) +
                              BigEndian(static_cast<std::uint32_t>(localized.size())) +
                              BigEndian(12);
        std::size_t textOffset = element.size() + 12 * localized.size();
        std::string texts;
        for (const Localized& record : localized) {
            element += record.languageCountry +
                       BigEndian(static_cast<std::uint32_t>(2 * record.text.size())) +
                       BigEndian(static_cast<std::uint32_t>(textOffset + texts.size()));
            for (char16_t unit : record.text)
                texts += BigEndian(unit, 2);
        }
        return element + texts;
    }

    std::string Bytes() const {
        std::string header(128, '\0');
        PutBigEndian(header, 8, version < 4 ? 0x02100000 : 0x04300000);
        PutBigEndian(header, 12, deviceClass);
        PutBigEndian(header, 16, colorSpace);
        PutBigEndian(header, 20, 'XYZ ');
        PutBigEndian(header, 36, 'acsp');
        std::string element = noDescription ? std::string() : DescriptionElement();
        std::string table = BigEndian(noDescription ? 0 : 1);
        if (!noDescription)
            table += BigEndian('desc') + BigEndian(128 + 4 + 12) +
                     BigEndian(static_cast<std::uint32_t>(element.size()));
        element.resize((element.size() + 3) / 4 * 4, '\0');
        std::string bytes = header + table + element;
        PutBigEndian(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
        return bytes;
    }
};

} // namespace icc
