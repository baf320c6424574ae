// Test aid for keyed streams and the job model's records: the bytes that a keyed-stream writer
// produces, the part after the stream head, hand-made streams, a hex view for comparing layouts,
// a reader over given bytes and the dump's text.
#pragma once

#include "utils/TextUtils.h"
#include "utils/UKeyStream.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iostream>
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

// The bytes of the given values.
inline std::string rawBytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}

// `value` as `width` big-endian bytes.
inline std::string bigEndian(std::uint64_t value, int width) {
    std::string bytes(static_cast<std::size_t>(width), '\0');
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
    return bytes;
}

// `body` in a root record as the writer makes it (with the version element after the head) or
// without the version element.
inline std::string keyStreamAround(const std::string& body, bool withVersion = true) {
    const std::string payload =
        (withVersion ? rawBytes({0xC0, 0xDE, 0x01, 0x02, 0x01}) : "") + body;
    return "KS\xFF" + bigEndian(payload.size(), 4) + '\x06' + payload;
}

// Upper-case hex digits, one space between bytes.
inline std::string hex(const std::string& bytes) {
    const ustring pairs = toHex(bytes.data(), bytes.size());
    std::string text;
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
        if (i != 0)
            text += ' ';
        text.append(pairs.data() + i, 2);
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
    return bigEndian(key, 2) + static_cast<char>(payload.size()) + static_cast<char>(type) +
           payload;
}
inline std::string level(std::uint16_t key, UKeyStream::field_type type,
                         const std::string& content) {
    return bigEndian(key, 2) + '\xFF' + bigEndian(content.size(), 4) + static_cast<char>(type) +
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

// What UKeyInStream::dump prints for `bytes`; an exception of the dump passes through.
inline std::string dumpText(const std::string& bytes) {
    std::istringstream in(bytes);
    std::ostringstream printed;
    struct Restore {
        std::streambuf* saved;
        ~Restore() { std::cout.rdbuf(saved); }
    } restore{std::cout.rdbuf(printed.rdbuf())};
    UKeyInStream::dump(in);
    return printed.str();
}
