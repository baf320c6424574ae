// libFuzzer target for the binary message reader: umessage::unflatten on arbitrary bytes must end
// in true or false, never in a crash, a hang, a huge allocation or a sanitizer report.
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
    if (message.unflatten(in)) {
        // What was read writes out, within the writer's depth limit, and reads back to the same
        // bytes (NaN doubles included).
        std::ostringstream out;
        if (!message.flatten(out))
            __builtin_trap();
        std::istringstream again(out.str());
        umessage copy;
        std::ostringstream outAgain;
        if (copy.unflatten(again) && !copy.flatten(outAgain))
            __builtin_trap();
        if (outAgain.str() != out.str())
            __builtin_trap();
    }
    return 0;
}
