#include "Plugin/ZEPFileTransaction.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "platform/files.h"
#include "utils/Logger.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace {

constexpr const char* kLogFile = "..\\..\\Source\\Plugin\\ZEPFileTransaction";
constexpr const char* kFunction = "ZEPFileTransaction";

// The journal's first line, its state (the one this system writes) and its last line.
constexpr std::string_view kJournalHeader = "ZEPHRIN EXPORT JOURNAL 1";
constexpr std::string_view kUndoState = "undo";
constexpr std::string_view kJournalEnd = "end";
// What a journal that reads may hold at most: a 10,000-page EPS export needs under 1 MiB.
constexpr std::size_t kMaxJournalBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxJournalFolders = 64;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// A free temporary name in the file's folder.
UFileSpecCore TemporaryBeside(const UFileSpecCore& file) {
    return UFileSpecCore(ustring::fromWString(platform::temporarySibling(file.path().toWString())),
                         nullptr);
}

// Something (a file, a link, a folder) stands under the name; links are not followed.
bool Exists(const UFileSpecCore& file) {
    return file.is_valid() && platform::fileAttributes(file.wide_path()).has_value();
}

// Deletes the file or link under the name, if any (never a folder).
void Delete(const UFileSpecCore& file) {
    if (Exists(file) && !platform::deleteFile(file.wide_path()))
        ZEU_LOG(Error, kLogFile, __LINE__, kFunction) << "cannot delete " << file.path();
}

// What stood under the entry's name goes back there in one step, the kept link renamed over
// the name, so that the name holds the new file or the old one at every moment; when it still
// holds the old one, only the kept link goes.
[[nodiscard]] bool PutBack(const UFileSpecCore& file, const UFileSpecCore& kept) {
    if (platform::isSameFile(kept.wide_path(), file.wide_path())) {
        Delete(kept);
        return true;
    }
    if (platform::restoreFile(kept.wide_path(), file.wide_path()))
        return true;
    ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
        << "cannot put back " << file.path() << " from " << kept.path();
    return false;
}

// The folder a file lies in; the empty path when it has none.
UFileSpecCore FolderOf(const UFileSpecCore& file) {
    UFileSpecCore folder = file;
    if (!folder.to_parent())
        static_cast<void>(folder.clear());
    return folder;
}

UFileSpecCore Below(const UFileSpecCore& folder, std::string_view leaf) {
    UFileSpecCore file = folder;
    if (leaf.empty() || !file.descend(ustring(leaf)))
        return UFileSpecCore();
    return file;
}

// A POSIX path without the separators at its end (the root keeps its one).
std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Where a folder lies, in drive form ("Z:/..."): the symbolic links of the part that exists
// resolved, the missing names below it appended; empty when its path names nothing.
ustring PlaceOf(const UFileSpecCore& folder) {
    const auto mapped =
        folder.is_valid() ? platform::toPosixPath(folder.wide_path()) : std::nullopt;
    if (!mapped || !mapped->starts_with('/'))
        return ustring();
    std::string existing = WithoutTrailingSeparators(*mapped);
    std::string missing;
    for (;;) {
        if (const auto resolved = platform::resolvedPath(u"Z:" + ustring(existing).toWString())) {
            std::string place = ustring::fromWString(*resolved).toStdString();
            if (!missing.empty())
                place += (place.ends_with('/') ? "" : "/") + missing;
            return ustring(place);
        }
        const std::size_t slash = existing.rfind('/');
        if (slash == std::string::npos || existing == "/")
            return ustring("Z:" + WithoutTrailingSeparators(*mapped));
        missing = existing.substr(slash + 1) + (missing.empty() ? "" : "/" + missing);
        existing = slash == 0 ? "/" : existing.substr(0, slash);
    }
}

// The part of `inner` below `outer` ("a/b" for "/x/a/b" below "/x"): empty for the same path,
// nothing when `inner` does not lie below `outer`. Both without trailing separators.
std::optional<std::string_view> PartBelow(std::string_view inner, std::string_view outer) {
    if (inner == outer)
        return std::string_view();
    const bool root = outer.ends_with('/');
    if (!inner.starts_with(outer) || (!root && inner.substr(outer.size()).substr(0, 1) != "/"))
        return std::nullopt;
    return inner.substr(outer.size() + (root ? 0 : 1));
}

