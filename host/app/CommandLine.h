// zephost's command line: its options, its steps with their arguments, the help text and the
// exit codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What zephost ends with.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitUsage = 1,     // a usage error, or a step that cannot run (the steps after it do not)
    kExitNotLoaded = 2, // the plug-in does not load
    kExitAlert = 3,     // a step ended in an alert (the steps after it still ran)
    kExitLogLost = 4,   // as 0, but the --log file lost records (the steps still ran)
};

struct Step {
    std::string name;
    std::vector<std::string> arguments;
};

struct CommandLine {
    std::string plugin; // the plug-in library; empty: the one built with zephost
    bool listen = false;
    bool decode = false;
    bool verbose = false;
    std::string logFile; // empty: none
    bool help = false;
    bool version = false;
    std::vector<Step> steps;
};

// A command line that zephost cannot run; `message` names the word at fault.
struct UsageError {
    std::string message;
};

// Reads the options, then the steps. Each step takes the arguments its form allows (see the help
// text), so a word that no step takes is reported as an unknown step. With --help or --version
// the rest is not read. Throws UsageError.
[[nodiscard]] CommandLine ParseCommandLine(const std::vector<std::string>& words);

// A page item's or an action's id: a number above 0 of 32 bits, decimal or (0x...) hex; 0 for
// any other text.
[[nodiscard]] std::uint32_t IdOf(const std::string& text);

// The help text: options, steps, script methods, environment variables and exit codes.
extern const char* const kHelp;
// The one line that follows a usage error.
extern const char* const kUsageHint;
