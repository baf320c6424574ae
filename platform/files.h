// Files and folders for the system: the POSIX stand-ins for the Windows file, folder and
// special-folder calls. Every path is UTF-16 text with Windows rules; see toPosixPath. The seams
// that tests and benchmarks set on these calls are in platform/fileseams.h.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Attribute bits, with the values the system tests.
constexpr std::uint32_t kAttributeReadOnly = 0x1;
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeNormal = 0x80;
constexpr std::uint32_t kAttributeReparsePoint = 0x400; // a symbolic link (the link itself)

// The system error number for "the name already exists".
extern const int kErrorAlreadyExists;

// The POSIX path that a system path names, or nothing when it names nothing. The POSIX file
// system is drive Z: ("Z:/tmp/x" is "/tmp/x"); another drive letter X is the folder in the
// environment variable ZEP_DRIVE_X and names nothing while that is unset or holds a '\' or a
// name ".." (see toSystemPath). A leading "\\?\" is dropped and every '\' becomes '/'. Below a
// drive, "." and ".." are resolved first, as Windows does, and never climb above the drive's root
// ("J:/../x" is "J:/x"); doubled separators count as one. Texts without a drive ("/a", "a") pass
// unchanged.
// Names nothing: the empty text, a text holding NUL or an unpaired surrogate, UNC names
// ("//server/share", "\\?\UNC\..."), and a path one of whose names Windows would not make
// (see pathRefusal), so no layer can read or write a file under a name that a Windows system
// could not have.
[[nodiscard]] std::optional<std::string> toPosixPath(const std::u16string& path);

// Why a path names nothing, for a message to the user before anything is written: a text that
// shows the path and names the rule it breaks; nothing when toPosixPath maps it. The rules for
// each name of the path (after "." and ".." are resolved): no control character (U+0001 to
// U+001F), none of < > : " | ? *, no trailing dot or space, and no device name (CON, PRN, AUX,
// NUL, COM0 to COM9, LPT0 to LPT9, COM and LPT with a superscript 1, 2 or 3; in any case, with
// any extension: "nul.txt" is the device). For example:
//     the path "J:/con.pdf" names no file: the name "con.pdf" is a Windows device name
[[nodiscard]] std::optional<std::string> pathRefusal(const std::u16string& path);
// The same for a path kept as UTF-8 text (a UFileSpecCore's text, a job's output name). A text
// that is not whole UTF-8 is refused here, where its bytes are still at hand: once converted
// with a conversion that stops at the first bad sequence it would name another file ("J:/a" for
// "J:/a\xFF\xFEb.pdf").
[[nodiscard]] std::optional<std::string> pathRefusal(std::string_view utf8Path);

// The drive form of an absolute POSIX path: "/tmp/x" gives "Z:/tmp/x". Nothing when it is not
// UTF-8, is relative, or holds a '\' or a name "..": the drive form reads '\' as a separator and
// resolves ".." by its text, so a folder "/t/a\.." (or "/t/link/..") would turn into "/t", and
// what is done there would be done to another file. Every name the platform reads from the
// system (current folder, environment, program and library files) goes through it.
[[nodiscard]] std::optional<std::u16string> toSystemPath(const std::string& posixPath);

// Attributes of the entry itself (a symbolic link is not followed: it reports
// kAttributeReparsePoint, with kAttributeDirectory when it leads to a folder); nothing when
// the entry cannot be read.
[[nodiscard]] std::optional<std::uint32_t> fileAttributes(const std::u16string& path);

// Sets the read-only bit as given (only that bit has a meaning here); a link is left alone.
[[nodiscard]] bool setFileAttributes(const std::u16string& path, std::uint32_t attributes);

// Creation and last-write times in seconds since 1970-01-01 UTC; the creation time is the
// last-write time where the file system keeps none.
struct FileTimes {
    std::int64_t creation;
    std::int64_t modification;
};
[[nodiscard]] std::optional<FileTimes> fileTimes(const std::u16string& path);

// Sets the last-write time of an existing entry; false when it cannot be set.
[[nodiscard]] bool setModificationTime(const std::u16string& path, std::int64_t seconds);

// The size in bytes of a file (0 for a folder); nothing when it cannot be read.
[[nodiscard]] std::optional<std::uint64_t> fileSize(const std::u16string& path);

