// libFuzzer target for the document-description reader: arbitrary bytes must end in open
// documents or a DescriptionError, never in a crash, a hang, a huge allocation or a sanitizer
// report. What was read dumps to a description that reads back to the same dump.
#include "host/standin/Description.h"
#include "host/standin/Host.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    host::Reset();
    try {
        host::LoadDescription(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const host::DescriptionError&) {
        return 0;
    }
    const std::string dump = host::DumpSession();
    host::Reset();
    host::LoadDescription(dump);
    if (host::DumpSession() != dump)
        std::abort();
    return 0;
}
