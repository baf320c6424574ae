// The UTF converter family after the Unicode Consortium's reference conversion code, with every
// read and write kept inside the ranges the caller gives.
#include "encoding/ConvertUTF.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr UTF32 kReplacementChar = 0xFFFD;
constexpr UTF32 kMaxBmp = 0xFFFF;
constexpr UTF32 kMaxLegalUtf32 = 0x10FFFF;
constexpr UTF32 kHighSurrogateStart = 0xD800;
constexpr UTF32 kHighSurrogateEnd = 0xDBFF;
constexpr UTF32 kLowSurrogateStart = 0xDC00;
constexpr UTF32 kLowSurrogateEnd = 0xDFFF;
constexpr UTF32 kHalfBase = 0x10000;
constexpr int kHalfShift = 10;
constexpr UTF32 kHalfMask = 0x3FF;

// Number of bytes that follow a lead byte: 0 for ASCII and for stray continuation bytes,
// 1 for C0-DF, 2 for E0-EF, 3 for F0-F7, and the obsolete 5- and 6-byte forms for F8-FF.
constexpr unsigned char trailingBytesForUTF8[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5,
};

// Subtracted after a sequence of (trailing count + 1) bytes has been summed (sum << 6, + byte):
// it removes the lead byte's length marker and the 10 marker of every continuation byte at
// once. The values are those sums for the marker bits alone, modulo 2^32.
constexpr UTF32 offsetsFromUTF8[6] = {0x00000000, 0x00003080, 0x000E2080,
                                      0x03C82080, 0xFA082080, 0x82082080};

// The length marker or-ed into the lead byte of a sequence of the indexed length.
constexpr UTF8 firstByteMark[7] = {0x00, 0x00, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};

bool isSurrogate(UTF32 ch) {
    return ch >= kHighSurrogateStart && ch <= kLowSurrogateEnd;
}
bool isHighSurrogate(UTF32 ch) {
    return ch >= kHighSurrogateStart && ch <= kHighSurrogateEnd;
}
bool isLowSurrogate(UTF32 ch) {
    return ch >= kLowSurrogateStart && ch <= kLowSurrogateEnd;
}

// The body of isLegalUTF8, kept here so that the decoders inline it.
inline bool legalUTF8(const UTF8* source, int length) {
    if (length < 1 || length > 4) {
        return false;
    }
    const UTF8 lead = source[0];
    if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4) {
        return false;
    }
    for (int i = 2; i < length; ++i) {
        if (source[i] < 0x80 || source[i] > 0xBF) {
            return false;
        }
    }
    if (length == 1) {
        return true;
    }
    // The second byte bounds what the lead byte may start: no overlong 3- and 4-byte forms
    // (E0, F0), no surrogates (ED), nothing above U+10FFFF (F4); always a continuation byte.
    const UTF8 second = source[1];
    if (second < 0x80 || second > 0xBF) {
        return false;
    }
    switch (lead) {
    case 0xE0:
        return second >= 0xA0;
    case 0xED:
        return second <= 0x9F;
    case 0xF0:
        return second >= 0x90;
    case 0xF4:
        return second <= 0x8F;
    default:
        return true;
    }
}

// Decodes the UTF-8 sequence at `source` into `ch` and its length into `length`. On
// sourceExhausted or sourceIllegal nothing is consumed.
ConversionResult decodeUTF8(const UTF8* source, const UTF8* sourceEnd, UTF32& ch, int& length) {
    const int extraBytes = trailingBytesForUTF8[*source];
    if (extraBytes >= sourceEnd - source) {
        return sourceExhausted;
    }
    if (!legalUTF8(source, extraBytes + 1)) {
        return sourceIllegal;
    }
    ch = 0;
    for (int i = 0; i <= extraBytes; ++i) {
        ch = (ch << 6) + source[i];
    }
    ch -= offsetsFromUTF8[extraBytes];
    length = extraBytes + 1;
    return conversionOK;
}

