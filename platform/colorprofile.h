// ICC colour profile files opened for reading: the stand-in for the Windows colour-profile calls
// (open a profile by file name, its header, one of its elements, close), read through Little CMS.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class ColorProfile {
public:
    // Opens an existing file for reading (never creating one) and reads its header and element
    // table. Null when the file cannot be opened or is not an ICC profile (not a regular file, a
    // header cut short, no 'acsp' magic, a version or element count Little CMS refuses).
    // `lastError`, when given, is set to the error after the open, as the system reports it: 0
    // when the profile opened, else errno of the failed call, EISDIR for a file that is not a
    // regular file and EINVAL for one that is no profile.
    static std::unique_ptr<ColorProfile> open(const std::u16string& path, int* lastError = nullptr);

    ~ColorProfile();
    ColorProfile(const ColorProfile&) = delete;
    ColorProfile& operator=(const ColorProfile&) = delete;

    // The header's signatures, as stored: the device class ('prtr', 'mntr', ...) and the data
    // colour space ('CMYK', 'RGB ', ...).
    std::uint32_t deviceClass() const;
    std::uint32_t dataColorSpace() const;

    // The bytes of the element with the signature as the file holds them, its type signature
    // first; nothing when the profile has no such element. An element of size 0, or one that
    // does not lie wholly inside the file, counts as missing, so the bytes never exceed the
    // file's size.
    std::optional<std::vector<std::uint8_t>> element(std::uint32_t signature) const;

private:
    ColorProfile(void* handle, std::uint64_t fileSize) : m_handle(handle), m_fileSize(fileSize) {}

    void* m_handle; // the Little CMS profile
    std::uint64_t m_fileSize;
};

} // namespace platform
