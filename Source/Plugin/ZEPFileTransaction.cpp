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

void ZEPFileTransaction::Expect(const UFileSpecCore& file) {
    Entry entry{file, {}, {}};
    if (file.exists()) {
        entry.kept = TemporaryBeside(file);
        if (!platform::linkFile(file.wide_path(), entry.kept.wide_path()))
            ThrowFileWriteError(file.path());
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
        if (!platform::replaceFile(entry.staged.wide_path(), entry.file.wide_path()))
            ThrowFileWriteError(entry.file.path());
        static_cast<void>(entry.staged.clear());
    }
}

void ZEPFileTransaction::Commit() {
    PutInPlace();
    m_committed = true;
    for (const Entry& entry : m_entries)
        if (entry.kept.is_valid())
            Delete(entry.kept);
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
