#include "Plugin/ZEPFileTransaction.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "platform/regularfile.h"
#include "platform/uuid.h"
#include "utils/Logger.h"

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <stdexcept>
#include <string>
#include <unordered_set>

namespace {

constexpr const char* kLogFile = "..\\..\\Source\\Plugin\\ZEPFileTransaction";
constexpr const char* kFunction = "ZEPFileTransaction";
// How many fresh temporary names are tried before a name that is taken counts as a failure.
constexpr int kNameTries = 8;

std::u16string Wide(const ustring& text) {
    return text.toWString();
}

ustring Narrow(std::u16string_view text) {
    return ustring::fromWString(std::u16string(text));
}

// 16 random upper-case hexadecimal digits.
ustring RandomDigits() {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto random = platform::createUuid();
    std::string digits;
    for (std::size_t i = 0; i < 8; ++i) {
        digits += kDigits[random[i] >> 4];
        digits += kDigits[random[i] & 0xF];
    }
    return ustring(digits);
}

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
    ThrowFolderWriteError(folder, FolderReason(error));
}

// The temporaries a journal names, which the sweep must leave.
void KeepNamed(std::vector<std::u16string>& keep, const ZEPExportJournal& journal) {
    for (const ZEPJournalFile& file : journal.files)
        for (const ustring* name : {&file.kept, &file.staged})
            if (!name->empty())
                keep.push_back(Wide(*name));
}

// A journal as found in a folder: the user's own and read whole, or why not.
struct ReadJournal {
    enum class Status { kRead, kNotOwn, kTooLarge, kMissing, kUnreadable } status;
    std::optional<ZEPExportJournal> journal; // kRead: nothing when it does not read whole
};

ReadJournal Read(const platform::HeldFolder& folder, std::u16string_view name) {
    using Outcome = platform::RegularFileRead::Outcome;
    const platform::RegularFileRead file =
        platform::readRegularFile(folder, name, kMaxJournalBytes);
    switch (file.outcome) {
    case Outcome::kRead:
        if (file.owner != platform::effectiveUser())
            return {ReadJournal::Status::kNotOwn, std::nullopt};
        return {ReadJournal::Status::kRead, ReadJournalText(file.bytes)};
    case Outcome::kSymbolicLink:
    case Outcome::kNotRegular:
        return {ReadJournal::Status::kNotOwn, std::nullopt};
    case Outcome::kTooLarge:
        return {file.owner == platform::effectiveUser() ? ReadJournal::Status::kTooLarge
                                                        : ReadJournal::Status::kNotOwn,
                std::nullopt};
    case Outcome::kNotOpened:
        return {file.error == ENOENT ? ReadJournal::Status::kMissing
                                     : ReadJournal::Status::kUnreadable,
                std::nullopt};
    case Outcome::kReadFailed:
        break;
    }
    return {ReadJournal::Status::kUnreadable, std::nullopt};
}

} // namespace

struct ZEPFileTransaction::Reached {
    const platform::HeldFolder* ours = nullptr; // one of the change's folders
    platform::HeldFolder moment;                // else held for the moment
    int error = 0;                              // why it was not reached (EBUSY: held)

    [[nodiscard]] bool reached() const { return ours || moment.isOpen(); }
    [[nodiscard]] const platform::HeldFolder& folder() const { return ours ? *ours : moment; }
};

ZEPFileTransaction::ZEPFileTransaction() : m_exportId(RandomDigits()) {}

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

void ZEPFileTransaction::RequireActive() const {
    if (m_state == State::kCommitted || m_state == State::kRolledBack)
        throw std::logic_error("ZEPFileTransaction: the change has ended");
}

void ZEPFileTransaction::Begin(const UFileSpecCore& jobFolder,
                               const std::vector<UFileSpecCore>& folders) {
    if (m_state != State::kNotBegun)
        throw std::logic_error("ZEPFileTransaction: the change has begun already");
    m_state = State::kHeld;
    m_deadline = std::chrono::steady_clock::now() + kExportFolderWait;
    // Every folder is checked and opened before anything is held or written.
    m_folders.emplace_back(jobFolder, PlaceOf(jobFolder));
    Open(m_folders.front());
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
    if (&folder != &job && job.held.isOpen()) {
        // A folder below the job folder is reached from it, never through a link.
        const auto names = platform::namesBelow(folder.path.wide_path(), job.path.wide_path());
        if (names && !names->empty()) {
            std::size_t reached = 0;
            const int error =
                folder.held.openBelow(job.held, *names, folder.path.wide_path(), reached);
            if (error == 0 || error == ENOENT)
                return; // a missing folder is held once it is made
            UFileSpecCore failing = job.path;
            for (std::size_t i = 0; i <= reached && i < names->size(); ++i)
                if (!failing.descend(Narrow((*names)[i])))
                    break;
            ThrowFolderError(failing.path(), error);
        }
    }
    const int error = folder.held.open(folder.path.wide_path(), true);
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
    RequireActive();
    const UFileSpecCore folder = FolderOf(file);
    if (m_state == State::kNotBegun)
        Begin(folder, {});
    const std::size_t index = Hold(folder);
    if (!m_folders[index].held.isOpen())
        ThrowFileWriteError(file.path(), ENOENT);
    return index;
}

