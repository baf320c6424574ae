// The stand-in's item walker (host/sdk/ItemWalk.h).
#pragma once

#include "host/sdk/ItemWalk.h"

namespace host {

// Registers the item walker's class (part of host::Reset).
void RegisterItemWalkClasses();

} // namespace host