// Why the folders from `base` down along `relative` ("a/b") are not all real folders: the first
// that is a symbolic link or not a folder, named as below `base`; nothing when each is a folder
// or missing (with those below it).
std::optional<ustring> NoRealFolder(UFileSpecCore folder, std::string_view relative) {
    while (!relative.empty()) {
        const std::size_t slash = relative.find('/');
        const std::string_view name = relative.substr(0, slash);
        relative =
            slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
        if (name.empty())
            continue;
        if (!folder.descend(ustring(name)))
            return ustring("The folder ") + folder.path() + "/" + ustring(name) +
                   " cannot be written: its name cannot be made.";
        const auto attributes = platform::fileAttributes(folder.wide_path());
        if (!attributes)
            return std::nullopt;
        if (*attributes & platform::kAttributeReparsePoint)
            return "The folder " + folder.path() + " cannot be written: it is a symbolic link.";
        if (!(*attributes & platform::kAttributeDirectory))
            return "The folder " + folder.path() + " cannot be written: it is not a folder.";
    }
    return std::nullopt;
}

// A plain leaf name: not empty, no separator, not "." or "..", no control character.
bool IsLeafName(std::string_view name) {
    return !name.empty() && name.size() <= 1024 && name != "." && name != ".." &&
           std::none_of(name.begin(), name.end(), [](char c) {
               return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
           });
}

bool IsTemporaryLeaf(std::string_view name) {
    return IsLeafName(name) && platform::isTemporaryName(ustring(name).toWString());
}

// The text split at `separator` (an empty text gives one empty part).
std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

} // namespace

// A journal's file record: its folder (an index into the folders), its final name, its kept
// link and its staged name (leaves; the last two may be empty).
struct ZEPFileTransaction::DeadEntry {
    std::size_t folder;
    std::string_view file;
    std::string_view kept;
    std::string_view staged;
};

// A journal as read, its texts pointing into `text`.
struct ZEPFileTransaction::DeadJournal {
    std::string text;
    std::vector<std::string_view> folders; // places; empty: a folder whose path named nothing
    std::vector<DeadEntry> entries;

    // Reads and checks the journal's text; false when it does not read whole.
    [[nodiscard]] bool Read(const UFileSpecCore& journal) {
        const auto size = platform::fileSize(journal.wide_path());
        if (!size || *size == 0 || *size > kMaxJournalBytes)
            return false;
        std::ifstream in;
        platform::openStream(in, journal.wide_path(), std::ios::in | std::ios::binary);
        text.resize(static_cast<std::size_t>(*size));
        if (!in || !in.read(text.data(), static_cast<std::streamsize>(text.size())) ||
            in.peek() != std::ifstream::traits_type::eof())
            return false;
        if (text.back() != '\n')
            return false;
        const std::vector<std::string_view> lines =
            Split(std::string_view(text).substr(0, text.size() - 1), '\n');
        if (lines.size() < 3 || lines[0] != kJournalHeader || lines.back() != kJournalEnd)
            return false;
        if (lines[1] != kUndoState)
            return false;
        for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
            const std::vector<std::string_view> fields = Split(lines[i], '\t');
            if (fields.size() == 2 && fields[0] == "folder" && entries.empty()) {
                if (folders.size() == kMaxJournalFolders ||
                    (!fields[1].empty() &&
                     (!fields[1].starts_with("Z:/") ||
                      !platform::toPosixPath(ustring(fields[1]).toWString()))))
                    return false;
                folders.push_back(fields[1]);
                continue;
            }
            if (fields.size() != 5 || fields[0] != "file")
                return false;
            DeadEntry entry{kNone, fields[2], fields[3], fields[4]};
            const auto [end, error] = std::from_chars(
                fields[1].data(), fields[1].data() + fields[1].size(), entry.folder);
            if (error != std::errc() || end != fields[1].data() + fields[1].size() ||
                entry.folder >= folders.size() || !IsLeafName(entry.file) ||
                IsTemporaryLeaf(entry.file) || entry.file == kJournalName ||
                (!entry.kept.empty() && !IsTemporaryLeaf(entry.kept)) ||
                (!entry.staged.empty() && !IsTemporaryLeaf(entry.staged)))
                return false;
            entries.push_back(entry);
        }
        return true;
    }
};

