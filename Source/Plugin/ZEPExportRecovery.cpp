#include "Plugin/ZEPExportRecovery.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPStringConversions.h"
#include "platform/regularfile.h"
#include "utils/Logger.h"

#include <cerrno>
#include <chrono>
#include <optional>
#include <utility>

namespace {

constexpr const char* kLogFile = "..\\..\\Source\\Plugin\\ZEPExportRecovery";
constexpr const char* kFunction = "ZEPExportRecovery";

ustring Reason(int error) {
    return ustring(platform::errorText(error).c_str());
}

// The temporaries a journal names, which the sweep must leave while it lies there.
void KeepNamed(std::vector<std::u16string>& keep, const ZEPExportJournal& journal) {
    for (const ZEPJournalFile& file : journal.files)
        for (const ustring* name : {&file.kept, &file.staged})
            if (!name->empty())
                keep.push_back(Wide(*name));
}

} // namespace

// A dead export's folder as the recovery reaches it: one the live export holds, or one held for
// the moment, without waiting.
struct ZEPExportRecovery::Reached {
    const platform::HeldFolder* ours = nullptr;
    platform::HeldFolder moment;
    bool busy = false; // another export holds it

    [[nodiscard]] bool reached() const { return ours || moment.isOpen(); }
    [[nodiscard]] const platform::HeldFolder& folder() const { return ours ? *ours : moment; }
};

// What stands under a journal's name, as far as the recovery may look at it (rule 3).
struct ZEPExportRecovery::Read {
    enum class Status { kRead, kMissing, kNotOwn, kTooLarge, kUnreadable } status;
    std::optional<ZEPExportJournal> journal; // kRead: nothing when it does not read whole
};

ZEPExportRecovery::ZEPExportRecovery(HeldFolderOf heldFolderOf, std::u16string ownJournal)
    : m_heldFolderOf(std::move(heldFolderOf)), m_ownJournal(std::move(ownJournal)) {}

ZEPExportRecovery::Read ZEPExportRecovery::ReadOwn(const platform::HeldFolder& folder,
                                                   std::u16string_view name) {
    using Status = Read::Status;
    // Its kind and owner first: another's entry is never opened.
    const auto entry = folder.status(name);
    if (!entry)
        return {Status::kMissing, std::nullopt};
    if (entry->kind != platform::EntryStatus::Kind::kFile ||
        entry->owner != platform::effectiveUser())
        return {Status::kNotOwn, std::nullopt};
    using Outcome = platform::RegularFileRead::Outcome;
    const platform::RegularFileRead file =
        platform::readRegularFile(folder, name, kMaxJournalBytes);
    const bool same = file.stamp.device == entry->identity.device &&
                      file.stamp.inode == entry->identity.inode &&
                      file.owner == platform::effectiveUser();
    switch (file.outcome) {
    case Outcome::kRead:
        if (!same)
            return {Status::kNotOwn, std::nullopt}; // another file took the name meanwhile
        return {Status::kRead, ReadJournalText(file.bytes)};
    case Outcome::kTooLarge:
        return {same ? Status::kTooLarge : Status::kNotOwn, std::nullopt};
    case Outcome::kSymbolicLink:
    case Outcome::kNotRegular:
        return {Status::kNotOwn, std::nullopt};
    case Outcome::kNotOpened:
        return {file.error == ENOENT ? Status::kMissing : Status::kUnreadable, std::nullopt};
    case Outcome::kReadFailed:
        break;
    }
    return {Status::kUnreadable, std::nullopt};
}

