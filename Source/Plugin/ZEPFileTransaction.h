// The files of one export as one change of the file system: when it fails, the folders it
// touched are as they were (the files that stood there under their names with their bytes,
// nothing new left); when it succeeds, they hold all the new files, on the disk before the change
// reports success. After a kill or a power cut at any moment, the names hold the old files or
// the new ones; where some new files stand beside old ones, the journal the change left makes
// the next change into the job folder undo them first.
//
// Files. A file the plug-in writes itself is staged: written under a temporary name beside its
// final one ("~zep" 16 hex digits ".tmp") and renamed into place at the commit. A file the host
// writes under its final name (an export command's output, which the host writes beside it and
// renames over it) is expected: what stands there is kept under a temporary name, a second link
// to the same bytes, and put back on failure by renaming the kept link over the name in one step,
// which a disk that refuses new data still allows.
//
// Holding the folders. Begin holds every folder the change writes into (the job folder, its
// "PlacedImages", the output's folder, the page-item file's folder) exclusively
// (platform::FolderLock) from before the first write until its commit or rollback has ended: one
// change at a time per folder, whichever process or thread runs the other. Lock order: Begin
// takes the locks in the order of the folders' resolved paths, so that two changes sharing
// folders never wait for each other in a circle; a folder met later (a "PlacedImages" made on the
// way, a folder a dead change's journal names) is taken when met. All the waits of one change
// last kExportFolderWait together; then the change fails with one alert naming the folder that
// another export is writing into, having written nothing. Before anything is held, each folder
// below the job folder that the change writes into must be a real folder where it exists: a
// symbolic link, or anything that is not a folder, ends the change with one alert naming it.
//
// The journal. Before a final name can change, the change writes its journal: kJournalName in
// the job folder, written beside it, synced and renamed over it, with the job folder and the
// folders of the kept links synced. It holds its state ("undo", the only one written), the
// folders by their resolved paths, and per file its folder, its final name, its kept link (empty
// when nothing stood there) and its staged name (empty for an expected file). The first Expect
// writes it, before the host can write under a final name; a later Expect or Stage writes it
// again with the new file; PlaceNewFiles, PutInPlace and Commit write it when none is there.
// While it lies on the disk, the change has not happened: at every moment the files it lists can
// be undone, the kept links being on the disk since the journal was.
// The commit, in order: each staged file and each of the host's outputs synced; the staged files
// renamed in staging order; each folder that changed synced (the renames, the host's included,
// on the disk); the journal removed and the job folder synced. The change stands, and Commit
// reports success, only then: the kept links go, and the left temporaries are swept. So a kill
// or a power cut at any moment leaves the old files, recoverable from the journal, or the new
// ones, each synced, with no journal. A rollback puts back what stood under each name, syncs the
// folders, and removes the journal last (writing it again first, should the commit have removed
// it already).
//
// Recovery. Begin, under the holds and before anything else, resolves a journal it finds in the
// job folder: a change that left one there died (it held the folder) before it stood, so its
// files are undone: each staged file goes, each kept link is renamed back over its name, and a
// name where nothing stood loses what stands there. The undoing can be repeated when it is cut
// short; the folders are synced and the journal goes last. A journal is acted on only when it
// reads whole (its header, state, counts and names: a final name a plain leaf, a kept or staged
// name a temporary's) and each folder it names is held by this change or is a real folder below
// the job folder, which is then held too (a folder below the one the journal lies in counts as
// below this job folder, also when that was moved since). Otherwise it is set aside, renamed to
// kJournalName, a dot and 16 hex digits, with an ERROR record and never trusted; while one lies
// in the job folder, no change into it sweeps anything.
//
// The sweep. After its commit the change removes the temporaries that dead changes left from the
// folders it holds in its job folder (the job folder and below): under its exclusive hold, after
// any journal there was resolved, no change is running there and none needs them. Folders
// outside the job folder are not swept: a journal naming their temporaries lies elsewhere.
#pragma once

#include "platform/files.h"
#include "utils/FilePath.h"

#include <chrono>
#include <cstddef>
#include <utility>
#include <vector>

// How long a change waits in all for other changes to let go of its folders.
inline constexpr std::chrono::seconds kExportFolderWait{30};
// The journal's name in the job folder.
inline constexpr const char* kJournalName = "~zep-export.journal";

