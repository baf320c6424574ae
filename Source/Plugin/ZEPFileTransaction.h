// The files of one export as one change of the file system: when it fails, the folders it
// touched are as they were (the files that stood there under their names with their bytes,
// nothing new left); when it succeeds, they hold all the new files, on the disk before the change
// reports success. After a kill or a power cut at any moment, the names hold the old files or
// the new ones; where some new files stand beside old ones, the journals the change left make the
// next change that holds one of its folders resolve them first (Plugin/ZEPExportJournal.h gives
// the journals' format and the rules by which they are acted on).
//
// Folders. Every file operation of the change goes through the folder it checked and holds
// (platform::HeldFolder): the job folder and the folders outside it are opened by their paths;
// a folder below the job folder is opened from the job folder one name at a time, never through a
// symbolic link, so a link or a file in its place ends the change with one alert naming it, and a
// folder swapped for a link after that changes nothing elsewhere (the change then fails before a
// new file takes its name). Each folder is held exclusively from before the first write there
// until the commit or rollback has ended: one change at a time per folder, whichever process or
// thread runs the other. Begin takes the locks in the order of the folders' places, so that two
// changes never wait for each other in a circle; a folder met later is taken when met. All the
// waits of one change last kExportFolderWait together; then one alert names the folder another
// export is writing into, having written nothing. A folder that exists but cannot be opened ends
// the change before it writes anything.
//
// Files. A file the plug-in writes itself is staged: made new (never over anything, never through
// a link) under a temporary name beside its final one ("~zep" 16 hex digits ".tmp") and renamed
// into place at the commit. A file the host writes under its final name (an export command's
// output, which the host writes beside it and renames over it) is expected. What stands under
// either name is kept under a temporary name, as a second link to the same file or, where the
// system refuses that link (another user's file), by renaming the file itself aside once the
// journal lists it; a failure puts it back in one step.
//
// States, in order: not begun; held (folders held, dead journals resolved; files may be staged
// and kept); journaled (each folder's journal lists its files: final names may change); in place
// (every new file under its name, the journals still there); committed (the journals gone: the
// change stands; the kept files go and the folders are swept) or rolled back. A file staged or
// expected after PutInPlace takes the change back to journaled; nothing can be staged or expected
// once the change has ended.
#pragma once

#include "Plugin/ZEPExportJournal.h"
#include "platform/files.h"
#include "utils/FilePath.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

// How long a change waits in all for other changes to let go of its folders.
inline constexpr std::chrono::seconds kExportFolderWait{30};

class ZEPFileTransaction {
public:
    ZEPFileTransaction();
    // Rolls the change back unless it was committed and lets the folders go; never throws.
    ~ZEPFileTransaction();
    ZEPFileTransaction(const ZEPFileTransaction&) = delete;
    ZEPFileTransaction& operator=(const ZEPFileTransaction&) = delete;

    // Begins the change: `jobFolder` and `folders` (the others it writes into; invalid paths are
    // passed over) are checked, opened, held and the dead journals in them resolved. A folder
    // that does not exist yet is held when the change first writes there. CZEPException 0x52E0A
    // naming the folder: a folder below the job folder that is a symbolic link or not a folder; a
    // folder that cannot be opened; a folder another change holds for longer than the wait; a
    // dead export's journal that cannot be resolved (naming the file that cannot go back and the
    // system's reason). A change not begun begins at its first file, with that file's folder as
    // its job folder and no other.
    void Begin(const UFileSpecCore& jobFolder, const std::vector<UFileSpecCore>& folders);
    // A folder the change may make: removed again on failure when it was not there before and is
    // empty by then.
    void WatchFolder(const UFileSpecCore& folder);
    // Files written under their final names by someone else. What stands under each is kept,
    // and the journals list them before this returns. CZEPFileWriteError naming the file when
    // it cannot be kept, or the folder when its journal cannot be written.
    void Expect(const std::vector<UFileSpecCore>& files);
    void Expect(const UFileSpecCore& file) { Expect(std::vector<UFileSpecCore>{file}); }
    // A file to write now: the stream, which the change keeps until it ends, is open on a new file
    // under a temporary name beside `file`, which the commit turns into the final name; what
    // stands there now is kept as by Expect. The caller writes and closes the stream.
    // CZEPFileWriteError naming the folder, with the system's reason, when no new file can be made
    // there.
    [[nodiscard]] platform::OutputFileStream& Stage(const UFileSpecCore& file);
    // The staged files written so far under names where nothing stood take those names now,
    // each synced first: for files that others must find under their names before the commit
    // (the page-item file names only profiles that exist). The journals list them, and the files
    // the host has written by now, so that a failure, or the next change after a dead one,
    // removes them again. The first that cannot be placed throws CZEPFileWriteError naming it.
    void PlaceNewFiles();
    // The new files synced, the staged files (in staging order) under their final names, the
    // folders synced; the journals stay. A folder moved or replaced since it was held throws,
    // before any rename; the first step that fails throws CZEPFileWriteError naming its file or
    // folder.
    void PutInPlace();
    // PutInPlace, then the journals go (the primary first) and the folders are synced: the change
    // stands. Then the kept files go and the folders' left temporaries; failing to remove them is
    // no failure of the change.
    void Commit();

private:
    enum class State { kNotBegun, kHeld, kJournaled, kInPlace, kCommitted, kRolledBack };

