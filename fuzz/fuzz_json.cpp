// libFuzzer target for the JSON reader: umessage::read on arbitrary bytes must end in true or
// false, never in a crash, a hang, a huge allocation or a sanitizer report; what it reads, the
// compact writer writes.
#include "QuietLog.h"
#include "utils/umessage.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    umessage message;
    // True and false are both answers here; a crash, a hang or a sanitizer report is the finding.
    // What was read is within the writers' depth limit: the compact text writes.
    if (message.read(in)) {
        std::ostringstream out;
        if (!message.write(out))
            __builtin_trap();
    }
    return 0;
}
