// uuid: generation through the platform, the text form and its lenient parse.
#include "uuid.h"

#include "platform/uuid.h"

namespace {

// Value of a hexadecimal digit, or -1 for any other byte.
int hexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

} // namespace

uuid uuid::generate() {
    return uuid{platform::createUuid()};
}

ustring uuid::toString() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char text[36];
    std::size_t out = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text[out++] = '-';
        text[out++] = kDigits[bytes[i] >> 4];
        text[out++] = kDigits[bytes[i] & 0x0F];
    }
    return ustring(text, sizeof text);
}

uuid uuid::fromString(const ustring& text) {
    uuid result;
    std::size_t digits = 0;
    const char* chars = text.c_str();
    for (std::size_t i = 0; i < text.size() && digits < 32; ++i) {
        const int value = hexValue(chars[i]);
        if (value < 0)
            continue;
        std::uint8_t& target = result.bytes[digits / 2];
        target = static_cast<std::uint8_t>(digits % 2 == 0 ? value << 4 : target | value);
        ++digits;
    }
    return result;
}
