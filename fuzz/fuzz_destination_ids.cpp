// libFuzzer target for the destination-identifier set that the companion application sends:
// ReadDestinationIdentifierSet on arbitrary bytes must end in true or false (a refused input
// leaving the set empty), never in a crash, a hang, a huge allocation or a sanitizer report.
#include "model/BDestinationList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    DestinationIdentifierSet identifiers{ustring("stale")};
    if (!ReadDestinationIdentifierSet(in, identifiers) && !identifiers.empty())
        std::abort();
    return 0;
}