ZEPFileTransaction::~ZEPFileTransaction() {
    if (!m_committed) {
        try {
            Rollback();
        } catch (...) {
            // Only logging can throw here (memory); what is left undone stays so.
        }
    }
    m_folders.clear(); // lets the folders go, after the rollback
}

void ZEPFileTransaction::Begin(const UFileSpecCore& jobFolder,
                               const std::vector<UFileSpecCore>& folders) {
    m_begun = true;
    m_deadline = std::chrono::steady_clock::now() + kExportFolderWait;
    // Every folder below the job folder must be a real one before anything is held or written.
    const auto jobPath = platform::toPosixPath(jobFolder.wide_path());
    for (const UFileSpecCore& folder : folders) {
        const auto path =
            folder.is_valid() ? platform::toPosixPath(folder.wide_path()) : std::nullopt;
        if (!jobPath || !path)
            continue;
        const std::string outer = WithoutTrailingSeparators(*jobPath);
        const std::string inner = WithoutTrailingSeparators(*path);
        if (const auto below = PartBelow(inner, outer))
            if (const auto problem = NoRealFolder(jobFolder, *below))
                ThrowZEPException(*problem, kZEPFileWriteError);
    }
    m_folders.emplace_back(jobFolder, PlaceOf(jobFolder), true);
    for (const UFileSpecCore& folder : folders) {
        if (!folder.is_valid())
            continue;
        const ustring place = PlaceOf(folder);
        if (std::none_of(m_folders.begin(), m_folders.end(),
                         [&](const Folder& held) { return held.place == place; }))
            m_folders.emplace_back(
                folder, place, PartBelow(place.view(), m_folders.front().place.view()).has_value());
    }
    // The locks in the order of the folders' places.
    std::vector<std::size_t> order(m_folders.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return m_folders[a].place.view() < m_folders[b].place.view();
    });
    for (const std::size_t index : order)
        if (Exists(m_folders[index].path))
            Lock(m_folders[index]);
    Recover();
}

std::chrono::milliseconds ZEPFileTransaction::WaitLeft() const {
    const auto left = m_deadline - std::chrono::steady_clock::now();
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(left));
}

void ZEPFileTransaction::Lock(Folder& folder) {
    // The job folder and the folders outside it may be reached through links; the folders
    // below the job folder are real ones.
    const bool followLink = &folder == &m_folders.front() || !folder.inJob;
    switch (folder.lock.lockExclusive(folder.path.wide_path(), WaitLeft(), followLink)) {
    case platform::FolderLock::Result::kBusy:
        ThrowZEPException("The folder " + folder.path.path() +
                              " cannot be written: another export is writing there.",
                          kZEPFileWriteError);
    case platform::FolderLock::Result::kLocked:
    case platform::FolderLock::Result::kNoLocks:
        folder.place = PlaceOf(folder.path);
        break;
    case platform::FolderLock::Result::kNotOpened:
        // Written all the same when it can be; nothing is swept from it.
        break;
    }
}

std::size_t ZEPFileTransaction::Hold(const UFileSpecCore& folder) {
    auto held = std::find_if(m_folders.begin(), m_folders.end(),
                             [&](const Folder& known) { return known.path == folder; });
    if (held == m_folders.end()) {
        const ustring place = PlaceOf(folder);
        held = std::find_if(m_folders.begin(), m_folders.end(), [&](const Folder& known) {
            return !place.empty() && known.place == place;
        });
        if (held == m_folders.end()) {
            const bool inJob = PartBelow(place.view(), m_folders.front().place.view()).has_value();
            m_folders.emplace_back(folder, place, inJob);
            held = m_folders.end() - 1;
        }
    }
    if (!held->lock.isOpen() && Exists(held->path))
        Lock(*held);
    return static_cast<std::size_t>(held - m_folders.begin());
}

