#include "platform/regularfile.h"

#include "platform/files.h"
#include "platform/utf8.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// An open descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    ~Descriptor() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

std::int64_t nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "a special file";
}

// Reads what `opened` (from opening the name; -1 when that failed with `openError`) holds;
// `isLink` tells whether a symbolic link stands under the name, for a refused open.
RegularFileRead readOpened(int opened, int openError, std::uint64_t maxBytes,
                           const std::function<bool()>& isLink) {
    RegularFileRead result;
    const Descriptor file(opened);
    if (file.get() < 0) {
        result.error = openError;
        // ELOOP is also a chain of links in the folders that is too long: only a link as the
        // name itself is told apart.
        if (result.error == ELOOP && isLink())
            result.outcome = RegularFileRead::Outcome::kSymbolicLink;
        return result;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        result.outcome = RegularFileRead::Outcome::kReadFailed;
        result.error = errno;
        return result;
    }
    result.stamp = {static_cast<std::uint64_t>(status.st_dev),
                    static_cast<std::uint64_t>(status.st_ino),
                    static_cast<std::uint64_t>(std::max<off_t>(status.st_size, 0)),
                    nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
    result.owner = static_cast<std::uint32_t>(status.st_uid);
    if (!S_ISREG(status.st_mode)) {
        result.outcome = RegularFileRead::Outcome::kNotRegular;
        result.kind = kindOf(status.st_mode);
        return result;
    }
    if (result.stamp.size > maxBytes) {
        result.outcome = RegularFileRead::Outcome::kTooLarge;
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(result.stamp.size));
    std::array<char, 64 * 1024> chunk;
    for (;;) {
        // One byte past the bound tells a file that has grown past it.
        const std::uint64_t left = maxBytes - result.bytes.size();
        const std::size_t wanted =
            left == 0 ? 1 : static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), left));
        const ssize_t count = ::read(file.get(), chunk.data(), wanted);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 || (count > 0 && left == 0)) {
            result.outcome = count < 0 ? RegularFileRead::Outcome::kReadFailed
                                       : RegularFileRead::Outcome::kTooLarge;
            result.error = count < 0 ? errno : 0;
            result.bytes = std::string();
            return result;
        }
        if (count == 0)
            break;
        result.bytes.append(chunk.data(), static_cast<std::size_t>(count));
    }
    result.outcome = RegularFileRead::Outcome::kRead;
    return result;
}

constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;

} // namespace

RegularFileRead readRegularFile(const std::u16string& path, std::uint64_t maxBytes) {
    const std::optional<std::string> posixPath = toPosixPath(path);
    if (!posixPath)
        return {};
    const int opened = ::open(posixPath->c_str(), kOpenFlags);
    const int openError = opened < 0 ? errno : 0;
    return readOpened(opened, openError, maxBytes, [&] {
        struct stat entry {};
        return ::lstat(posixPath->c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
    });
}

RegularFileRead readRegularFile(int descriptor, std::uint64_t maxBytes) {
    const int openError = descriptor < 0 ? errno : 0;
    return readOpened(descriptor, openError, maxBytes, [] { return false; });
}

RegularFileRead readRegularFile(const HeldFolder& folder, std::u16string_view name,
                                std::uint64_t maxBytes) {
    const auto bytes = isPlainName(name) ? utf16ToUtf8(std::u16string(name)) : std::nullopt;
    if (!bytes || folder.descriptor() < 0) {
        RegularFileRead refused;
        refused.error = bytes ? EBADF : EINVAL;
        return refused;
    }
    const int opened = ::openat(folder.descriptor(), bytes->c_str(), kOpenFlags);
    const int openError = opened < 0 ? errno : 0;
    return readOpened(opened, openError, maxBytes, [&] {
        const auto status = folder.status(name);
        return status && status->kind == EntryStatus::Kind::kLink;
    });
}

} // namespace platform
