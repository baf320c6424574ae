#include "Plugin/ZEPFileTransaction.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPExportRecovery.h"
#include "Plugin/ZEPStringConversions.h"
#include "utils/Logger.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <numeric>
#include <stdexcept>
#include <string>
#include <unordered_set>

namespace {

constexpr const char* kLogFile = "..\\..\\Source\\Plugin\\ZEPFileTransaction";
constexpr const char* kFunction = "ZEPFileTransaction";

// The folder a file lies in; the empty path when it has none.
UFileSpecCore FolderOf(const UFileSpecCore& file) {
    UFileSpecCore folder = file;
    if (!folder.to_parent())
        static_cast<void>(folder.clear());
    return folder;
}

// Where a folder lies (platform::folderPlace), empty when its path names nothing.
ustring PlaceOf(const UFileSpecCore& folder) {
    const auto place = folder.is_valid() ? platform::folderPlace(folder.wide_path()) : std::nullopt;
    return place ? Narrow(*place) : ustring();
}

// Why a folder cannot be written, for its alert.
ustring FolderReason(int error) {
    if (error == ELOOP)
        return "it is a symbolic link";
    if (error == ENOTDIR)
        return "it is not a folder";
    return ustring(platform::errorText(error).c_str());
}

[[noreturn]] void ThrowFolderError(const ustring& folder, int error) {
    ThrowFolderWriteError(folder, FolderReason(error != 0 ? error : EIO));
}

} // namespace

class ZEPFileTransaction::StepGuard {
public:
    explicit StepGuard(ZEPFileTransaction& change)
        : m_change(change), m_exceptions(std::uncaught_exceptions()) {}
    ~StepGuard() {
        if (std::uncaught_exceptions() > m_exceptions)
            m_change.m_state = State::kFailed;
    }
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;

private:
    ZEPFileTransaction& m_change;
    int m_exceptions;
};

ZEPFileTransaction::ZEPFileTransaction() : m_exportId(NewExportId()) {}

ZEPFileTransaction::~ZEPFileTransaction() {
    if (m_state != State::kCommitted && m_state != State::kRolledBack) {
        try {
            Rollback();
        } catch (...) {
            // Only logging can throw here (memory); what is left undone stays so.
        }
    }
    m_entries.clear(); // closes the streams of staged files, before the folders go
    m_folders.clear(); // lets the folders go, after the rollback
}

void ZEPFileTransaction::Require(Step step) const {
    using S = State;
    const auto in = [this](std::initializer_list<State> states) {
        return std::find(states.begin(), states.end(), m_state) != states.end();
    };
    bool legal = false;
    switch (step) {
    case Step::kBegin:
        legal = in({S::kNotBegun});
        break;
    case Step::kWatchFolder:
        legal = in({S::kNotBegun, S::kHeld, S::kJournaled});
        break;
    case Step::kAddFiles:
        legal = in({S::kNotBegun, S::kHeld, S::kJournaled, S::kInPlace});
        break;
    case Step::kHostFile:
        legal = in({S::kJournaled, S::kInPlace});
        break;
    case Step::kPlaceNewFiles:
        legal = in({S::kHeld, S::kJournaled});
        break;
    case Step::kPutInPlace:
    case Step::kCommit:
        legal = in({S::kHeld, S::kJournaled, S::kInPlace});
        break;
    }
    if (!legal)
        throw std::logic_error("ZEPFileTransaction: a step the change's state does not allow");
}

void ZEPFileTransaction::Begin(const UFileSpecCore& jobFolder,
                               const std::vector<UFileSpecCore>& folders) {
    BeginAt(jobFolder, folders, true);
}

