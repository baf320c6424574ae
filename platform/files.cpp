// Files and folders on POSIX, shown to the system as drive Z: with Windows path rules.
#include "platform/files.h"

#include "encoding/ConvertUTF.h"
#include "platform/fileseams.h"
#include "platform/utf8.h"
#include "platform/uuid.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <memory>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform {

const int kErrorAlreadyExists = EEXIST;

namespace {

FileOperationFault& fileOperationFault() {
    static FileOperationFault fault;
    return fault;
}

std::uint64_t fileOperationCount = 0;
FileOperationPaths fileOperationPaths;
std::optional<std::chrono::milliseconds> folderLockWaitLimit;
bool syncsSkipped = false;
FileSystemRefusals fileSystemRefusals;

// Asks the fault seam about an operation on `path` (and `target`): 0 lets it run, else the
// system error number it fails with.
int ask(FileOperation operation, std::u16string_view path, std::u16string_view target) {
    const FileOperationFault& fault = fileOperationFault();
    if (!fault)
        return 0;
    fileOperationPaths.path.assign(path);
    fileOperationPaths.target.assign(target);
    return fault(++fileOperationCount, operation);
}

// Tells the hook of an operation it may hold but not fail.
void tell(FileOperation operation, std::u16string_view path, std::u16string_view target = {}) {
    static_cast<void>(ask(operation, path, target));
}

// Whether a counted operation may go ahead; the hook's refusal fails it with the error number
// the hook gives.
bool mayRun(FileOperation operation, std::u16string_view path, std::u16string_view target = {}) {
    const int error = ask(operation, path, target);
    if (error == 0)
        return true;
    errno = error;
    return false;
}

// Whether a sync may go ahead: one that publishes is asked for, one that undoes is told, one that
// tidies up is neither. 0, or the error number the hook refuses it with.
int syncRefusal(FileOperation operation, std::u16string_view path, SyncPurpose purpose) {
    if (purpose == SyncPurpose::kPublish)
        return ask(operation, path, {});
    if (purpose == SyncPurpose::kUndo)
        tell(operation, path);
    return 0;
}

// Hands back an error number with errno set to it as well: 0 leaves errno as it is.
int failedWith(int error) {
    if (error != 0)
        errno = error;
    return error;
}

// An open descriptor, closed when it goes; closing keeps errno as it was, so that a failure's
// error number survives the cleanup after it.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    ~Descriptor() { reset(-1); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return m_descriptor; }
    // Closes the one held and holds `descriptor` instead.
    void reset(int descriptor) {
        if (m_descriptor >= 0) {
            const int kept = errno;
            ::close(m_descriptor);
            errno = kept;
        }
        m_descriptor = descriptor;
    }
    // Hands the descriptor over; nothing is closed.
    [[nodiscard]] int release() { return std::exchange(m_descriptor, -1); }
    // Closes it now: 0, or the system error number of the close.
    [[nodiscard]] int close() {
        if (m_descriptor < 0)
            return EBADF;
        return ::close(std::exchange(m_descriptor, -1)) == 0 ? 0 : errno;
    }

private:
    int m_descriptor;
};

// A folder's reading, closed when it goes (keeping errno, as Descriptor does).
struct FolderStreamCloser {
    void operator()(DIR* folder) const {
        const int kept = errno;
        ::closedir(folder);
        errno = kept;
    }
};
using FolderStream = std::unique_ptr<DIR, FolderStreamCloser>;

// fsync, retried when a signal interrupts it: 0, or the system error number.
int syncDescriptor(int descriptor) {
    int result;
    do
        result = ::fsync(descriptor);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// Syncs the file `name` of the folder open as `folder` (AT_FDCWD: a path), a link as its name not
// followed and nothing waited for: 0, or the system error number (of the open or the sync, not
// of the close after it).
int syncEntry(int folder, const std::string& name) {
    int opened;
    do
        opened = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    while (opened < 0 && errno == EINTR);
    if (opened < 0)
        return errno;
    const Descriptor file(opened);
    return syncDescriptor(file.get());
}

// renameat2 with RENAME_NOREPLACE, which the seam may refuse (EINVAL) as a file system that takes
// no rename flags does: 0, or -1 with errno set.
int renameNoReplace(int fromFolder, const char* from, int toFolder, const char* to) {
    if (fileSystemRefusals.renameFlags) {
        errno = EINVAL;
        return -1;
    }
    return ::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE);
}

// A hard link (the entry itself, a symbolic link not followed), which the seam may refuse
// (EPERM) as a file system without hard links does: 0, or -1 with errno set.
int makeLink(int fromFolder, const char* from, int toFolder, const char* to) {
    if (fileSystemRefusals.links) {
        errno = EPERM;
        return -1;
    }
    return ::linkat(fromFolder, from, toFolder, to, 0);
}

// Whether a failed link says the file system (or the file) takes no hard link at all, rather
// than that the names do not allow it.
bool refusesLinks(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK ||
           error == EXDEV;
}

