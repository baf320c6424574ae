// Test aid: bytes written as hex digits, two a byte, blanks between them ignored ("04 01 FF").
#pragma once

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

// The bytes as lower-case hex digits, two a byte, no blanks.
inline std::string hexOf(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}
