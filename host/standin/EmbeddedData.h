// The stand-in's embedded data (host/sdk/EmbeddedData.h).
#pragma once

#include "host/sdk/EmbeddedData.h"

#include <memory>

namespace host {

// The class of the embedded-data objects a description gives.
inline constexpr ClassID kEmbeddedDataBoss{0xF0E002};

// The facet a description attaches to an embedded-data object, holding its bytes.
std::unique_ptr<IPMUnknown> NewEmbeddedDataFacet(IPMUnknown* boss, std::vector<std::uint8_t> bytes);

// Registers the embedded-data class (part of host::Reset).
void RegisterEmbeddedDataClasses();

} // namespace host
