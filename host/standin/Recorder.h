// The stand-in's record of what the plug-in asked of the host, one ordered log per channel, so
// tests compare whole logs with expected lists and `zephost` prints what happened.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace host {

enum class Channel {
    Registrations, // "0x52E1F" per implementation registered, in arrival order
    Commands,      // "<name> <class> -> <code>" per processed command; "undo <name>"
    Sequences,     // "begin", "end <name>", "fail <name>", "abort <name>"
    Dirty,         // "<implementation>" per PreDirty call
    Alerts,        // the text of every error alert
    Progress,      // progress texts
    Calls,         // the calls of command data and preferences whose order the plug-in fixes
    Redraws, // "invalidate <document name>" per layout view; panel redraws (host/sdk/Panels.h)
    // "<device>:<inode> <file>" per output file an export command wrote: the identity of the
    // file and the path it was written to (host/standin/ExportOutput.h).
    Outputs,
    // Why things failed: "command <name> <class> -> <code>" per command whose Do left an error,
    // followed by ": <text>" when it left an error string too ("-> threw" when Do threw), and
    // "alert <code>" per alert: the global error code the alert shows (0 for none).
    Failures,
    // "error string <resource> <code> from <file>" per lookup of a plug-in's resource, with the
    // resource file current at the time ("from none"; host/standin/ResourceAccess.h).
    Resources,
    Count
};

class Recorder {
public:
    static Recorder& Instance();
    void Record(Channel channel, std::string entry);
    const std::vector<std::string>& Log(Channel channel) const;
    void Clear(Channel channel);
    void Reset();

private:
    std::array<std::vector<std::string>, static_cast<std::size_t>(Channel::Count)> m_logs;
};

// Records a call of command data or preferences on Channel::Calls.
inline void RecordCall(std::string call) {
    Recorder::Instance().Record(Channel::Calls, std::move(call));
}

// A number as "0x" and upper-case hex digits ("0x52E1F").
std::string Hex(std::uint32_t value);
// A real number in the shortest form that reads back as the same number ("3", "-0.5").
std::string Number(double value);

} // namespace host
