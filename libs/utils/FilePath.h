// File-system paths: `UFileSpecCore`, one UTF-8 text naming a file or a folder, with the
// operations on it, and `UByteBuffer`, the owning byte block of its stored "PATH:" form.
#pragma once

#include "utils/ustring.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iosfwd>
#include <vector>

// An owning block of bytes; empty is a null pointer and size 0. Copies copy the bytes.
class UByteBuffer {
public:
    UByteBuffer() = default;
    UByteBuffer(const UByteBuffer& other);
    UByteBuffer& operator=(const UByteBuffer& other);
    ~UByteBuffer();

    // Frees the old block and copies `n` bytes (n = 0 leaves it empty).
    void assign(const void* bytes, std::uint64_t n);

    const std::uint8_t* data() const { return m_data; }
    std::uint64_t size() const { return m_size; }

private:
    std::uint8_t* m_data = nullptr;
    std::uint64_t m_size = 0;
};

// Selects a special folder; an id above kTemporaryFolder selects the empty path.
enum SpecialFolderId : std::uint32_t {
    kDocumentsFolder = 0,          // the user's documents
    kCurrentFolder = 1,            // the process's current directory
    kProgramFile = 2,              // the running program
    kProgramFolder = 3,            // the folder of the running program
    kCommonAppDataFolder = 4,      // application data shared by all users
    kUserAppDataFolder = 5,        // the user's application data
    kColourProfileFolder = 6,      // the system's colour profiles
    kDesktopFolder = 7,            // the user's desktop
    kCommonAppDataFolderAlias = 8, // the same folder as kCommonAppDataFolder
    kDocumentsFolderAlias = 9,     // the same folder as kDocumentsFolder
    kTemporaryFolder = 10,         // the per-process temporary folder
};

// A path: '/' is the separator written, '\' is accepted wherever one is tested. "C:/a" and
// "//server/share" are absolute, "/abc" is not. Paths made by `set` have no trailing separator
// unless 3 characters or shorter ("C:/"). Failures return false, 0, -1 or an empty result; only
// copy, move, mkdir and open_temporary also log.
class UFileSpecCore {
public:
    UFileSpecCore() = default;
    explicit UFileSpecCore(const ustring& text) : m_path(text) {} // unchanged, no checks
    // The next three leave the empty path when they fail; callers test it with is_valid.
    UFileSpecCore(const ustring& text, const UFileSpecCore* base) {
        static_cast<void>(set(text, base));
    }
    explicit UFileSpecCore(SpecialFolderId id) { static_cast<void>(set_special_folder(id)); }
    UFileSpecCore(const UByteBuffer& block, const UFileSpecCore* base) {
        static_cast<void>(from_blob(block, base));
    }

    bool assign(const ustring& text); // unchanged; true
    bool clear();                     // the empty path; true

    // Byte-equal texts (case-sensitive, no normalisation).
    bool operator==(const UFileSpecCore& other) const { return m_path == other.m_path; }

    // An absolute text is taken (trailing separators dropped down to 3 characters); a relative
    // one descends from `base`. False, with the path left empty, for a relative text without
    // base, a text holding '?' or NUL, or an absolute text with no separator left.
    [[nodiscard]] bool set(const ustring& text, const UFileSpecCore* base);
    // Appends the '/'-separated components of a relative text; "." is skipped, ".." goes up.
    // False, with the path left empty, for an absolute text, '?' or NUL, ".." above the root, or
    // a path longer than ustring::kMaxGrownLength.
    [[nodiscard]] bool descend(const ustring& relative);
    // Cuts the leaf; false (unchanged) for 3 characters or fewer.
    [[nodiscard]] bool to_parent();
    [[nodiscard]] bool set_special_folder(SpecialFolderId id);

    bool is_absolute() const;
    bool is_valid() const { return m_path.size() >= 3; }

    ustring path() const { return m_path; }
    // The leaf, without its last ".suffix" when `withExtension` is false; empty up to 3 chars.
    ustring name(bool withExtension = true) const;
    // The text after the leaf's last '.'; empty when the leaf has none.
    ustring extension() const;
    // The UTF-16 form handed to the system: above 248 units with '\' and the "\\?\" prefix.
    // Empty, which names no file, when the text is not whole UTF-8 or holds a NUL: every
    // operation then fails instead of reaching the file that a cut name would name.
    std::u16string wide_path() const;