// Decodes the character at `source` (one unit, or a surrogate pair) into `ch` and advances
// `source` past it. On sourceExhausted or sourceIllegal `source` is left unchanged.
ConversionResult decodeUTF16(const UTF16*& source, const UTF16* sourceEnd, UTF32& ch,
                             ConversionFlags flags) {
    ch = source[0];
    if (isHighSurrogate(ch)) {
        if (sourceEnd - source < 2) {
            return sourceExhausted;
        }
        const UTF32 low = source[1];
        if (isLowSurrogate(low)) {
            ch =
                ((ch - kHighSurrogateStart) << kHalfShift) + (low - kLowSurrogateStart) + kHalfBase;
            source += 2;
            return conversionOK;
        }
        if (flags == strictConversion) {
            return sourceIllegal;
        }
    } else if (isLowSurrogate(ch) && flags == strictConversion) {
        return sourceIllegal;
    }
    ++source;
    return conversionOK;
}

// The number of bytes `ch` takes in UTF-8; a value above U+10FFFF counts as U+FFFD (3 bytes).
std::ptrdiff_t utf8Length(UTF32 ch) {
    if (ch < 0x80) {
        return 1;
    }
    if (ch < 0x800) {
        return 2;
    }
    if (ch < 0x10000) {
        return 3;
    }
    return ch <= kMaxLegalUtf32 ? 4 : 3;
}

// Writes `ch` (at most U+10FFFF) as `length` UTF-8 bytes, the continuation bytes from the
// last one backwards.
void writeUTF8(UTF8* target, UTF32 ch, std::ptrdiff_t length) {
    for (std::ptrdiff_t i = length - 1; i > 0; --i) {
        target[i] = static_cast<UTF8>((ch | 0x80) & 0xBF);
        ch >>= 6;
    }
    target[0] = static_cast<UTF8>(ch | firstByteMark[length]);
}

void writeSurrogatePair(UTF16* target, UTF32 ch) {
    ch -= kHalfBase;
    target[0] = static_cast<UTF16>((ch >> kHalfShift) + kHighSurrogateStart);
    target[1] = static_cast<UTF16>((ch & kHalfMask) + kLowSurrogateStart);
}

// Each run decoder below decodes sequences of one length from `source` while they are well formed
// and lie wholly before `end`, and stops at the first one that is not: a sequence of another
// length, or a malformed one, which the caller tells apart by whether the run decoded anything.
// Text of one script repeats one sequence length, and a loop of its own per length is predicted
// far better than a branch on the length per character. Each loop tests its whole sequence at
// once: the bytes are read into one value, most significant first, whose length markers (110,
// 1110, 11110 for the lead byte, 10 for every continuation byte) one mask compares together.

// 110xxxxx 10xxxxxx, from U+0080: C0 and C1, the leads with the four high payload bits all
// zero, begin only overlong forms. Two sequences at a time while both are well formed, since
// Greek or Cyrillic words run to several; then one.
void decodeTwoByteRun(const UTF8*& source, const UTF8* end, UTF16*& target) {
    while (end - source >= 4) {
        const UTF32 bytes = static_cast<UTF32>(loadBigEndian(source, 4));
        if ((bytes & 0xE0C0E0C0u) != 0xC080C080u || (bytes & 0x1E000000u) == 0 ||
            (bytes & 0x1E00u) == 0) {
            break;
        }
        target[0] = static_cast<UTF16>(((bytes & 0x1F000000u) >> 18) | ((bytes & 0x3F0000u) >> 16));
        target[1] = static_cast<UTF16>(((bytes & 0x1F00u) >> 2) | (bytes & 0x3Fu));
        target += 2;
        source += 4;
    }
    while (end - source >= 2) {
        const UTF32 bytes = static_cast<UTF32>(loadBigEndian(source, 2));
        if ((bytes & 0xE0C0u) != 0xC080u || (bytes & 0x1E00u) == 0) {
            return;
        }
        *target++ = static_cast<UTF16>(((bytes & 0x1F00u) >> 2) | (bytes & 0x3Fu));
        source += 2;
    }
}

