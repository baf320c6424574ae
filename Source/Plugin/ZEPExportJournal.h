// The journal an export keeps in each folder whose files it changes, so that an export killed or
// cut off by a power cut on the way can be undone by the next one: its format, how it is read and
// written, and the rules by which a dead export's journal is acted on (the acting itself is in
// Plugin/ZEPExportRecovery.h; the live export's steps in Plugin/ZEPFileTransaction.h).
//
// Format (text, one record a line, fields separated by a TAB; every field percent-encoded: each
// byte below 0x21 or above 0x7E and each '%' as '%' and two upper-case hexadecimal digits, so a
// field holds any name or path and no TAB or line break; "%00" is refused, as no name holds NUL):
//     ZEPHRIN EXPORT JOURNAL 3
//     export  <16 upper-case hexadecimal digits: the export's id, the same in all its journals>
//     folder  <place> <id>   the folder the journal is written in: where it lay, its identity
//     primary <place> <id>   the folder of the export's primary journal (the primary: its own)
//     sibling <place> <id>   another folder with a journal of the export     (none or more)
//     file    <name> <kept> <how> <kept id> <staged> <staged id>            (none or more)
//     end     <outcome>      "open", or "committed" (never in the primary)
// A place is where a folder lay, in drive form, for messages and to find it again; an id is
// "<device>:<inode>" in decimal, the identity that binds a journal to its folder and tells a
// folder found at a place from another that took its place. A file record: `name` the final name;
// `kept` the temporary that holds what stood under it ("" when nothing did) and `how` it was kept
// ("link": a second name of that file, "moved": the file itself renamed aside; "" with no kept
// file); `staged` the temporary holding the new file, which the plug-in writes itself or the
// host's export command writes, and `staged id` its identity ("" for a host's file the export
// has not recorded yet: the host was still writing it). Every name is a plain name of the folder
// the journal lies in; a kept or staged name is a temporary's ("~zep", 16 hexadecimal digits,
// ".tmp"), a final name never is, nor a journal's. A journal's own name is kJournalPrefix, the
// export's id and kJournalSuffix.
//
// Rules:
// 1. Every final name changes only by the export's own rename, through the folder it holds, of
//    a file whose identity the folder's journal holds: the journal (written beside it with mode
//    0600, synced, renamed into place, the folder synced) lists each file before a final name
//    can change and before the host writes under a staged name; a host's file is recorded once
//    the host has returned, before it takes its name.
// 2. One journal of the export is its primary (the job folder's, when the export changes files
//    there). The commit marks every other journal "committed" (each synced), then removes the
//    primary: the export stands. The others go after it. An undoing removes the others first and
//    the primary last. So the export stood exactly when a journal marked committed is left and
//    its primary's folder (the folder of that identity, found at its place) holds no primary:
//    positive evidence. Every other case, an open journal, a primary on the disk, a primary's
//    folder gone or replaced, is undone.
// 3. A journal is acted on only when it is the exporting user's own: what stands under its name
//    is asked for its kind and owner before it is opened (no link followed), and only a regular
//    file of the effective user's is opened, without following a link or waiting, and read up to
//    kMaxJournalBytes. Another's entry of any kind is never opened, read, set aside or renamed,
//    and never stops the export: one ERROR record per folder counts them.
// 4. An own journal that does not read whole, or that was written in another folder (its folder
//    id is not the identity of the folder it lies in: moved there, or the folder copied, restored
//    or remounted), is set aside (renamed to its name, '.' and 16 hexadecimal digits) with one
//    ERROR record and never acted on; nothing is swept from its folder while it lies there.
// 5. A journal names only entries of the folder it lies in, by their plain names: no path, and so
//    no "..", is ever followed from it to a file. The primary and the siblings are reached only
//    through their journals of the same id, in the folders of their ids found at their places,
//    held without waiting (a folder another export holds is left to it).
// 6. A dead export that did not stand (rule 2) is undone in each folder that can be held now,
//    last file first, changing only what it put there:
//    a. its staged file goes while that name holds the staged file (its id); a host's staged file
//       not yet recorded goes while it is a regular file of the user's;
//    b. a name that holds the dead export's staged file, or stands empty, gets the kept file
//       back, or goes when nothing stood there; no other file is ever taken for the export's;
//    c. a name that still holds the kept file loses only the kept file's second name; a name that
//       holds another file (a later export's, or one the user put there) stays as it is, and the
//       kept file, which it replaced, goes;
//    d. a kept or staged name is touched only while it holds the file of its id.
//    The undoing can be repeated any number of times. Each folder is synced, then its journal
//    goes and the folder is synced again; the primary goes last, once no other journal of the
//    export is left; while one is, the primary is written again without its files, so that its
//    folder is never undone twice.
// 7. A dead export that stood (rule 2): in the folder of a journal left behind, its kept and
//    staged files go (while they hold the files of their ids), then the journal.
// 8. A dead export's journal is resolved by the next export that holds its folder, under its hold
//    and before that export writes there. The sweep of temporaries removes only the user's own,
//    never one that a journal still lying in the folder names, and none while a set-aside journal
//    lies there.
#pragma once

