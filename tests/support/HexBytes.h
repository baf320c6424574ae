// Test aid: bytes written as hex digits, two a byte: read with blanks between them ignored
// ("04 01 FF"), and written as upper-case pairs, as the host's document descriptions carry bytes.
// Job texts are written by the job model's EncodeJobText.
#pragma once

#include "utils/TextUtils.h"

#include <string>
#include <string_view>

inline std::string fromHex(std::string_view digits) {
    std::string bytes;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (digits[i] != ' ') {
            bytes.push_back(
                static_cast<char>(std::stoi(std::string(digits.substr(i, 2)), nullptr, 16)));
            ++i;
        }
    }
    return bytes;
}

// Upper-case hex pairs, nothing between them.
inline std::string hexText(std::string_view bytes) {
    return toHex(bytes.data(), bytes.size()).toStdString();
}
