// Conversions between ustring (UTF-8) and std::string in the system's ANSI code page, the
// encoding of the older host interfaces and files.
#pragma once

#include "utils/ustring.h"

#include <string>

// ANSI text to UTF-8, up to its first NUL. The leading run of bytes 1..126 is copied as it is;
// the rest goes through the platform's code-page conversion.
ustring AnsiToUString(const std::string& text);

// UTF-8 text to ANSI, up to the first NUL of its UTF-16 form (see ustring::toWString).
// Characters without an ANSI equivalent become '?'.
std::string UStringToAnsi(const ustring& text);
