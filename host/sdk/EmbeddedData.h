// Data a document holds in its own database, such as the bytes of an image placed without a
// usable link (interface 0x130 of an object of the document).
#pragma once

#include "host/sdk/Database.h"

#include <cstdint>
#include <memory>
#include <vector>

class IPMStream;

class IEmbeddedData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x130};

    // Writes the bytes to the stream as they are. The option is the host's.
    virtual void WriteData(IPMStream* stream, std::int32_t option) const = 0; // 7th operation
    virtual const std::vector<std::uint8_t>& GetBytes() const = 0;
};

namespace host {

// The class of the embedded-data objects a description gives.
inline constexpr ClassID kEmbeddedDataBoss{0xF0E002};

// The facet a description attaches to an embedded-data object, holding its bytes.
std::unique_ptr<IPMUnknown> NewEmbeddedDataFacet(IPMUnknown* boss, std::vector<std::uint8_t> bytes);

// Registers the embedded-data class (part of host::Reset).
void RegisterEmbeddedDataClasses();

} // namespace host
