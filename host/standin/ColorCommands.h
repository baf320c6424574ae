// The stand-in's colour and ink commands (host/sdk/ColorCommands.h).
#pragma once

#include "host/sdk/ColorCommands.h"

namespace host {

// Registers the two commands and their data (part of host::Reset).
void RegisterColorCommandClasses();

} // namespace host
