// The UTF converter family: UTF-8, UTF-16 and UTF-32 into each other, one caller-supplied
// buffer at a time, after the Unicode Consortium's reference conversion code (ConvertUTF).
// The converters never allocate and never throw; they advance both pointers past what they
// consumed and produced and say through their result why they stopped.
#pragma once

#include "encoding/ByteOrder.h"

#include <cstddef>
#include <cstdint>

using UTF8 = unsigned char;
using UTF16 = char16_t;
using UTF32 = std::uint32_t;

enum ConversionResult : std::int32_t {
    conversionOK = 0,    // all of the source was converted
    sourceExhausted = 1, // the source ends inside a sequence; source left at its start
    targetExhausted = 2, // the next character does not fit; source left at that character
    sourceIllegal = 3,   // an illegal sequence or value; source left at it
};

enum ConversionFlags : std::int32_t {
    strictConversion = 0,
    lenientConversion = 1,
};

[[nodiscard]] ConversionResult ConvertUTF8toUTF16(const UTF8** sourceStart, const UTF8* sourceEnd,
                                                  UTF16** targetStart, UTF16* targetEnd,
                                                  ConversionFlags flags);
[[nodiscard]] ConversionResult ConvertUTF16toUTF8(const UTF16** sourceStart, const UTF16* sourceEnd,
                                                  UTF8** targetStart, UTF8* targetEnd,
                                                  ConversionFlags flags);
[[nodiscard]] ConversionResult ConvertUTF8toUTF32(const UTF8** sourceStart, const UTF8* sourceEnd,
                                                  UTF32** targetStart, UTF32* targetEnd,
                                                  ConversionFlags flags);
[[nodiscard]] ConversionResult ConvertUTF32toUTF8(const UTF32** sourceStart, const UTF32* sourceEnd,
                                                  UTF8** targetStart, UTF8* targetEnd,
                                                  ConversionFlags flags);
[[nodiscard]] ConversionResult ConvertUTF16toUTF32(const UTF16** sourceStart,
                                                   const UTF16* sourceEnd, UTF32** targetStart,
                                                   UTF32* targetEnd, ConversionFlags flags);
[[nodiscard]] ConversionResult ConvertUTF32toUTF16(const UTF32** sourceStart,
                                                   const UTF32* sourceEnd, UTF16** targetStart,
                                                   UTF16* targetEnd, ConversionFlags flags);

// True when the `length` bytes at `source` form one well-formed UTF-8 sequence: no overlong
// form, no encoded surrogate, nothing above U+10FFFF, no 5- or 6-byte form. `length` is the
// length the lead byte announces (1 to 4); any other length is illegal, and the lead byte is not
// checked against it.
bool isLegalUTF8(const UTF8* source, int length);

// True when the sequence that starts at `source` lies wholly before `sourceEnd` and is legal;
// false for an empty range.
bool isLegalUTF8Sequence(const UTF8* source, const UTF8* sourceEnd);

// The unsigned 16-bit value of two bytes, the first the high byte; no alignment needed.
inline std::uint16_t ReadBigEndian16(const void* bytes) {
    return static_cast<std::uint16_t>(loadBigEndian(bytes, 2));
}
