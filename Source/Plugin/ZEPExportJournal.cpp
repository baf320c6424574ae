#include "Plugin/ZEPExportJournal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>

namespace {

constexpr std::string_view kHeader = "ZEPHRIN EXPORT JOURNAL 2";
constexpr std::string_view kEnd = "end";
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
        if (high < 0 || low < 0)
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

std::u16string Wide(const ustring& name) {
    return name.toWString();
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
    if (file.staged.empty() != fields[6].empty())
        return std::nullopt;
    if (!file.staged.empty()) {
        const auto id = ParseId(fields[6]);
        if (!id || !IsTemporary(file.staged) || file.staged == file.kept)
            return std::nullopt;
        file.stagedId = *id;
    }
    return file;
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
    record({"export", journal.exportId.view()});
    record({"folder", journal.folder.view()});
    record({"primary", journal.primary.view()});
    for (const ustring& sibling : journal.siblings)
        record({"sibling", sibling.view()});
    for (const ZEPJournalFile& file : journal.files) {
        const bool kept = file.how != ZEPKept::kNothing;
        const bool staged = !file.staged.empty();
        record({"file", file.name.view(), kept ? file.kept.view() : "",
                !kept                        ? ""
                : file.how == ZEPKept::kLink ? "link"
                                             : "moved",
                kept ? IdText(file.keptId) : "", staged ? file.staged.view() : "",
                staged ? IdText(file.stagedId) : ""});
    }
    record({kEnd});
    for (const ZEPJournalFile& file : journal.files)
        if (file.made)
            record({"made", file.name.view(), IdText(*file.made)});
    text += '\n';
    return text;
}

std::optional<ZEPExportJournal> ReadJournalText(std::string_view text) {
    if (text.size() > kMaxJournalBytes)
        return std::nullopt;
    // A last line without its line break is an append cut short.
    const std::size_t lastBreak = text.rfind('\n');
    if (lastBreak == std::string_view::npos)
        return std::nullopt;
    const std::string_view cut = text.substr(lastBreak + 1);
    text = text.substr(0, lastBreak);

    ZEPExportJournal journal;
    enum class Part {
        kHeader,
        kExport,
        kFolder,
        kPrimary,
        kSiblings,
        kFiles,
        kMade
    } part = Part::kHeader;
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
            if (kind != "folder" || fields->size() != 2)
                return std::nullopt;
            journal.folder = ustring((*fields)[1]);
            part = Part::kPrimary;
        } else if (part == Part::kPrimary) {
            if (kind != "primary" || fields->size() != 2)
                return std::nullopt;
            journal.primary = ustring((*fields)[1]);
            part = Part::kSiblings;
        } else if (part == Part::kSiblings && kind == "sibling") {
            if (fields->size() != 2 || (*fields)[1].empty() ||
                journal.siblings.size() == kMaxJournalSiblings)
                return std::nullopt;
            journal.siblings.emplace_back((*fields)[1]);
        } else if ((part == Part::kSiblings || part == Part::kFiles) && kind == "file") {
            part = Part::kFiles;
            auto file = ReadFileRecord(*fields);
            if (!file)
                return std::nullopt;
            journal.files.push_back(std::move(*file));
        } else if ((part == Part::kSiblings || part == Part::kFiles) && kind == kEnd) {
            if (fields->size() != 1)
                return std::nullopt;
            part = Part::kMade;
        } else if (part == Part::kMade && kind == "made") {
            const auto id = fields->size() == 3 ? ParseId((*fields)[2]) : std::nullopt;
            if (!id)
                return std::nullopt;
            const ustring name((*fields)[1]);
            const auto file = std::find_if(journal.files.begin(), journal.files.end(),
                                           [&](const ZEPJournalFile& f) { return f.name == name; });
            if (file == journal.files.end() || !file->staged.empty())
                return std::nullopt;
            file->made = *id;
        } else {
            return std::nullopt;
        }
    }
    if (part != Part::kMade)
        return std::nullopt;
    // What follows the last line break may only be the start of a made record.
    if (!cut.empty() && !std::string_view("made\t").starts_with(cut.substr(0, 5)))
        return std::nullopt;
    return journal;
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

} // namespace

void RemoveIfItHolds(const platform::HeldFolder& folder, const ustring& name,
                     const platform::FileIdentity& id) {
    if (Holds(folder, name, id))
        static_cast<void>(folder.remove(Wide(name)));
}

namespace {

// Undoes one file (rule 5); the failure, if any.
std::optional<ZEPUndoFailure> UndoFile(const platform::HeldFolder& folder,
                                       const ZEPJournalFile& file) {
    RemoveIfItHolds(folder, file.staged, file.stagedId);
    const auto current = IdOf(folder, file.name);
    const bool keptThere = file.how != ZEPKept::kNothing && Holds(folder, file.kept, file.keptId);
    const bool ownNew = current && ((!file.staged.empty() && *current == file.stagedId) ||
                                    (file.made && *current == *file.made) ||
                                    (file.staged.empty() && !file.made &&
                                     !(file.how != ZEPKept::kNothing && *current == file.keptId)));
    if (keptThere) {
        if (current && *current == file.keptId) {
            static_cast<void>(folder.remove(Wide(file.kept))); // the name holds it still
        } else if (!current || ownNew) {
            if (folder.restore(Wide(file.kept), Wide(file.name)) != 0)
                return ZEPUndoFailure{file.name, errno};
        } else {
            static_cast<void>(folder.remove(Wide(file.kept))); // replaced by another's file
        }
    } else if (file.how == ZEPKept::kNothing && ownNew) {
        if (folder.remove(Wide(file.name)) != 0 && errno != ENOENT)
            return ZEPUndoFailure{file.name, errno};
    }
    return std::nullopt;
}

} // namespace

std::optional<ZEPUndoFailure> UndoJournalFiles(const platform::HeldFolder& folder,
                                               const ZEPExportJournal& journal,
                                               platform::SyncPurpose purpose) {
    for (auto file = journal.files.rbegin(); file != journal.files.rend(); ++file)
        if (auto failure = UndoFile(folder, *file))
            return failure;
    if (folder.sync(purpose) != 0)
        return ZEPUndoFailure{ustring(), errno};
    return std::nullopt;
}

std::optional<ZEPUndoFailure> CompleteJournalFiles(const platform::HeldFolder& folder,
                                                   const ZEPExportJournal& journal) {
    for (const ZEPJournalFile& file : journal.files) {
        RemoveIfItHolds(folder, file.kept, file.keptId);
        RemoveIfItHolds(folder, file.staged, file.stagedId);
    }
    if (folder.sync() != 0)
        return ZEPUndoFailure{ustring(), errno};
    return std::nullopt;
}

std::optional<ZEPUndoFailure> RemoveJournal(const platform::HeldFolder& folder,
                                            std::u16string_view name,
                                            platform::SyncPurpose purpose) {
    if (folder.remove(name) != 0 && errno != ENOENT)
        return ZEPUndoFailure{ustring::fromWString(std::u16string(name)), errno};
    if (folder.sync(purpose) != 0)
        return ZEPUndoFailure{ustring(), errno};
    return std::nullopt;
}
