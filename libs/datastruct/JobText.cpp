// The job text's readers and writer.
#include "model/JobText.h"

#include "utils/TextUtils.h"
#include "utils/UKeyStream.h"

namespace {

unsigned DigitValue(char c, HexDigitRule rule) {
    const auto code = static_cast<unsigned char>(c);
    const unsigned value = code < 'A' ? code - 48u : code - 55u;
    return rule == HexDigitRule::kLowNibble ? value & 0xFu : value;
}

bool StartsWithStreamKey(std::string_view text) {
    return text.size() >= 2 && (static_cast<unsigned char>(text[0]) << 8 |
                                static_cast<unsigned char>(text[1])) == UKeyStream::kStreamKey;
}

} // namespace

std::string DecodeHexPairs(std::string_view text, HexDigitRule rule) {
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 1; i < text.size(); i += 2)
        bytes.push_back(static_cast<char>(
            ((DigitValue(text[i - 1], rule) << 4) + DigitValue(text[i], rule)) & 0xFFu));
    return bytes;
}

std::string DecodeJobText(std::string_view text) {
    if (StartsWithStreamKey(text))
        return std::string(text);
    return DecodeHexPairs(text, HexDigitRule::kWholeValue);
}

std::string EncodeJobText(std::string_view bytes) {
    return toHex(bytes.data(), bytes.size()).toStdString();
}
