// Exit hooks: functions that run once when the process ends, at a normal exit or on a fatal
// signal (this is how a temporary folder is removed).
#pragma once

#include <vector>

// Called with true at a normal exit and with false when a fatal signal ends the process. A
// process that survives a signal and then exits runs its hooks twice; hooks must tolerate that.
using ExitHook = void (*)(bool normalExit);

// The registered hooks in registration order. Created on the first registration, before the
// at-exit runner is registered, so it is destroyed only after the hooks have run.
std::vector<ExitHook>& ExitHookList();

// Appends the hook. The first registration arms the fatal-signal handler and the at-exit runner.
// Registrations are expected from one thread.
void RegisterExitHook(ExitHook hook);

// At-exit function: calls every hook in registration order with true.
void RunExitHooks();

// Calls every hook in registration order with false, gives the signal its default action back
// and returns; a fault then repeats and ends the process, an abort goes on to end it.
void ExitHookSignalHandler(int signal);
