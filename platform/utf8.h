// Strict conversions between the system's UTF-16 text and the UTF-8 bytes of POSIX names, files
// and environment values, shared by the platform's stand-ins.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Nothing for an unpaired surrogate.
std::optional<std::string> utf16ToUtf8(const std::u16string& text);

// Nothing for an overlong form, an encoded surrogate, a value above U+10FFFF or a cut sequence.
std::optional<std::u16string> utf8ToUtf16(const std::string& text);

} // namespace platform