void ZEPFileTransaction::BeginAt(const UFileSpecCore& jobFolder,
                                 const std::vector<UFileSpecCore>& folders,
                                 bool jobFolderMustExist) {
    Require(Step::kBegin);
    StepGuard guard(*this);
    m_state = State::kHeld;
    m_deadline = std::chrono::steady_clock::now() + kExportFolderWait;
    // Every folder is checked and opened before anything is held or written.
    m_folders.emplace_back(jobFolder, PlaceOf(jobFolder));
    Open(m_folders.front());
    if (jobFolderMustExist && !m_folders.front().held.isOpen())
        ThrowFolderError(jobFolder.path(), ENOENT);
    for (const UFileSpecCore& folder : folders) {
        if (!folder.is_valid())
            continue;
        const ustring place = PlaceOf(folder);
        if (std::any_of(m_folders.begin(), m_folders.end(), [&](const Folder& known) {
                return known.path == folder || (!place.empty() && known.place == place);
            }))
            continue;
        m_folders.emplace_back(folder, place);
        Open(m_folders.back());
    }
    // The locks in the order of the folders' places.
    std::vector<std::size_t> order(m_folders.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return m_folders[a].place.view() < m_folders[b].place.view();
    });
    for (const std::size_t index : order)
        Lock(m_folders[index]);
    for (std::size_t index = 0; index < m_folders.size(); ++index)
        Recover(index);
}

void ZEPFileTransaction::Open(Folder& folder) {
    if (!folder.path.is_valid())
        return;
    const Folder& job = m_folders.front();
    int error = 0;
    if (&folder != &job && job.held.isOpen()) {
        // A folder below the job folder is reached from it, never through a link.
        const auto names = platform::namesBelow(folder.path.wide_path(), job.path.wide_path());
        if (names && !names->empty()) {
            std::size_t reached = 0;
            error = folder.held.openBelow(job.held, *names, folder.path.wide_path(), reached);
            if (error != 0 && error != ENOENT) {
                UFileSpecCore failing = job.path;
                for (std::size_t i = 0; i <= reached && i < names->size(); ++i)
                    if (!failing.descend(Narrow((*names)[i])))
                        break;
                ThrowFolderError(failing.path(), error);
            }
            return; // a missing folder is held once it is made
        }
    }
    error = folder.held.open(folder.path.wide_path(), true);
    if (error != 0 && error != ENOENT)
        ThrowFolderError(folder.path.path(), error);
}

std::chrono::milliseconds ZEPFileTransaction::WaitLeft() const {
    const auto left = m_deadline - std::chrono::steady_clock::now();
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(left));
}

void ZEPFileTransaction::Lock(Folder& folder) {
    if (!folder.held.isOpen() || folder.taken)
        return;
    if (folder.held.lock(WaitLeft()) == platform::HeldFolder::Result::kBusy)
        ThrowFolderWriteError(folder.path.path(), "another export is writing there");
    folder.taken = true;
}

std::size_t ZEPFileTransaction::Hold(const UFileSpecCore& folder) {
    // Known by its path, as every file of a folder after the first is, it costs no resolving.
    auto held = std::find_if(m_folders.begin(), m_folders.end(),
                             [&](const Folder& known) { return known.path == folder; });
    if (held == m_folders.end()) {
        const ustring place = PlaceOf(folder);
        held = std::find_if(m_folders.begin(), m_folders.end(), [&](const Folder& known) {
            return !place.empty() && known.place == place;
        });
        if (held == m_folders.end()) {
            m_folders.emplace_back(folder, place);
            held = m_folders.end() - 1;
        }
    }
    const std::size_t index = static_cast<std::size_t>(held - m_folders.begin());
    if (!held->taken) {
        if (!held->held.isOpen())
            Open(*held);
        if (held->held.isOpen()) {
            if (held->place.empty())
                held->place = PlaceOf(folder);
            Lock(*held);
            Recover(index);
        }
    }
    return index;
}

std::size_t ZEPFileTransaction::HoldFolderOf(const UFileSpecCore& file) {
    const UFileSpecCore folder = FolderOf(file);
    if (m_state == State::kNotBegun)
        BeginAt(folder, {}, false);
    const std::size_t index = Hold(folder);
    if (!m_folders[index].held.isOpen())
        ThrowFileWriteError(file.path(), ENOENT);
    return index;
}

