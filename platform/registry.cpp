#include "platform/registry.h"

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

// Closes a descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The file's bytes up to its end, but no more than `limit` + 1 of them, so that a file larger
// than it said (or one that grew) shows as too large; nothing when a read fails.
std::optional<std::string> readAtMost(int fd, std::size_t limit) {
    std::string text;
    char buffer[65536];
    while (text.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit + 1 - text.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

// The whole file, or nothing when it cannot be read, is no regular file or is larger than the
// registry may be. The file is opened without waiting, so a FIFO or a device at its path cannot
// hold the caller, and its kind is checked on the open file itself.
std::optional<std::string> registryText() {
    const Descriptor file(::open(registryFile().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > static_cast<off_t>(kMaxRegistryBytes))
        return std::nullopt;
    auto text = readAtMost(file.get(), kMaxRegistryBytes);
    if (!text || text->size() > kMaxRegistryBytes)
        return std::nullopt;
    return text;
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