// Renames `from` (in the folder open as `fromFolder`, AT_FDCWD: a path) to `to` (in
// `toFolder`), never over an entry that stands under `to`, by the first way the file system
// allows (see HeldFolder::renameNew): 0, or the system error number. A folder, which takes no
// link, goes the last way.
int renameWithoutReplacing(int fromFolder, const char* from, int toFolder, const char* to) {
    if (renameNoReplace(fromFolder, from, toFolder, to) == 0)
        return 0;
    const int renameError = errno;
    if (renameError != EINVAL && renameError != ENOSYS)
        return renameError;
    // No rename flags: a link takes the new name only where none stands.
    if (makeLink(fromFolder, from, toFolder, to) == 0)
        return ::unlinkat(fromFolder, from, 0) == 0 ? 0 : errno;
    const int linkError = errno;
    if (!refusesLinks(linkError))
        return linkError;
    // No links either: the name is checked, then taken; the folder is held, so no other change
    // writes there in between.
    struct stat info;
    if (::fstatat(toFolder, to, &info, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(fromFolder, from, toFolder, to) == 0 ? 0 : errno;
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A system path mapped: its POSIX path, or nothing and the rule it breaks.
struct PathMapping {
    std::optional<std::string> posix;
    std::string refusal;
};

PathMapping refused(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

bool isReservedSuffix(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || unit == u'\u00B9' || unit == u'\u00B2' ||
           unit == u'\u00B3';
}

// True when the name is a device's (CON, PRN, AUX, NUL, COM0-9, LPT0-9 and COM/LPT with a
// superscript 1, 2 or 3, in any case): Windows takes such a name with any extension, and with
// spaces before the extension, for the device, never for a file.
bool isDeviceName(std::u16string_view name) {
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ')
        stem.remove_suffix(1);
    const auto startsWith = [stem](std::u16string_view word) { // an upper-case ASCII word
        return stem.size() >= word.size() &&
               std::equal(word.begin(), word.end(), stem.begin(), [](char16_t w, char16_t unit) {
                   return w == (unit >= u'a' && unit <= u'z' ? unit - 32 : unit);
               });
    };
    if (stem.size() == 3)
        return startsWith(u"CON") || startsWith(u"PRN") || startsWith(u"AUX") || startsWith(u"NUL");
    return stem.size() == 4 && (startsWith(u"COM") || startsWith(u"LPT")) &&
           isReservedSuffix(stem[3]);
}

std::string hexUnit(char16_t unit, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += kDigits[(unit >> shift) & 0xF];
    return text;
}

// The text of a path for a message: UTF-8, with control characters as \xNN and unpaired
// surrogates as \uNNNN.
std::string shown(std::u16string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        if (unit < 0x20) {
            result += "\\x" + hexUnit(unit, 2);
        } else if (unit >= 0xD800 && unit < 0xE000 && !pair) {
            result += "\\u" + hexUnit(unit, 4);
        } else {
            const std::u16string piece(text.substr(i, pair ? 2 : 1));
            result += utf16ToUtf8(piece).value_or("?");
            i += pair ? 1 : 0;
        }
    }
    return result;
}

// The bytes of a path that is not UTF-8, for a message: ASCII as it is, control characters and
// every other byte as \xNN.
std::string shownBytes(std::string_view bytes) {
    std::string result;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20 || value >= 0x7F)
            result += "\\x" + hexUnit(value, 2);
        else
            result += byte;
    }
    return result;
}

// Why Windows would not make a file or folder of this name; nothing when it would.
std::optional<std::string> nameRefusal(std::u16string_view name) {
    const std::string quoted = "the name \"" + shown(name) + "\" ";
    for (const char16_t unit : name) {
        if (unit < 0x20)
            return quoted + "holds the control character \\x" + hexUnit(unit, 2) +
                   ", which a Windows file name may not hold";
        if (std::u16string_view(u"<>:\"|?*").find(unit) != std::u16string_view::npos)
            return quoted + "holds '" + static_cast<char>(unit) +
                   "', which a Windows file name may not hold";
    }
    if (name.back() == u'.' || name.back() == u' ')
        return quoted + (name.back() == u'.' ? "ends in a dot" : "ends in a space") +
               ", which Windows drops from a file name";
    if (isDeviceName(name))
        return quoted + "is a Windows device name";
    return std::nullopt;
}

// The names between the separators of a path; empty ones (doubled separators) are dropped.
std::vector<std::u16string_view> namesOf(std::u16string_view path) {
    std::vector<std::u16string_view> names;
    while (!path.empty()) {
        const std::size_t slash = std::min(path.find(u'/'), path.size());
        if (slash > 0)
            names.push_back(path.substr(0, slash));
        path.remove_prefix(std::min(slash + 1, path.size()));
    }
    return names;
}

// The names of a path below its drive's root with "." and ".." resolved as Windows does before
// it reaches the file system: ".." at the root stays at the root, so no path climbs out of its
// drive.
std::vector<std::u16string_view> resolvedComponents(std::u16string_view rest) {
    std::vector<std::u16string_view> components;
    for (const std::u16string_view name : namesOf(rest)) {
        if (name == u"..") {
            if (!components.empty())
                components.pop_back();
        } else if (name != u".") {
            components.push_back(name);
        }
    }
    return components;
}

std::optional<std::string> firstNameRefusal(const std::vector<std::u16string_view>& names) {
    for (const std::u16string_view name : names)
        if (auto refusal = nameRefusal(name))
            return refusal;
    return std::nullopt;
}

// Why a POSIX path read from the system (an environment variable, the current folder, a resolved
// link) cannot stand in a system path; nothing when it can. A system path reads every '\' as a
// separator and resolves ".." by its text, where POSIX takes '\' as part of a name and resolves
// ".." through symbolic links: either would make it name another file ("/t/a\.." would name
// "/t").
std::optional<std::string> systemNameRefusal(std::string_view posixPath) {
    if (posixPath.find('\\') != std::string_view::npos)
        return "holds a '\\', which the system reads as a separator";
    for (std::size_t start = 0; start <= posixPath.size();) {
        const std::size_t slash = std::min(posixPath.find('/', start), posixPath.size());
        if (posixPath.substr(start, slash - start) == "..")
            return "holds the name \"..\", which the system resolves by its text";
        start = slash + 1;
    }
    return std::nullopt;
}

// The POSIX path of a drive path: the drive's folder and the resolved components.
PathMapping mapDrivePath(char16_t letter, std::u16string_view rest) {
    const auto components = resolvedComponents(rest);
    if (auto refusal = firstNameRefusal(components))
        return refused(std::move(*refusal));
    std::u16string below = u"/";
    for (const std::u16string_view component : components)
        below.append(component).append(u"/");
    if (!components.empty() && !rest.ends_with(u'/'))
        below.pop_back();
    const auto posixBelow = utf16ToUtf8(below);
    if (!posixBelow)
        return refused("it is not whole UTF-16 text (an unpaired surrogate)");
    const char drive = static_cast<char>(letter & ~0x20);
    if (drive == 'Z')
        return {posixBelow, {}};
    const std::string variable = std::string("ZEP_DRIVE_") + drive;
    std::string root = environment(variable.c_str());
    if (root.empty())
        return refused(std::string("drive ") + drive + ": is not mapped (" + variable +
                       " is not set)");
    if (auto refusal = systemNameRefusal(root))
        return refused(std::string("the folder of drive ") + drive + ": (" + variable + ") " +
                       *refusal);
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return {root + *posixBelow, {}};
}

// Texts without a drive are left as they are; their names follow the same rules.
PathMapping mapPathWithoutDrive(std::u16string_view text) {
    std::vector<std::u16string_view> names = namesOf(text);
    std::erase_if(names, [](std::u16string_view name) { return name == u"." || name == u".."; });
    if (auto refusal = firstNameRefusal(names))
        return refused(std::move(*refusal));
    auto posixPath = utf16ToUtf8(std::u16string(text));
    if (!posixPath)
        return refused("it is not whole UTF-16 text (an unpaired surrogate)");
    return {std::move(posixPath), {}};
}

PathMapping mapPath(const std::u16string& path) {
    if (path.empty())
        return refused("it is empty");
    if (path.find(u'\0') != std::u16string::npos)
        return refused("it holds a NUL character");
    std::u16string text = path;
    if (text.starts_with(u"\\\\?\\")) {
        text.erase(0, 4);
        if (text.starts_with(u"UNC\\") || text.starts_with(u"unc\\"))
            return refused("it names a server share, which is not reachable here");
    }
    std::replace(text.begin(), text.end(), u'\\', u'/');
    if (text.starts_with(u"//"))
        return refused("it names a server share, which is not reachable here");
    if (text.size() >= 2 && text[1] == u':' && text[0] < 0x80 &&
        isAsciiLetter(static_cast<char>(text[0])))
        return mapDrivePath(text[0], std::u16string_view(text).substr(2));
    return mapPathWithoutDrive(text);
}

std::optional<std::string> posix(const std::u16string& path) {
    auto result = toPosixPath(path);
    if (!result)
        errno = ENOENT;
    return result;
}

// A folder handed back to the system: drive form, trailing separators dropped (the root
// keeps its one).
std::optional<std::u16string> folder(std::string posixPath) {
    while (posixPath.size() > 1 && posixPath.back() == '/')
        posixPath.pop_back();
    if (posixPath.empty() || posixPath.front() != '/')
        return std::nullopt;
    return toSystemPath(posixPath);
}

std::optional<std::u16string> homeSubfolder(const char* leaf) {
    std::string home = environment("HOME");
    while (!home.empty() && home.back() == '/')
        home.pop_back();
    if (home.empty())
        return std::nullopt;
    return folder(home + "/" + leaf);
}

std::optional<std::u16string> folderFromEnvironment(const char* name, const std::string& fallback) {
    std::string value = environment(name);
    return folder(value.empty() ? fallback : value);
}

// Copies the bytes of one open file into another.
bool copyContents(int from, int to) {
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return false;
            done += put;
        }
    }
}

