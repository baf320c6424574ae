// libFuzzer target for the export's journal, which any user who can write into a job folder can
// lay there: reading it must end in a journal or in "does not read", never in a crash, a hang or
// a sanitizer report, and a journal that reads writes back to a text that reads as the same.
#include "Plugin/ZEPExportJournal.h"
#include "QuietLog.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool operator==(const ZEPJournalFile& a, const ZEPJournalFile& b) {
    return a.name == b.name && a.kept == b.kept && a.how == b.how && a.keptId == b.keptId &&
           a.staged == b.staged && a.stagedId == b.stagedId && a.made == b.made;
}

bool SameJournal(const ZEPExportJournal& a, const ZEPExportJournal& b) {
    return a.exportId == b.exportId && a.folder == b.folder && a.primary == b.primary &&
           a.siblings == b.siblings && a.files == b.files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto journal = ReadJournalText(text);
    if (!journal)
        return 0;
    const auto again = ReadJournalText(WriteJournalText(*journal));
    if (!again || !SameJournal(*journal, *again))
        std::abort();
    return 0;
}
