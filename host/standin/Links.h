// The stand-in's links (host/sdk/Links.h).
#pragma once

#include "host/sdk/Links.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/PlacedGraphics.h"

namespace host {

inline constexpr ClassID kLinkBoss{0xF0B100};
inline constexpr ClassID kLinkResourceBoss{0xF0B101};

// Gives the stored link object and, when it names one, its stored resource object their data.
void AttachLinkFacets(Boss& link, Boss* resource, const PlacedLink& data);

// Registers the link manager on documents and the classes of links and resources (part of
// host::Reset).
void RegisterLinkClasses();

} // namespace host
