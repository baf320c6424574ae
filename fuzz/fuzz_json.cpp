// libFuzzer target for the JSON reader: umessage::read on arbitrary bytes must end in true or
// false, never in a crash, a hang, a huge allocation or a sanitizer report.
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
    static_cast<void>(message.read(in));
    return 0;
}
