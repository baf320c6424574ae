#include "platform/utf8.h"

#include "encoding/ConvertUTF.h"

namespace platform {

std::optional<std::string> utf16ToUtf8(const std::u16string& text) {
    std::string out(3 * text.size(), '\0'); // a unit gives at most 3 bytes, a pair 4
    const UTF16* source = text.data();
    UTF8* const begin = reinterpret_cast<UTF8*>(out.data());
    UTF8* target = begin;
    if (ConvertUTF16toUTF8(&source, source + text.size(), &target, begin + out.size(),
                           strictConversion) != conversionOK)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(target - begin));
    return out;
}

std::optional<std::u16string> utf8ToUtf16(const std::string& text) {
    std::u16string out(text.size(), u'\0'); // a byte gives at most one unit
    const UTF8* source = reinterpret_cast<const UTF8*>(text.data());
    UTF16* const begin = out.data();
    UTF16* target = begin;
    if (ConvertUTF8toUTF16(&source, source + text.size(), &target, begin + out.size(),
                           strictConversion) != conversionOK)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(target - begin));
    return out;
}

} // namespace platform
