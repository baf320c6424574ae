// Case-insensitive and collating comparison of NUL-terminated UTF-16 text: our stand-ins for
// the runtime's _wcsicmp, wcscoll and _wcsicoll. Only the sign of a result is meaningful.
#pragma once

namespace platform {

// Simple lower-case folding of one UTF-16 unit: ASCII, Latin-1, Latin Extended-A, basic Greek
// and Cyrillic capitals map to their small letters; every other unit maps to itself.
char16_t foldCase16(char16_t unit);

// Compares the units after folding each with foldCase16, as unsigned values, up to the first
// NUL (the shorter text first). Negative, zero or positive.
int compareNoCase16(const char16_t* a, const char16_t* b);

// Collating order: texts that differ apart from case compare as compareNoCase16 does; texts
// that differ only in case are ordered at their first differing unit, the small letter first.
// Zero only for identical texts.
int collate16(const char16_t* a, const char16_t* b);

// Collating order without regard to case: the order of compareNoCase16.
int collateNoCase16(const char16_t* a, const char16_t* b);

} // namespace platform