bool copyLink(const std::string& source, const std::string& target) {
    std::string destination(PATH_MAX, '\0');
    ssize_t n = ::readlink(source.c_str(), destination.data(), destination.size());
    if (n < 0 || static_cast<std::size_t>(n) >= destination.size())
        return false;
    destination.resize(static_cast<std::size_t>(n));
    return ::symlink(destination.c_str(), target.c_str()) == 0;
}

bool copyRegularFile(const std::string& source, const std::string& target,
                     const struct stat& info) {
    const Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (from.get() < 0)
        return false;
    Descriptor to(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0)
        return false;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    int error = 0;
    if (!copyContents(from.get(), to.get()) || ::futimens(to.get(), times) != 0 ||
        ::fchmod(to.get(), info.st_mode & 07777) != 0)
        error = errno;
    const int closeError = to.close();
    error = error != 0 ? error : closeError;
    if (error == 0)
        return true;
    // The partial copy goes; the error that stopped the copy is the one reported.
    ::unlink(target.c_str());
    errno = error;
    return false;
}

bool copyEntry(const std::string& source, const std::string& target) {
    struct stat info;
    if (::lstat(source.c_str(), &info) != 0)
        return false;
    if (S_ISLNK(info.st_mode))
        return copyLink(source, target);
    if (!S_ISREG(info.st_mode)) {
        errno = EACCES;
        return false;
    }
    return copyRegularFile(source, target, info);
}

std::optional<std::string> realPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return std::nullopt;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// The path's folder resolved (kept as written when it cannot be), then its leaf.
std::string placeOf(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    return realPath(folder).value_or(folder) + "/" + leaf;
}

// A descriptor of the folder itself, or -1; a link as its name leads to the folder it names
// only with `followLink`.
int openFolder(const std::u16string& folder, bool followLink) {
    auto name = posix(folder);
    if (!name)
        return -1;
    if (!followLink)
        while (name->size() > 1 && name->back() == '/')
            name->pop_back(); // a trailing '/' would follow a link as the last name
    return ::open(name->c_str(),
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
}

// A temporary's name: the head, 16 upper-case hex digits, the tail (temporarySibling makes
// them, isTemporaryName knows them).
constexpr std::u16string_view kTemporaryHead = u"~zep";
constexpr std::u16string_view kTemporaryTail = u".tmp";
constexpr std::size_t kTemporaryDigits = 16;

bool isUpperHexDigit(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'F');
}

// The POSIX bytes of a plain name; nothing (errno EINVAL) for any other.
std::optional<std::string> plainName(std::u16string_view name) {
    if (!isPlainName(name)) {
        errno = EINVAL;
        return std::nullopt;
    }
    auto bytes = utf16ToUtf8(std::u16string(name));
    if (!bytes)
        errno = EINVAL;
    return bytes;
}

FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// A folder's names as listDirectory gives them, sorted.
struct FolderReading {
    std::vector<std::u16string> names;
    bool namesLeftOut = false; // a name not UTF-8 or holding '\'
    int error = 0;             // of the reading's start, or of a read that ended the listing
    bool listed = false;       // the reading started: `error` is of a read
};

// Reads the folder open as `descriptor`, which it takes over and closes. Every read starts with
// errno cleared, so that a read error is never taken for the end of the folder.
FolderReading readFolder(int descriptor) {
    FolderReading reading;
    const FolderStream folder(::fdopendir(descriptor));
    if (!folder) {
        reading.error = errno;
        const Descriptor unread(descriptor);
        return reading;
    }
    reading.listed = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder.get());
        if (!entry) {
            reading.error = errno; // 0 at the end of the folder
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        // A name holding a '\' is one the system would read as several, which joined to the
        // folder would name another entry ("..\x" its parent's "x", "\" the folder itself).
        auto converted =
            std::strchr(entry->d_name, '\\') ? std::nullopt : utf8ToUtf16(entry->d_name);
        if (converted)
            reading.names.push_back(std::move(*converted));
        else
            reading.namesLeftOut = true;
    }
    std::sort(reading.names.begin(), reading.names.end());
    return reading;
}

