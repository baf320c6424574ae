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
// Files. Every file of the change is staged: it is made new under a temporary name ("~zep" 16
// hex digits ".tmp") in the held folder of its final name, never over anything and never through
// a link, and renamed into place at the commit. The plug-in writes its own files through the
// stream Stage gives; a file the host's export command writes (a PDF, an EPS page) is expected:
// the host is handed the path of its temporary (HostFile) and writes there, and the change
// records the file the host left there once the host has returned, before it takes its name. So
// every final name changes only by the change's own rename, through the folder it holds, of a
// file whose identity the journal holds; a folder swapped for a link while the host writes gets
// at most a new file under a temporary's name there. What stands under a final name is kept
// under a temporary name, as a second link to the same file or, where the system refuses that
// link (another user's file), by renaming the file itself aside once the journal lists it; a
// failure puts it back in one step.
//
// States: not begun; held (folders held, dead journals resolved); journaled (each folder's
// journal lists its files: the host and the stream may write the staged files); in place (every
// new file under its name, the journals still there); committed (every journal but the primary
// marked committed, then the primary gone: the change stands; the other journals and the kept
// files go and the folders are swept); failed (a step threw: only the rollback is left); rolled
// back. The steps, and the states each may be taken in (any other throws std::logic_error and
// changes nothing):
//     step                legal in                                  then
//     Begin               not begun                                 held
//     WatchFolder         not begun, held, journaled                as it was
//     Expect, Stage       not begun, held, journaled, in place      journaled
//     HostFile            journaled, in place                       as it was
//     PlaceNewFiles       held, journaled                           as it was
//     PutInPlace          held, journaled, in place                 in place
//     Commit              held, journaled, in place                 committed
//     (a step throws)                                               failed
//     (destruction)       any but committed and rolled back         rolled back
// Expect or Stage on a change not begun begins it at the file's folder, with no other.
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
    // passed over) are checked, opened, held and the dead journals in them resolved
    // (Plugin/ZEPExportRecovery.h). A folder of `folders` that does not exist yet is held when the
    // change first writes there. CZEPException 0x52E0A naming the folder: a job folder that does
    // not exist; a folder below the job folder that is a symbolic link or not a folder; a folder
    // that cannot be opened or listed; a folder another change holds for longer than the wait; a
    // dead export's journal that cannot be resolved (naming the file that cannot go back and the
    // system's reason).
    void Begin(const UFileSpecCore& jobFolder, const std::vector<UFileSpecCore>& folders);
    // A folder the change may make: removed again on failure when it was not there before and is
    // empty by then.
    void WatchFolder(const UFileSpecCore& folder);
    // Files the host's export command writes: what stands under each name is kept, a temporary
    // name is chosen for each in its held folder (HostFile), and the journals list them before
    // this returns. A file named twice is expected once. CZEPFileWriteError naming the file when
    // its folder does not exist or it cannot be kept, or the folder when its journal cannot be
    // written.
    void Expect(const std::vector<UFileSpecCore>& files);
    void Expect(const UFileSpecCore& file) { Expect(std::vector<UFileSpecCore>{file}); }
    // The path the host's command is to write the expected `file` to: its temporary in the
    // file's folder. std::logic_error for a file not expected.
    [[nodiscard]] UFileSpecCore HostFile(const UFileSpecCore& file) const;
    // A file to write now: the stream, which the change keeps until it ends, is open on a new file
    // under a temporary name beside `file`, which the commit turns into the final name; what
    // stands there now is kept as by Expect. The caller writes and closes the stream.
    // CZEPFileWriteError naming the folder, with the system's reason, when no new file can be made
    // there.
    [[nodiscard]] platform::OutputFileStream& Stage(const UFileSpecCore& file);
    // The files the host has written by now are recorded in the journals; the staged files the
    // plug-in wrote and closed under names where nothing stood take those names now, each synced
    // first: for files that others must find under their names before the commit (the page-item
    // file names only profiles that exist). The first that cannot be placed throws
    // CZEPFileWriteError naming it.
    void PlaceNewFiles();
    // Every host's file recorded (one the host did not leave, or left as something else than the
    // user's regular file, throws CZEPFileWriteError naming its final name), the new files synced,
    // then each staged file (in staging order) renamed to its final name, the folders synced; the
    // journals stay. A folder moved or replaced since it was held throws, before any rename; the
    // first step that fails throws CZEPFileWriteError naming its file or folder.
    void PutInPlace();
    // PutInPlace, then every journal but the primary marked committed, then the primary goes and
    // its folder is synced: the change stands. Then the other journals go, the kept files and the
    // folders' left temporaries; failing to remove them is no failure of the change.
    void Commit();

private:
    enum class State { kNotBegun, kHeld, kJournaled, kInPlace, kCommitted, kFailed, kRolledBack };
    enum class Step {
        kBegin,
        kWatchFolder,
        kAddFiles,
        kHostFile,
        kPlaceNewFiles,
        kPutInPlace,
        kCommit
    };
    // Marks the change failed when the step it guards throws.
    class StepGuard;

    struct Entry {
        UFileSpecCore file;    // the final name's path
        std::size_t folder;    // in m_folders
        ZEPJournalFile record; // names and ids, as the journal lists them
        std::unique_ptr<platform::OutputFileStream> stream; // of a staged file the plug-in writes
        bool host = false;   // the host's command writes the staged file
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

    // Throws std::logic_error unless the step may be taken in the change's state.
    void Require(Step step) const;
    void BeginAt(const UFileSpecCore& jobFolder, const std::vector<UFileSpecCore>& folders,
                 bool jobFolderMustExist);
    [[nodiscard]] std::size_t HoldFolderOf(const UFileSpecCore& file);
    // The folder's entry, added when new; opened and held (its dead journals resolved) when it
    // exists and is not held yet.
    std::size_t Hold(const UFileSpecCore& folder);
    void Open(Folder& folder);
    void Lock(Folder& folder);
    [[nodiscard]] std::chrono::milliseconds WaitLeft() const;
    [[nodiscard]] ustring JournalLeaf() const;
    [[nodiscard]] std::size_t Primary() const;
    [[nodiscard]] bool HasFiles(std::size_t folder) const;
    // The file's entry in its held folder, what stands under its name kept.
    Entry& Add(const UFileSpecCore& file, std::size_t folder);
    // Keeps what stands under the name of the entry, the last one added. A keep that fails
    // leaves the file where it is, drops the entry from the change and throws.
    void Keep(Entry& entry);
    void WriteJournals();
    void WriteJournal(Folder& folder);
    // Records the identity of each host's file written by now; with `all`, a host's file that is
    // missing or no regular file of the user's throws.
    void RecordHostFiles(bool all);
    void SyncFolders(platform::SyncPurpose purpose);
    void Recover(std::size_t folder);
    void Rollback();
    void RemoveLeftTemporaries() noexcept;

    State m_state = State::kNotBegun;
    bool m_committing = false;     // the journals but the primary are written as committed
    bool m_primaryRemoved = false; // the commit removed the primary journal
    ustring m_exportId;
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<Entry> m_entries;
    std::vector<UFileSpecCore> m_newFolders;
    // The folders the change writes into, the job folder first; held until the commit or the
    // rollback has ended.
    std::vector<Folder> m_folders;
};
