// Faults that tests switch on to reach the plug-in's failure paths: a missing interface, a
// command that cannot be created, that fails or that throws, a file stream that cannot be
// opened, a failing load of the plug-in base. `Reset` switches everything off.
//
// For a systematic fault run the host also records, on request, the injection points a run
// touches: a test records a clean run, then injects one fault per point and runs again.
#pragma once

#include "host/sdk/Ids.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace host {

// A host call where a fault can be injected. Points compare by all their fields; the fields a
// kind does not use stay empty.
struct InjectionPoint {
    enum class Kind {
        Interface,         // a QueryInterface of `iid` that a boss of `cls` answered
        CreateCommand,     // CmdUtils::CreateCommand of `cls`
        ProcessCommand,    // CmdUtils::ProcessCommand of the `index`-th command of `cls` (from 0)
        FileStream,        // a file stream opened for `path`, the run's `index`-th opening (from 0)
        AbortableSequence, // CmdUtils::BeginAbortableCmdSeq
        MadeObject,        // an object of `cls` the host makes as `iid` to answer a call
    };
    Kind kind;
    ClassID cls{};
    PMIID iid{};
    std::u16string path{};
    int index = 0;

    bool operator==(const InjectionPoint& other) const;
    bool operator<(const InjectionPoint& other) const;
};

class Faults {
public:
    static Faults& Instance();

    // Every boss of the class answers null for the interface, except to the host's own
    // bookkeeping (HostOwnAccess); the host makes no object of the class as that interface
    // (CreateObject and the objects it makes for its answers are null, as when a host cannot
    // make one).
    void HideInterface(ClassID cls, PMIID iid) { m_hidden.insert({cls, iid}); }
    bool IsHidden(ClassID cls, PMIID iid) const {
        // Asked for every interface the plug-in queries: nothing to look up while none is hidden.
        return !m_hidden.empty() && IsHiddenNow(cls, iid);
    }
    // Whether the host may make an object of the class as the interface; records the point.
    [[nodiscard]] bool CanMake(ClassID cls, PMIID iid);

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

    // File streams cannot be opened, after the first `passing` openings (file-stream reads and
    // writes and the export commands' output files alike).
    void FailFileStreams(int passing = 0) { m_fileStreamsPassing = passing; }
    // Whether the opening of a file stream for the path fails; records the opening, and a stream
    // let through counts one of the `passing` ones.
    bool FileStreamOpenFails(const std::u16string& path);

    // The plug-in base's load fails, setting the code as the global error.
    void FailPluginLoad(ErrorCode code) { m_pluginLoad = code; }
    std::optional<ErrorCode> PluginLoadFailure() const { return m_pluginLoad; }

    // Recording: from `StartRecording` on, every injection point the host passes (outside its own
    // bookkeeping) is listed once, in the order of its first use (each processed command, file
    // streams once per path with the index of the first opening, a class and interface once as
    // made object or interface, since hiding either is the same fault), until `StopRecording`
    // hands the list over. Faults injected meanwhile still apply.
    void StartRecording();
    std::vector<InjectionPoint> StopRecording();
    void Touch(InjectionPoint point);
    // Whether a recording runs (Touch lists nothing while none does).
    bool Recording() const { return m_recording; }

    // Switches every fault off and ends a recording.
    void Reset() { *this = Faults{}; }

private:
    bool IsHiddenNow(ClassID cls, PMIID iid) const;

    std::set<std::pair<ClassID, PMIID>> m_hidden;
    std::set<ClassID> m_noCommand;
    struct CommandFailure {
        ErrorCode code;
        int passing;
    };
    std::map<ClassID, CommandFailure> m_failingCommands;
    std::set<ClassID> m_throwingCommands;
    bool m_noAbortable = false;
    std::optional<int> m_fileStreamsPassing;
    int m_fileStreamOpenings = 0;
    std::map<ClassID, int> m_processed;
    bool m_recording = false;
    std::vector<InjectionPoint> m_points;
    std::set<InjectionPoint> m_touched;
    std::optional<ErrorCode> m_pluginLoad;
};

// While one lives, the host reads its own facets whatever is hidden, and records no injection
// point: for the host's own bookkeeping (making a document, keeping its lists, dumping the
// model), which a fault aimed at the plug-in must not break.
class HostOwnAccess {
public:
    HostOwnAccess();
    ~HostOwnAccess();
    HostOwnAccess(const HostOwnAccess&) = delete;
    HostOwnAccess& operator=(const HostOwnAccess&) = delete;

    static bool Active();
};

} // namespace host
