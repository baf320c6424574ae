#include "Plugin/ZEPExportJournal.h"

#include "Plugin/ZEPStringConversions.h"
#include "platform/uuid.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>
#include <utility>

namespace {

constexpr std::string_view kHeader = "ZEPHRIN EXPORT JOURNAL 3";
constexpr std::string_view kEnd = "end";
constexpr std::string_view kOpen = "open";
constexpr std::string_view kCommitted = "committed";
constexpr std::size_t kExportIdDigits = 16;

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Upper-case hexadecimal digits only (none: true).
template <typename Char>
bool IsUpperHex(std::basic_string_view<Char> text) {
    return std::all_of(text.begin(), text.end(), [](Char c) {
        return (c >= Char('0') && c <= Char('9')) || (c >= Char('A') && c <= Char('F'));
    });
}

void Encode(std::string& out, std::string_view field) {
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E || c == '%') {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xF];
        } else {
            out += c;
        }
    }
}

// The field's bytes; nothing for a bad escape or a byte that must have been escaped.
std::optional<std::string> Decode(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte < 0x21 || byte > 0x7E)
            return std::nullopt;
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return std::nullopt;
        const int high = HexValue(field[i + 1]);
        const int low = HexValue(field[i + 2]);
        // No name or path holds NUL: one would be cut at it and name another file.
        if (high < 0 || low < 0 || high * 16 + low == 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string IdText(const platform::FileIdentity& id) {
    return std::to_string(id.device) + ":" + std::to_string(id.inode);
}

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

std::optional<platform::FileIdentity> ParseId(std::string_view text) {
    const std::size_t colon = text.find(':');
    platform::FileIdentity id;
    if (colon == std::string_view::npos || !ParseNumber(text.substr(0, colon), id.device) ||
        !ParseNumber(text.substr(colon + 1), id.inode))
        return std::nullopt;
    return id;
}

// The text split at `separator`, at most `most` parts (one more means too many).
std::vector<std::string_view> Split(std::string_view text, char separator, std::size_t most) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos || parts.size() > most)
            return parts;
        text.remove_prefix(at + 1);
    }
}

bool IsTemporary(const ustring& name) {
    return platform::isTemporaryName(Wide(name));
}

// A final name: plain, no temporary's and no journal's.
bool IsFinalName(const ustring& name) {
    const std::u16string wide = Wide(name);
    return platform::isPlainName(wide) && !platform::isTemporaryName(wide) &&
           !IsJournalName(wide) && !IsSetAsideJournalName(wide);
}

// The decoded fields of a record line; nothing when one does not decode.
std::optional<std::vector<std::string>> Fields(std::string_view line, std::size_t most) {
    std::vector<std::string> fields;
    for (const std::string_view field : Split(line, '\t', most)) {
        auto decoded = Decode(field);
        if (!decoded)
            return std::nullopt;
        fields.push_back(std::move(*decoded));
    }
    return fields;
}

std::optional<ZEPJournalFile> ReadFileRecord(const std::vector<std::string>& fields) {
    if (fields.size() != 7)
        return std::nullopt;
    ZEPJournalFile file;
    file.name = ustring(fields[1]);
    file.kept = ustring(fields[2]);
    const std::string& how = fields[3];
    file.staged = ustring(fields[5]);
    if (!IsFinalName(file.name))
        return std::nullopt;
    if (how.empty() != file.kept.empty() || how.empty() != fields[4].empty())
        return std::nullopt;
    if (!how.empty()) {
        if (how != "link" && how != "moved")
            return std::nullopt;
        file.how = how == "link" ? ZEPKept::kLink : ZEPKept::kMoved;
        const auto id = ParseId(fields[4]);
        if (!id || !IsTemporary(file.kept))
            return std::nullopt;
        file.keptId = *id;
    }
    if (file.staged.empty()) {
        if (!fields[6].empty())
            return std::nullopt;
        return file;
    }
    if (!IsTemporary(file.staged) || file.staged == file.kept)
        return std::nullopt;
    if (!fields[6].empty()) {
        const auto id = ParseId(fields[6]);
        if (!id)
            return std::nullopt;
        file.stagedId = *id;
    }
    return file;
}

// A place record's folder: its place and id.
std::optional<ZEPJournalPlace> ReadPlace(const std::vector<std::string>& fields) {
    if (fields.size() != 3 || fields[1].empty())
        return std::nullopt;
    const auto id = ParseId(fields[2]);
    if (!id)
        return std::nullopt;
    return ZEPJournalPlace{ustring(fields[1]), *id};
}

} // namespace