void ZEPFileTransaction::Recover(std::size_t index) {
    Folder& folder = m_folders[index];
    if (!folder.held.isOpen())
        return;
    // A dead export's other folder that this change holds is reached through its hold.
    ZEPExportRecovery recovery(
        [this](const platform::FileIdentity& id) -> const platform::HeldFolder* {
            for (const Folder& known : m_folders)
                if (known.taken && known.held.identity() == id)
                    return &known.held;
            return nullptr;
        },
        Wide(JournalLeaf()));
    ZEPExportRecovery::Outcome outcome = recovery.Recover(folder.held, folder.path.path());
    folder.sweep = folder.sweep && outcome.sweep;
    folder.keep.insert(folder.keep.end(), outcome.keep.begin(), outcome.keep.end());
}

ustring ZEPFileTransaction::JournalLeaf() const {
    return JournalName(m_exportId);
}

std::size_t ZEPFileTransaction::Primary() const {
    // The job folder when the change has files there, else the first folder that has.
    for (std::size_t index = 0; index < m_folders.size(); ++index)
        if (HasFiles(index))
            return index;
    return 0;
}

bool ZEPFileTransaction::HasFiles(std::size_t folder) const {
    return m_folders[folder].files > 0;
}

void ZEPFileTransaction::WatchFolder(const UFileSpecCore& folder) {
    Require(Step::kWatchFolder);
    if (folder.is_valid() && !folder.exists())
        m_newFolders.push_back(folder);
}

void ZEPFileTransaction::Keep(Entry& entry) {
    Folder& folder = m_folders[entry.folder];
    const std::u16string name = Wide(entry.record.name);
    const auto status = folder.held.status(name);
    if (!status)
        return;
    if (status->kind == platform::EntryStatus::Kind::kFolder)
        ThrowFileWriteError(entry.file.path(), EISDIR);
    std::u16string kept;
    int error = EEXIST;
    for (int tries = 0; tries < kTemporaryNameTries && error == EEXIST; ++tries) {
        kept = NewTemporaryName(folder.held);
        error = folder.held.link(name, kept);
    }
    if (error == ENOENT)
        return; // gone meanwhile: nothing to keep
    entry.record.kept = Narrow(kept);
    if (error == 0) {
        const auto linked = folder.held.status(kept);
        entry.record.how = ZEPKept::kLink;
        entry.record.keptId = linked ? linked->identity : status->identity;
        folder.journalDirty = true;
        return;
    }
    // The system refuses the file a second name (another user's, say): the file itself goes
    // aside, once the journal lists it.
    entry.record.how = ZEPKept::kMoved;
    entry.record.keptId = status->identity;
    folder.journalDirty = true;
    WriteJournals();
    error = folder.held.renameNew(name, kept);
    if (error != 0) {
        // The file stays where it is and out of the change: nothing undoes it. A journal on the
        // disk that still lists it names a kept file that does not exist, which no undoing acts
        // on.
        const UFileSpecCore file = entry.file;
        --folder.files;
        folder.journalDirty = true;
        m_entries.pop_back();
        ThrowFileWriteError(file.path(), error);
    }
    folder.changed = true;
}

ZEPFileTransaction::Entry& ZEPFileTransaction::Add(const UFileSpecCore& file, std::size_t folder) {
    // A folder's first file changes every journal's siblings, and maybe the primary.
    if (!HasFiles(folder))
        for (Folder& each : m_folders)
            each.journalDirty = true;
    Entry entry{file, folder, {}, nullptr};
    entry.record.name = file.name(true);
    m_entries.push_back(std::move(entry));
    ++m_folders[folder].files;
    m_folders[folder].journalDirty = true;
    Keep(m_entries.back());
    return m_entries.back();
}