// Creates one folder (no parents). 0 on success, else the system error number (ENOENT for a
// path that names no file).
[[nodiscard]] int createDirectory(const std::u16string& path);

// Deletes a file or a symbolic link (never a folder); false on failure.
[[nodiscard]] bool deleteFile(const std::u16string& path);

// Removes an empty folder (never a link); false on failure.
[[nodiscard]] bool removeDirectory(const std::u16string& path);

// Copies a file to a target that must not exist yet, keeping its permissions and last-write
// time; a symbolic link is copied as a link to the same place. False on failure, and then no
// target is left behind.
[[nodiscard]] bool copyFile(const std::u16string& source, const std::u16string& target);

// Moves a file or a folder to a target that must not exist yet (a target that is the source
// itself under another spelling is allowed); a file also moves across devices. On a file system
// that takes no rename flags it goes as HeldFolder::renameNew does. False on failure.
[[nodiscard]] bool moveFile(const std::u16string& source, const std::u16string& target);

// Renames `source` to `target` in one step, replacing the file that stands there: at every
// moment `target` names either the old file or the new one. False on failure.
[[nodiscard]] bool replaceFile(const std::u16string& source, const std::u16string& target);
// The same, with `error` the system error number of a failed rename (0 when it succeeded, or
// when a path names no file: pathRefusal tells why).
[[nodiscard]] bool replaceFile(const std::u16string& source, const std::u16string& target,
                               int& error);

// Gives the file `existing` the second name `link` (a hard link), which must not exist yet.
// False on failure.
[[nodiscard]] bool linkFile(const std::u16string& existing, const std::u16string& link);
// The same, with `error` as for replaceFile.
[[nodiscard]] bool linkFile(const std::u16string& existing, const std::u16string& link, int& error);

// A name beside `path` (in its folder) for a temporary file of the system's own: "~zep", 16
// random hexadecimal digits and ".tmp". Nothing of that name exists at the time of the call.
std::u16string temporarySibling(const std::u16string& path);

// Whether a new file can be made in the folder of `path`: a temporary of that folder
// (temporarySibling) is made and removed again at once. Making it is a counted operation
// (FileOperation::Open), which the hook may fail.
// `error`: the system error number when it cannot (0 when it can, or when the path names no file:
// pathRefusal tells why).
[[nodiscard]] bool canCreateBeside(const std::u16string& path, int& error);

// True when `name` (a leaf name) is one temporarySibling makes: "~zep", 16 upper-case
// hexadecimal digits and ".tmp", nothing more or less.
bool isTemporaryName(std::u16string_view name);

// Why a sync runs: to publish a change (the file-operation hook may fail it), to undo a failed one
// (the hook is told of it but cannot fail it, as FileOperation::Restore), or to tidy up after a
// change stood (no counted operation: the hook is not asked, as for deleting).
enum class SyncPurpose { kPublish, kUndo, kTidy };

// Syncs the file's data and size to the disk (fsync); a symbolic link as its name is not
// followed. A counted operation (FileOperation::Sync). False when it fails.
[[nodiscard]] bool syncFile(const std::u16string& path,
                            SyncPurpose purpose = SyncPurpose::kPublish);

// The identity of a file or folder, its device and inode numbers: two names with one identity
// name one file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What stands under a name, the name itself: a symbolic link is not followed.
struct EntryStatus {
    enum class Kind { kFile, kLink, kFolder, kOther };
    Kind kind = Kind::kOther;
    FileIdentity identity;
    std::uint32_t owner = 0; // the id of the user who owns it
};

// The id of the user the process acts as (its effective user).
[[nodiscard]] std::uint32_t effectiveUser();

// A folder held open for a change of the system's files in it, and the one way that change
// reaches the folder's entries: each operation names an entry of this folder by its plain name
// and goes through the folder as it was opened, never through a symbolic link, so a folder moved
// or replaced by a link after it was opened changes nothing elsewhere.
//
// Holding. A change holds each folder it writes into exclusively (lockExclusive), from before
// its first write there until it has committed or rolled back, so that one change at a time
// writes into a folder. The lock is a flock on the open folder and goes with the process, however
// the process ends, so a killed change holds none. Two HeldFolder objects are two holders, also in
// one process and one thread.
//
// Plain names: not empty, no '/' or '\', not "." or "..", no NUL; an operation on another name
// fails (EINVAL), as one does while no folder is open (EBADF). Each error number is the one of
// the call that failed, taken at once. The file-operation hook (platform/fileseams.h) is told
// each entry's system path (the folder's path as given, '/' and the name).
class HeldFolder {
public:
    enum class Result {
        kLocked,   // held exclusively
        kBusy,     // others held it for the whole wait: nothing is held
        kNoLocks,  // the folder is open, but its file system has no locks
        kNotOpened // the folder cannot be opened (missing, not a folder, a link not followed)
    };

