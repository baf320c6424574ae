#include "platform/registry.h"

#include "platform/regularfile.h"
#include "platform/textcompare.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::size_t kMaxRegistryBytes = 1 << 20;

std::string registryFile() {
    if (const char* file = std::getenv("ZEP_REGISTRY"); file && *file)
        return file;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/zephrin/registry";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/zephrin/registry";
}

// The whole file, or nothing when it cannot be read, is no regular file or is larger than the
// registry may be. The file is opened without waiting, so a FIFO or a device at its path cannot
// hold the caller, and its kind is checked on the open file itself.
std::optional<std::string> registryText() {
    RegularFileRead file = readRegularFile(
        ::open(registryFile().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC),
        kMaxRegistryBytes);
    if (file.outcome != RegularFileRead::Outcome::kRead)
        return std::nullopt;
    return std::move(file.bytes);
}

bool sameNoCase(const std::u16string& a, const std::u16string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return foldCase16(x) == foldCase16(y); });
}

} // namespace

std::optional<std::u16string> registryValue(const std::u16string& keyPath,
                                            const std::u16string& valueName) {
    const auto text = registryText();
    if (!text)
        return std::nullopt;
    std::istringstream lines(*text);
    for (std::string line; std::getline(lines, line);) {
        const auto firstTab = line.find('\t');
        const auto secondTab =
            firstTab == std::string::npos ? std::string::npos : line.find('\t', firstTab + 1);
        if (secondTab == std::string::npos)
            continue;
        const auto key = utf8ToUtf16(line.substr(0, firstTab));
        const auto name = utf8ToUtf16(line.substr(firstTab + 1, secondTab - firstTab - 1));
        if (key && name && sameNoCase(*key, keyPath) && sameNoCase(*name, valueName))
            if (auto value = utf8ToUtf16(line.substr(secondTab + 1)))
                return value;
    }
    return std::nullopt;
}

} // namespace platform
