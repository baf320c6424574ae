// Processes: the stand-ins for the Windows process snapshot and image names, ShellExecute's
// start of a program, Sleep, and the runtime's reading of environment variables.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The program file of every running process that can be inspected, in drive form, as the kernel
// names it (/proc/PID/exe: symbolic links resolved). Processes of other users and processes that
// have ended but are not yet reaped cannot be inspected and are left out, as are files whose
// paths have no drive form (see toSystemPath).
std::vector<std::u16string> runningProgramFiles();

// Starts the program at `path` with no arguments, the caller's environment and working folder,
// and does not wait for it; false when it cannot be started. The platform reaps it when it ends.
bool startProgram(const std::u16string& path);

// Pauses the calling thread through the current sleep function.
void sleepMilliseconds(std::uint32_t milliseconds);
// Replaces the sleep function (tests record the pauses instead of waiting); an empty function
// restores the real pause. Not for concurrent use with sleepMilliseconds.
using SleepFunction = std::function<void(std::uint32_t milliseconds)>;
void setSleepFunction(SleepFunction function);

// The value of the environment variable (a set but empty variable gives an empty text); nothing
// when it is not set or its value is not UTF-8.
std::optional<std::u16string> environmentVariable(const char* name);

} // namespace platform