    HeldFolder() = default;
    ~HeldFolder() { unlock(); }
    HeldFolder(HeldFolder&& other) noexcept;
    HeldFolder& operator=(HeldFolder&& other) noexcept;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    // Opens the folder `folder` (a system path), not yet locked: 0, or the system error number
    // (ENOENT: missing; ELOOP: a symbolic link, with `followLink` false; ENOTDIR: not a folder).
    // What was held before is let go first.
    [[nodiscard]] int open(const std::u16string& folder, bool followLink);
    // Opens the folder that `names` lead to from the open folder `base`, one name at a time,
    // never following a symbolic link (each a plain name). 0, or the system error number of the
    // first name that does not lead to a folder, with `reached` the number of names before it;
    // `folder` is the folder's system path, for messages and the hook.
    [[nodiscard]] int openBelow(const HeldFolder& base, const std::vector<std::u16string>& names,
                                const std::u16string& folder, std::size_t& reached);
    // Locks the open folder exclusively, waiting at most `wait` (or the test limit of
    // setFolderLockWaitLimit, when that is shorter) while others hold it. kBusy lets it go;
    // kNotOpened when nothing is open.
    [[nodiscard]] Result lock(std::chrono::milliseconds wait);
    // open, then lock.
    [[nodiscard]] Result lockExclusive(const std::u16string& folder, std::chrono::milliseconds wait,
                                       bool followLink);
    void unlock();
    [[nodiscard]] bool locked() const { return m_locked; }
    // Locked, or open on a file system without locks.
    [[nodiscard]] bool isOpen() const { return m_descriptor >= 0; }
    // The folder's system path, as given when it was opened.
    [[nodiscard]] const std::u16string& path() const { return m_folder; }
    // The identity of the open folder; nothing when none is open.
    [[nodiscard]] std::optional<FileIdentity> identity() const;
    // Whether that path still names the folder held: false once it was moved away or replaced
    // (by a link to another, say) since it was opened.
    [[nodiscard]] bool stillAtItsPath() const;

    // What stands under the name; nothing when nothing does or it cannot be read.
    [[nodiscard]] std::optional<EntryStatus> status(std::u16string_view name) const;
    // Renames the entry `from` to `to` in one step, replacing what stands there (a counted
    // Rename): 0, or the system error number.
    [[nodiscard]] int rename(std::u16string_view from, std::u16string_view to) const;
    // Renames the entry `from` to `to` where nothing may stand under `to` (one counted Rename,
    // asked for before the first system call): 0, or the system error number (EEXIST when
    // something stands under `to`, ENOENT when nothing stands under `from`). It takes the first
    // way the file system allows:
    // - renameat2 with RENAME_NOREPLACE: one step, nothing under `to` is ever replaced;
    // - where the file system takes no rename flags (EINVAL, ENOSYS: FUSE, network file systems),
    //   a hard link `to` and then the removal of `from`: the link never replaces anything either,
    //   but a process killed between the two leaves both names on the one file, and when the
    //   removal fails its error number is returned with both names holding the file;
    // - where hard links are refused too (EPERM, EOPNOTSUPP, ENOSYS, EMLINK, EXDEV; a folder is
    //   never linked), a check that nothing stands under `to` and then a plain rename: nothing
    //   protects the name against another user writing into the folder between the check and the
    //   rename, so this is safe only because the folder is held and no other change writes there.
    [[nodiscard]] int renameNew(std::u16string_view from, std::u16string_view to) const;
    // Puts the file `kept` back under the name `target` in one step, as rename does, to undo a
    // failed change: the hook is told of it (FileOperation::Restore) but cannot fail it. 0, or
    // the system error number.
    [[nodiscard]] int restore(std::u16string_view kept, std::u16string_view target) const;
    // Gives the entry `existing` (a link itself, not what it names) the second name `name`,
    // which must be free (a counted Link): 0, or the system error number (EPERM where the
    // system protects another user's file from being linked).
    [[nodiscard]] int link(std::u16string_view existing, std::u16string_view name) const;
    // Deletes the file or link under the name (never a folder); not a counted operation. 0, or
    // the system error number (ENOENT when nothing stands there).
    [[nodiscard]] int remove(std::u16string_view name) const;
    // Syncs the file's data to the disk, a link not followed (a counted Sync). 0, or the system
    // error number.
    [[nodiscard]] int syncFile(std::u16string_view name,
                               SyncPurpose purpose = SyncPurpose::kPublish) const;
    // Syncs the folder's entries to the disk (a counted SyncFolder). 0, or the system error
    // number.
    [[nodiscard]] int sync(SyncPurpose purpose = SyncPurpose::kPublish) const;
    // The folder's entries as listDirectory gives them. Nothing when the folder cannot be opened
    // for listing or a read error ends the listing (a listing cut short is no listing). `*error`,
    // when given: the system error number of the failure, else 0.
    [[nodiscard]] std::optional<std::vector<std::u16string>> names(int* error = nullptr) const;

