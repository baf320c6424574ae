// uuid: generation through the platform, the text form and its lenient parse.
#include "utils/uuid.h"

#include "platform/uuid.h"
#include "utils/TextUtils.h"

uuid uuid::generate() {
    return uuid{platform::createUuid()};
}

ustring uuid::toString() const {
    ustring text = toHex(bytes.data(), bytes.size());
    for (std::size_t dash : {8, 13, 18, 23}) // after the 4th, 6th, 8th and 10th byte
        text.insertFill(dash, 1, '-');
    return text;
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
