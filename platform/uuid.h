// Random identifiers: the 16 bytes of a new UUID, laid out as the Windows UUID structure.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

// A new random (version 4) UUID in the memory layout of the Windows structure: the first three
// fields little-endian, so the version sits in the high half of byte 7 and the variant in the
// top bits of byte 8. Throws std::system_error when the kernel gives no random bytes.
std::array<std::uint8_t, 16> createUuid();

} // namespace platform
