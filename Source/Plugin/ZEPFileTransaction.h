// The files of one export as one change of the file system: when it fails, the folders it
// touched are as they were (the files that stood there under their names with their bytes,
// nothing new left); when it succeeds, they hold the new files.
//
// A file the plug-in writes itself is staged: written under a temporary name beside its final
// one and renamed into place. A file the host writes under its final name (an export command's
// output) is expected: what stands there is kept under a temporary name, a second link to the
// same bytes, and put back on failure by renaming the kept link over the name in one step, which
// a disk that refuses new data still allows. A process killed at any moment, rolling back
// included, leaves under each final name the old file or the new one, never part of one, nor
// none where there was one; temporaries ("~zep*.tmp") may remain.
//
// While it has temporaries in a folder the change holds the folder's lock (platform::FolderLock),
// which tells other processes that it is running. After its commit it removes from each folder it
// wrote into the temporaries that changes no longer running left there (a killed export's), and
// no other file: when another process's change holds the folder, nothing there is removed.
#pragma once

#include "platform/files.h"
#include "utils/FilePath.h"

#include <vector>

class ZEPFileTransaction {
public:
    ZEPFileTransaction() = default;
    // Rolls the change back unless it was committed; never throws.
    ~ZEPFileTransaction();
    ZEPFileTransaction(const ZEPFileTransaction&) = delete;
    ZEPFileTransaction& operator=(const ZEPFileTransaction&) = delete;

    // A folder the change may make: removed again on failure when it was not there before and is
    // empty by then.
    void WatchFolder(const UFileSpecCore& folder);
    // A file written under its final name by someone else. What stands there now is kept; when
    // it cannot be, CZEPFileWriteError naming the file.
    void Expect(const UFileSpecCore& file);
    // A file to write now under the temporary name returned, which PutInPlace turns into the
    // final name; what stands there now is kept as by Expect.
    [[nodiscard]] UFileSpecCore Stage(const UFileSpecCore& file);
    // The staged files, in staging order, take their final names; the first that cannot throws
    // CZEPFileWriteError naming its final name.
    void PutInPlace();
    // PutInPlace, then the kept files go: the change stands. Then the folders' left temporaries
    // go (see above); failing to remove them is no failure of the change.
    void Commit();

private:
    struct Entry {
        UFileSpecCore file;
        UFileSpecCore kept;   // the link to what stood there; empty when nothing did
        UFileSpecCore staged; // the temporary name until the file is put in place
    };
    struct Folder {
        UFileSpecCore path;
        platform::FolderLock lock; // not locked where the folder has no locks
    };

    // Holds the lock of the file's folder, from before the first temporary there.
    void HoldFolderOf(const UFileSpecCore& file);
    void Rollback();
    void RemoveLeftTemporaries() noexcept;

    std::vector<Entry> m_entries;
    std::vector<UFileSpecCore> m_newFolders;
    // The folders the change writes into, in the order it met them; their locks are held until
    // the change has no temporaries left (after the destructor's rollback).
    std::vector<Folder> m_folders;
    bool m_committed = false;
};