// The reading of the folder that `path` names, a link as its name not followed; nothing when it
// does not open.
std::optional<FolderReading> readFolderAt(const std::u16string& path) {
    auto name = posix(path);
    if (!name)
        return std::nullopt;
    const int opened = ::open(name->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (opened < 0)
        return std::nullopt;
    return readFolder(opened);
}

// Waits for an exclusive lock on the open folder for at most `wait`: true when locked, false
// when others held it throughout; `noLocks` when the file system has none.
bool lockFolder(int descriptor, std::chrono::milliseconds wait, bool& noLocks) {
    using Clock = std::chrono::steady_clock;
    noLocks = false;
    const Clock::time_point deadline = Clock::now() + wait;
    // The lock is tried without blocking, with pauses that grow to 50 ms, so that the wait ends
    // at its limit.
    std::chrono::milliseconds pause(1);
    for (;;) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            noLocks = true;
            return false;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

template <class Stream>
void openOn(Stream& stream, const std::u16string& path, std::ios_base::openmode mode) {
    auto name = toPosixPath(path);
    if (!name) {
        stream.setstate(std::ios_base::failbit);
        return;
    }
    stream.open(*name, mode);
}

} // namespace

std::optional<std::string> toPosixPath(const std::u16string& path) {
    return mapPath(path).posix;
}

std::optional<std::string> pathRefusal(const std::u16string& path) {
    const PathMapping mapping = mapPath(path);
    if (mapping.posix)
        return std::nullopt;
    return "the path \"" + shown(path) + "\" names no file: " + mapping.refusal;
}

std::optional<std::string> pathRefusal(std::string_view utf8Path) {
    const auto* const begin = reinterpret_cast<const UTF8*>(utf8Path.data());
    const UTF8* source = begin;
    std::u16string wide(utf8Path.size(), u'\0'); // a byte gives at most one unit
    UTF16* target = wide.data();
    if (ConvertUTF8toUTF16(&source, begin + utf8Path.size(), &target, target + wide.size(),
                           strictConversion) != conversionOK)
        return "the path \"" + shownBytes(utf8Path) +
               "\" names no file: it is not whole UTF-8 text (a bad sequence at byte " +
               std::to_string(source - begin) + ")";
    wide.resize(static_cast<std::size_t>(target - wide.data()));
    return pathRefusal(wide);
}

std::optional<std::u16string> toSystemPath(const std::string& posixPath) {
    if (!posixPath.starts_with('/') || systemNameRefusal(posixPath))
        return std::nullopt;
    auto text = utf8ToUtf16(posixPath);
    if (!text)
        return std::nullopt;
    return u"Z:" + *text;
}

std::optional<std::uint32_t> fileAttributes(const std::u16string& path) {
    auto name = posix(path);
    struct stat info;
    if (!name || ::lstat(name->c_str(), &info) != 0)
        return std::nullopt;
    std::uint32_t attributes = 0;
    if (S_ISLNK(info.st_mode)) {
        attributes |= kAttributeReparsePoint;
        struct stat target;
        if (::stat(name->c_str(), &target) == 0 && S_ISDIR(target.st_mode))
            attributes |= kAttributeDirectory;
    } else {
        if (S_ISDIR(info.st_mode))
            attributes |= kAttributeDirectory;
        if ((info.st_mode & S_IWUSR) == 0)
            attributes |= kAttributeReadOnly;
    }
    return attributes ? attributes : kAttributeNormal;
}

bool setFileAttributes(const std::u16string& path, std::uint32_t attributes) {
    auto name = posix(path);
    struct stat info;
    if (!name || ::lstat(name->c_str(), &info) != 0)
        return false;
    if (S_ISLNK(info.st_mode))
        return true;
    mode_t mode = info.st_mode & 07777;
    mode = (attributes & kAttributeReadOnly) ? (mode & ~mode_t(0222)) : (mode | S_IWUSR);
    return ::chmod(name->c_str(), mode) == 0;
}

std::optional<FileTimes> fileTimes(const std::u16string& path) {
    auto name = posix(path);
    struct statx info;
    if (!name || ::statx(AT_FDCWD, name->c_str(), 0, STATX_MTIME | STATX_BTIME, &info) != 0)
        return std::nullopt;
    FileTimes times;
    times.modification = info.stx_mtime.tv_sec;
    times.creation = (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : times.modification;
    return times;
}

bool setModificationTime(const std::u16string& path, std::int64_t seconds) {
    auto name = posix(path);
    if (!name)
        return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    return ::utimensat(AT_FDCWD, name->c_str(), times, 0) == 0;
}

std::optional<std::uint64_t> fileSize(const std::u16string& path) {
    auto name = posix(path);
    struct stat info;
    if (!name || ::stat(name->c_str(), &info) != 0)
        return std::nullopt;
    return S_ISDIR(info.st_mode) ? 0 : static_cast<std::uint64_t>(info.st_size);
}

int createDirectory(const std::u16string& path) {
    auto name = posix(path);
    if (!name)
        return ENOENT;
    if (!mayRun(FileOperation::MakeDirectory, path) || ::mkdir(name->c_str(), 0777) != 0)
        return errno;
    return 0;
}

bool deleteFile(const std::u16string& path) {
    auto name = posix(path);
    return name && ::unlink(name->c_str()) == 0;
}

bool removeDirectory(const std::u16string& path) {
    auto name = posix(path);
    return name && ::rmdir(name->c_str()) == 0;
}

bool copyFile(const std::u16string& source, const std::u16string& target) {
    auto from = posix(source);
    auto to = posix(target);
    return from && to && copyEntry(*from, *to);
}

bool moveFile(const std::u16string& source, const std::u16string& target) {
    auto from = posix(source);
    auto to = posix(target);
    if (!from || !to || !mayRun(FileOperation::Rename, source, target))
        return false;
    struct stat info;
    if (::lstat(from->c_str(), &info) != 0)
        return false;
    if (isSameFile(source, target))
        return ::rename(from->c_str(), to->c_str()) == 0;
    // Where the file system takes no rename flags, as a held folder's renameNew does; that
    // nothing stands under the target then is checked only just before the rename.
    const int error = renameWithoutReplacing(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str());
    if (error == 0)
        return true;
    errno = error;
    if (error != EXDEV || S_ISDIR(info.st_mode))
        return false;
    return copyEntry(*from, *to) && ::unlink(from->c_str()) == 0;
}

bool replaceFile(const std::u16string& source, const std::u16string& target) {
    int error = 0;
    return replaceFile(source, target, error);
}

bool replaceFile(const std::u16string& source, const std::u16string& target, int& error) {
    auto from = posix(source);
    auto to = posix(target);
    error = 0;
    if (!from || !to)
        return false;
    if (mayRun(FileOperation::Rename, source, target) && ::rename(from->c_str(), to->c_str()) == 0)
        return true;
    error = errno;
    return false;
}

bool linkFile(const std::u16string& existing, const std::u16string& link) {
    int error = 0;
    return linkFile(existing, link, error);
}

bool linkFile(const std::u16string& existing, const std::u16string& link, int& error) {
    auto from = posix(existing);
    auto to = posix(link);
    error = 0;
    if (!from || !to)
        return false;
    if (makeLink(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str()) == 0)
        return true;
    error = errno;
    return false;
}

std::u16string temporarySibling(const std::u16string& path) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const std::size_t slash = path.find_last_of(u"/\\");
    const std::u16string folder = slash == std::u16string::npos ? u"" : path.substr(0, slash + 1);
    std::u16string name;
    do {
        name = folder;
        name += kTemporaryHead;
        const auto random = createUuid();
        for (std::size_t i = 0; i < kTemporaryDigits / 2; ++i) {
            name += kDigits[random[i] >> 4];
            name += kDigits[random[i] & 0xF];
        }
        name += kTemporaryTail;
    } while (fileAttributes(name));
    return name;
}

bool canCreateBeside(const std::u16string& path, int& error) {
    error = 0;
    const auto name = posix(temporarySibling(path));
    if (!name)
        return false;
    if (!mayRun(FileOperation::Open, path)) {
        error = errno;
        return false;
    }
    int descriptor;
    do
        descriptor =
            ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        error = errno;
        return false;
    }
    ::close(descriptor);
    static_cast<void>(::unlink(name->c_str()));
    return true;
}