ZEPExportRecovery::Outcome ZEPExportRecovery::Recover(const platform::HeldFolder& folder,
                                                      const ustring& path) {
    Outcome outcome;
    int error = 0;
    const auto names = folder.names(&error);
    if (!names)
        ThrowFolderWriteError(path,
                              "its entries cannot be read: " + Reason(error != 0 ? error : EIO));
    for (const std::u16string& name : *names) {
        const auto entry = IsSetAsideJournalName(name) ? folder.status(name) : std::nullopt;
        if (entry && entry->owner == platform::effectiveUser() && outcome.sweep) {
            outcome.sweep = false;
            ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
                << "a journal that did not read lies in " << path
                << ": nothing is swept from the folder";
        }
    }
    const platform::FileIdentity identity = folder.identity().value_or(platform::FileIdentity{});
    std::size_t notOwn = 0;
    for (const std::u16string& name : *names) {
        if (!IsJournalName(name) || name == m_ownJournal)
            continue;
        using Status = Read::Status;
        const Read read = ReadOwn(folder, name);
        switch (read.status) {
        case Status::kNotOwn:
            ++notOwn;
            continue;
        case Status::kMissing: // resolved meanwhile
            continue;
        case Status::kTooLarge:
            SetAside(folder, path, name, "is too large", outcome);
            continue;
        case Status::kUnreadable:
            SetAside(folder, path, name, "cannot be read", outcome);
            continue;
        case Status::kRead:
            break;
        }
        if (!read.journal)
            SetAside(folder, path, name, "does not read", outcome);
        else if (read.journal->folder.id != identity)
            SetAside(folder, path, name,
                     "was written in another folder (" + read.journal->folder.place.toStdString() +
                         "), not in this one",
                     outcome);
        else
            Resolve(folder, name, *read.journal, outcome);
    }
    if (notOwn > 0)
        ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
            << notOwn << (notOwn == 1 ? " entry" : " entries") << " under journal names in " << path
            << (notOwn == 1 ? " is" : " are")
            << " not the user's own (another user's, a symbolic link or no regular file): not "
               "opened and not acted on";
    return outcome;
}

void ZEPExportRecovery::SetAside(const platform::HeldFolder& folder, const ustring& path,
                                 const std::u16string& name, const std::string& why,
                                 Outcome& outcome) {
    outcome.sweep = false;
    const std::u16string aside = name + u"." + Wide(NewExportId());
    ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
        << "the journal " << Narrow(folder.entryPath(name)) << " of a dead export " << why
        << ": set aside as " << Narrow(folder.entryPath(aside))
        << " and not acted on; nothing is swept from its folder while it lies there";
    if (const int error = folder.renameNew(name, aside); error != 0)
        ThrowFolderWriteError(path, Reason(error));
}

ZEPExportRecovery::Reached ZEPExportRecovery::Reach(const ZEPJournalPlace& place) const {
    Reached reached;
    if (const platform::HeldFolder* ours = m_heldFolderOf ? m_heldFolderOf(place.id) : nullptr) {
        reached.ours = ours;
        return reached;
    }
    // Found at its place, it must be the very folder: another that took its place is not reached.
    if (reached.moment.open(Wide(place.place), true) != 0 ||
        reached.moment.identity() != std::optional(place.id)) {
        reached.moment.unlock();
        return reached;
    }
    if (reached.moment.lock(std::chrono::milliseconds(0)) == platform::HeldFolder::Result::kBusy) {
        reached.busy = true;
        reached.moment.unlock();
    }
    return reached;
}

void ZEPExportRecovery::ThrowCutOff(const platform::HeldFolder& folder, std::u16string_view journal,
                                    const ZEPUndoFailure& failure) {
    ustring what;
    switch (failure.what) {
    case ZEPUndoFailure::What::kPutBack:
        what = Narrow(folder.entryPath(Wide(failure.name))) + " cannot be put back";
        break;
    case ZEPUndoFailure::What::kRemove:
        what = Narrow(folder.entryPath(Wide(failure.name))) + " cannot be removed";
        break;
    case ZEPUndoFailure::What::kRewrite:
        what = Narrow(folder.entryPath(Wide(failure.name))) + " cannot be written";
        break;
    case ZEPUndoFailure::What::kSync:
        what = "the folder cannot be synced";
        break;
    }
    throw CZEPFileWriteError(CZEPFileWriteError::Text{
        "An earlier export into the folder " + Narrow(folder.path()) +
        " was cut off and cannot be undone: " + what + ": " + Reason(failure.error) +
        " (its journal " + Narrow(folder.entryPath(journal)) + ")."});
}

