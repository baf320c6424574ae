// libFuzzer target for the export's journal, which any user who can write into a job folder can
// lay there: reading it must end in a journal or in "does not read", never in a crash, a hang or
// a sanitizer report, and a journal that reads writes back to a text that reads as the same.
#include "Plugin/ZEPExportJournal.h"
#include "QuietLog.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto journal = ReadJournalText(text);
    if (!journal)
        return 0;
    const auto again = ReadJournalText(WriteJournalText(*journal));
    if (again != journal)
        std::abort();
    return 0;
}
