// Text helpers beside ustring: Base64 and hex text of byte buffers, trimming and the blank test,
// splitting at a separator, percent decoding, full-width folding and kanji numerals.
#pragma once

#include "utils/ustring.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// RFC 4648 section 4 Base64 with '=' padding; an empty input gives an empty text.
ustring base64Encode(const void* bytes, std::size_t length);
ustring base64Encode(const ustring& bytes);
// The same text into `text`, whose buffer is kept when it is large enough: a caller encoding
// again and again allocates once.
void base64Encode(const void* bytes, std::size_t length, ustring& text);

// Reads RFC 4648 section 4 Base64 with '=' padding into `bytes`. False, with `bytes` empty, for
// a text whose length is not a multiple of 4, a character outside the alphabet, or padding
// anywhere but in the last two places.
[[nodiscard]] bool base64Decode(std::string_view text, std::string& bytes);

// RFC 4648 section 5 Base64url ('-' and '_' for '+' and '/') without padding.
ustring base64UrlEncode(const void* bytes, std::size_t length);

// Two upper-case hex digits per byte, high half first: 00 AB 7F gives "00AB7F".
ustring toHex(const void* bytes, std::size_t length);

// Value of a hexadecimal digit (either case), or -1 for any other byte.
int hexValue(char c);

// Copy without leading and trailing CR, LF, TAB and blank.
std::string trim(const std::string& text);

// Copy without leading and trailing units of the trim set (isTrimChar), worked on UTF-16.
ustring trimUnicode(const ustring& text);

// True when every UTF-16 unit of the text is in the trim set; an empty text is blank.
bool isBlank(const ustring& text);

// Splits at every `separator` byte, in order, leaving out empty pieces: "/a//b/" gives "a", "b".
std::vector<ustring> splitString(const ustring& text, char separator);

// The trim set: CR, LF, TAB, blank, U+2000 to U+200F, U+202F, U+205F and U+3000 (not U+00A0).
bool isTrimChar(char16_t unit);

// ',' and the ideographic comma U+3001.
bool isListSeparator(char16_t unit);

// Decodes "%XX" escapes to bytes and "%uXXXX" escapes to the UTF-8 form of the code unit (a high
// and a low surrogate escape in a row give one character). An escape that is cut short, has a
// non-hex digit or names a lone surrogate is copied unchanged. Decoded bytes are kept as they
// come: "%00" gives a NUL byte, and the result need not be valid UTF-8.
ustring percentDecode(const ustring& text);

// Copy in which the full-width forms U+FF01 to U+FF5E become ASCII U+0021 to U+007E.
ustring toHalfWidth(const ustring& text);

// Copy in which every run of kanji numerals becomes its value in decimal digits; a run that
// kanjiToNumber rejects is kept as it is.
ustring replaceKanjiNumbers(const ustring& text);

// The nine kanji digits (one to nine) and the four multipliers (ten, hundred, thousand,
// ten thousand).
bool isKanjiDigit(char16_t unit);

// Value of one run of kanji numerals, 1 to 99,999,999. Throws std::out_of_range
// ("invalid kanji number") for a run that is not a well-formed number.
int kanjiToNumber(std::u16string_view run);

// Copy with each byte passed through the C runtime's tolower (in the "C" locale only A to Z).
std::string toLower(const std::string& text);
