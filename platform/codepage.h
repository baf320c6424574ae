// The system's ANSI code page, Windows-1252, in both directions: the stand-in for the Windows
// conversions between the ANSI code page and UTF-16. Results are precomposed: one byte is one
// character, and an accented letter stays one character.
#pragma once

#include <cstddef>

namespace platform {

// Converts `n` Windows-1252 bytes (NUL included, like any other byte) to UTF-16. Every byte maps
// to one unit: 0x80-0x9F to their Windows-1252 characters (0x80 to U+20AC, ...), the five bytes
// the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) to the C1 controls of the same
// value, every other byte to the code point of the same value.
// With `dst` null or `dstCount` 0 it only counts: it returns the units needed. Otherwise it
// returns the units written, or 0 (writing nothing) when they do not fit in `dstCount`.
[[nodiscard]] std::size_t ansiToUtf16(const char* src, std::size_t n, char16_t* dst,
                                      std::size_t dstCount);

// Converts `n` UTF-16 units to Windows-1252 bytes. A character without a byte of its own
// (no best-fit substitutes) becomes '?': a surrogate pair gives one '?', so does a lone
// surrogate. The counting and the return value follow ansiToUtf16.
[[nodiscard]] std::size_t utf16ToAnsi(const char16_t* src, std::size_t n, char* dst,
                                      std::size_t dstCount);

} // namespace platform
