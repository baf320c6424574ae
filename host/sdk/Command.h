// Commands, command sequences and undo.
//
// Every change of the model that happens while a command's Do runs is journaled in that command
// (PreDirty; the stand-in's own model through host/standin/Command.h); a change made outside any
// command is direct and no rollback touches it. ProcessCommand runs a command only when no error
// is pending; when Do leaves an error (or throws), everything the command changed is rolled back.
// Sequences group commands: ending one while an error is pending, or aborting an abortable one,
// rolls back every command inside it; only the innermost open sequence may be ended or aborted
// (anything else throws std::logic_error). A top-level command or outermost sequence that
// succeeds becomes one undo step; with undoability 0 it is merged into the previous undo step
// instead (a step of its own when there is none). The session keeps one undo history for all its
// documents, so such a step may merge into a step of another document.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/ObjectModel.h"
#include "host/sdk/PMString.h"

// The host's command processor, which alone runs a command's Do.
namespace host {
class CommandProcessor;
}

class ICommand : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF00002};
    // Undoability: 1 a step of its own, 0 merged into the previous step.
    enum Undoability : int { kAutoUndo = 0, kRegularUndo = 1 };

    virtual void SetItemList(const UIDList& items) = 0;
    virtual const UIDList* GetItemList() const = 0;
    virtual void SetUndoability(int undoability) = 0;
    virtual int GetUndoability() const = 0;
    // The name the host shows for the command (its undo entry).
    virtual PMString CreateName() = 0;

protected:
    friend class host::CommandProcessor;
    // The command's work; a failure leaves a global error code set.
    virtual void Do() = 0;
};

// The base of every command implementation.
class Command : public CPMUnknown<ICommand> {
public:
    explicit Command(IPMUnknown* boss) : CPMUnknown<ICommand>(boss) {}

    void SetItemList(const UIDList& items) override { m_items = items; }
    const UIDList* GetItemList() const override { return &m_items; }
    void SetUndoability(int undoability) override { m_undoability = undoability; }
    int GetUndoability() const override { return m_undoability; }
    PMString CreateName() override { return PMString{}; }

private:
    UIDList m_items;
    int m_undoability = kRegularUndo;
};

// An open command sequence. Its first two operations read and set its undoability.
class ICommandSequence {
public:
    virtual ~ICommandSequence() = default;
    virtual int GetUndoability() const = 0;
    virtual void SetUndoability(int undoability) = 0;
    virtual void SetName(const PMString& name) = 0;
    virtual const PMString& GetName() const = 0;
};

// An open sequence that can be aborted.
class IAbortableCmdSeq : public ICommandSequence {};

namespace CmdUtils {

// A new command of the class with one reference; null for an unknown class (or an injected
// fault).
ICommand* CreateCommand(ClassID cls);
// Runs the command: kSuccess, or the error it left (also set as the global error). A pending
// error when called: nothing runs and that error is returned.
[[nodiscard]] ErrorCode ProcessCommand(ICommand* command);

ICommandSequence* BeginCommandSequence();
// Null when the host cannot begin one (an injected fault).
IAbortableCmdSeq* BeginAbortableCmdSeq();
// Ends the innermost sequence: kept when no error is pending, else rolled back (and that error
// returned).
ErrorCode EndCommandSequence(ICommandSequence* sequence);
// Rolls back everything inside the innermost sequence and ends it.
void AbortCommandSequence(IAbortableCmdSeq* sequence);

// Begins a sequence and ends it when it goes away.
class SequencePtr {
public:
    SequencePtr() : m_sequence(BeginCommandSequence()) {}
    // The sequence's outcome stays in the global error code, where the caller reads it.
    ~SequencePtr() { EndCommandSequence(m_sequence); }
    SequencePtr(const SequencePtr&) = delete;
    SequencePtr& operator=(const SequencePtr&) = delete;
    ICommandSequence* operator->() const { return m_sequence; }
    ICommandSequence* get() const { return m_sequence; }

private:
    ICommandSequence* m_sequence;
};

} // namespace CmdUtils