std::string WriteJournalText(const ZEPExportJournal& journal) {
    std::string text(kHeader);
    const auto record = [&text](std::initializer_list<std::string_view> fields) {
        text += '\n';
        bool first = true;
        for (const std::string_view field : fields) {
            if (!first)
                text += '\t';
            first = false;
            Encode(text, field);
        }
    };
    const auto place = [&record](std::string_view kind, const ZEPJournalPlace& folder) {
        record({kind, folder.place.view(), IdText(folder.id)});
    };
    record({"export", journal.exportId.view()});
    place("folder", journal.folder);
    place("primary", journal.primary);
    for (const ZEPJournalPlace& sibling : journal.siblings)
        place("sibling", sibling);
    for (const ZEPJournalFile& file : journal.files) {
        const bool kept = file.how != ZEPKept::kNothing;
        record({"file", file.name.view(), kept ? file.kept.view() : "",
                !kept                        ? ""
                : file.how == ZEPKept::kLink ? "link"
                                             : "moved",
                kept ? IdText(file.keptId) : "", file.staged.view(),
                file.stagedId ? IdText(*file.stagedId) : ""});
    }
    record({kEnd, journal.committed ? kCommitted : kOpen});
    text += '\n';
    return text;
}

std::optional<ZEPExportJournal> ReadJournalText(std::string_view text) {
    if (text.size() > kMaxJournalBytes || !text.ends_with('\n'))
        return std::nullopt;
    text.remove_suffix(1);

    ZEPExportJournal journal;
    enum class Part { kHeader, kExport, kFolder, kPrimary, kRecords, kEnded } part = Part::kHeader;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (part == Part::kHeader) {
            if (line != kHeader)
                return std::nullopt;
            part = Part::kExport;
            continue;
        }
        if (part == Part::kEnded)
            return std::nullopt; // nothing follows the end
        const auto fields = Fields(line, 7);
        if (!fields || fields->empty())
            return std::nullopt;
        const std::string& kind = (*fields)[0];
        if (part == Part::kExport) {
            if (kind != "export" || fields->size() != 2 || (*fields)[1].size() != kExportIdDigits ||
                !IsUpperHex(std::string_view((*fields)[1])))
                return std::nullopt;
            journal.exportId = ustring((*fields)[1]);
            part = Part::kFolder;
        } else if (part == Part::kFolder) {
            auto folder = kind == "folder" ? ReadPlace(*fields) : std::nullopt;
            if (!folder)
                return std::nullopt;
            journal.folder = std::move(*folder);
            part = Part::kPrimary;
        } else if (part == Part::kPrimary) {
            auto primary = kind == "primary" ? ReadPlace(*fields) : std::nullopt;
            if (!primary)
                return std::nullopt;
            journal.primary = std::move(*primary);
            part = Part::kRecords;
        } else if (kind == "sibling") {
            auto sibling = ReadPlace(*fields);
            if (!sibling || !journal.files.empty() ||
                journal.siblings.size() == kMaxJournalSiblings || sibling->id == journal.folder.id)
                return std::nullopt;
            journal.siblings.push_back(std::move(*sibling));
        } else if (kind == "file") {
            auto file = ReadFileRecord(*fields);
            if (!file)
                return std::nullopt;
            journal.files.push_back(std::move(*file));
        } else if (kind == kEnd && fields->size() == 2 &&
                   ((*fields)[1] == kOpen || (*fields)[1] == kCommitted)) {
            journal.committed = (*fields)[1] == kCommitted;
            part = Part::kEnded;
        } else {
            return std::nullopt;
        }
    }
    // The commit marks every journal but the primary, whose removal is what makes it stand.
    if (part != Part::kEnded || (journal.committed && journal.IsPrimary()))
        return std::nullopt;
    return journal;
}

ustring NewExportId() {
    const auto random = platform::createUuid();
    std::string digits;
    for (std::size_t i = 0; i < kExportIdDigits / 2; ++i) {
        digits += kHexDigits[random[i] >> 4];
        digits += kHexDigits[random[i] & 0xF];
    }
    return ustring(digits);
}

std::u16string NewTemporaryName(const platform::HeldFolder& folder) {
    const std::u16string path = platform::temporarySibling(folder.entryPath(u"x"));
    return path.substr(path.find_last_of(u"/\\") + 1);
}

ustring JournalName(const ustring& exportId) {
    return ustring::fromWString(std::u16string(kJournalPrefix)) + exportId +
           ustring::fromWString(std::u16string(kJournalSuffix));
}

bool IsJournalName(std::u16string_view name) {
    if (name == kLegacyJournalName)
        return true;
    if (name.size() != kJournalPrefix.size() + kExportIdDigits + kJournalSuffix.size() ||
        !name.starts_with(kJournalPrefix) || !name.ends_with(kJournalSuffix))
        return false;
    return IsUpperHex(name.substr(kJournalPrefix.size(), kExportIdDigits));
}

bool IsSetAsideJournalName(std::u16string_view name) {
    const std::size_t dot = name.size() > kExportIdDigits + 1 ? name.size() - kExportIdDigits - 1
                                                              : std::u16string_view::npos;
    if (dot == std::u16string_view::npos || name[dot] != u'.')
        return false;
    return IsJournalName(name.substr(0, dot)) && IsUpperHex(name.substr(dot + 1));
}

