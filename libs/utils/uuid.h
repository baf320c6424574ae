// uuid: a 16-byte universally unique identifier with a 36-character text form; a job gets one
// when it is written without one.
#pragma once

#include "utils/ustring.h"

#include <array>
#include <cstdint>

struct uuid {
    // The bytes exactly as the Windows UUID structure holds them in memory (its first three
    // fields little-endian).
    std::array<std::uint8_t, 16> bytes{};

    // A new random identifier.
    static uuid generate();

    // 36 characters: each byte in memory order as two upper-case hexadecimal digits, in groups
    // of 8-4-4-4-12 digits separated by '-'. The first three groups therefore show the
    // little-endian fields byte by byte, not as numbers.
    ustring toString() const;

    // Lenient parse: every byte that is not a hexadecimal digit is skipped (dashes, braces);
    // the digits, of either case, are padded with '0' or cut to 32, and read in pairs, high
    // half first. fromString(u.toString()) == u.
    static uuid fromString(const ustring& text);

    bool operator==(const uuid& other) const = default;
};