bool isTemporaryName(std::u16string_view name) {
    return name.size() == kTemporaryHead.size() + kTemporaryDigits + kTemporaryTail.size() &&
           name.starts_with(kTemporaryHead) && name.ends_with(kTemporaryTail) &&
           std::all_of(name.begin() + kTemporaryHead.size(), name.end() - kTemporaryTail.size(),
                       isUpperHexDigit);
}

bool syncFile(const std::u16string& path, SyncPurpose purpose) {
    auto name = posix(path);
    if (!name || failedWith(syncRefusal(FileOperation::Sync, path, purpose)) != 0)
        return false;
    return syncsSkipped || failedWith(syncEntry(AT_FDCWD, *name)) == 0;
}

std::uint32_t effectiveUser() {
    return static_cast<std::uint32_t>(::geteuid());
}

bool isPlainName(std::u16string_view name) {
    return !name.empty() && name != u"." && name != u".." &&
           name.find_first_of(std::u16string_view(u"/\\\0", 3)) == std::u16string_view::npos;
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)),
      m_locked(std::exchange(other.m_locked, false)), m_folder(std::move(other.m_folder)) {}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
    if (this != &other) {
        unlock();
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_locked = std::exchange(other.m_locked, false);
        m_folder = std::move(other.m_folder);
    }
    return *this;
}

int HeldFolder::open(const std::u16string& folder, bool followLink) {
    unlock();
    const int descriptor = openFolder(folder, followLink);
    if (descriptor < 0)
        return errno;
    m_descriptor = descriptor;
    m_folder = folder;
    return 0;
}