std::size_t ZEPFileTransaction::HoldFolderOf(const UFileSpecCore& file) {
    const UFileSpecCore folder = FolderOf(file);
    if (!m_begun)
        Begin(folder, {});
    return Hold(folder);
}

UFileSpecCore ZEPFileTransaction::Journal() const {
    return Below(m_folders.front().path, kJournalName);
}

void ZEPFileTransaction::WatchFolder(const UFileSpecCore& folder) {
    if (folder.is_valid() && !folder.exists())
        m_newFolders.push_back(folder);
}

void ZEPFileTransaction::Keep(Entry& entry) {
    if (!Exists(entry.file))
        return;
    entry.kept = TemporaryBeside(entry.file);
    int error = 0;
    if (!platform::linkFile(entry.file.wide_path(), entry.kept.wide_path(), error)) {
        static_cast<void>(entry.kept.clear());
        ThrowFileWriteError(entry.file.path(), error);
    }
}

void ZEPFileTransaction::Expect(const std::vector<UFileSpecCore>& files) {
    std::unordered_set<std::string> known; // a page that two runs hold is expected once
    for (const Entry& entry : m_entries)
        known.insert(entry.file.path().toStdString());
    for (const UFileSpecCore& file : files) {
        const std::size_t folder = HoldFolderOf(file);
        if (!known.insert(file.path().toStdString()).second)
            continue;
        Entry entry{file, folder, {}, {}};
        Keep(entry);
        m_entries.push_back(std::move(entry));
    }
    m_inPlace = false;
    WriteJournal();
}

UFileSpecCore ZEPFileTransaction::Stage(const UFileSpecCore& file) {
    Entry entry{file, HoldFolderOf(file), {}, {}};
    Keep(entry);
    entry.staged = TemporaryBeside(file);
    m_entries.push_back(std::move(entry));
    m_inPlace = false;
    // Once there is a journal, it lists every file and what it keeps.
    if (m_journaled)
        WriteJournal();
    return m_entries.back().staged;
}

void ZEPFileTransaction::WriteJournal() {
    const UFileSpecCore journal = Journal();
    if (!journal.is_valid())
        ThrowFileWriteError(kJournalName);
    std::string text(kJournalHeader);
    text += '\n';
    text += kUndoState;
    text += '\n';
    for (const Folder& folder : m_folders)
        text += "folder\t" + folder.place.toStdString() + "\n";
    const auto leaf = [](const UFileSpecCore& file) {
        return file.is_valid() ? file.name(true).toStdString() : std::string();
    };
    for (const Entry& entry : m_entries)
        text += "file\t" + std::to_string(entry.folder) + "\t" + leaf(entry.file) + "\t" +
                leaf(entry.kept) + "\t" + leaf(entry.staged) + "\n";
    text += kJournalEnd;
    text += '\n';

    const UFileSpecCore part = TemporaryBeside(journal);
    bool written = false;
    int error = 0;
    {
        platform::OutputFileStream out;
        written =
            out.open(part.wide_path()) &&
            static_cast<bool>(out.write(text.data(), static_cast<std::streamsize>(text.size())));
        written = out.close() && written;
        error = out.error();
    }
    written = written && platform::syncFile(part.wide_path()) &&
              platform::replaceFile(part.wide_path(), journal.wide_path(), error);
    if (!written) {
        Delete(part);
        ThrowFileWriteError(journal.path(), error);
    }
    m_journaled = true;
    // The journal on the disk, and the kept links, before anything replaces what they keep.
    m_folders.front().changed = true;
    for (const Entry& entry : m_entries)
        if (entry.kept.is_valid())
            m_folders[entry.folder].changed = true;
    SyncFolders(true, platform::SyncPurpose::kPublish);
}

void ZEPFileTransaction::SyncFolders(bool changedOnly, platform::SyncPurpose purpose) {
    for (Folder& folder : m_folders) {
        if ((changedOnly && !folder.changed) || !folder.lock.isOpen())
            continue;
        if (!folder.lock.sync(purpose)) {
            if (purpose == platform::SyncPurpose::kPublish)
                ThrowFileWriteError(folder.path.path());
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction) << "cannot sync " << folder.path.path();
        }
        folder.changed = false;
    }
}

