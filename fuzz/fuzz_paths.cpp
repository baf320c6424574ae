// libFuzzer target for the mapping of system paths to POSIX paths and the Windows name rules: a
// path maps exactly when no refusal is given, a mapped drive path stays inside its drive's folder
// with no "." or ".." left and maps to itself again, and a path kept as UTF-8 reaches the system
// whole or not at all.
#include "platform/files.h"
#include "platform/utf8.h"
#include "utils/FilePath.h"
#include "utils/ustring.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kDriveFolder = "/fuzz/drive-j";

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_paths: %s\n", what);
        std::abort();
    }
}

// The input's first byte picks a start, so that most inputs are paths on a drive.
std::u16string startOf(std::uint8_t choice) {
    static const std::u16string starts[] = {u"J:/", u"Z:/", u"\\\\?\\J:\\", u"j:", u"C:/", u""};
    return starts[choice % std::size(starts)];
}

bool holdsDotComponent(const std::string& posix) {
    for (std::size_t start = 0; start <= posix.size();) {
        const std::size_t slash = std::min(posix.find('/', start), posix.size());
        const std::string_view name(posix.data() + start, slash - start);
        if (name == "." || name == "..")
            return true;
        start = slash + 1;
    }
    return false;
}

// The rules for one system path given as UTF-16 units.
void checkSystemPath(const std::u16string& path, bool onDriveJ) {
    const auto posix = platform::toPosixPath(path);
    const auto refusal = platform::pathRefusal(path);
    require(posix.has_value() != refusal.has_value(), "a path maps exactly when not refused");
    if (!posix || !onDriveJ)
        return;
    require(posix->starts_with(std::string(kDriveFolder) + "/"), "J: left its drive's folder");
    require(posix->find('\0') == std::string::npos, "a NUL reached the POSIX path");
    require(!holdsDotComponent(posix->substr(kDriveFolder.size())), "a dot name was left");
    const auto again = platform::utf8ToUtf16(posix->substr(kDriveFolder.size()));
    require(again && platform::toPosixPath(u"J:" + *again) == posix, "the mapping is not stable");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool driveSet = ::setenv("ZEP_DRIVE_J", "/fuzz/drive-j/", 1) == 0;
    require(driveSet, "ZEP_DRIVE_J cannot be set");
    if (size < 1)
        return 0;
    const std::u16string start = startOf(data[0]);
    const bool onDriveJ = start.find(u'J') != std::u16string::npos || start == u"j:";
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    // The bytes as UTF-16 units.
    std::u16string units = start;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                       static_cast<std::uint8_t>(bytes[i + 1]) << 8);
    checkSystemPath(units, onDriveJ);

    // The bytes as the UTF-8 text of a path: refused as text exactly when its wide form names
    // nothing, and a wide form that names something is the whole text.
    const auto startText = platform::utf16ToUtf8(start);
    const std::string text = *startText + std::string(bytes);
    const UFileSpecCore path{ustring(text)};
    const std::u16string wide = path.wide_path();
    // (A text that holds the long form's prefix already gets it twice: left out.)
    if (!text.starts_with("\\\\?\\"))
        require(platform::pathRefusal(text).has_value() == !platform::toPosixPath(wide).has_value(),
                "the UTF-8 text and its wide form disagree");
    if (!wide.empty() && !wide.starts_with(u"\\\\?\\"))
        require(platform::utf16ToUtf8(wide) == text, "the wide form is not the whole text");
    checkSystemPath(wide, onDriveJ);
    return 0;
}
