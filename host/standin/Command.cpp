#include "host/standin/Command.h"

#include "host/sdk/Errors.h"
#include "host/standin/Faults.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Recorder.h"
#include "host/standin/Stream.h"

#include <new>
#include <stdexcept>

namespace host {

// The frames of what is running: commands being done and sequences being open, innermost last.
// Each frame collects the undo actions of the changes made inside it.
class CommandProcessor {
public:
    static CommandProcessor& Instance() {
        static CommandProcessor processor;
        return processor;
    }

    ErrorCode Process(ICommand* command);
    ICommandSequence* Begin(bool abortable);
    ErrorCode End(ICommandSequence* sequence);
    void Abort(IAbortableCmdSeq* sequence);

    void Record(std::function<void()> undo) {
        if (m_rollingBack || m_commandDepth == 0 || m_frames.empty())
            return;
        m_frames.back().undo.push_back(std::move(undo));
    }
    bool InCommand() const { return m_commandDepth > 0 && !m_rollingBack; }

    void SetObserver(CommandObserver observer) { m_observer = std::move(observer); }

    bool UndoLast();
    std::vector<std::string> StepNames() const;
    int OpenSequences() const;
    void Reset();

private:
    class Sequence final : public IAbortableCmdSeq {
    public:
        int GetUndoability() const override { return m_undoability; }
        void SetUndoability(int undoability) override { m_undoability = undoability; }
        void SetName(const PMString& name) override { m_name = name; }
        const PMString& GetName() const override { return m_name; }

    private:
        int m_undoability = ICommand::kRegularUndo;
        PMString m_name;
    };

    struct Frame {
        ICommand* command = nullptr;             // a command being done, or
        std::unique_ptr<Sequence> sequence;      // an open sequence
        std::vector<std::function<void()>> undo; // in the order the changes were made
    };
    struct Step {
        std::string name;
        std::vector<std::function<void()>> undo;
    };

    void RollBack(std::vector<std::function<void()>>& undo);
    // Hands a finished frame's changes to the frame around it, or makes them an undo step.
    void Commit(Frame frame, const std::string& name, int undoability);
    // Takes the innermost frame, which must be the given command's or sequence's.
    Frame Pop(const ICommand* command, const ICommandSequence* sequence, const char* what);
    void SequenceEnded(const Sequence& sequence, bool kept) const {
        if (m_observer.sequenceEnded)
            m_observer.sequenceEnded(sequence, kept, OpenSequences());
    }