void ZEPFileTransaction::PlaceNewFiles() {
    if (!m_journaled)
        WriteJournal();
    for (Entry& entry : m_entries) {
        if (!entry.staged.is_valid() || entry.placed || entry.kept.is_valid() ||
            !Exists(entry.staged))
            continue;
        int error = 0;
        if (!platform::syncFile(entry.staged.wide_path()) ||
            !platform::replaceFile(entry.staged.wide_path(), entry.file.wide_path(), error))
            ThrowFileWriteError(entry.file.path(), error);
        entry.placed = true;
        m_folders[entry.folder].changed = true;
    }
}

void ZEPFileTransaction::PutInPlace() {
    if (m_entries.empty()) {
        m_inPlace = true;
        return;
    }
    if (!m_journaled)
        WriteJournal();
    // Every new file whole on the disk before it takes its name; the host's outputs, which took
    // theirs, too.
    for (Entry& entry : m_entries) {
        if (entry.placed)
            continue;
        if (entry.staged.is_valid()) {
            if (!platform::syncFile(entry.staged.wide_path()))
                ThrowFileWriteError(entry.file.path());
            continue;
        }
        const auto attributes = platform::fileAttributes(entry.file.wide_path());
        const bool written =
            attributes &&
            !(*attributes & (platform::kAttributeReparsePoint | platform::kAttributeDirectory)) &&
            !(entry.kept.is_valid() &&
              platform::isSameFile(entry.kept.wide_path(), entry.file.wide_path()));
        if (!written)
            continue;
        if (!platform::syncFile(entry.file.wide_path()))
            ThrowFileWriteError(entry.file.path());
        m_folders[entry.folder].changed = true;
    }
    for (Entry& entry : m_entries) {
        if (!entry.staged.is_valid() || entry.placed)
            continue;
        int error = 0;
        if (!platform::replaceFile(entry.staged.wide_path(), entry.file.wide_path(), error))
            ThrowFileWriteError(entry.file.path(), error);
        entry.placed = true;
        m_folders[entry.folder].changed = true;
    }
    SyncFolders(true, platform::SyncPurpose::kPublish);
    m_inPlace = true;
}

void ZEPFileTransaction::Commit() {
    if (!m_inPlace)
        PutInPlace();
    // The change stands once its journal is gone from the disk.
    if (m_journaled) {
        const UFileSpecCore journal = Journal();
        if (!platform::deleteFile(journal.wide_path()))
            ThrowFileWriteError(journal.path());
        m_folders.front().changed = true;
        SyncFolders(true, platform::SyncPurpose::kPublish);
    }
    m_committed = true;
    for (const Entry& entry : m_entries)
        if (entry.kept.is_valid())
            Delete(entry.kept);
    RemoveLeftTemporaries();
    m_folders.clear();
}