class ZEPFileTransaction {
public:
    ZEPFileTransaction() = default;
    // Rolls the change back unless it was committed and lets the folders go; never throws.
    ~ZEPFileTransaction();
    ZEPFileTransaction(const ZEPFileTransaction&) = delete;
    ZEPFileTransaction& operator=(const ZEPFileTransaction&) = delete;

    // Begins the change: `jobFolder` (which holds the journal) and `folders` (the others it may
    // write into; invalid paths are passed over) are checked, held and a dead change's journal
    // resolved (above). CZEPException 0x52E0A naming the folder: a folder below the job folder
    // that is a symbolic link or not a folder; a folder that another change holds for longer than
    // the wait; a dead change's rename that cannot be made, or folders that cannot be synced
    // after it. A change not begun begins at its first file, with that file's folder as its job
    // folder and no other.
    void Begin(const UFileSpecCore& jobFolder, const std::vector<UFileSpecCore>& folders);
    // A folder the change may make: removed again on failure when it was not there before and is
    // empty by then.
    void WatchFolder(const UFileSpecCore& folder);
    // Files written under their final names by someone else. What stands under each is kept,
    // and the journal lists them before this returns. When a file cannot be kept or the journal
    // cannot be written, CZEPFileWriteError naming it.
    void Expect(const std::vector<UFileSpecCore>& files);
    void Expect(const UFileSpecCore& file) { Expect(std::vector<UFileSpecCore>{file}); }
    // A file to write now under the temporary name returned, which the commit turns into the
    // final name; what stands there now is kept as by Expect.
    [[nodiscard]] UFileSpecCore Stage(const UFileSpecCore& file);
    // The staged files written so far under names where nothing stood take those names now,
    // each synced first: for files that others must find under their names before the commit
    // (the page-item file names only profiles that exist). The journal lists them, so that a
    // failure, or the next change after a dead one, removes them again. The first that cannot
    // be placed throws CZEPFileWriteError naming its final name.
    void PlaceNewFiles();
    // The new files synced, the staged files (in staging order) under their final names, the
    // folders synced; the journal stays. The first step that fails throws CZEPFileWriteError
    // naming its file or folder.
    void PutInPlace();
    // PutInPlace, then the journal goes and the job folder is synced: the change stands. Then the
    // kept files go and the folders' left temporaries (see above); failing to remove them is no
    // failure of the change.
    void Commit();

private:
    struct Entry {
        UFileSpecCore file;
        std::size_t folder;   // in m_folders
        UFileSpecCore kept;   // the link to what stood there; empty when nothing did
        UFileSpecCore staged; // the temporary name of a staged file; empty for an expected one
        bool placed = false;  // the staged file was renamed into place
    };
    struct Folder {
        Folder(UFileSpecCore path_, ustring place_, bool inJob_)
            : path(std::move(path_)), place(std::move(place_)), inJob(inJob_) {}

        UFileSpecCore path; // as the job names it
        ustring place;      // resolved, in drive form; mapped only when it does not exist
        bool inJob = false; // the job folder or a folder below it
        bool changed = false;
        platform::FolderLock lock; // not open where the folder is missing
    };
    struct DeadEntry;
    struct DeadJournal;

    [[nodiscard]] std::size_t HoldFolderOf(const UFileSpecCore& file);
    // The folder's entry, added when new; held when it exists and is not held yet.
    std::size_t Hold(const UFileSpecCore& folder);
    void Lock(Folder& folder);
    [[nodiscard]] std::chrono::milliseconds WaitLeft() const;
    [[nodiscard]] UFileSpecCore Journal() const;
    void Keep(Entry& entry);
    void WriteJournal();
    void SyncFolders(bool changedOnly, platform::SyncPurpose purpose);
    void Recover();
    [[nodiscard]] bool Trust(const DeadJournal& journal, std::vector<std::size_t>& folders);
    void SetAside(const UFileSpecCore& journal, const char* why);
    void Rollback();
    void RemoveLeftTemporaries() noexcept;

    bool m_begun = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<Entry> m_entries;
    std::vector<UFileSpecCore> m_newFolders;
    // The folders the change writes into, the job folder first; their locks are held until the
    // commit or the rollback has ended.
    std::vector<Folder> m_folders;
    bool m_journaled = false; // this change wrote its journal
    bool m_inPlace = false;   // PutInPlace ran, and nothing was staged or expected since
    bool m_sweep = true;      // no set-aside journal lies in the job folder
    bool m_committed = false;
};