ustring ZEPFileTransaction::JournalLeaf() const {
    return JournalName(m_exportId);
}

ustring ZEPFileTransaction::NewTemporaryLeaf(const Folder& folder) const {
    const std::u16string path = platform::temporarySibling(folder.held.entryPath(u"x"));
    return Narrow(std::u16string_view(path).substr(path.find_last_of(u"/\\") + 1));
}

std::size_t ZEPFileTransaction::Primary() const {
    // The job folder when the change has files there, else the first folder that has.
    for (std::size_t index = 0; index < m_folders.size(); ++index)
        if (HasFiles(index))
            return index;
    return 0;
}

void ZEPFileTransaction::WatchFolder(const UFileSpecCore& folder) {
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
    ustring kept;
    int error = EEXIST;
    for (int tries = 0; tries < kNameTries && error == EEXIST; ++tries) {
        kept = NewTemporaryLeaf(folder);
        error = folder.held.link(name, Wide(kept));
    }
    if (error == ENOENT)
        return; // gone meanwhile: nothing to keep
    entry.record.kept = kept;
    if (error == 0) {
        const auto linked = folder.held.status(Wide(kept));
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
    WriteJournals(true);
    error = folder.held.renameNew(name, Wide(kept));
    if (error != 0) {
        entry.record.how = ZEPKept::kNothing;
        entry.record.kept = ustring();
        folder.journalDirty = true;
        ThrowFileWriteError(entry.file.path(), error);
    }
    folder.changed = true;
}

bool ZEPFileTransaction::HasFiles(std::size_t folder) const {
    return m_folders[folder].files > 0;
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
    RequireActive();
    std::unordered_set<std::string> known; // a page that two runs hold is expected once
    for (const Entry& entry : m_entries)
        known.insert(entry.file.path().toStdString());
    for (const UFileSpecCore& file : files) {
        const std::size_t folder = HoldFolderOf(file);
        if (known.insert(file.path().toStdString()).second)
            static_cast<void>(Add(file, folder));
    }
    if (m_state == State::kInPlace)
        m_state = State::kJournaled;
    WriteJournals(true);
}

platform::OutputFileStream& ZEPFileTransaction::Stage(const UFileSpecCore& file) {
    RequireActive();
    const std::size_t folder = HoldFolderOf(file);
    Entry& entry = Add(file, folder);
    const Folder& held = m_folders[folder];
    for (int tries = 0;; ++tries) {
        const ustring staged = NewTemporaryLeaf(held);
        auto stream = std::make_unique<platform::OutputFileStream>();
        if (stream->openNew(held.held, Wide(staged))) {
            const auto id = stream->identity();
            entry.record.staged = staged;
            entry.record.stagedId = id.value_or(platform::FileIdentity{});
            entry.stream = std::move(stream);
            break;
        }
        // A new file that cannot be made is the folder's refusal (not writable, read-only, full).
        if (stream->error() != EEXIST || tries + 1 == kNameTries)
            ThrowFolderError(held.path.path(), stream->error() == 0 ? EIO : stream->error());
    }
    m_folders[folder].journalDirty = true;
    if (m_state == State::kInPlace)
        m_state = State::kJournaled;
    return *entry.stream;
}

void ZEPFileTransaction::WriteJournals(bool syncFolders) {
    for (std::size_t index = 0; index < m_folders.size(); ++index) {
        if (HasFiles(index) && m_folders[index].journalDirty)
            WriteJournal(m_folders[index]);
    }
    if (syncFolders)
        SyncFolders(platform::SyncPurpose::kPublish);
    if (m_state == State::kHeld)
        m_state = State::kJournaled;
}

void ZEPFileTransaction::WriteJournal(Folder& folder) {
    const std::size_t index = static_cast<std::size_t>(&folder - m_folders.data());
    ZEPExportJournal journal;
    journal.exportId = m_exportId;
    journal.folder = folder.place;
    journal.primary = m_folders[Primary()].place;
    for (std::size_t other = 0; other < m_folders.size(); ++other)
        if (other != index && HasFiles(other))
            journal.siblings.push_back(m_folders[other].place);
    for (const Entry& entry : m_entries)
        if (entry.folder == index)
            journal.files.push_back(entry.record);
    const std::string text = WriteJournalText(journal);

    // Written beside it, synced, then renamed over it.
    ustring part;
    platform::OutputFileStream out;
    for (int tries = 0; tries < kNameTries; ++tries) {
        part = NewTemporaryLeaf(folder);
        if (out.openNew(folder.held, Wide(part)) || out.error() != EEXIST)
            break;
    }
    int error = 0;
    bool written =
        static_cast<bool>(out.write(text.data(), static_cast<std::streamsize>(text.size())));
    written = out.close() && written;
    error = out.error();
    if (written && folder.held.syncFile(Wide(part)) != 0) {
        written = false;
        error = errno;
    }
    if (written) {
        error = folder.held.rename(Wide(part), Wide(JournalLeaf()));
        written = error == 0;
    }
    if (!written) {
        static_cast<void>(folder.held.remove(Wide(part)));
        ThrowFolderError(folder.path.path(), error == 0 ? EIO : error);
    }
    folder.journaled = true;
    folder.journalDirty = false;
    folder.changed = true;
}

void ZEPFileTransaction::SyncFolders(platform::SyncPurpose purpose) {
    for (Folder& folder : m_folders) {
        if (!folder.changed || !folder.held.isOpen())
            continue;
        if (folder.held.sync(purpose) != 0) {
            if (purpose == platform::SyncPurpose::kPublish)
                ThrowFolderError(folder.path.path(), errno);
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction) << "cannot sync " << folder.path.path();
        }
        folder.changed = false;
    }
}