    // Removes from the folder the temporaries of the system's own naming (isTemporaryName) that
    // changes no longer running left: files and links owned by the effective user, never a
    // folder, never what a link names, never one named in `keep`; only while the folder is
    // locked, when no other change can be running there. Deleting is no counted operation. The
    // number of files removed.
    std::size_t removeLeftTemporaries(const std::vector<std::u16string>& keep = {}) const;

    // The open folder's descriptor, for the platform's own calls (OutputFileStream::openNew);
    // -1 when none is open.
    [[nodiscard]] int descriptor() const { return m_descriptor; }
    // The system path of an entry of this folder, for messages and the hook.
    [[nodiscard]] std::u16string entryPath(std::u16string_view name) const;

private:
    int m_descriptor = -1;
    bool m_locked = false;
    std::u16string m_folder; // as given, for messages and the hook
};

// True when `name` is a plain name of an entry (see HeldFolder).
[[nodiscard]] bool isPlainName(std::u16string_view name);

// True when both paths name one and the same entry (links not followed).
bool isSameFile(const std::u16string& first, const std::u16string& second);

// True when both paths name the same place, whether or not something is there: the same leaf in
// the same folder, symbolic links in the folders resolved (a link as the leaf is not followed:
// what is written to its name replaces the link).
bool isSamePlace(const std::u16string& first, const std::u16string& second);

// True when `path` is the folder `folder` or lies below it, symbolic links resolved; `path`
// itself need not exist, its parent must.
bool liesWithin(const std::u16string& path, const std::u16string& folder);

// The path with every symbolic link, "." and ".." resolved, in drive form; nothing when it names
// nothing or when the resolved path has no drive form (see toSystemPath).
std::optional<std::u16string> resolvedPath(const std::u16string& path);

// Where a folder lies, in drive form: the symbolic links, "." and ".." of the part of its path
// that exists resolved, the names below it that do not exist yet appended as they are written
// (without a separator at the end); nothing when the path names nothing. Two paths of one folder
// give one text, so it orders folders and tells whether one lies below another.
[[nodiscard]] std::optional<std::u16string> folderPlace(const std::u16string& path);

// The names that lead from the folder `folder` down to the folder `path` as their paths are
// written, "." and ".." resolved as the mapping does (toPosixPath) and symbolic links not: empty
// when they are one folder; nothing when `path` does not lie below `folder` or either names
// nothing. Each is a plain name (see HeldFolder), to be opened one by one from `folder`, where a
// link on the way is met as a link.
[[nodiscard]] std::optional<std::vector<std::u16string>> namesBelow(const std::u16string& path,
                                                                    const std::u16string& folder);

// The names in a folder (without "." and ".."), sorted by their UTF-16 units; names that are
// not UTF-8, and names holding a '\' (which the system reads as a separator: "..\x" joined to
// the folder would name its parent's "x"), are left out. Nothing when the folder cannot be read,
// a read error ending the listing included; a symbolic link is not followed, so a link lists
// nothing.
[[nodiscard]] std::optional<std::vector<std::u16string>> listDirectory(const std::u16string& path);