    std::vector<Frame> m_frames;
    std::vector<Step> m_steps;
    int m_commandDepth = 0;
    bool m_rollingBack = false;
    CommandObserver m_observer;
};

void CommandProcessor::RollBack(std::vector<std::function<void()>>& undo) {
    if (undo.empty())
        return;
    const bool outer = !m_rollingBack;
    m_rollingBack = true;
    for (auto action = undo.rbegin(); action != undo.rend(); ++action)
        (*action)();
    undo.clear();
    m_rollingBack = !outer;
    CountModelChange();
}

void CommandProcessor::Commit(Frame frame, const std::string& name, int undoability) {
    if (!m_frames.empty()) {
        auto& outer = m_frames.back().undo;
        outer.insert(outer.end(), std::make_move_iterator(frame.undo.begin()),
                     std::make_move_iterator(frame.undo.end()));
        return;
    }
    if (undoability == ICommand::kAutoUndo && !m_steps.empty()) {
        auto& previous = m_steps.back().undo;
        previous.insert(previous.end(), std::make_move_iterator(frame.undo.begin()),
                        std::make_move_iterator(frame.undo.end()));
        return;
    }
    m_steps.push_back({name, std::move(frame.undo)});
}

CommandProcessor::Frame CommandProcessor::Pop(const ICommand* command,
                                              const ICommandSequence* sequence, const char* what) {
    if (m_frames.empty())
        throw std::logic_error(std::string(what) + ": nothing is open");
    Frame& innermost = m_frames.back();
    const ICommandSequence* open = innermost.sequence.get();
    if (innermost.command != command || open != sequence)
        throw std::logic_error(std::string(what) + ": not the innermost open sequence");
    Frame frame = std::move(innermost);
    m_frames.pop_back();
    return frame;
}

ErrorCode CommandProcessor::Process(ICommand* command) {
    const PMString name = command->CreateName();
    const Boss* boss = Boss::Of(command);
    const ClassID cls = boss ? boss->GetClass() : kInvalidClass;
    const std::string label = name.GetUTF8String() + " " + Hex(cls.Get());
    Faults::Instance().Touch({InjectionPoint::Kind::ProcessCommand, cls});
    if (Faults::Instance().ProcessCommandThrows(cls)) {
        Recorder::Instance().Record(Channel::Commands, label + " -> threw");
        throw std::bad_alloc();
    }

    ErrorCode result = ErrorUtils::PMGetGlobalErrorCode();
    if (result == kSuccess) {
        if (auto fault = Faults::Instance().ProcessCommandFailure(cls)) {
            result = *fault;
            ErrorUtils::PMSetGlobalErrorCode(result);
        }
    }
    if (result != kSuccess) {
        Recorder::Instance().Record(Channel::Commands, label + " -> skipped " + Hex(result.Get()));
        return result;
    }

    if (m_observer.commandRuns)
        m_observer.commandRuns(*command);
    m_frames.push_back(Frame{command, nullptr, {}});
    ++m_commandDepth;
    try {
        command->Do();
    } catch (...) {
        --m_commandDepth;
        Frame frame = Pop(command, nullptr, "ProcessCommand");
        RollBack(frame.undo);
        Recorder::Instance().Record(Channel::Commands, label + " -> threw");
        Recorder::Instance().Record(Channel::Failures, "command " + label + " -> threw");
        throw;
    }
    --m_commandDepth;
    Frame frame = Pop(command, nullptr, "ProcessCommand");
    result = ErrorUtils::PMGetGlobalErrorCode();
    Recorder::Instance().Record(Channel::Commands, label + " -> " + Hex(result.Get()));
    if (result != kSuccess) {
        const std::string text = ErrorUtils::PMGetGlobalErrorString().GetUTF8String();
        Recorder::Instance().Record(Channel::Failures, "command " + label + " -> " +
                                                           Hex(result.Get()) +
                                                           (text.empty() ? "" : ": " + text));
        RollBack(frame.undo);
        return result;
    }
    Commit(std::move(frame), name.GetUTF8String(), command->GetUndoability());
    return kSuccess;
}

ICommandSequence* CommandProcessor::Begin(bool abortable) {
    if (abortable)
        Faults::Instance().Touch({InjectionPoint::Kind::AbortableSequence});
    if (abortable && Faults::Instance().AbortableSequencesFail())
        return nullptr;
    m_frames.push_back(Frame{nullptr, std::make_unique<Sequence>(), {}});
    Recorder::Instance().Record(Channel::Sequences, abortable ? "begin abortable" : "begin");
    return m_frames.back().sequence.get();
}

ErrorCode CommandProcessor::End(ICommandSequence* sequence) {
    Frame frame = Pop(nullptr, sequence, "EndCommandSequence");
    const std::string name = frame.sequence->GetName().GetUTF8String();
    const ErrorCode error = ErrorUtils::PMGetGlobalErrorCode();
    if (error != kSuccess) {
        RollBack(frame.undo);
        Recorder::Instance().Record(Channel::Sequences, "fail " + name);
        SequenceEnded(*frame.sequence, false);
        return error;
    }
    Recorder::Instance().Record(Channel::Sequences, "end " + name);
    const int undoability = frame.sequence->GetUndoability();
    const std::unique_ptr<Sequence> ended = std::move(frame.sequence);
    Commit(std::move(frame), name, undoability);
    SequenceEnded(*ended, true);
    return kSuccess;
}

void CommandProcessor::Abort(IAbortableCmdSeq* sequence) {
    Frame frame = Pop(nullptr, sequence, "AbortCommandSequence");
    RollBack(frame.undo);
    Recorder::Instance().Record(Channel::Sequences,
                                "abort " + frame.sequence->GetName().GetUTF8String());
    SequenceEnded(*frame.sequence, false);
}

bool CommandProcessor::UndoLast() {
    if (m_steps.empty() || !m_frames.empty())
        return false;
    Step step = std::move(m_steps.back());
    m_steps.pop_back();
    RollBack(step.undo);
    Recorder::Instance().Record(Channel::Commands, "undo " + step.name);
    return true;
}

std::vector<std::string> CommandProcessor::StepNames() const {
    std::vector<std::string> names;
    for (const Step& step : m_steps)
        names.push_back(step.name);
    return names;
}

int CommandProcessor::OpenSequences() const {
    int count = 0;
    for (const Frame& frame : m_frames)
        count += frame.sequence ? 1 : 0;
    return count;
}

void CommandProcessor::Reset() {
    m_frames.clear();
    m_steps.clear();
    m_commandDepth = 0;
    m_rollingBack = false;
    m_observer = {};
}

namespace {

std::uint64_t g_modelChanges = 0;

} // namespace

std::uint64_t ModelChangeCount() {
    return g_modelChanges;
}

void CountModelChange() {
    ++g_modelChanges;
}

void RecordUndo(std::function<void()> undo) {
    CountModelChange();
    CommandProcessor::Instance().Record(std::move(undo));
}

void RecordSessionUndo(std::function<void()> undo) {
    CommandProcessor::Instance().Record(std::move(undo));
}

bool InCommand() {
    return CommandProcessor::Instance().InCommand();
}

bool Undo() {
    return CommandProcessor::Instance().UndoLast();
}

void SetCommandObserver(CommandObserver observer) {
    CommandProcessor::Instance().SetObserver(std::move(observer));
}

std::vector<std::string> UndoStepNames() {
    return CommandProcessor::Instance().StepNames();
}

int OpenSequenceCount() {
    return CommandProcessor::Instance().OpenSequences();
}

void ResetCommands() {
    CommandProcessor::Instance().Reset();
}

} // namespace host