    struct Entry {
        UFileSpecCore file;    // the final name's path
        std::size_t folder;    // in m_folders
        ZEPJournalFile record; // names and ids, as the journal lists them
        std::unique_ptr<platform::OutputFileStream> stream; // of a staged file
        bool placed = false; // the staged file was renamed into place
    };
    struct Folder {
        Folder(UFileSpecCore path_, ustring place_)
            : path(std::move(path_)), place(std::move(place_)) {}

        UFileSpecCore path;               // as the job names it
        ustring place;                    // where it lies (platform::folderPlace)
        platform::HeldFolder held;        // open and locked once it exists
        bool taken = false;               // locked, or open where the file system has no locks
        std::size_t files = 0;            // the change's files in it
        bool changed = false;             // entries changed since its last sync
        bool journalDirty = false;        // its journal must be written again
        bool journaled = false;           // its journal lies on the disk
        bool sweep = true;                // no set-aside journal of the user's lies there
        std::vector<std::u16string> keep; // temporaries that dead journals left there still name
    };
    // A folder where a journal's place lies: one of the change's, or one held for a moment.
    struct Reached;

    [[nodiscard]] std::size_t HoldFolderOf(const UFileSpecCore& file);
    // The folder's entry, added when new; opened and held (its dead journals resolved) when it
    // exists and is not held yet.
    std::size_t Hold(const UFileSpecCore& folder);
    void Open(Folder& folder);
    void Lock(Folder& folder);
    [[nodiscard]] std::chrono::milliseconds WaitLeft() const;
    [[nodiscard]] ustring JournalLeaf() const;
    [[nodiscard]] ustring NewTemporaryLeaf(const Folder& folder) const;
    [[nodiscard]] std::size_t Primary() const;
    [[nodiscard]] bool HasFiles(std::size_t folder) const;
    // The file's entry in its held folder, what stands under its name kept.
    Entry& Add(const UFileSpecCore& file, std::size_t folder);
    void Keep(Entry& entry);
    void WriteJournals(bool syncFolders);
    void WriteJournal(Folder& folder);
    void RecordMadeFiles();
    void SyncFolders(platform::SyncPurpose purpose);
    void Recover(std::size_t folder);
    void Resolve(std::size_t folder, const std::u16string& name, const ZEPExportJournal& journal);
    // Undoes a dead export from its primary journal `name` in `folder` (one of the change's own
    // when `ours`) and its siblings; true when its journal went, false when it stays for a
    // sibling that cannot be undone now.
    [[nodiscard]] bool UndoExport(const platform::HeldFolder& folder, bool ours,
                                  const std::u16string& name, const ZEPExportJournal& journal);
    [[nodiscard]] Reached Reach(const ustring& place);
    void SetAside(Folder& folder, const std::u16string& name, const char* why);
    void RequireActive() const;
    void Rollback();
    void RemoveLeftTemporaries() noexcept;
    [[noreturn]] static void ThrowCutOff(const platform::HeldFolder& folder,
                                         std::u16string_view journal,
                                         const ZEPUndoFailure& failure);

    State m_state = State::kNotBegun;
    bool m_primaryRemoved = false; // the commit removed the primary journal
    ustring m_exportId;
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<Entry> m_entries;
    std::vector<UFileSpecCore> m_newFolders;
    // The folders the change writes into, the job folder first; held until the commit or the
    // rollback has ended.
    std::vector<Folder> m_folders;
};