#include "platform/files.h"
#include "utils/ustring.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The journals' names: kJournalPrefix, the export's id, kJournalSuffix. Earlier versions of the
// plug-in wrote kLegacyJournalName and journals of the formats 1 and 2, which are read (and set
// aside, as they do not read) so that their dead exports' files are never swept.
inline constexpr std::u16string_view kJournalPrefix = u"~zep-export-";
inline constexpr std::u16string_view kJournalSuffix = u".journal";
inline constexpr std::u16string_view kLegacyJournalName = u"~zep-export.journal";
// What a journal that is read may hold at most: a 10,000-page EPS export needs under 2 MiB.
inline constexpr std::size_t kMaxJournalBytes = 16 * 1024 * 1024;
// The most siblings a journal may name.
inline constexpr std::size_t kMaxJournalSiblings = 64;
// The permission bits a journal is made with: the user's alone.
inline constexpr std::uint32_t kJournalMode = 0600;

// How what stood under a name was kept.
enum class ZEPKept { kNothing, kLink, kMoved };

// A folder as a journal names it: where it lay, and its identity.
struct ZEPJournalPlace {
    ustring place;
    platform::FileIdentity id;

    friend bool operator==(const ZEPJournalPlace&, const ZEPJournalPlace&) = default;
};

struct ZEPJournalFile {
    ustring name;
    ustring kept; // empty with ZEPKept::kNothing
    ZEPKept how = ZEPKept::kNothing;
    platform::FileIdentity keptId;
    ustring staged;                                 // empty: nothing staged yet
    std::optional<platform::FileIdentity> stagedId; // none: a host's file not recorded yet

    friend bool operator==(const ZEPJournalFile&, const ZEPJournalFile&) = default;
};

struct ZEPExportJournal {
    ustring exportId; // 16 upper-case hexadecimal digits
    ZEPJournalPlace folder;
    ZEPJournalPlace primary;
    std::vector<ZEPJournalPlace> siblings;
    std::vector<ZEPJournalFile> files;
    bool committed = false; // marked by the commit before the primary goes

    [[nodiscard]] bool IsPrimary() const { return primary.id == folder.id; }

    friend bool operator==(const ZEPExportJournal&, const ZEPExportJournal&) = default;
};

// The journal's text.
[[nodiscard]] std::string WriteJournalText(const ZEPExportJournal& journal);
// The journal the text holds; nothing when it does not read whole (a primary marked committed,
// a sibling of the journal's own folder, a name that is no plain name of the right kind, a field
// that holds NUL, more than kMaxJournalSiblings siblings, more than kMaxJournalBytes). Linear in
// the text's length.
[[nodiscard]] std::optional<ZEPExportJournal> ReadJournalText(std::string_view text);

// A journal's name for the export's id; whether a name is a journal's, and a set-aside one's.
[[nodiscard]] ustring JournalName(const ustring& exportId);
[[nodiscard]] bool IsJournalName(std::u16string_view name);
[[nodiscard]] bool IsSetAsideJournalName(std::u16string_view name);

// A new export's id: 16 random upper-case hexadecimal digits (also the tail of a set-aside
// journal's name).
[[nodiscard]] ustring NewExportId();

// A fresh temporary's name in the folder ("~zep", 16 hexadecimal digits, ".tmp"), free when
// chosen; a change that finds it taken when it makes the file tries another, at most
// kTemporaryNameTries times in all.
[[nodiscard]] std::u16string NewTemporaryName(const platform::HeldFolder& folder);
inline constexpr int kTemporaryNameTries = 8;

// Writes the journal into the folder under `name` (rule 1): made new beside it under a temporary
// name with kJournalMode, synced, renamed over `name`, the folder synced. 0, or the system error
// number of the step that failed (the temporary is then gone again, `name` as it was).
[[nodiscard]] int WriteJournalFile(const platform::HeldFolder& folder, std::u16string_view name,
                                   const ZEPExportJournal& journal,
                                   platform::SyncPurpose purpose = platform::SyncPurpose::kPublish);

// Why a journal's files could not be undone or completed, or the journal removed.
struct ZEPUndoFailure {
    // A file that cannot be put back, a journal that cannot be removed or written again, a
    // folder that cannot be synced.
    enum class What { kPutBack, kRemove, kRewrite, kSync } what = What::kPutBack;
    ustring name; // the file or the journal; empty for kSync
    int error = 0;
};

// Removes the kept or staged file `name` (none: nothing) of the folder while it holds the file of
// `id` (rule 6d): another file under that name stays.
void RemoveIfItHolds(const platform::HeldFolder& folder, const ustring& name,
                     const platform::FileIdentity& id);
// Undoes the journal's files in `folder`, where it lies (rule 6), and syncs the folder. Nothing,
// or the first step that failed (the rest is left for the next try).
[[nodiscard]] std::optional<ZEPUndoFailure>
UndoJournalFiles(const platform::HeldFolder& folder, const ZEPExportJournal& journal,
                 platform::SyncPurpose purpose = platform::SyncPurpose::kPublish);
// Removes the kept and staged files of a journal whose export stood (rule 7), and syncs the
// folder.
[[nodiscard]] std::optional<ZEPUndoFailure> CompleteJournalFiles(const platform::HeldFolder& folder,
                                                                 const ZEPExportJournal& journal);
// Removes the journal `name` from the folder and syncs the folder.
[[nodiscard]] std::optional<ZEPUndoFailure>
RemoveJournal(const platform::HeldFolder& folder, std::u16string_view name,
              platform::SyncPurpose purpose = platform::SyncPurpose::kPublish);
