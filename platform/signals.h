// Fatal-signal handling for the exit hooks: which signals end the process, and installing or
// restoring a handler for one of them.
#pragma once

#include <span>

namespace platform {

using SignalHandler = void (*)(int);

// The signals after which the exit hooks must run, in the order they are armed:
// SIGINT, SIGTERM, SIGSEGV, SIGABRT.
std::span<const int> fatalSignals();

// Makes `handler` the action of `signal`; the handler stays installed after it runs.
void setSignalHandler(int signal, SignalHandler handler);

// Gives `signal` back its default action.
void restoreDefaultSignalAction(int signal);

} // namespace platform
