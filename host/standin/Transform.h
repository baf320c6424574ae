// The stand-in's geometry suite, item-list tests and resize command (host/sdk/Transform.h).
#pragma once

#include "host/sdk/Transform.h"

namespace host {

// Registers the geometry suite on the selection manager, the item-list test utilities and the
// resize command (part of host::Reset).
void RegisterTransformClasses();

} // namespace host
