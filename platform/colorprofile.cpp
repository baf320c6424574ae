// ICC profiles through Little CMS: the header's signatures and the raw bytes of an element; the
// element's interpretation is the caller's.
#include "platform/colorprofile.h"

#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <lcms2.h>
#include <sys/stat.h>

namespace platform {

std::unique_ptr<ColorProfile> ColorProfile::open(const std::u16string& path, int* lastError) {
    const auto fail = [lastError](int error) -> std::unique_ptr<ColorProfile> {
        if (lastError)
            *lastError = error;
        return nullptr;
    };
    errno = 0;
    std::FILE* file = openFile(path, u"rb");
    if (!file)
        return fail(errno != 0 ? errno : ENOENT);
    struct stat status {};
    const bool stated = ::fstat(::fileno(file), &status) == 0;
    if (!stated || !S_ISREG(status.st_mode)) {
        const int error = stated ? EISDIR : errno;
        std::fclose(file);
        return fail(error);
    }
    // From here Little CMS owns the stream and closes it with the profile, also when it refuses
    // the file.
    cmsHPROFILE handle = cmsOpenProfileFromStream(file, "r");
    if (!handle)
        return fail(EINVAL);
    if (lastError)
        *lastError = 0;
    return std::unique_ptr<ColorProfile>(
        new ColorProfile(handle, static_cast<std::uint64_t>(status.st_size)));
}

ColorProfile::~ColorProfile() {
    cmsCloseProfile(m_handle);
}

std::uint32_t ColorProfile::deviceClass() const {
    return static_cast<std::uint32_t>(cmsGetDeviceClass(m_handle));
}

std::uint32_t ColorProfile::dataColorSpace() const {
    return static_cast<std::uint32_t>(cmsGetColorSpace(m_handle));
}

std::optional<std::vector<std::uint8_t>> ColorProfile::element(std::uint32_t signature) const {
    // Little CMS leaves out of its table every element of size 0 or reaching past the file; the
    // size is checked again before anything is allocated for it.
    const auto tag = static_cast<cmsTagSignature>(signature);
    const cmsUInt32Number size = cmsReadRawTag(m_handle, tag, nullptr, 0);
    if (size == 0 || size > m_fileSize)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(size);
    if (cmsReadRawTag(m_handle, tag, bytes.data(), size) != size)
        return std::nullopt;
    return bytes;
}

} // namespace platform