void ZEPFileTransaction::Expect(const std::vector<UFileSpecCore>& files) {
    Require(Step::kAddFiles);
    StepGuard guard(*this);
    std::unordered_set<std::string> known; // a page that two runs hold is expected once
    for (const Entry& entry : m_entries)
        known.insert(entry.file.path().toStdString());
    for (const UFileSpecCore& file : files) {
        const std::size_t folder = HoldFolderOf(file);
        if (!known.insert(file.path().toStdString()).second)
            continue;
        Entry& entry = Add(file, folder);
        entry.host = true;
        entry.record.staged = Narrow(NewTemporaryName(m_folders[folder].held));
    }
    m_state = State::kJournaled;
    WriteJournals();
}

UFileSpecCore ZEPFileTransaction::HostFile(const UFileSpecCore& file) const {
    Require(Step::kHostFile);
    const auto entry = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& known) {
        return known.host && known.file == file;
    });
    if (entry == m_entries.end())
        throw std::logic_error("ZEPFileTransaction: a host's file that was not expected");
    UFileSpecCore staged = m_folders[entry->folder].path;
    if (!staged.descend(entry->record.staged))
        throw std::logic_error("ZEPFileTransaction: a folder that holds no file");
    return staged;
}

platform::OutputFileStream& ZEPFileTransaction::Stage(const UFileSpecCore& file) {
    Require(Step::kAddFiles);
    StepGuard guard(*this);
    const std::size_t folder = HoldFolderOf(file);
    Entry& entry = Add(file, folder);
    const Folder& held = m_folders[folder];
    for (int tries = 0;; ++tries) {
        const std::u16string staged = NewTemporaryName(held.held);
        auto stream = std::make_unique<platform::OutputFileStream>();
        if (stream->openNew(held.held, staged)) {
            entry.record.staged = Narrow(staged);
            entry.record.stagedId = stream->identity();
            entry.stream = std::move(stream);
            break;
        }
        // A new file that cannot be made is the folder's refusal (not writable, read-only, full).
        if (stream->error() != EEXIST || tries + 1 == kTemporaryNameTries)
            ThrowFolderError(held.path.path(), stream->error());
    }
    m_folders[folder].journalDirty = true;
    m_state = State::kJournaled;
    return *entry.stream;
}

void ZEPFileTransaction::WriteJournals() {
    for (std::size_t index = 0; index < m_folders.size(); ++index)
        if (HasFiles(index) && m_folders[index].journalDirty)
            WriteJournal(m_folders[index]);
}

void ZEPFileTransaction::WriteJournal(Folder& folder) {
    const std::size_t index = static_cast<std::size_t>(&folder - m_folders.data());
    const auto place = [](const Folder& known) {
        return ZEPJournalPlace{known.place,
                               known.held.identity().value_or(platform::FileIdentity{})};
    };
    const std::size_t primary = Primary();
    ZEPExportJournal journal;
    journal.exportId = m_exportId;
    journal.folder = place(folder);
    journal.primary = place(m_folders[primary]);
    for (std::size_t other = 0; other < m_folders.size(); ++other)
        if (other != index && HasFiles(other))
            journal.siblings.push_back(place(m_folders[other]));
    for (const Entry& entry : m_entries)
        if (entry.folder == index)
            journal.files.push_back(entry.record);
    journal.committed = m_committing && index != primary;
    if (const int error = WriteJournalFile(folder.held, Wide(JournalLeaf()), journal); error != 0) {
        // A journal that took its name before the folder's sync failed lies there all the same.
        folder.journaled = folder.journaled || folder.held.status(Wide(JournalLeaf())).has_value();
        ThrowFolderError(folder.path.path(), error);
    }
    folder.journaled = true;
    folder.journalDirty = false;
}

void ZEPFileTransaction::SyncFolders(platform::SyncPurpose purpose) {
    for (Folder& folder : m_folders) {
        if (!folder.changed || !folder.held.isOpen())
            continue;
        if (const int error = folder.held.sync(purpose); error != 0) {
            if (purpose == platform::SyncPurpose::kPublish)
                ThrowFolderError(folder.path.path(), error);
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
                << "cannot sync " << folder.path.path() << ": "
                << platform::errorText(error).c_str();
        }
        folder.changed = false;
    }
}

