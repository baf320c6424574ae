// libFuzzer target for the payload of the 'DisT' script method: the handler's decoding (hex
// pairs, then exactly one destination-identifier set) on arbitrary text must end in true or false
// (a refused payload leaving the set empty), never in a crash, a hang, a huge allocation or a
// sanitizer report.
#include "Request_Handling/ZEPScriptProvider.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    DestinationIdentifierSet identifiers{ustring("stale")};
    if (!DecodeDestinationIdentifiers(text, identifiers) && !identifiers.empty())
        std::abort();
    return 0;
}
