// libFuzzer target for the JSON reader: umessage::read on arbitrary bytes must end in true or
// false, never in a crash, a hang, a huge allocation or a sanitizer report.
#include "Logger.h"
#include "umessage.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The ERROR records are formatted as usual and then discarded.
    static std::ostream discard(nullptr);
    static const bool quiet = (zeu::logger.setStream(discard), true);
    (void)quiet;

    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    umessage message;
    message.read(in);
    return 0;
}