bool ZEPExportRecovery::UndoExport(const platform::HeldFolder& folder, bool ours,
                                   const std::u16string& name, const ZEPExportJournal& journal) {
    const auto failed = [&](const ZEPUndoFailure& failure) {
        if (ours)
            ThrowCutOff(folder, name, failure);
        ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
            << "cannot undo the export that died in " << journal.folder.place << ": "
            << (failure.name.empty() ? ustring("the folder cannot be synced") : failure.name)
            << ": " << Reason(failure.error);
        return false;
    };
    if (const auto failure = UndoJournalFiles(folder, journal))
        return failed(*failure);
    bool pending = false;
    for (const ZEPJournalPlace& place : journal.siblings) {
        const Reached sibling = Reach(place);
        if (!sibling.reached()) {
            pending = pending || sibling.busy; // a folder gone or replaced took its files along
            continue;
        }
        const platform::HeldFolder& held = sibling.folder();
        const Read read = ReadOwn(held, name);
        if (read.status == Read::Status::kMissing || read.status == Read::Status::kNotOwn)
            continue; // resolved already, or nothing of the user's there
        if (!read.journal || read.journal->exportId != journal.exportId ||
            read.journal->folder.id != place.id) {
            pending = true; // its own folder's recovery sets it aside
            continue;
        }
        std::optional<ZEPUndoFailure> failure = UndoJournalFiles(held, *read.journal);
        if (!failure)
            failure = RemoveJournal(held, name);
        if (failure) {
            if (sibling.ours)
                ThrowCutOff(held, name, *failure);
            pending = true;
        }
    }
    if (pending) {
        // Undone here; written again without its files, so that the next try undoes nothing here
        // a second time (the names may hold later exports' files by then).
        if (!journal.files.empty()) {
            ZEPExportJournal emptied = journal;
            emptied.files.clear();
            if (const int error = WriteJournalFile(folder, name, emptied); error != 0)
                return failed({ZEPUndoFailure::What::kRewrite, Narrow(name), error});
        }
        ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
            << "the export that died in " << journal.folder.place
            << " is undone there; its journal stays until its other folders can be undone";
        return false;
    }
    if (const auto failure = RemoveJournal(folder, name))
        return failed(*failure);
    return true;
}

void ZEPExportRecovery::Resolve(const platform::HeldFolder& folder, const std::u16string& name,
                                const ZEPExportJournal& journal, Outcome& outcome) {
    ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
        << "resolving the export that died in " << journal.folder.place;
    if (journal.IsPrimary()) {
        static_cast<void>(UndoExport(folder, true, name, journal));
        return;
    }
    // A journal beside the primary: the export stood only when this one is marked committed and
    // the primary's own folder holds no primary (rule 2); in every other case it is undone.
    Reached primary = Reach(journal.primary);
    std::optional<ZEPExportJournal> primaryJournal;
    bool stood = false;
    if (primary.reached()) {
        Read read = ReadOwn(primary.folder(), name);
        stood = journal.committed && read.status == Read::Status::kMissing;
        if (read.journal && read.journal->exportId == journal.exportId &&
            read.journal->folder.id == journal.primary.id)
            primaryJournal = std::move(read.journal);
    } else if (primary.busy && journal.committed) {
        ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
            << "the export that died in " << journal.folder.place
            << " is left as it is until its folder " << journal.primary.place << " can be held";
        KeepNamed(outcome.keep, journal);
        return;
    }
    if (const auto failure =
            stood ? CompleteJournalFiles(folder, journal) : UndoJournalFiles(folder, journal))
        ThrowCutOff(folder, name, *failure);
    if (const auto failure = RemoveJournal(folder, name))
        ThrowCutOff(folder, name, *failure);
    if (primaryJournal)
        static_cast<void>(
            UndoExport(primary.folder(), primary.ours != nullptr, name, *primaryJournal));
}