    bool exists() const;
    bool is_file() const;
    bool is_directory() const;               // also a link to a folder
    bool is_empty() const;                   // no entry listed (also when it cannot be read)
    std::uint64_t creation_time() const;     // seconds since 1970-01-01 UTC; 0 when unknown
    std::uint64_t modification_time() const; // seconds since 1970-01-01 UTC; 0 when unknown
    // Sets the last-write time of an existing file; false when it is no file or cannot be set.
    [[nodiscard]] bool set_modification_time(std::uint64_t seconds) const;
    std::uint64_t size() const; // 0 for a folder or when it cannot be read

    // Creates this one folder; an existing name is success. Else WARN and false.
    [[nodiscard]] bool mkdir() const;
    // The same, with `error` the system error number that creating the folder gave (0 when it
    // was made; platform::kErrorAlreadyExists, with true, when the name was there).
    [[nodiscard]] bool mkdir(int& error) const;
    // Removes the entry and everything below it (read-only entries too); a link is removed
    // itself, never what it leads to.
    [[nodiscard]] bool remove() const;
    // Copies this file or folder tree to `destination` (into it when it is a folder) when the
    // target does not exist yet; links are copied as links. Refusals, and a target folder that
    // cannot be made, log at WARN. A folder that cannot be listed, or that holds an entry which
    // list leaves out, is not copied: false, with nothing made for it.
    [[nodiscard]] bool copy(const UFileSpecCore& destination) const;
    // Moves this entry to `destination`, which must not exist. Refusals log at WARN.
    [[nodiscard]] bool move(const UFileSpecCore& destination) const;
    // Moves this entry to `newName` in its folder, replacing what stood there; this object keeps
    // the old text.
    [[nodiscard]] bool rename(const ustring& newName) const;
    // Replaces the leaf's extension (an empty one removes it with its '.'). False, unchanged,
    // for 3 characters or fewer; false, with the path left empty, when the new leaf does not
    // descend.
    [[nodiscard]] bool set_extension(const ustring& extension);
    // Moves the entry into the recycle bin; there is none here, so false.
    [[nodiscard]] bool recycle() const;
    // The folder's entries, sorted by the platform; empty when unreadable. An entry whose name
    // no path can hold (no UTF-8, a '\' that would read as a separator, or a '?' that `set`
    // refuses) is left out.
    std::vector<UFileSpecCore> list() const;

    // Open the stream on this path (the in or out bit added to `mode` for the input or output
    // stream); failbit on failure, a cleared state on success.
    std::fstream& open_fstream(std::fstream& stream, std::ios_base::openmode mode) const;
    std::ifstream& open_ifstream(std::ifstream& stream, std::ios_base::openmode mode) const;
    std::ofstream& open_ofstream(std::ofstream& stream, std::ios_base::openmode mode) const;
    [[nodiscard]] std::FILE* fopen(const ustring& mode) const; // null on failure
    // A read-write descriptor on a file that goes away when closed; -1 and an ERROR record on
    // failure.
    [[nodiscard]] int open_temporary() const;

    // In this folder, the first free name stem + counter (+ "." + extension): the path holds it,
    // the file is not created. False when this is not a folder or the name does not descend.
    [[nodiscard]] bool unique_name(const ustring& stem, const ustring& extension);
    // The per-process temporary folder ("ze" and the process id in the system's temporary
    // folder), made on first use and removed at exit or on a fatal signal.
    [[nodiscard]] static bool temporary_folder(UFileSpecCore& out);

    // The "PATH:" block: the text relative to `base` ("../" to go up) or whole without one, or
    // when it shares no leading component with `base` (another drive); then one NUL.
    [[nodiscard]] bool to_blob(UByteBuffer& block, const UFileSpecCore* base) const;
    // Reads a "PATH:" block, relative to `base` when it descends from it, else absolute.
    [[nodiscard]] bool from_blob(const UByteBuffer& block, const UFileSpecCore* base);

    // Test seam: forgets the temporary folder and restarts the unique-name counter.
    static void reset_process_state();

private:
    static void remove_temporary_folder(bool normalExit);

    ustring m_path;
};

// Writes the path text.
std::ostream& operator<<(std::ostream& out, const UFileSpecCore& path);
// Reads one word and applies `set` with no base; a text that `set` refuses sets failbit.
std::istream& operator>>(std::istream& in, UFileSpecCore& path);
