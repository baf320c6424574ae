#include "Plugin/ZEPFileTransaction.h"

#include "Plugin/CZEPException.h"
#include "platform/files.h"
#include "utils/Logger.h"

namespace {

constexpr const char* kLogFile = "..\\..\\Source\\Plugin\\ZEPFileTransaction";

// A free temporary name in the file's folder.
UFileSpecCore TemporaryBeside(const UFileSpecCore& file) {
    return UFileSpecCore(ustring::fromWString(platform::temporarySibling(file.path().toWString())),
                         nullptr);
}

void Delete(const UFileSpecCore& file) {
    if (file.exists() && !platform::deleteFile(file.wide_path()))
        ZEU_LOG(Error, kLogFile, __LINE__, "ZEPFileTransaction") << "cannot delete " << file.path();
}

// What stood under the entry's name goes back there in one step, the kept link renamed over
// the name, so that the name holds the new file or the old one at every moment; when it still
// holds the old one, only the kept link goes.
void PutBack(const UFileSpecCore& file, const UFileSpecCore& kept) {
    if (platform::isSameFile(kept.wide_path(), file.wide_path())) {
        Delete(kept);
        return;
    }
    if (!platform::restoreFile(kept.wide_path(), file.wide_path()))
        ZEU_LOG(Error, kLogFile, __LINE__, "ZEPFileTransaction")
            << "cannot put back " << file.path() << " from " << kept.path();
}

// The folder a file lies in; the empty path when it has none.
UFileSpecCore FolderOf(const UFileSpecCore& file) {
    UFileSpecCore folder = file;
    if (!folder.to_parent())
        static_cast<void>(folder.clear());
    return folder;
}

} // namespace

ZEPFileTransaction::~ZEPFileTransaction() {
    if (m_committed)
        return;
    try {
        Rollback();
    } catch (...) {
        // Only logging can throw here (memory); what is left undone stays so.
    }
}

void ZEPFileTransaction::WatchFolder(const UFileSpecCore& folder) {
    if (folder.is_valid() && !folder.exists())
        m_newFolders.push_back(folder);
}

void ZEPFileTransaction::HoldFolderOf(const UFileSpecCore& file) {
    UFileSpecCore folder = FolderOf(file);
    // An export's files mostly share a folder: the last one met is looked at first.
    for (auto known = m_folders.rbegin(); known != m_folders.rend(); ++known)
        if (known->path == folder)
            return;
    Folder held{std::move(folder), {}};
    // A folder without locks is written all the same; no one removes temporaries from it.
    if (held.path.is_valid())
        static_cast<void>(held.lock.lockShared(held.path.wide_path()));
    m_folders.push_back(std::move(held));
}

void ZEPFileTransaction::Expect(const UFileSpecCore& file) {
    HoldFolderOf(file);
    Entry entry{file, {}, {}};
    if (file.exists()) {
        entry.kept = TemporaryBeside(file);
        int error = 0;
        if (!platform::linkFile(file.wide_path(), entry.kept.wide_path(), error))
            ThrowFileWriteError(file.path(), error);
    }
    m_entries.push_back(std::move(entry));
}

UFileSpecCore ZEPFileTransaction::Stage(const UFileSpecCore& file) {
    Expect(file);
    return m_entries.back().staged = TemporaryBeside(file);
}

void ZEPFileTransaction::PutInPlace() {
    for (Entry& entry : m_entries) {
        if (!entry.staged.is_valid())
            continue;
        int error = 0;
        if (!platform::replaceFile(entry.staged.wide_path(), entry.file.wide_path(), error))
            ThrowFileWriteError(entry.file.path(), error);
        static_cast<void>(entry.staged.clear());
    }
}

void ZEPFileTransaction::Commit() {
    PutInPlace();
    m_committed = true;
    for (const Entry& entry : m_entries)
        if (entry.kept.is_valid())
            Delete(entry.kept);
    RemoveLeftTemporaries();
}

void ZEPFileTransaction::RemoveLeftTemporaries() noexcept {
    // This change's own locks go first: held, they would keep the folders from being locked
    // exclusively. It has no temporaries left to guard.
    for (Folder& folder : m_folders)
        folder.lock.unlock();
    for (const Folder& folder : m_folders) {
        if (!folder.path.is_valid())
            continue;
        try {
            const std::size_t removed = platform::removeLeftTemporaries(folder.path.wide_path());
            if (removed > 0)
                ZEU_LOG(Info, kLogFile, __LINE__, "ZEPFileTransaction")
                    << "removed " << removed << " temporaries of earlier exports from "
                    << folder.path.path();
        } catch (...) {
            // Only memory can fail here; the temporaries stay for the next export.
        }
    }
}

void ZEPFileTransaction::Rollback() {
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (entry->staged.is_valid())
            Delete(entry->staged);
        if (entry->kept.is_valid()) {
            PutBack(entry->file, entry->kept);
        } else {
            // Nothing stood there, so what stands there now is this change's.
            Delete(entry->file);
        }
    }
    for (auto folder = m_newFolders.rbegin(); folder != m_newFolders.rend(); ++folder)
        if (folder->exists() && !platform::removeDirectory(folder->wide_path()))
            ZEU_LOG(Error, kLogFile, __LINE__, "ZEPFileTransaction")
                << "cannot remove " << folder->path();
}