void ZEPFileTransaction::RecordMadeFiles() {
    // The host's outputs written by now: the journals tell them from files others put there
    // later.
    for (Entry& entry : m_entries) {
        if (!entry.record.staged.empty())
            continue;
        Folder& folder = m_folders[entry.folder];
        const auto status = folder.held.status(Wide(entry.record.name));
        if (!status || status->kind != platform::EntryStatus::Kind::kFile ||
            (entry.record.how != ZEPKept::kNothing && status->identity == entry.record.keptId) ||
            entry.record.made == status->identity)
            continue;
        entry.record.made = status->identity;
        folder.journalDirty = true;
    }
}

void ZEPFileTransaction::PlaceNewFiles() {
    RequireActive();
    WriteJournals(true);
    // The made records need no sync of their folders: a journal without them undoes the same.
    RecordMadeFiles();
    WriteJournals(false);
    for (Entry& entry : m_entries) {
        if (entry.record.staged.empty() || entry.placed || entry.record.how != ZEPKept::kNothing ||
            (entry.stream && entry.stream->isOpen()))
            continue;
        const Folder& folder = m_folders[entry.folder];
        if (folder.held.syncFile(Wide(entry.record.staged)) != 0)
            ThrowFileWriteError(entry.file.path(), errno);
        const int error = folder.held.renameNew(Wide(entry.record.staged), Wide(entry.record.name));
        if (error != 0)
            ThrowFileWriteError(entry.file.path(), error);
        entry.placed = true;
        m_folders[entry.folder].changed = true;
    }
}

