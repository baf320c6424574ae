// The stand-in's active context and active window (host/sdk/Context.h).
#pragma once

#include "host/sdk/Context.h"

namespace host {

inline constexpr ClassID kActiveContextBoss{0xF05002};

// The active context of the moment, with a new reference.
IActiveContext* QueryActiveContext();
// Sets the handle that the window utilities give for the active window (0: none, as after
// host::Reset).
void SetActiveWindow(std::uint64_t handle);

// Registers the context's class and the window utilities (part of host::Reset, which also sets
// the active window to none).
void RegisterContextClasses();

} // namespace host
