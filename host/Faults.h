// Faults that tests switch on to reach the plug-in's failure paths: a missing interface, a
// command that cannot be created, that fails or that throws, a file stream that cannot be
// opened, a failing load of the plug-in base. `Reset` switches everything off.
#pragma once

#include "host/Ids.h"

#include <map>
#include <optional>
#include <set>
#include <utility>

namespace host {

class Faults {
public:
    static Faults& Instance();

    // Every boss of the class answers null for the interface.
    void HideInterface(ClassID cls, PMIID iid) { m_hidden.insert({cls, iid}); }
    bool IsHidden(ClassID cls, PMIID iid) const { return m_hidden.contains({cls, iid}); }

    // CmdUtils::CreateCommand of the class answers null.
    void FailCreateCommand(ClassID cls) { m_noCommand.insert(cls); }
    bool CreateCommandFails(ClassID cls) const { return m_noCommand.contains(cls); }

    // CmdUtils::ProcessCommand of the class fails with the code before the command runs; the
    // first `passing` commands of the class run as usual.
    void FailProcessCommand(ClassID cls, ErrorCode code, int passing = 0) {
        m_failingCommands[cls] = {code, passing};
    }
    // The code a command of the class that is about to run fails with, if it fails; a command let
    // through counts one of the `passing` ones.
    std::optional<ErrorCode> ProcessCommandFailure(ClassID cls);

    // CmdUtils::ProcessCommand of the class throws std::bad_alloc before the command runs.
    void ThrowFromProcessCommand(ClassID cls) { m_throwingCommands.insert(cls); }
    bool ProcessCommandThrows(ClassID cls) const { return m_throwingCommands.contains(cls); }

    // CmdUtils::BeginAbortableCmdSeq answers null.
    void FailAbortableSequences() { m_noAbortable = true; }
    bool AbortableSequencesFail() const { return m_noAbortable; }

    // File streams cannot be opened.
    void FailFileStreams() { m_noFileStreams = true; }
    bool FileStreamsFail() const { return m_noFileStreams; }

    // The plug-in base's load fails, setting the code as the global error.
    void FailPluginLoad(ErrorCode code) { m_pluginLoad = code; }
    std::optional<ErrorCode> PluginLoadFailure() const { return m_pluginLoad; }

    void Reset() { *this = Faults{}; }

private:
    std::set<std::pair<ClassID, PMIID>> m_hidden;
    std::set<ClassID> m_noCommand;
    struct CommandFailure {
        ErrorCode code;
        int passing;
    };
    std::map<ClassID, CommandFailure> m_failingCommands;
    std::set<ClassID> m_throwingCommands;
    bool m_noAbortable = false;
    bool m_noFileStreams = false;
    std::optional<ErrorCode> m_pluginLoad;
};

} // namespace host