void ZEPFileTransaction::RecordHostFiles(bool all) {
    for (Entry& entry : m_entries) {
        if (!entry.host || entry.record.stagedId)
            continue;
        Folder& folder = m_folders[entry.folder];
        const auto status = folder.held.status(Wide(entry.record.staged));
        if (status && status->kind == platform::EntryStatus::Kind::kFile &&
            status->owner == platform::effectiveUser()) {
            entry.record.stagedId = status->identity;
            folder.journalDirty = true;
        } else if (all) {
            // The host returned without leaving its file there: nothing may take the name.
            ThrowFileWriteError(entry.file.path(), status ? EEXIST : ENOENT);
        }
    }
}

void ZEPFileTransaction::PlaceNewFiles() {
    Require(Step::kPlaceNewFiles);
    StepGuard guard(*this);
    RecordHostFiles(false);
    WriteJournals();
    for (Entry& entry : m_entries) {
        if (entry.host || entry.placed || entry.record.how != ZEPKept::kNothing ||
            (entry.stream && entry.stream->isOpen()))
            continue;
        const Folder& folder = m_folders[entry.folder];
        int error = folder.held.syncFile(Wide(entry.record.staged));
        if (error == 0)
            error = folder.held.renameNew(Wide(entry.record.staged), Wide(entry.record.name));
        if (error != 0)
            ThrowFileWriteError(entry.file.path(), error);
        entry.placed = true;
        m_folders[entry.folder].changed = true;
    }
}

void ZEPFileTransaction::PutInPlace() {
    Require(Step::kPutInPlace);
    StepGuard guard(*this);
    if (m_entries.empty()) {
        m_state = State::kInPlace;
        return;
    }
    // A folder moved or replaced since it was held would leave its new files where its path no
    // longer leads; the host, which writes by the path, wrote where it leads.
    const auto requireInPlace = [this] {
        for (const Folder& folder : m_folders)
            if (folder.journaled && !folder.held.stillAtItsPath())
                ThrowFolderWriteError(folder.path.path(),
                                      "it was moved or replaced while the export wrote into it");
    };
    requireInPlace();
    RecordHostFiles(true);
    WriteJournals();
    requireInPlace();
    // Every new file whole on the disk before it takes its name.
    for (Entry& entry : m_entries) {
        if (entry.placed)
            continue;
        const Folder& folder = m_folders[entry.folder];
        if (entry.stream && entry.stream->isOpen() && !entry.stream->close())
            ThrowFileWriteError(entry.file.path(), entry.stream->error());
        if (const int error = folder.held.syncFile(Wide(entry.record.staged)); error != 0)
            ThrowFileWriteError(entry.file.path(), error);
    }
    for (Entry& entry : m_entries) {
        if (entry.placed)
            continue;
        const Folder& folder = m_folders[entry.folder];
        // Over the kept file's name only; a name where nothing stood takes nothing else's place.
        const std::u16string staged = Wide(entry.record.staged);
        const std::u16string name = Wide(entry.record.name);
        const int error = entry.record.how == ZEPKept::kLink ? folder.held.rename(staged, name)
                                                             : folder.held.renameNew(staged, name);
        if (error != 0)
            ThrowFileWriteError(entry.file.path(), error);
        entry.placed = true;
        m_folders[entry.folder].changed = true;
    }
    SyncFolders(platform::SyncPurpose::kPublish);
    m_state = State::kInPlace;
}