void ZEPFileTransaction::RemoveLeftTemporaries() noexcept {
    if (!m_sweep)
        return;
    for (const Folder& folder : m_folders) {
        if (!folder.inJob)
            continue;
        try {
            const std::size_t removed = folder.lock.removeLeftTemporaries();
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
    if (m_journaled && !Exists(Journal())) {
        // The commit had removed it: a kill while the files go back must still undo them.
        try {
            WriteJournal();
        } catch (const std::exception& failure) {
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
                << "cannot write the journal again: " << failure.what();
        }
    }
    bool undone = true;
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        m_folders[entry->folder].changed = true;
        if (entry->staged.is_valid() && !entry->placed)
            Delete(entry->staged);
        if (entry->kept.is_valid()) {
            undone = PutBack(entry->file, entry->kept) && undone;
        } else if (!entry->staged.is_valid() || entry->placed) {
            // Nothing stood there, so what stands there now is this change's.
            Delete(entry->file);
        }
    }
    if (!m_folders.empty()) {
        SyncFolders(true, platform::SyncPurpose::kUndo);
        // A file that did not go back is left to the next change, which undoes the journal.
        if (m_journaled && undone) {
            Delete(Journal());
            m_folders.front().changed = true;
            SyncFolders(true, platform::SyncPurpose::kUndo);
        }
    }
    for (auto folder = m_newFolders.rbegin(); folder != m_newFolders.rend(); ++folder)
        if (folder->exists() && !platform::removeDirectory(folder->wide_path()))
            ZEU_LOG(Error, kLogFile, __LINE__, kFunction) << "cannot remove " << folder->path();
}

void ZEPFileTransaction::SetAside(const UFileSpecCore& journal, const char* why) {
    m_sweep = false;
    const ustring digits = TemporaryBeside(journal).name(true).substr(4, 16);
    const UFileSpecCore aside = Below(m_folders.front().path, ustring(kJournalName) + "." + digits);
    ZEU_LOG(Error, kLogFile, __LINE__, kFunction)
        << "the journal " << journal.path() << " of a dead export " << why << ": set aside as "
        << aside.path()
        << " and not acted on; nothing is swept from the job folder while it lies there";
    if (!aside.is_valid() || !platform::moveFile(journal.wide_path(), aside.wide_path()))
        ThrowFileWriteError(journal.path());
}

bool ZEPFileTransaction::Trust(const DeadJournal& journal, std::vector<std::size_t>& folders) {
    const ustring& job = m_folders.front().place;
    for (const std::string_view written : journal.folders) {
        // The journal's first folder is the one it lies in, and a folder below that lies below
        // this job folder, also when the job folder was moved since.
        ustring place(written);
        if (const auto below = PartBelow(written, journal.folders.front());
            below && !written.empty())
            place = below->empty() ? job
                                   : job + (job.view().ends_with('/') ? "" : "/") + ustring(*below);
        std::size_t index = kNone;
        for (std::size_t i = 0; i < m_folders.size() && index == kNone; ++i)
            if (!place.empty() && m_folders[i].place == place)
                index = i;
        const UFileSpecCore path(place, nullptr);
        if (index == kNone && !place.empty() && Exists(path)) {
            // Only a real folder below the job folder is held for a dead change.
            const auto below = PartBelow(place.view(), job.view());
            if (!below || below->empty() ||
                NoRealFolder(UFileSpecCore(job, nullptr), *below).has_value())
                return false;
            index = Hold(path);
        }
        folders.push_back(index); // kNone: the folder is gone, and its files with it
    }
    return true;
}

void ZEPFileTransaction::Recover() {
    const UFileSpecCore journal = Journal();
    if (!journal.is_valid())
        return;
    if (const auto names = platform::listDirectory(m_folders.front().path.wide_path()))
        for (const std::u16string& name : *names)
            if (ustring::fromWString(name).view().starts_with(ustring(kJournalName) + ".")) {
                m_sweep = false;
                ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
                    << "a journal that did not read lies in " << m_folders.front().path.path()
                    << ": nothing is swept from the job folder";
                break;
            }
    if (!Exists(journal))
        return;
    DeadJournal dead;
    if (!dead.Read(journal)) {
        SetAside(journal, "does not read");
        return;
    }
    std::vector<std::size_t> folders;
    if (!Trust(dead, folders)) {
        SetAside(journal, "names a folder that is neither this export's nor below its job folder");
        return;
    }
    ZEU_LOG(Warn, kLogFile, __LINE__, kFunction)
        << "undoing the export that died in " << m_folders.front().path.path();
    const auto name = [&](std::size_t folder, std::string_view leaf) {
        return folder == kNone ? UFileSpecCore() : Below(m_folders[folder].path, leaf);
    };
    for (auto entry = dead.entries.rbegin(); entry != dead.entries.rend(); ++entry) {
        const std::size_t folder = folders[entry->folder];
        if (folder == kNone)
            continue;
        const UFileSpecCore file = name(folder, entry->file);
        Delete(name(folder, entry->staged));
        const UFileSpecCore kept = name(folder, entry->kept);
        if (Exists(kept)) {
            if (!PutBack(file, kept))
                ThrowFileWriteError(file.path());
        } else if (!kept.is_valid()) {
            Delete(file);
        }
        m_folders[folder].changed = true;
    }
    SyncFolders(true, platform::SyncPurpose::kPublish);
    Delete(journal);
    m_folders.front().changed = true;
    SyncFolders(true, platform::SyncPurpose::kPublish);
}
