// Byte-order helpers for every fixed-order number in the library's binary forms (keyed record
// streams, the binary message form, UTF-16/32 text): built from shifts, so they hold on a machine
// of either byte order and at any alignment.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// The unsigned number held in the `width` (1 to 8) bytes at `bytes`, most significant first.
inline std::uint64_t loadBigEndian(const void* bytes, int width) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | b[i];
    return value;
}

// The same with the least significant byte first.
inline std::uint64_t loadLittleEndian(const void* bytes, int width) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | b[i];
    return value;
}

// Puts the low `width` (1 to 8) bytes of `value` at `bytes`, most significant first.
inline void storeBigEndian(std::uint64_t value, int width, void* bytes) {
    auto* b = static_cast<unsigned char*>(bytes);
    for (int i = 0; i < width; ++i)
        b[i] = static_cast<unsigned char>(value >> (8 * (width - 1 - i)));
}

// The same with the least significant byte first.
inline void storeLittleEndian(std::uint64_t value, int width, void* bytes) {
    auto* b = static_cast<unsigned char*>(bytes);
    for (int i = 0; i < width; ++i)
        b[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The 8 bytes at `bytes`, most significant first, as one number, and the inverse: one move and a
// byte swap where the machine is little-endian, for the hot paths that handle a whole word (the
// byte loops above are not always turned into that by the compiler).
inline std::uint64_t loadBigEndian64(const void* bytes) {
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    if constexpr (std::endian::native == std::endian::little)
        value = __builtin_bswap64(value);
    return value;
}

inline void storeBigEndian64(std::uint64_t value, void* bytes) {
    if constexpr (std::endian::native == std::endian::little)
        value = __builtin_bswap64(value);
    std::memcpy(bytes, &value, sizeof value);
}

namespace byte_order_details {

template <typename T>
T toBigEndianValue(T value) {
    unsigned char bytes[sizeof(T)];
    storeBigEndian(value, sizeof(T), bytes);
    T result;
    std::memcpy(&result, bytes, sizeof result);
    return result;
}

template <typename T>
T fromBigEndianValue(T value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof bytes);
    return static_cast<T>(loadBigEndian(bytes, sizeof(T)));
}

} // namespace byte_order_details

// to_big_endian*: the value whose bytes in memory are `value` most significant first (on a
// little-endian machine the bytes reversed). from_big_endian*: the inverse.
inline std::uint16_t to_big_endian16(std::uint16_t value) {
    return byte_order_details::toBigEndianValue(value);
}
inline std::uint32_t to_big_endian32(std::uint32_t value) {
    return byte_order_details::toBigEndianValue(value);
}
inline std::uint64_t to_big_endian64(std::uint64_t value) {
    return byte_order_details::toBigEndianValue(value);
}
inline std::uint16_t from_big_endian16(std::uint16_t value) {
    return byte_order_details::fromBigEndianValue(value);
}
inline std::uint32_t from_big_endian32(std::uint32_t value) {
    return byte_order_details::fromBigEndianValue(value);
}
inline std::uint64_t from_big_endian64(std::uint64_t value) {
    return byte_order_details::fromBigEndianValue(value);
}