// 1110xxxx 10xxxxxx 10xxxxxx, from U+0800, no surrogates.
void decodeThreeByteRun(const UTF8*& source, const UTF8* end, UTF16*& target) {
    while (end - source >= 3) {
        const UTF32 bytes = static_cast<UTF32>(loadBigEndian(source, 3));
        if ((bytes & 0xF0C0C0u) != 0xE08080u) {
            return;
        }
        const UTF32 ch = ((bytes & 0x0F0000u) >> 4) | ((bytes & 0x3F00u) >> 2) | (bytes & 0x3Fu);
        if (ch < 0x800 || isSurrogate(ch)) {
            return;
        }
        *target++ = static_cast<UTF16>(ch);
        source += 3;
    }
}

// 11110xxx 10xxxxxx 10xxxxxx 10xxxxxx, from U+10000 to U+10FFFF, as a surrogate pair.
void decodeFourByteRun(const UTF8*& source, const UTF8* end, UTF16*& target) {
    while (end - source >= 4) {
        const UTF32 bytes = static_cast<UTF32>(loadBigEndian(source, 4));
        if ((bytes & 0xF8C0C0C0u) != 0xF0808080u) {
            return;
        }
        const UTF32 ch = ((bytes & 0x07000000u) >> 6) | ((bytes & 0x3F0000u) >> 4) |
                         ((bytes & 0x3F00u) >> 2) | (bytes & 0x3Fu);
        if (ch < kHalfBase || ch > kMaxLegalUtf32) {
            return;
        }
        writeSurrogatePair(target, ch);
        target += 2;
        source += 4;
    }
}

// Decodes UTF-8 from `source` while every sequence is well formed and lies wholly before `end`;
// stops at the first one that does not, leaving it to the careful path. The caller guarantees
// room for one unit per byte up to `end`: no character takes more units than bytes.
void decodeWellFormedUTF8(const UTF8*& source, const UTF8* end, UTF16*& target) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    while (source < end) {
        const UTF8 lead = source[0];
        if (lead < 0x80) {
            // Eight bytes at a time while all eight are ASCII, then the rest of the run byte by
            // byte. Advancing by a count computed from the bytes (the position of the first
            // marked one) would make every later read wait for that computation; the byte loop
            // lets the processor run ahead on its prediction of where the run ends.
            while (end - source >= 8) {
                const std::uint64_t word = loadLittleEndian(source, 8);
                if ((word & kHighBits) != 0) {
                    break;
                }
                for (int i = 0; i < 8; ++i) {
                    target[i] = source[i];
                }
                source += 8;
                target += 8;
            }
            while (source < end && *source < 0x80) {
                *target++ = *source++;
            }
            continue;
        }
        const UTF8* const runStart = source;
        if (lead < 0xE0) {
            decodeTwoByteRun(source, end, target);
        } else if (lead < 0xF0) {
            decodeThreeByteRun(source, end, target);
        } else {
            decodeFourByteRun(source, end, target);
        }
        if (source == runStart) {
            return;
        }
    }
}

} // namespace

bool isLegalUTF8(const UTF8* source, int length) {
    return legalUTF8(source, length);
}

bool isLegalUTF8Sequence(const UTF8* source, const UTF8* sourceEnd) {
    if (source >= sourceEnd) {
        return false;
    }
    const int length = trailingBytesForUTF8[*source] + 1;
    if (length > sourceEnd - source) {
        return false;
    }
    return legalUTF8(source, length);
}

