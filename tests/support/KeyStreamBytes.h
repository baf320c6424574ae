// Test aid for keyed streams and the job model's records: the bytes that a keyed-stream writer
// produces, the part after the stream head, a hex view for comparing layouts, and a reader over
// given bytes.
#pragma once

#include "utils/UKeyStream.h"

#include <cstddef>
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
