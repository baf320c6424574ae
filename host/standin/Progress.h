// The stand-in's progress display (host/sdk/Progress.h).
#pragma once

#include "host/sdk/Progress.h"

namespace host {

// Registers the progress display on the application's class (part of host::Reset).
void RegisterProgressClasses();

} // namespace host