// The legality test rejects encoded surrogates and values above U+10FFFF in both modes, so
// every decoded value is a scalar value and the flags change nothing here.
ConversionResult ConvertUTF8toUTF16(const UTF8** sourceStart, const UTF8* sourceEnd,
                                    UTF16** targetStart, UTF16* targetEnd,
                                    ConversionFlags /*flags*/) {
    ConversionResult result = conversionOK;
    const UTF8* source = *sourceStart;
    UTF16* target = *targetStart;
    while (source < sourceEnd) {
        // The well-formed bulk, as far as the target's room is certain to hold it; then one
        // character the careful way: a malformed or cut-off sequence, one that crosses that
        // bound, or one that may not fit the target.
        const UTF8* const roomyEnd = source + std::min(sourceEnd - source, targetEnd - target);
        decodeWellFormedUTF8(source, roomyEnd, target);
        if (source == sourceEnd) {
            break;
        }
        UTF32 ch = 0;
        int length = 0;
        result = decodeUTF8(source, sourceEnd, ch, length);
        if (result != conversionOK) {
            break;
        }
        if (ch <= kMaxBmp) {
            if (target >= targetEnd) {
                result = targetExhausted;
                break;
            }
            *target++ = static_cast<UTF16>(ch);
        } else {
            if (targetEnd - target < 2) {
                result = targetExhausted;
                break;
            }
            writeSurrogatePair(target, ch);
            target += 2;
        }
        source += length;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

// The legality test rejects encoded surrogates and values above U+10FFFF in both modes, so
// every decoded value is a scalar value and the flags change nothing here.
ConversionResult ConvertUTF8toUTF32(const UTF8** sourceStart, const UTF8* sourceEnd,
                                    UTF32** targetStart, UTF32* targetEnd,
                                    ConversionFlags /*flags*/) {
    ConversionResult result = conversionOK;
    const UTF8* source = *sourceStart;
    UTF32* target = *targetStart;
    while (source < sourceEnd) {
        UTF32 ch = 0;
        int length = 0;
        const ConversionResult decoded = decodeUTF8(source, sourceEnd, ch, length);
        if (decoded != conversionOK) {
            result = decoded;
            break;
        }
        if (target >= targetEnd) {
            result = targetExhausted;
            break;
        }
        *target++ = ch;
        source += length;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

namespace {

// Encodes UTF-16 from `source` while every unit is a character of its own or the first half of
// a pair completed before `end`; stops at the first surrogate that does not, leaving it to the
// careful path. The caller guarantees room for three bytes per unit up to `end`: no unit takes
// more (a pair takes four for its two units).
void encodeWellFormedUTF16(const UTF16*& source, const UTF16* end, UTF8*& target) {
    constexpr std::uint64_t kNonAscii16 = 0xFF80FF80FF80FF80u;
    const UTF16* s = source;
    UTF8* t = target;
    while (s != end) {
        const UTF16 u = *s;
        if (u < 0x80) {
            while (end - s >= 4) {
                std::uint64_t w;
                std::memcpy(&w, s, sizeof w);
                if ((w & kNonAscii16) != 0) {
                    break;
                }
                for (int i = 0; i < 4; ++i) {
                    t[i] = static_cast<UTF8>(s[i]);
                }
                s += 4;
                t += 4;
            }
            while (s != end && *s < 0x80) {
                *t++ = static_cast<UTF8>(*s++);
            }
            continue;
        }
        if (u < 0x800) {
            t[0] = static_cast<UTF8>(0xC0 | (u >> 6));
            t[1] = static_cast<UTF8>(0x80 | (u & 0x3F));
            t += 2;
            ++s;
            continue;
        }
        if (!isSurrogate(u)) {
            t[0] = static_cast<UTF8>(0xE0 | (u >> 12));
            t[1] = static_cast<UTF8>(0x80 | ((u >> 6) & 0x3F));
            t[2] = static_cast<UTF8>(0x80 | (u & 0x3F));
            t += 3;
            ++s;
            continue;
        }
        if (!isHighSurrogate(u) || end - s < 2 || !isLowSurrogate(s[1])) {
            break;
        }
        const UTF32 v =
            ((u - kHighSurrogateStart) << kHalfShift) + (s[1] - kLowSurrogateStart) + kHalfBase;
        t[0] = static_cast<UTF8>(0xF0 | (v >> 18));
        t[1] = static_cast<UTF8>(0x80 | ((v >> 12) & 0x3F));
        t[2] = static_cast<UTF8>(0x80 | ((v >> 6) & 0x3F));
        t[3] = static_cast<UTF8>(0x80 | (v & 0x3F));
        t += 4;
        s += 2;
    }
    source = s;
    target = t;
}

// The loop of both UTF-16 decoders: `bulk` converts what it can the fast way, then one
// character goes the careful way; `unitsFor` tells how many target units a value takes,
// `write` writes it there.
template <typename Target, typename Bulk, typename UnitsFor, typename Write>
ConversionResult convertFromUTF16(const UTF16** sourceStart, const UTF16* sourceEnd,
                                  Target** targetStart, Target* targetEnd, ConversionFlags flags,
                                  Bulk bulk, UnitsFor unitsFor, Write write) {
    ConversionResult result = conversionOK;
    const UTF16* source = *sourceStart;
    Target* target = *targetStart;
    while (source < sourceEnd) {
        bulk(source, sourceEnd, target, targetEnd);
        if (source == sourceEnd) {
            break;
        }
        const UTF16* characterStart = source;
        UTF32 ch = 0;
        result = decodeUTF16(source, sourceEnd, ch, flags);
        if (result != conversionOK) {
            break;
        }
        const std::ptrdiff_t length = unitsFor(ch);
        if (targetEnd - target < length) {
            source = characterStart;
            result = targetExhausted;
            break;
        }
        write(target, ch, length);
        target += length;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

} // namespace

// The well-formed bulk goes as far as the target's room is certain to hold it; a surrogate that
// does not pair, and the characters that may not fit, go the careful way.
ConversionResult ConvertUTF16toUTF8(const UTF16** sourceStart, const UTF16* sourceEnd,
                                    UTF8** targetStart, UTF8* targetEnd, ConversionFlags flags) {
    return convertFromUTF16(
        sourceStart, sourceEnd, targetStart, targetEnd, flags,
        [](const UTF16*& source, const UTF16* end, UTF8*& target, const UTF8* targetEnd) {
            const UTF16* const roomyEnd = source + std::min(end - source, (targetEnd - target) / 3);
            encodeWellFormedUTF16(source, roomyEnd, target);
        },
        utf8Length, writeUTF8);
}

ConversionResult ConvertUTF16toUTF32(const UTF16** sourceStart, const UTF16* sourceEnd,
                                     UTF32** targetStart, UTF32* targetEnd, ConversionFlags flags) {
    return convertFromUTF16(
        sourceStart, sourceEnd, targetStart, targetEnd, flags,
        [](const UTF16*&, const UTF16*, UTF32*&, const UTF32*) {},
        [](UTF32) { return std::ptrdiff_t{1}; },
        [](UTF32* target, UTF32 ch, std::ptrdiff_t) { *target = ch; });
}

ConversionResult ConvertUTF32toUTF8(const UTF32** sourceStart, const UTF32* sourceEnd,
                                    UTF8** targetStart, UTF8* targetEnd, ConversionFlags flags) {
    ConversionResult result = conversionOK;
    const UTF32* source = *sourceStart;
    UTF8* target = *targetStart;
    while (source < sourceEnd) {
        UTF32 ch = *source;
        if (flags == strictConversion && isSurrogate(ch)) {
            result = sourceIllegal;
            break;
        }
        const std::ptrdiff_t length = utf8Length(ch);
        if (targetEnd - target < length) {
            result = targetExhausted;
            break;
        }
        if (ch > kMaxLegalUtf32) {
            ch = kReplacementChar;
            result = sourceIllegal;
        }
        writeUTF8(target, ch, length);
        target += length;
        ++source;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

ConversionResult ConvertUTF32toUTF16(const UTF32** sourceStart, const UTF32* sourceEnd,
                                     UTF16** targetStart, UTF16* targetEnd, ConversionFlags flags) {
    ConversionResult result = conversionOK;
    const UTF32* source = *sourceStart;
    UTF16* target = *targetStart;
    while (source < sourceEnd) {
        if (target >= targetEnd) {
            result = targetExhausted;
            break;
        }
        const UTF32 ch = *source;
        if (ch <= kMaxBmp) {
            if (isSurrogate(ch)) {
                if (flags == strictConversion) {
                    result = sourceIllegal;
                    break;
                }
                *target++ = static_cast<UTF16>(kReplacementChar);
            } else {
                *target++ = static_cast<UTF16>(ch);
            }
        } else if (ch > kMaxLegalUtf32) {
            if (flags == strictConversion) {
                result = sourceIllegal;
            } else {
                *target++ = static_cast<UTF16>(kReplacementChar);
            }
        } else {
            if (targetEnd - target < 2) {
                result = targetExhausted;
                break;
            }
            writeSurrogatePair(target, ch);
            target += 2;
        }
        ++source;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}
