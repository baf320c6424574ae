// The stand-in's group and transform commands (host/sdk/ItemCommands.h).
#pragma once

#include "host/sdk/ItemCommands.h"

namespace host {

inline constexpr ClassID kTransformCmdBoss{0xF0E003};

// Registers the group command, the transform command and the transform utility (part of
// host::Reset).
void RegisterItemCommandClasses();

} // namespace host