// The names of a folder as listDirectory gives them, and whether it left a name out.
struct DirectoryListing {
    std::vector<std::u16string> names;
    bool namesLeftOut = false; // a name not UTF-8 or holding '\', or a read error ended it
};
// listDirectory that also tells what it left out, for a caller that must know that it has every
// entry (a copy of the folder). Nothing when the folder cannot be read.
[[nodiscard]] std::optional<DirectoryListing> readDirectory(const std::u16string& path);

// Special folders, in drive form without a trailing separator; nothing when unavailable.
[[nodiscard]] std::optional<std::u16string> documentsFolder();  // $HOME/Documents
[[nodiscard]] std::optional<std::u16string> currentDirectory(); // the process's working folder
[[nodiscard]] std::optional<std::u16string> moduleFileName();   // the running program
[[nodiscard]] std::optional<std::u16string>
commonAppDataFolder(); // $ZEP_COMMON_APPDATA, /usr/local/share
[[nodiscard]] std::optional<std::u16string>
userAppDataFolder(); // $XDG_DATA_HOME, $HOME/.local/share
[[nodiscard]] std::optional<std::u16string>
colorProfileFolder();                                        // $ZEP_COLOR_DIR, /usr/share/color/icc
[[nodiscard]] std::optional<std::u16string> desktopFolder(); // $HOME/Desktop
[[nodiscard]] std::optional<std::u16string>
recycleBinFolder(); // does not exist here: always nothing

// The temporary folder in drive form with a trailing '/': $TMPDIR, else /tmp/.
[[nodiscard]] std::optional<std::u16string> temporaryPath();

std::uint32_t currentProcessId();

// Opens `stream` on the path with `mode`; on failure the stream's failbit is set.
void openStream(std::fstream& stream, const std::u16string& path, std::ios_base::openmode mode);
void openStream(std::ifstream& stream, const std::u16string& path, std::ios_base::openmode mode);
void openStream(std::ofstream& stream, const std::u16string& path, std::ios_base::openmode mode);

// fopen on the path with a UTF-16 mode text; null on failure.
[[nodiscard]] std::FILE* openFile(const std::u16string& path, const std::u16string& mode);

// Opens (creating it when missing) a read-write file, owner read and write only, that is
// deleted when closed: its name is taken away at once. The descriptor, or -1 with `error`
// set to the system error number.
[[nodiscard]] int openTemporaryFile(const std::u16string& path, int& error);

// The system's text for an error number.
std::string errorText(int error);

// A file written through a buffer. Opening creates the file, or empties the one that is there;
// the buffer goes out when it is full, before the position moves (seekp) and when the stream is
// flushed; close() flushes and closes. After the first failure the stream is bad and writes
// nothing more.
class OutputFileStream : public std::ostream {
public:
    OutputFileStream();
    // Closes a file still open, reporting nothing.
    ~OutputFileStream() override;
    OutputFileStream(const OutputFileStream&) = delete;
    OutputFileStream& operator=(const OutputFileStream&) = delete;

    [[nodiscard]] bool open(const std::u16string& path);
    // Opens a new file of that name in the held folder: made now, never one that stands there
    // already (EEXIST) and never through a symbolic link (a counted Open). `mode`: the permission
    // bits it is made with, less the process's umask (0600: the owner's alone).
    [[nodiscard]] bool openNew(const HeldFolder& folder, std::u16string_view name,
                               std::uint32_t mode = 0666);
    // Whether a file is open (opened and not closed yet).
    [[nodiscard]] bool isOpen() const;
    // The identity of the open file; nothing when none is open.
    [[nodiscard]] std::optional<FileIdentity> identity() const;
    // Drops what was written and starts the file again empty, at its start (a counted Write):
    // false after a failure.
    [[nodiscard]] bool restart();
    // True only when the file was open, every byte written reached it and it closed.
    [[nodiscard]] bool close();
    // The system error number of the stream's first failure: opening, writing out the buffer,
    // flushing or closing. 0 while none failed, and when the failure had no number: a path that
    // names no file (pathRefusal tells why), or a write before the stream was open.
    [[nodiscard]] int error() const;

private:
    class Buffer;
    std::unique_ptr<Buffer> m_buffer;
};

} // namespace platform
