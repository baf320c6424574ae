// Fuzzes every UTF converter in both modes on arbitrary input and target sizes: the pointers
// stay within the ranges given, a conversion cut into small target windows gives what one
// roomy conversion gives, and well-formed text survives each round trip unchanged.
#include "support/UtfConversion.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_convert: %s\n", what);
        std::abort();
    }
}

// The roomy conversion, after the windowed one has been found to add up to it.
template <typename From, typename To>
Conversion<To> convertChecked(Converter<From, To> convert, const std::vector<From>& source,
                              std::size_t window, ConversionFlags flags) {
    Conversion<To> whole = convertInWindows(convert, source, window, flags);
    require(whole.fault == nullptr, whole.fault);
    return whole;
}

template <typename T>
std::vector<T> unitsFrom(const std::uint8_t* data, std::size_t size) {
    std::vector<T> units(size / sizeof(T));
    if (!units.empty()) // an empty vector's data() may be null, which memcpy must not get
        std::memcpy(units.data(), data, units.size() * sizeof(T));
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const ConversionFlags flags = (data[0] & 1) ? lenientConversion : strictConversion;
    const std::size_t extra = data[1] % 8;
    data += 2;
    size -= 2;

    const std::vector<UTF8> utf8(data, data + size);
    const auto utf16 = unitsFrom<UTF16>(data, size);
    auto utf32 = unitsFrom<UTF32>(data, size);
    if (data[-2] & 2) {
        // Mostly scalar values, with surrogates and values just above U+10FFFF.
        for (UTF32& v : utf32) {
            v &= 0x1FFFFF;
        }
    }

    // UTF-8 output needs up to 4 bytes per character, UTF-16 2 units, UTF-32 one value.
    const auto utf16From8 = convertChecked(ConvertUTF8toUTF16, utf8, 2 + extra, flags);
    const auto utf32From8 = convertChecked(ConvertUTF8toUTF32, utf8, 1 + extra, flags);
    const auto utf8From16 = convertChecked(ConvertUTF16toUTF8, utf16, 4 + extra, flags);
    const auto utf32From16 = convertChecked(ConvertUTF16toUTF32, utf16, 1 + extra, flags);
    const auto utf8From32 = convertChecked(ConvertUTF32toUTF8, utf32, 4 + extra, flags);
    const auto utf16From32 = convertChecked(ConvertUTF32toUTF16, utf32, 2 + extra, flags);

    // Both decoders of a form stop at the same place for the same reason.
    require(utf16From8.result == utf32From8.result && utf16From8.consumed == utf32From8.consumed,
            "the UTF-8 decoders disagree");
    require(utf8From16.result == utf32From16.result && utf8From16.consumed == utf32From16.consumed,
            "the UTF-16 decoders disagree");

    // Well-formed text comes back unchanged through the other forms.
    if (utf16From8.result == conversionOK) {
        require(
            convertChecked(ConvertUTF16toUTF8, utf16From8.produced, 4, strictConversion).produced ==
                utf8,
            "UTF-8 -> UTF-16 -> UTF-8 changed the text");
        require(
            convertChecked(ConvertUTF32toUTF8, utf32From8.produced, 4, strictConversion).produced ==
                utf8,
            "UTF-8 -> UTF-32 -> UTF-8 changed the text");
    }
    if (flags == strictConversion && utf8From16.result == conversionOK) {
        require(
            convertChecked(ConvertUTF8toUTF16, utf8From16.produced, 2, strictConversion).produced ==
                utf16,
            "UTF-16 -> UTF-8 -> UTF-16 changed the text");
        require(convertChecked(ConvertUTF32toUTF16, utf32From16.produced, 2, strictConversion)
                        .produced == utf16,
                "UTF-16 -> UTF-32 -> UTF-16 changed the text");
    }
    if (flags == strictConversion && utf8From32.result == conversionOK) {
        require(
            convertChecked(ConvertUTF8toUTF32, utf8From32.produced, 1, strictConversion).produced ==
                utf32,
            "UTF-32 -> UTF-8 -> UTF-32 changed the text");
    }
    if (flags == strictConversion && utf16From32.result == conversionOK) {
        require(convertChecked(ConvertUTF16toUTF32, utf16From32.produced, 1, strictConversion)
                        .produced == utf32,
                "UTF-32 -> UTF-16 -> UTF-32 changed the text");
    }
    return 0;
}