int WriteJournalFile(const platform::HeldFolder& folder, std::u16string_view name,
                     const ZEPExportJournal& journal, platform::SyncPurpose purpose) {
    const std::string text = WriteJournalText(journal);
    // A fresh temporary beside it; a name another took meanwhile is never written nor removed.
    std::u16string part;
    platform::OutputFileStream out;
    for (int tries = 0; tries < kTemporaryNameTries; ++tries) {
        part = NewTemporaryName(folder);
        if (out.openNew(folder, part, kJournalMode) || out.error() != EEXIST)
            break;
    }
    if (!out.isOpen())
        return out.error() != 0 ? out.error() : EIO;
    bool written =
        static_cast<bool>(out.write(text.data(), static_cast<std::streamsize>(text.size())));
    written = out.close() && written;
    int error = written ? 0 : (out.error() != 0 ? out.error() : EIO);
    if (error == 0)
        error = folder.syncFile(part, purpose);
    if (error == 0)
        error = folder.rename(part, name);
    if (error != 0) {
        static_cast<void>(folder.remove(part));
        return error;
    }
    return folder.sync(purpose);
}

namespace {

// The id of the entry under the name, when it is a file or link.
std::optional<platform::FileIdentity> IdOf(const platform::HeldFolder& folder,
                                           const ustring& name) {
    if (name.empty())
        return std::nullopt;
    const auto status = folder.status(Wide(name));
    if (!status || status->kind == platform::EntryStatus::Kind::kFolder)
        return std::nullopt;
    return status->identity;
}

bool Holds(const platform::HeldFolder& folder, const ustring& name,
           const platform::FileIdentity& id) {
    const auto held = IdOf(folder, name);
    return held && *held == id;
}

// Removes a staged file: the file of its id, or, for a host's file not recorded yet, a regular
// file of the user's (rule 6a).
void RemoveStaged(const platform::HeldFolder& folder, const ZEPJournalFile& file) {
    if (file.staged.empty())
        return;
    if (file.stagedId) {
        RemoveIfItHolds(folder, file.staged, *file.stagedId);
        return;
    }
    const auto status = folder.status(Wide(file.staged));
    if (status && status->kind == platform::EntryStatus::Kind::kFile &&
        status->owner == platform::effectiveUser())
        static_cast<void>(folder.remove(Wide(file.staged)));
}

// Undoes one file (rule 6); the failure, if any.
std::optional<ZEPUndoFailure> UndoFile(const platform::HeldFolder& folder,
                                       const ZEPJournalFile& file) {
    RemoveStaged(folder, file);
    const auto current = IdOf(folder, file.name);
    const bool keptThere = file.how != ZEPKept::kNothing && Holds(folder, file.kept, file.keptId);
    const bool ownNew = current && file.stagedId && *current == *file.stagedId;
    if (keptThere) {
        if (current && *current == file.keptId) {
            static_cast<void>(folder.remove(Wide(file.kept))); // the name holds it still
        } else if (!current || ownNew) {
            if (const int error = folder.restore(Wide(file.kept), Wide(file.name)); error != 0)
                return ZEPUndoFailure{ZEPUndoFailure::What::kPutBack, file.name, error};
        } else {
            static_cast<void>(folder.remove(Wide(file.kept))); // replaced by another's file
        }
    } else if (file.how == ZEPKept::kNothing && ownNew) {
        if (const int error = folder.remove(Wide(file.name)); error != 0 && error != ENOENT)
            return ZEPUndoFailure{ZEPUndoFailure::What::kPutBack, file.name, error};
    }
    return std::nullopt;
}

} // namespace

void RemoveIfItHolds(const platform::HeldFolder& folder, const ustring& name,
                     const platform::FileIdentity& id) {
    if (Holds(folder, name, id))
        static_cast<void>(folder.remove(Wide(name)));
}

std::optional<ZEPUndoFailure> UndoJournalFiles(const platform::HeldFolder& folder,
                                               const ZEPExportJournal& journal,
                                               platform::SyncPurpose purpose) {
    for (auto file = journal.files.rbegin(); file != journal.files.rend(); ++file)
        if (auto failure = UndoFile(folder, *file))
            return failure;
    if (const int error = folder.sync(purpose); error != 0)
        return ZEPUndoFailure{ZEPUndoFailure::What::kSync, ustring(), error};
    return std::nullopt;
}

std::optional<ZEPUndoFailure> CompleteJournalFiles(const platform::HeldFolder& folder,
                                                   const ZEPExportJournal& journal) {
    for (const ZEPJournalFile& file : journal.files) {
        RemoveIfItHolds(folder, file.kept, file.keptId);
        RemoveStaged(folder, file);
    }
    if (const int error = folder.sync(); error != 0)
        return ZEPUndoFailure{ZEPUndoFailure::What::kSync, ustring(), error};
    return std::nullopt;
}

std::optional<ZEPUndoFailure> RemoveJournal(const platform::HeldFolder& folder,
                                            std::u16string_view name,
                                            platform::SyncPurpose purpose) {
    if (const int error = folder.remove(name); error != 0 && error != ENOENT)
        return ZEPUndoFailure{ZEPUndoFailure::What::kRemove, Narrow(name), error};
    if (const int error = folder.sync(purpose); error != 0)
        return ZEPUndoFailure{ZEPUndoFailure::What::kSync, ustring(), error};
    return std::nullopt;
}
