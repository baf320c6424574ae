// Reading a file whose name others control (a file another program writes, a name under which a
// failed change may have left something else), so that what stands there cannot hold the reader:
// only a regular file is read, never through a symbolic link as its own name, never waiting on a
// FIFO or a device, and only up to a bound.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class HeldFolder;

// The file as the open file's status tells it: two equal stamps are one file, unchanged
// (same file, size, last-write and status-change times).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modification = 0; // nanoseconds since 1970-01-01 UTC
    std::int64_t statusChange = 0; // nanoseconds since 1970-01-01 UTC
    bool operator==(const FileStamp&) const = default;
};

struct RegularFileRead {
    enum class Outcome {
        kRead,         // `bytes` holds the whole file
        kNotOpened,    // `error` tells why (ENOENT: nothing stands there); 0: the path names no
                       // file (pathRefusal tells why)
        kSymbolicLink, // a symbolic link stands under the name; it is not followed
        kNotRegular,   // `kind` tells what stands there
        kTooLarge,     // a regular file larger than the bound; nothing is kept of it
        kReadFailed,   // `error` tells why; nothing is kept of the file
    };
    Outcome outcome = Outcome::kNotOpened;
    int error = 0;
    // kNotRegular: "a folder", "a FIFO", "a socket", "a device" or "a special file".
    const char* kind = "";
    // Of the file that was opened: every outcome but kNotOpened and kSymbolicLink.
    FileStamp stamp;
    std::uint32_t owner = 0; // the id of the user who owns it
    std::string bytes;
};

// Reads the file `path` (in system form, see toPosixPath). The name is opened without following
// a symbolic link and without waiting (for a FIFO's writer, a device), and the open file is then
// asked what it is, so that nothing can take its place between the question and the read. Only a
// regular file of at most `maxBytes` bytes is read; one that grows past that while it is read is
// kTooLarge. It changes nothing, so it is no counted file operation.
[[nodiscard]] RegularFileRead readRegularFile(const std::u16string& path, std::uint64_t maxBytes);
// The same for a file the caller opened itself (read-only, without waiting), which it closes:
// for a name whose symbolic links are to be followed. -1 (errno set) is kNotOpened.
[[nodiscard]] RegularFileRead readRegularFile(int descriptor, std::uint64_t maxBytes);
// The same for the entry `name` (a plain name) of the held folder, reached through the folder as
// it was opened (kNotOpened with EINVAL for a name that is not plain).
[[nodiscard]] RegularFileRead readRegularFile(const HeldFolder& folder, std::u16string_view name,
                                              std::uint64_t maxBytes);

} // namespace platform
