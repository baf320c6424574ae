// The journal an export keeps in each folder whose files it changes, so that an export killed or
// cut off by a power cut on the way can be undone by the next one: its format, how it is read and
// the rules by which a dead export's journal is acted on.
//
// Format (text, one record a line, fields separated by a TAB; every field percent-encoded: each
// byte below 0x21 or above 0x7E and each '%' as '%' and two upper-case hexadecimal digits, so a
// field holds any name or path and no TAB or line break):
//     ZEPHRIN EXPORT JOURNAL 2
//     export  <16 upper-case hexadecimal digits: the export's id, the same in all its journals>
//     folder  <where this folder lies, in drive form>
//     primary <where the export's primary journal lies: this folder's place for the primary>
//     sibling <where another folder with a journal of the export lies>  (none or more)
//     file    <name> <kept> <how> <kept id> <staged> <staged id>        (none or more)
//     end
//     made    <name> <id>                                               (none or more)
// A file record: `name` the final name; `kept` the temporary that holds what stood under it
// ("" when nothing did) and `how` it was kept ("link": a second name of that file, "moved": the
// file itself renamed aside; "" with no kept file); `staged` the temporary holding the new file
// the export writes itself ("" for a file the host writes under its final name). An id is
// "<device>:<inode>" in decimal ("" with no name). A made record, appended after "end", gives the
// id of the file the host wrote under a name. Every name is a plain name of the folder the journal
// lies in; a kept or staged name is a temporary's ("~zep", 16 hexadecimal digits, ".tmp"), a
// final name never is, nor a journal's. A journal's own name is kJournalPrefix, the export's id
// and kJournalSuffix.
//
// Rules:
// 1. An export writes a folder's journal (beside it, synced, renamed into place, the folder
//    synced) before any final name in that folder can change: before a file is kept by moving it
//    aside, before a staged file takes its name, before the host may write under a name. The
//    journal lists each file with the ids of its kept and staged files, so that recovery knows
//    which files are the dead export's own.
// 2. One journal of the export is its primary (the job folder's, when the export changes files
//    there). The export stands once the primary is gone from the disk: a commit removes the
//    primary first, then the others; an undoing removes the others first and the primary last.
//    So a journal whose primary is gone belongs to an export that stood, and one whose primary
//    lies on the disk to an export that did not.
// 3. A journal is acted on only when it is the exporting user's own: opened without following a
//    symbolic link, a regular file, owned by the effective user, of at most kMaxJournalBytes.
//    Another's is never acted on and never stops the export: one ERROR record names it.
// 4. An own journal that does not read whole is set aside (renamed to its name, '.' and 16
//    hexadecimal digits) with one ERROR record and never acted on; nothing is swept from its
//    folder while it lies there.
// 5. A journal names only entries of the folder it lies in, by their plain names: no path, and so
//    no "..", is ever followed from it to a file. The primary and sibling places only tell where
//    the export's other journals lie; each is acted on only through its own journal of the same
//    id, held without waiting (one that another export holds is left to it).
// 6. A dead export whose primary lies on the disk (or whose primary's folder is gone) is undone,
//    in each folder that can be held now, last file first, changing only what it put there:
//    a. its staged file goes while that name holds the staged file (its id);
//    b. a name that holds the dead export's own file (its staged id, or its made id; for a file
//       the host wrote without a made record, any file but the kept one, since the host was
//       writing it when the export died) or that stands empty gets the kept file back, or goes
//       when nothing stood there;
//    c. a name that still holds the kept file loses only the kept file's second name; a name that
//       holds another file (a later export's, or one the user put there) stays as it is, and the
//       kept file, which it replaced, goes;
//    d. a kept or staged name is touched only while it holds the file of its id.
//    The undoing can be repeated when it is cut short. Each folder is synced, then its journal
//    goes and it is synced again; the primary goes last, and only once no other journal of the
//    export is left.
// 7. A dead export whose primary is gone stood: in the folder of a journal left behind, its kept
//    and staged files go (while they hold the files of their ids), then the journal.
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

// The journals' names: kJournalPrefix, the export's id, kJournalSuffix. An earlier version of the
// plug-in wrote kLegacyJournalName, which is read (and set aside, as it does not read) so that
// its dead export's files are never swept.
inline constexpr std::u16string_view kJournalPrefix = u"~zep-export-";
inline constexpr std::u16string_view kJournalSuffix = u".journal";
inline constexpr std::u16string_view kLegacyJournalName = u"~zep-export.journal";
// What a journal that is read may hold at most: a 10,000-page EPS export needs under 2 MiB.
inline constexpr std::size_t kMaxJournalBytes = 16 * 1024 * 1024;
// The most siblings a journal may name.
inline constexpr std::size_t kMaxJournalSiblings = 64;

// How what stood under a name was kept.
enum class ZEPKept { kNothing, kLink, kMoved };

struct ZEPJournalFile {
    ustring name;
    ustring kept; // empty with ZEPKept::kNothing
    ZEPKept how = ZEPKept::kNothing;
    platform::FileIdentity keptId;
    ustring staged; // empty for a file the host writes
    platform::FileIdentity stagedId;
    std::optional<platform::FileIdentity> made; // the host's file, once written

    friend bool operator==(const ZEPJournalFile&, const ZEPJournalFile&) = default;
};

struct ZEPExportJournal {
    ustring exportId; // 16 upper-case hexadecimal digits
    ustring folder;
    ustring primary;
    std::vector<ustring> siblings;
    std::vector<ZEPJournalFile> files;

    friend bool operator==(const ZEPExportJournal&, const ZEPExportJournal&) = default;
};

// The journal's text: the records up to "end", then a made record for each file that has one.
[[nodiscard]] std::string WriteJournalText(const ZEPExportJournal& journal);
// The journal the text holds; nothing when it does not read whole. A last line without its line
// break is a made record cut short and is passed over.
[[nodiscard]] std::optional<ZEPExportJournal> ReadJournalText(std::string_view text);

// A journal's name for the export's id; whether a name is a journal's, and a set-aside one's.
[[nodiscard]] ustring JournalName(const ustring& exportId);
[[nodiscard]] bool IsJournalName(std::u16string_view name);
[[nodiscard]] bool IsSetAsideJournalName(std::u16string_view name);

// Why a dead export's journal could not be resolved: the name that could not be put back or
// removed (empty: the folder could not be synced), and the system's error number.
struct ZEPUndoFailure {
    ustring name;
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
