// Test aid for keyed streams and the job model's records: the bytes that a keyed-stream writer
// produces, the part after the stream head, a hex view for comparing layouts, and a reader over
// given bytes.
#pragma once

#include "utils/UKeyStream.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>

// The bytes of a stream with identifier 0 whose root holds what `body` writes.
inline std::string writeKeyStream(const std::function<void(UKeyOutStream&)>& body) {
    std::ostringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        body(out);
    }
    return bytes.str();
}

// What follows the head of such a stream: the root record's head (8 bytes) and the version
// element (5 bytes).
inline std::string afterHead(const std::string& stream) {
    constexpr std::size_t kHeadSize = 13;
    return stream.substr(kHeadSize);
}

// Upper-case hex digits, one space between bytes.
inline std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// A reader positioned in the root record of `stream`.
struct KeyStreamReader {
    explicit KeyStreamReader(const std::string& stream) : bytes(stream), in(bytes) {}
    std::istringstream bytes;
    UKeyInStream in;
};

// Elements built by hand, to hold written bytes against: a scalar element (key, one-byte
// length, type, payload) and a record or array (key, 0xFF and a four-byte length, type, content).
inline std::string element(std::uint16_t key, UKeyStream::field_type type,
                           const std::string& payload) {
    return std::string{static_cast<char>(key >> 8), static_cast<char>(key & 0xFF),
                       static_cast<char>(payload.size()), static_cast<char>(type)} +
           payload;
}
inline std::string level(std::uint16_t key, UKeyStream::field_type type,
                         const std::string& content) {
    const auto n = static_cast<std::uint32_t>(content.size());
    return std::string{static_cast<char>(key >> 8),
                       static_cast<char>(key & 0xFF),
                       '\xFF',
                       static_cast<char>(n >> 24),
                       static_cast<char>(n >> 16),
                       static_cast<char>(n >> 8),
                       static_cast<char>(n),
                       static_cast<char>(type)} +
           content;
}
inline std::string record(std::uint16_t key, const std::string& content) {
    return level(key, UKeyStream::field_record, content);
}

// Payloads as the writer stores them: big-endian, without leading zero bytes.
inline std::string number(std::uint64_t bits) {
    std::string bytes;
    for (; bits != 0; bits >>= 8)
        bytes.insert(bytes.begin(), static_cast<char>(bits & 0xFF));
    return bytes;
}
inline std::string intElement(std::uint16_t key, std::int32_t value) {
    return element(key, UKeyStream::field_int, number(static_cast<std::uint32_t>(value)));
}
inline std::string doubleElement(std::uint16_t key, double value) {
    return element(key, UKeyStream::field_float, number(std::bit_cast<std::uint64_t>(value)));
}
inline std::string boolElement(std::uint16_t key, bool value) {
    return element(key, UKeyStream::field_bool, value ? "\x01" : "");
}
inline std::string stringElement(std::uint16_t key, const std::string& text) {
    return element(key, UKeyStream::field_string, text);
}