int HeldFolder::openBelow(const HeldFolder& base, const std::vector<std::u16string>& names,
                          const std::u16string& folder, std::size_t& reached) {
    unlock();
    reached = 0;
    if (base.m_descriptor < 0)
        return EBADF;
    Descriptor descriptor(::fcntl(base.m_descriptor, F_DUPFD_CLOEXEC, 0));
    if (descriptor.get() < 0)
        return errno;
    for (const std::u16string& name : names) {
        const auto bytes = plainName(name);
        if (!bytes)
            return EINVAL;
        int next;
        do
            next = ::openat(descriptor.get(), bytes->c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        while (next < 0 && errno == EINTR);
        if (next < 0) {
            int error = errno;
            // A link, or what is no folder, tells itself as such whatever the call reported.
            struct stat info;
            if ((error == ENOTDIR || error == ELOOP) &&
                ::fstatat(descriptor.get(), bytes->c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
                error = S_ISLNK(info.st_mode) ? ELOOP : S_ISDIR(info.st_mode) ? error : ENOTDIR;
            return error;
        }
        descriptor.reset(next);
        ++reached;
    }
    m_descriptor = descriptor.release();
    m_folder = folder;
    return 0;
}

HeldFolder::Result HeldFolder::lock(std::chrono::milliseconds wait) {
    if (m_descriptor < 0)
        return Result::kNotOpened;
    if (m_locked)
        return Result::kLocked;
    if (folderLockWaitLimit)
        wait = std::min(wait, *folderLockWaitLimit);
    bool noLocks = false;
    m_locked = lockFolder(m_descriptor, wait, noLocks);
    if (m_locked)
        return Result::kLocked;
    if (noLocks)
        return Result::kNoLocks;
    unlock();
    return Result::kBusy;
}

HeldFolder::Result HeldFolder::lockExclusive(const std::u16string& folder,
                                             std::chrono::milliseconds wait, bool followLink) {
    if (open(folder, followLink) != 0)
        return Result::kNotOpened;
    return lock(wait);
}

void HeldFolder::unlock() {
    // Closing the only descriptor of the open folder releases its lock.
    if (m_descriptor >= 0)
        ::close(std::exchange(m_descriptor, -1));
    m_locked = false;
}

bool HeldFolder::stillAtItsPath() const {
    auto name = posix(m_folder);
    struct stat atPath;
    struct stat held;
    return m_descriptor >= 0 && name && ::stat(name->c_str(), &atPath) == 0 &&
           ::fstat(m_descriptor, &held) == 0 && identityOf(atPath) == identityOf(held);
}

std::optional<FileIdentity> HeldFolder::identity() const {
    struct stat info;
    if (m_descriptor < 0 || ::fstat(m_descriptor, &info) != 0)
        return std::nullopt;
    return identityOf(info);
}

std::u16string HeldFolder::entryPath(std::u16string_view name) const {
    std::u16string path = m_folder;
    if (!path.empty() && path.back() != u'/' && path.back() != u'\\')
        path += u'/';
    return path.append(name);
}

std::optional<EntryStatus> HeldFolder::status(std::u16string_view name) const {
    const auto bytes = plainName(name);
    struct stat info;
    if (m_descriptor < 0 || !bytes ||
        ::fstatat(m_descriptor, bytes->c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    EntryStatus status;
    status.kind = S_ISREG(info.st_mode)   ? EntryStatus::Kind::kFile
                  : S_ISLNK(info.st_mode) ? EntryStatus::Kind::kLink
                  : S_ISDIR(info.st_mode) ? EntryStatus::Kind::kFolder
                                          : EntryStatus::Kind::kOther;
    status.identity = identityOf(info);
    status.owner = static_cast<std::uint32_t>(info.st_uid);
    return status;
}

// An operation on two plain names of the folder: once the hook lets it go ahead (or is told of
// it, for one that undoes), `call` gets the names' POSIX bytes and gives 0 or the system error
// number, taken at once. 0, or the system error number (errno holds it as well).
template <typename Call>
int onTwoNames(const HeldFolder& folder, FileOperation operation, bool mayFail,
               std::u16string_view from, std::u16string_view to, Call call) {
    const auto source = plainName(from);
    const auto target = plainName(to);
    if (!source || !target)
        return failedWith(EINVAL);
    if (folder.descriptor() < 0)
        return failedWith(EBADF);
    const int refused = ask(operation, folder.entryPath(from), folder.entryPath(to));
    if (mayFail && refused != 0)
        return failedWith(refused);
    return failedWith(call(source->c_str(), target->c_str()));
}

int HeldFolder::rename(std::u16string_view from, std::u16string_view to) const {
    return onTwoNames(*this, FileOperation::Rename, true, from, to, [this](auto a, auto b) {
        return ::renameat(m_descriptor, a, m_descriptor, b) == 0 ? 0 : errno;
    });
}

int HeldFolder::renameNew(std::u16string_view from, std::u16string_view to) const {
    return onTwoNames(*this, FileOperation::Rename, true, from, to, [this](auto a, auto b) {
        return renameWithoutReplacing(m_descriptor, a, m_descriptor, b);
    });
}

int HeldFolder::restore(std::u16string_view kept, std::u16string_view target) const {
    return onTwoNames(*this, FileOperation::Restore, false, kept, target, [this](auto a, auto b) {
        return ::renameat(m_descriptor, a, m_descriptor, b) == 0 ? 0 : errno;
    });
}

int HeldFolder::link(std::u16string_view existing, std::u16string_view name) const {
    return onTwoNames(*this, FileOperation::Link, true, existing, name, [this](auto a, auto b) {
        return makeLink(m_descriptor, a, m_descriptor, b) == 0 ? 0 : errno;
    });
}

int HeldFolder::remove(std::u16string_view name) const {
    const auto bytes = plainName(name);
    if (!bytes)
        return failedWith(EINVAL);
    if (m_descriptor < 0)
        return failedWith(EBADF);
    return ::unlinkat(m_descriptor, bytes->c_str(), 0) == 0 ? 0 : errno;
}

int HeldFolder::syncFile(std::u16string_view name, SyncPurpose purpose) const {
    const auto bytes = plainName(name);
    if (!bytes)
        return failedWith(EINVAL);
    if (m_descriptor < 0)
        return failedWith(EBADF);
    if (const int refused = syncRefusal(FileOperation::Sync, entryPath(name), purpose))
        return failedWith(refused);
    return syncsSkipped ? 0 : failedWith(syncEntry(m_descriptor, *bytes));
}

int HeldFolder::sync(SyncPurpose purpose) const {
    if (m_descriptor < 0)
        return failedWith(EBADF);
    if (const int refused = syncRefusal(FileOperation::SyncFolder, m_folder, purpose))
        return failedWith(refused);
    return syncsSkipped ? 0 : failedWith(syncDescriptor(m_descriptor));
}

std::optional<std::vector<std::u16string>> HeldFolder::names(int* error) const {
    int failure = EBADF;
    if (m_descriptor >= 0) {
        int listed;
        do
            listed = ::openat(m_descriptor, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (listed < 0 && errno == EINTR);
        if (listed < 0) {
            failure = errno;
        } else {
            FolderReading reading = readFolder(listed);
            failure = reading.error;
            if (failure == 0) {
                if (error)
                    *error = 0;
                return std::move(reading.names);
            }
        }
    }
    if (error)
        *error = failure;
    return std::nullopt;
}

std::size_t HeldFolder::removeLeftTemporaries(const std::vector<std::u16string>& keep) const {
    const auto listed = m_locked ? names() : std::nullopt;
    std::size_t removed = 0;
    for (const std::u16string& name : listed.value_or(std::vector<std::u16string>{})) {
        if (!isTemporaryName(name) || std::find(keep.begin(), keep.end(), name) != keep.end())
            continue;
        const auto entry = status(name);
        if (entry && entry->kind != EntryStatus::Kind::kFolder && entry->owner == effectiveUser() &&
            remove(name) == 0)
            ++removed;
    }
    return removed;
}

bool isSamePlace(const std::u16string& first, const std::u16string& second) {
    auto a = posix(first);
    auto b = posix(second);
    return a && b && placeOf(*a) == placeOf(*b);
}

bool isSameFile(const std::u16string& first, const std::u16string& second) {
    auto a = posix(first);
    auto b = posix(second);
    struct stat infoA, infoB;
    return a && b && ::lstat(a->c_str(), &infoA) == 0 && ::lstat(b->c_str(), &infoB) == 0 &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

bool liesWithin(const std::u16string& path, const std::u16string& folder) {
    auto name = posix(path);
    auto outer = posix(folder);
    if (!name || !outer)
        return false;
    while (name->size() > 1 && name->back() == '/')
        name->pop_back();
    std::size_t slash = name->rfind('/');
    std::string parent = slash == std::string::npos ? "." : name->substr(0, slash + 1);
    auto resolvedParent = realPath(parent);
    auto resolvedFolder = realPath(*outer);
    if (!resolvedParent || !resolvedFolder)
        return false;
    std::string leaf = slash == std::string::npos ? *name : name->substr(slash + 1);
    std::string inner = *resolvedParent;
    if (!leaf.empty() && leaf != ".") {
        if (leaf == "..") {
            auto up = realPath(inner + "/..");
            if (!up)
                return false;
            inner = *up;
        } else {
            inner += (inner == "/" ? "" : "/") + leaf;
        }
    }
    const std::string& base = *resolvedFolder;
    if (inner == base)
        return true;
    std::string prefix = base == "/" ? base : base + "/";
    return inner.starts_with(prefix);
}

std::optional<std::u16string> resolvedPath(const std::u16string& path) {
    auto name = posix(path);
    auto resolved = name ? realPath(*name) : std::nullopt;
    if (!resolved)
        return std::nullopt;
    return toSystemPath(*resolved);
}

std::optional<std::u16string> folderPlace(const std::u16string& path) {
    const auto mapped = posix(path);
    if (!mapped || !mapped->starts_with('/'))
        return std::nullopt;
    // The longest part of the path that exists is resolved; the names below it are kept.
    std::string existing = *mapped;
    while (existing.size() > 1 && existing.back() == '/')
        existing.pop_back();
    std::string missing;
    for (;;) {
        if (const auto resolved = realPath(existing)) {
            std::string place = *resolved;
            if (!missing.empty())
                place += (place.ends_with('/') ? "" : "/") + missing;
            return toSystemPath(place);
        }
        const std::size_t slash = existing.rfind('/');
        if (slash == std::string::npos || existing == "/")
            return std::nullopt;
        const std::string name = existing.substr(slash + 1);
        if (name == "." || name == "..")
            return std::nullopt; // a name below a missing folder cannot be resolved
        missing = name + (missing.empty() ? "" : "/" + missing);
        existing = slash == 0 ? "/" : existing.substr(0, slash);
    }
}

std::optional<std::vector<std::u16string>> namesBelow(const std::u16string& path,
                                                      const std::u16string& folder) {
    auto inner = posix(path);
    auto outer = posix(folder);
    if (!inner || !outer || !outer->starts_with('/'))
        return std::nullopt;
    for (std::string* text : {&*inner, &*outer})
        while (text->size() > 1 && text->back() == '/')
            text->pop_back();
    std::string_view rest(*inner);
    if (!rest.starts_with(*outer))
        return std::nullopt;
    rest.remove_prefix(outer->size());
    if (!rest.empty() && *outer != "/") {
        if (rest.front() != '/')
            return std::nullopt;
        rest.remove_prefix(1);
    }
    std::vector<std::u16string> names;
    while (!rest.empty()) {
        const std::size_t slash = std::min(rest.find('/'), rest.size());
        if (slash > 0) {
            auto name = utf8ToUtf16(std::string(rest.substr(0, slash)));
            if (!name || !isPlainName(*name))
                return std::nullopt;
            names.push_back(std::move(*name));
        }
        rest.remove_prefix(std::min(slash + 1, rest.size()));
    }
    return names;
}

std::optional<std::vector<std::u16string>> listDirectory(const std::u16string& path) {
    auto reading = readFolderAt(path);
    if (!reading || reading->error != 0)
        return std::nullopt;
    return std::move(reading->names);
}

std::optional<DirectoryListing> readDirectory(const std::u16string& path) {
    auto reading = readFolderAt(path);
    if (!reading || !reading->listed)
        return std::nullopt;
    // A read error that ended the listing may have kept names back.
    return DirectoryListing{std::move(reading->names),
                            reading->namesLeftOut || reading->error != 0};
}

std::optional<std::u16string> documentsFolder() {
    return homeSubfolder("Documents");
}

std::optional<std::u16string> currentDirectory() {
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        return std::nullopt;
    std::string result(cwd);
    std::free(cwd);
    return folder(result);
}

std::optional<std::u16string> moduleFileName() {
    auto program = realPath("/proc/self/exe");
    if (!program)
        return std::nullopt;
    return folder(*program);
}

std::optional<std::u16string> commonAppDataFolder() {
    return folderFromEnvironment("ZEP_COMMON_APPDATA", "/usr/local/share");
}

std::optional<std::u16string> userAppDataFolder() {
    std::string value = environment("XDG_DATA_HOME");
    if (!value.empty())
        return folder(value);
    return homeSubfolder(".local/share");
}

std::optional<std::u16string> colorProfileFolder() {
    return folderFromEnvironment("ZEP_COLOR_DIR", "/usr/share/color/icc");
}

std::optional<std::u16string> desktopFolder() {
    return homeSubfolder("Desktop");
}

std::optional<std::u16string> recycleBinFolder() {
    return std::nullopt;
}

std::optional<std::u16string> temporaryPath() {
    auto result = folderFromEnvironment("TMPDIR", "/tmp");
    if (result && result->back() != u'/')
        *result += u'/';
    return result;
}

std::uint32_t currentProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

void openStream(std::fstream& stream, const std::u16string& path, std::ios_base::openmode mode) {
    openOn(stream, path, mode);
}

void openStream(std::ifstream& stream, const std::u16string& path, std::ios_base::openmode mode) {
    openOn(stream, path, mode);
}

void openStream(std::ofstream& stream, const std::u16string& path, std::ios_base::openmode mode) {
    openOn(stream, path, mode);
}

std::FILE* openFile(const std::u16string& path, const std::u16string& mode) {
    auto name = posix(path);
    auto modeText = utf16ToUtf8(mode);
    if (!name || !modeText)
        return nullptr;
    return std::fopen(name->c_str(), modeText->c_str());
}

int openTemporaryFile(const std::u16string& path, int& error) {
    auto name = posix(path);
    int fd = name ? ::open(name->c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600) : -1;
    if (fd >= 0 && ::unlink(name->c_str()) == 0)
        return fd;
    // A file whose name stays (a folder that is not writable) would outlive its descriptor.
    error = errno;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

std::string errorText(int error) {
    return std::strerror(error);
}

class OutputFileStream::Buffer final : public std::streambuf {
public:
    Buffer() { setp(m_bytes, m_bytes + sizeof m_bytes); }
    ~Buffer() override { static_cast<void>(close()); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // The file `path`, made or emptied.
    bool open(const std::string& path, const std::u16string& systemPath) {
        return openAt(AT_FDCWD, path, O_CREAT | O_TRUNC, systemPath, 0666);
    }

    // A new file of the held folder open as `folder`, made now with `mode` and never through a
    // link.
    bool openNew(int folder, const std::string& name, const std::u16string& systemPath,
                 mode_t mode) {
        return openAt(folder, name, O_CREAT | O_EXCL | O_NOFOLLOW, systemPath, mode);
    }

    bool isOpen() const { return m_file >= 0; }

    std::optional<FileIdentity> identity() const {
        struct stat info;
        if (m_file < 0 || ::fstat(m_file, &info) != 0)
            return std::nullopt;
        return identityOf(info);
    }

    bool restart() {
        setp(m_bytes, m_bytes + sizeof m_bytes);
        if (m_file < 0 || m_failed)
            return false;
        m_failed = !mayRun(FileOperation::Write, m_path) || ::ftruncate(m_file, 0) != 0 ||
                   ::lseek(m_file, 0, SEEK_SET) != 0;
        if (m_failed)
            failed(errno);
        return !m_failed;
    }

    bool close() {
        if (m_file < 0)
            return false;
        const bool flushed = writeOut(FileOperation::Flush);
        // The descriptor goes whatever the hook says.
        const bool allowed = mayRun(FileOperation::Close, m_path);
        if (!allowed)
            failed(errno);
        const bool closed = ::close(std::exchange(m_file, -1)) == 0;
        if (!closed)
            failed(errno);
        return flushed && allowed && closed;
    }

    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override {
        if (m_file < 0 || !writeOut(FileOperation::Write))
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return m_file >= 0 && writeOut(FileOperation::Flush) ? 0 : -1; }

    // Telling the position writes nothing; moving it writes out the buffer first.
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override {
        const pos_type failed(off_type(-1));
        if (m_file < 0 || m_failed || !(which & std::ios_base::out))
            return failed;
        const off_t pending = pptr() - pbase();
        if (direction == std::ios_base::cur && offset == 0) {
            const off_t at = ::lseek(m_file, 0, SEEK_CUR);
            return at < 0 ? failed : pos_type(at + pending);
        }
        if (!writeOut(FileOperation::Write))
            return failed;
        const int whence = direction == std::ios_base::beg   ? SEEK_SET
                           : direction == std::ios_base::cur ? SEEK_CUR
                                                             : SEEK_END;
        const off_t at = ::lseek(m_file, offset, whence);
        return at < 0 ? failed : pos_type(at);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
        return seekoff(off_type(position), std::ios_base::beg, which);
    }

private:
    bool openAt(int folder, const std::string& name, int flags, const std::u16string& systemPath,
                mode_t mode) {
        if (m_file >= 0)
            return false;
        m_path = systemPath;
        if (!mayRun(FileOperation::Open, m_path)) {
            failed(errno);
            return false;
        }
        do
            m_file = ::openat(folder, name.c_str(), O_WRONLY | O_CLOEXEC | flags, mode);
        while (m_file < 0 && errno == EINTR);
        m_failed = m_file < 0;
        if (m_failed)
            failed(errno);
        return !m_failed;
    }

    // Keeps the error number of the first failure.
    void failed(int error) {
        if (m_error == 0)
            m_error = error;
    }

    // Writes out what the buffer holds and empties it; false from the first failure on. An
    // empty buffer is no operation.
    bool writeOut(FileOperation operation) {
        const char* data = pbase();
        std::size_t count = static_cast<std::size_t>(pptr() - pbase());
        setp(m_bytes, m_bytes + sizeof m_bytes);
        if (m_failed || count == 0)
            return !m_failed;
        m_failed = !mayRun(operation, m_path);
        if (m_failed)
            failed(errno);
        while (!m_failed && count > 0) {
            const ssize_t put = ::write(m_file, data, count);
            if (put < 0 && errno == EINTR)
                continue;
            m_failed = put <= 0;
            if (m_failed)
                failed(put < 0 ? errno : EIO);
            if (put > 0) {
                data += put;
                count -= static_cast<std::size_t>(put);
            }
        }
        return !m_failed;
    }

    char m_bytes[65536];
    std::u16string m_path; // as the caller gave it, for the hook
    int m_file = -1;
    bool m_failed = false;
    int m_error = 0; // of the first failure
};

OutputFileStream::OutputFileStream() : std::ostream(nullptr), m_buffer(std::make_unique<Buffer>()) {
    rdbuf(m_buffer.get());
    setstate(std::ios_base::badbit); // nothing to write to before open
}

OutputFileStream::~OutputFileStream() = default;

bool OutputFileStream::open(const std::u16string& path) {
    auto name = posix(path);
    if (!name || !m_buffer->open(*name, path)) {
        setstate(std::ios_base::badbit);
        return false;
    }
    clear();
    return true;
}

bool OutputFileStream::openNew(const HeldFolder& folder, std::u16string_view name,
                               std::uint32_t mode) {
    const auto bytes = plainName(name);
    if (!bytes || folder.descriptor() < 0) {
        setstate(std::ios_base::badbit);
        return false;
    }
    if (!m_buffer->openNew(folder.descriptor(), *bytes, folder.entryPath(name),
                           static_cast<mode_t>(mode & 07777))) {
        setstate(std::ios_base::badbit);
        return false;
    }
    clear();
    return true;
}

bool OutputFileStream::isOpen() const {
    return m_buffer->isOpen();
}

std::optional<FileIdentity> OutputFileStream::identity() const {
    return m_buffer->identity();
}

bool OutputFileStream::restart() {
    if (!m_buffer->restart()) {
        setstate(std::ios_base::badbit);
        return false;
    }
    clear();
    return true;
}

bool OutputFileStream::close() {
    if (m_buffer->close() && good())
        return true;
    setstate(std::ios_base::badbit);
    return false;
}

int OutputFileStream::error() const {
    return m_buffer->error();
}

void setFileOperationHook(FileOperationHook hook) {
    if (!hook) {
        setFileOperationFault({});
        return;
    }
    setFileOperationFault([hook = std::move(hook)](std::uint64_t number, FileOperation operation) {
        return hook(number, operation) ? 0 : EIO;
    });
}

void setFileOperationFault(FileOperationFault fault) {
    fileOperationFault() = std::move(fault);
    fileOperationCount = 0;
}

const FileOperationPaths& currentFileOperationPaths() {
    return fileOperationPaths;
}

void setFolderLockWaitLimit(std::optional<std::chrono::milliseconds> limit) {
    folderLockWaitLimit = limit;
}

void setSyncsSkipped(bool skipped) {
    syncsSkipped = skipped;
}

void setFileSystemRefusals(FileSystemRefusals refusals) {
    fileSystemRefusals = refusals;
}

} // namespace platform