void ZEPFileTransaction::Commit() {
    Require(Step::kCommit);
    StepGuard guard(*this);
    if (m_state != State::kInPlace)
        PutInPlace();
    // The evidence that the change stands: every journal but the primary marked committed, on
    // the disk before the primary goes.
    const std::size_t primaryIndex = Primary();
    m_committing = true;
    for (std::size_t index = 0; index < m_folders.size(); ++index)
        if (index != primaryIndex && m_folders[index].journaled)
            WriteJournal(m_folders[index]);
    // The change stands once its primary journal is gone from the disk.
    Folder& primary = m_folders[primaryIndex];
    if (primary.journaled) {
        if (const int error = primary.held.remove(Wide(JournalLeaf())); error != 0)
            ThrowFileWriteError(Narrow(primary.held.entryPath(Wide(JournalLeaf()))), error);
        m_primaryRemoved = true;
        if (const int error = primary.held.sync(); error != 0)
            ThrowFolderError(primary.path.path(), error);
        primary.journaled = false;
    }
    m_state = State::kCommitted;
    for (Folder& folder : m_folders) {
        if (!folder.journaled)
            continue;
        // Left behind, a committed journal whose primary is gone is resolved as an export that
        // stood.
        if (folder.held.remove(Wide(JournalLeaf())) != 0 ||
            folder.held.sync(platform::SyncPurpose::kTidy) != 0)
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
                << "cannot remove the journal of the export in " << folder.path.path();
        folder.journaled = false;
    }
    for (const Entry& entry : m_entries)
        RemoveIfItHolds(m_folders[entry.folder].held, entry.record.kept, entry.record.keptId);
    RemoveLeftTemporaries();
    m_entries.clear();
    m_folders.clear();
}

void ZEPFileTransaction::RemoveLeftTemporaries() noexcept {
    for (const Folder& folder : m_folders) {
        if (!folder.sweep)
            continue;
        try {
            const std::size_t removed = folder.held.removeLeftTemporaries(folder.keep);
            if (removed > 0)
                ZEU_LOG(Info, kLogFile, __LINE__, kFunction)
                    << "removed " << removed << " temporaries of earlier exports from "
                    << folder.path.path();
        } catch (...) {
            // Only memory can fail here; the temporaries stay for the next export.
        }
    }
}

void ZEPFileTransaction::Rollback() {
    if (m_state == State::kNotBegun) {
        m_state = State::kRolledBack;
        return;
    }
    constexpr auto kUndo = platform::SyncPurpose::kUndo;
    for (Entry& entry : m_entries)
        entry.stream.reset(); // a staged file half written is closed before it goes
    const std::size_t primary = Primary();
    if (m_primaryRemoved) {
        // The commit had removed the primary: it lies on the disk again, its folder synced,
        // before anything goes back, so that a kill meanwhile still undoes the change.
        Folder& folder = m_folders[primary];
        try {
            WriteJournal(folder);
        } catch (const std::exception& failure) {
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
                << "cannot write the journal again: " << failure.what();
        }
    }
    // Each folder's files undone as the next change would undo a dead one's, with this change's
    // own knowledge of them.
    std::vector<bool> undone(m_folders.size(), true);
    bool all = true;
    for (std::size_t index = 0; index < m_folders.size(); ++index) {
        ZEPExportJournal journal;
        for (const Entry& entry : m_entries)
            if (entry.folder == index)
                journal.files.push_back(entry.record);
        const Folder& folder = m_folders[index];
        if (journal.files.empty() || !folder.held.isOpen())
            continue;
        if (const auto failure = UndoJournalFiles(folder.held, journal, kUndo)) {
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
                << "cannot put back " << failure->name << " in " << folder.path.path() << ": "
                << platform::errorText(failure->error).c_str();
            undone[index] = false;
            all = false;
        }
    }
    // The journals go, the primary last; a folder whose files did not go back keeps its
    // journal, and the primary stays with it, for the next change.
    for (std::size_t index = 0; index < m_folders.size(); ++index) {
        const Folder& folder = m_folders[index];
        if (index != primary && folder.journaled && undone[index])
            static_cast<void>(RemoveJournal(folder.held, Wide(JournalLeaf()), kUndo));
    }
    if (all && m_folders[primary].journaled)
        static_cast<void>(RemoveJournal(m_folders[primary].held, Wide(JournalLeaf()), kUndo));
    for (auto folder = m_newFolders.rbegin(); folder != m_newFolders.rend(); ++folder)
        if (folder->exists() && !platform::removeDirectory(folder->wide_path()))
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction) << "cannot remove " << folder->path();
    m_state = State::kRolledBack;
}
