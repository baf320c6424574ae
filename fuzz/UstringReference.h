// Fuzz aid: ustring's UTF-16 conversions as the plain converter loops give them, without the
// ASCII shortcuts, to compare the string type's conversions with.
#pragma once

#include "encoding/ConvertUTF.h"
#include "utils/ustring.h"

#include <cstddef>
#include <string>

// The conversions as the plain converter loops give them, without the ASCII shortcuts: UTF-16
// to UTF-8 appends 512-byte chunks to a string of the given reserved capacity until a chunk
// fails; UTF-8 to UTF-16 widens the ASCII run up to a NUL, then converts what follows.
inline ustring referenceFromUtf16(const std::u16string& units, std::size_t reserved = 0) {
    ustring result;
    result.reserve(reserved);
    const UTF16* source = units.data();
    const UTF16* const end = source + units.size();
    while (source != end) {
        UTF8 chunk[512];
        UTF8* target = chunk;
        const ConversionResult r =
            ConvertUTF16toUTF8(&source, end, &target, chunk + 512, strictConversion);
        if (r == sourceExhausted || r == sourceIllegal)
            break;
        result.append(reinterpret_cast<const char*>(chunk), target - chunk);
    }
    return result;
}

inline std::u16string referenceToUtf16(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] > 0)
        ++i;
    std::u16string result(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(i));
    if (i == bytes.size() || bytes[i] == 0)
        return result;
    const auto* source = reinterpret_cast<const UTF8*>(bytes.data() + i);
    const auto* const end = reinterpret_cast<const UTF8*>(bytes.data() + bytes.size());
    for (;;) {
        UTF16 chunk[512];
        UTF16* target = chunk;
        const ConversionResult r =
            ConvertUTF8toUTF16(&source, end, &target, chunk + 512, strictConversion);
        result.append(chunk, target);
        if (r != targetExhausted)
            return result;
    }
}
