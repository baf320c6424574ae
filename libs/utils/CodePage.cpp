// ANSI code page <-> UTF-8: ASCII runs are copied directly, the rest goes through UTF-16 and the
// platform's code-page conversion (a count query first, then the conversion).
#include "utils/CodePage.h"

#include "platform/codepage.h"
#include "utils/ScratchBuffer.h"

#include <cstring>
#include <type_traits>

namespace {

// Units 1..126 are the same character in ASCII, UTF-8, UTF-16 and the ANSI code page.
template <typename Unit>
bool isPlainAscii(Unit u) {
    return static_cast<std::make_unsigned_t<Unit>>(u) - 1u < 126u;
}

} // namespace

ustring AnsiToUString(const std::string& text) {
    ustring result;
    result.reserve(text.size());
    const char* p = text.c_str();
    while (isPlainAscii(*p)) {
        result.push_back(*p++);
    }
    if (*p == '\0') {
        return result;
    }
    const std::size_t n = std::strlen(p);
    const std::size_t count = platform::ansiToUtf16(p, n, nullptr, 0);
    ScratchBuffer<char16_t> units(count + 1);
    const std::size_t written = platform::ansiToUtf16(p, n, units.get(), count + 1);
    result += ustring::fromUtf16(units.get(), written);
    return result;
}

std::string UStringToAnsi(const ustring& text) {
    const std::u16string wide = text.toWString();
    std::string result;
    result.reserve(text.size());
    const char16_t* p = wide.c_str();
    while (isPlainAscii(*p)) {
        result += static_cast<char>(*p++);
    }
    if (*p == 0) {
        return result;
    }
    const std::size_t n = std::char_traits<char16_t>::length(p);
    const std::size_t count = platform::utf16ToAnsi(p, n, nullptr, 0);
    ScratchBuffer<char> bytes(count + 1);
    const std::size_t written = platform::utf16ToAnsi(p, n, bytes.get(), count + 1);
    result.append(bytes.get(), written);
    return result;
}
