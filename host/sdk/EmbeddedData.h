// Data a document holds in its own database, such as the bytes of an image placed without a
// usable link (interface 0x130 of an object of the document).
#pragma once

#include "host/sdk/Database.h"

#include <cstdint>
#include <vector>

class IPMStream;

class IEmbeddedData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x130};

    // Writes the bytes to the stream as they are. The option is the host's.
    virtual void WriteData(IPMStream* stream, std::int32_t option) const = 0; // 7th operation
    virtual const std::vector<std::uint8_t>& GetBytes() const = 0;
};