void PreDirtyFacet(const IPMUnknown* facet, ImplementationID id, bool /*allowModification*/) {
    host::CountModelChange();
    Boss* boss = Boss::Of(facet);
    const ImplementationID implementation = boss ? boss->ImplementationOf(facet) : kInvalidImpl;
    host::Recorder::Instance().Record(host::Channel::Dirty,
                                      host::Hex((id != kInvalidImpl ? id : implementation).Get()));
    if (!boss || !host::InCommand())
        return;
    for (const Boss::PersistentFacet& persistent : boss->PersistentFacets()) {
        if (persistent.object != facet)
            continue;
        // Keep the facet's data as it is now; undo reads it back into the same facet. The boss
        // stays alive as long as the journal may need it.
        auto writer = MemoryStream::Writer();
        persistent.readWrite(persistent.object, writer.get(), persistent.implementation);
        host::KeepForJournal(*boss);
        std::shared_ptr<Boss> kept(boss, [](Boss* b) { host::ReleaseFromJournal(*b); });
        host::RecordUndo([kept, persistent, bytes = writer->Bytes()] {
            auto reader = MemoryStream::Reader(bytes);
            persistent.readWrite(persistent.object, reader.get(), persistent.implementation);
        });
        return;
    }
}

namespace CmdUtils {

ICommand* CreateCommand(ClassID cls) {
    host::Faults::Instance().Touch({host::InjectionPoint::Kind::CreateCommand, cls});
    if (host::Faults::Instance().CreateCommandFails(cls))
        return nullptr;
    return static_cast<ICommand*>(CreateObject(cls, ICommand::kDefaultIID));
}

ErrorCode ProcessCommand(ICommand* command) {
    return host::CommandProcessor::Instance().Process(command);
}

ICommandSequence* BeginCommandSequence() {
    return host::CommandProcessor::Instance().Begin(false);
}

IAbortableCmdSeq* BeginAbortableCmdSeq() {
    return static_cast<IAbortableCmdSeq*>(host::CommandProcessor::Instance().Begin(true));
}

ErrorCode EndCommandSequence(ICommandSequence* sequence) {
    return host::CommandProcessor::Instance().End(sequence);
}

void AbortCommandSequence(IAbortableCmdSeq* sequence) {
    host::CommandProcessor::Instance().Abort(sequence);
}

} // namespace CmdUtils
