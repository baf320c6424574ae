// Windows-1252 to and from UTF-16, by table for the 32 bytes 0x80-0x9F; every other byte is
// the code point of the same value.
#include "platform/codepage.h"

namespace platform {
namespace {

// The characters of the bytes 0x80-0x9F. The bytes Windows-1252 leaves undefined map to the
// C1 control of the same value, as the Windows conversion does.
constexpr char16_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

char16_t byteToUnit(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControlRange[byte - 0x80];
    }
    return byte;
}

constexpr char kDefaultChar = '?';

// The byte of `unit`, or the default character when the code page has none.
char unitToByte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kHighControlRange[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return kDefaultChar;
}

// True when the units at `i` are a high and a low surrogate: one character of two units.
bool startsSurrogatePair(const char16_t* src, std::size_t i, std::size_t n) {
    return i + 1 < n && src[i] >= 0xD800 && src[i] <= 0xDBFF && src[i + 1] >= 0xDC00 &&
           src[i + 1] <= 0xDFFF;
}

} // namespace

std::size_t ansiToUtf16(const char* src, std::size_t n, char16_t* dst, std::size_t dstCount) {
    if (dst == nullptr || dstCount == 0) {
        return n;
    }
    if (dstCount < n) {
        return 0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        dst[i] = byteToUnit(static_cast<unsigned char>(src[i]));
    }
    return n;
}

std::size_t utf16ToAnsi(const char16_t* src, std::size_t n, char* dst, std::size_t dstCount) {
    // A surrogate pair is one character and so one byte: count before writing anything.
    std::size_t needed = 0;
    for (std::size_t i = 0; i < n; ++i, ++needed) {
        if (startsSurrogatePair(src, i, n)) {
            ++i;
        }
    }
    if (dst == nullptr || dstCount == 0) {
        return needed;
    }
    if (dstCount < needed) {
        return 0;
    }
    std::size_t written = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (startsSurrogatePair(src, i, n)) {
            ++i;
            dst[written++] = kDefaultChar;
        } else {
            dst[written++] = unitToByte(src[i]);
        }
    }
    return written;
}

} // namespace platform
