// Big-endian conversions of 16-, 32- and 64-bit values for the keyed record streams and every
// other big-endian payload: built from shifts, so they hold on a machine of either byte order.
#pragma once

#include <cstdint>
#include <cstring>

// to_big_endian*: the value whose bytes in memory are `value` most significant first (on a
// little-endian machine the bytes reversed). from_big_endian*: the inverse.
inline std::uint16_t to_big_endian16(std::uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value)};
    std::uint16_t result;
    std::memcpy(&result, bytes, sizeof result);
    return result;
}

inline std::uint32_t to_big_endian32(std::uint32_t value) {
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
    std::uint32_t result;
    std::memcpy(&result, bytes, sizeof result);
    return result;
}

inline std::uint64_t to_big_endian64(std::uint64_t value) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (56 - 8 * i));
    std::uint64_t result;
    std::memcpy(&result, bytes, sizeof result);
    return result;
}

inline std::uint16_t from_big_endian16(std::uint16_t value) {
    unsigned char bytes[2];
    std::memcpy(bytes, &value, sizeof bytes);
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline std::uint32_t from_big_endian32(std::uint32_t value) {
    unsigned char bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);
    std::uint32_t result = 0;
    for (unsigned char byte : bytes)
        result = (result << 8) | byte;
    return result;
}

inline std::uint64_t from_big_endian64(std::uint64_t value) {
    unsigned char bytes[8];
    std::memcpy(bytes, &value, sizeof bytes);
    std::uint64_t result = 0;
    for (unsigned char byte : bytes)
        result = (result << 8) | byte;
    return result;
}