void ZEPFileTransaction::PutInPlace() {
    RequireActive();
    if (m_entries.empty()) {
        m_state = State::kInPlace;
        return;
    }
    WriteJournals(true);
    // A folder moved or replaced since it was held would leave its new files where its path no
    // longer leads.
    for (std::size_t index = 0; index < m_folders.size(); ++index) {
        const Folder& folder = m_folders[index];
        if (folder.journaled && !folder.held.stillAtItsPath())
            ThrowFolderWriteError(folder.path.path(),
                                  "it was moved or replaced while the export wrote into it");
    }
    // Every new file whole on the disk before it takes its name; the host's outputs, which took
    // theirs, too.
    for (Entry& entry : m_entries) {
        if (entry.placed)
            continue;
        const Folder& folder = m_folders[entry.folder];
        if (!entry.record.staged.empty()) {
            if (entry.stream && entry.stream->isOpen() && !entry.stream->close())
                ThrowFileWriteError(entry.file.path(), entry.stream->error());
            if (folder.held.syncFile(Wide(entry.record.staged)) != 0)
                ThrowFileWriteError(entry.file.path(), errno);
            continue;
        }
        const auto status = folder.held.status(Wide(entry.record.name));
        const bool written =
            status && status->kind == platform::EntryStatus::Kind::kFile &&
            !(entry.record.how != ZEPKept::kNothing && status->identity == entry.record.keptId);
        if (!written)
            continue;
        if (folder.held.syncFile(Wide(entry.record.name)) != 0)
            ThrowFileWriteError(entry.file.path(), errno);
        m_folders[entry.folder].changed = true;
    }
    for (Entry& entry : m_entries) {
        if (entry.record.staged.empty() || entry.placed)
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
    RequireActive();
    if (m_state != State::kInPlace)
        PutInPlace();
    // The change stands once its primary journal is gone from the disk.
    Folder& primary = m_folders[Primary()];
    if (primary.journaled) {
        if (primary.held.remove(Wide(JournalLeaf())) != 0)
            ThrowFileWriteError(Narrow(primary.held.entryPath(Wide(JournalLeaf()))), errno);
        m_primaryRemoved = true;
        if (primary.held.sync() != 0)
            ThrowFolderError(primary.path.path(), errno);
        primary.journaled = false;
    }
    m_state = State::kCommitted;
    for (Folder& folder : m_folders) {
        if (!folder.journaled)
            continue;
        // Left behind, a journal whose primary is gone is resolved as an export that stood.
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
    if (m_primaryRemoved) {
        // The commit had removed the primary: a kill while the files go back must still undo
        // them, not take the other journals for an export that stood.
        try {
            WriteJournal(m_folders[Primary()]);
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
    const std::size_t primary = Primary();
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

void ZEPFileTransaction::ThrowCutOff(const platform::HeldFolder& folder,
                                     std::u16string_view journal, const ZEPUndoFailure& failure) {
    const ustring what = failure.name.empty()
                             ? ustring("the folder cannot be synced")
                             : Narrow(folder.entryPath(Wide(failure.name))) + " cannot be put back";
    throw CZEPFileWriteError(
        CZEPFileWriteError::Text{"An earlier export into the folder " + Narrow(folder.path()) +
                                 " was cut off and cannot be undone: " + what + ": " +
                                 ustring(platform::errorText(failure.error).c_str()) +
                                 " (its journal " + Narrow(folder.entryPath(journal)) + ")."});
}

void ZEPFileTransaction::SetAside(Folder& folder, const std::u16string& name, const char* why) {
    folder.sweep = false;
    const std::u16string aside = name + u"." + Wide(RandomDigits());
    ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
        << "the journal " << Narrow(folder.held.entryPath(name)) << " of a dead export " << why
        << ": set aside as " << Narrow(folder.held.entryPath(aside))
        << " and not acted on; nothing is swept from its folder while it lies there";
    if (const int error = folder.held.renameNew(name, aside); error != 0)
        ThrowFolderError(folder.path.path(), error);
}

void ZEPFileTransaction::Recover(std::size_t index) {
    Folder& folder = m_folders[index];
    if (!folder.held.isOpen())
        return;
    const auto names = folder.held.names();
    if (!names)
        return;
    for (const std::u16string& name : *names) {
        const auto status = IsSetAsideJournalName(name) ? folder.held.status(name) : std::nullopt;
        if (status && status->owner == platform::effectiveUser() && folder.sweep) {
            folder.sweep = false;
            ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
                << "a journal that did not read lies in " << folder.path.path()
                << ": nothing is swept from the folder";
        }
    }
    for (const std::u16string& name : *names) {
        if (!IsJournalName(name) || name == Wide(JournalLeaf()))
            continue;
        using Status = ReadJournal::Status;
        const ReadJournal read = Read(folder.held, name);
        switch (read.status) {
        case Status::kNotOwn:
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
                << "the journal " << Narrow(folder.held.entryPath(name))
                << " is not the user's own (a symbolic link, no regular file, or another "
                   "user's file): it is not acted on";
            continue;
        case Status::kTooLarge:
            SetAside(folder, name, "is too large");
            continue;
        case Status::kMissing: // resolved meanwhile
            continue;
        case Status::kUnreadable:
            SetAside(folder, name, "cannot be read");
            continue;
        case Status::kRead:
            break;
        }
        if (!read.journal) {
            SetAside(folder, name, "does not read");
            continue;
        }
        Resolve(index, name, *read.journal);
    }
}

ZEPFileTransaction::Reached ZEPFileTransaction::Reach(const ustring& place) {
    Reached reached;
    for (const Folder& folder : m_folders)
        if (!place.empty() && folder.place == place && folder.held.isOpen()) {
            reached.ours = &folder.held;
            return reached;
        }
    reached.error = place.empty() ? ENOENT : reached.moment.open(Wide(place), true);
    if (reached.error == 0 &&
        reached.moment.lock(std::chrono::milliseconds(0)) == platform::HeldFolder::Result::kBusy)
        reached.error = EBUSY;
    return reached;
}

bool ZEPFileTransaction::UndoExport(const platform::HeldFolder& folder, bool ours,
                                    const std::u16string& name, const ZEPExportJournal& journal) {
    if (const auto failure = UndoJournalFiles(folder, journal)) {
        if (ours)
            ThrowCutOff(folder, name, *failure);
        ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
            << "cannot undo the export that died in " << Narrow(folder.path()) << ": "
            << failure->name << ": " << platform::errorText(failure->error).c_str();
        return false;
    }
    bool pending = false;
    for (const ustring& place : journal.siblings) {
        const Reached sibling = Reach(place);
        if (!sibling.reached()) {
            pending = pending || sibling.error != ENOENT; // a folder gone took its files along
            continue;
        }
        const platform::HeldFolder& held = sibling.folder();
        const std::u16string siblingName = Wide(JournalName(journal.exportId));
        const ReadJournal read = Read(held, siblingName);
        if (read.status == ReadJournal::Status::kMissing)
            continue; // resolved already
        std::optional<ZEPUndoFailure> failure;
        if (!read.journal)
            pending = true;
        else if (!(failure = UndoJournalFiles(held, *read.journal)))
            failure = RemoveJournal(held, siblingName);
        if (failure) {
            if (sibling.ours)
                ThrowCutOff(held, siblingName, *failure);
            pending = true;
        }
    }
    if (pending) {
        ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
            << "the export that died in " << Narrow(folder.path())
            << " is undone there; its journal stays until its other folders can be undone";
        return false;
    }
    if (const auto failure = RemoveJournal(folder, name)) {
        if (ours)
            ThrowCutOff(folder, name, *failure);
        ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
            << "cannot remove " << failure->name << ": "
            << platform::errorText(failure->error).c_str();
        return false;
    }
    return true;
}

void ZEPFileTransaction::Resolve(std::size_t index, const std::u16string& name,
                                 const ZEPExportJournal& journal) {
    Folder& folder = m_folders[index];
    ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
        << "resolving the export that died in " << folder.path.path();
    if (journal.primary == journal.folder) {
        if (!UndoExport(folder.held, true, name, journal))
            KeepNamed(folder.keep, journal); // left for its other folders
        return;
    }
    // A journal beside the primary: the export stood when its primary is gone, and did not when
    // it lies on the disk or its folder is gone.
    Reached primary = Reach(journal.primary);
    const std::u16string primaryName = Wide(JournalName(journal.exportId));
    std::optional<ZEPExportJournal> primaryJournal;
    bool stood = false;
    if (primary.reached()) {
        const ReadJournal read = Read(primary.folder(), primaryName);
        primaryJournal = read.journal;
        stood = read.status == ReadJournal::Status::kMissing;
        if (!primaryJournal && !stood) {
            ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
                << "the export that died in " << folder.path.path()
                << " is left as it is: its primary journal in " << journal.primary
                << " is not the user's own or does not read";
            KeepNamed(folder.keep, journal);
            return;
        }
    } else if (primary.error != ENOENT) {
        ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
            << "the export that died in " << folder.path.path()
            << " is left as it is until its folder " << journal.primary << " can be held";
        KeepNamed(folder.keep, journal);
        return;
    }
    const auto failure =
        stood ? CompleteJournalFiles(folder.held, journal) : UndoJournalFiles(folder.held, journal);
    if (failure)
        ThrowCutOff(folder.held, name, *failure);
    if (const auto removal = RemoveJournal(folder.held, name))
        ThrowCutOff(folder.held, name, *removal);
    if (primaryJournal)
        static_cast<void>(
            UndoExport(primary.folder(), primary.ours != nullptr, primaryName, *primaryJournal));
}
