// The stand-in's side of commands (host/sdk/Command.h): journaling the model's changes, following
// the command processor, and undo.
#pragma once

#include "host/sdk/Command.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace host {

// How many changes the model has had in this process. Every change of what a document's dump
// shows (host/standin/Description.h) or of which documents are open and which is at the front
// moves it, journaled inside a command or made directly outside every command: each change
// journaled through RecordUndo or JournaledSet, each rollback and undo, each PreDirty, each facet
// attached to or taken from a stored boss, each document opened or closed and each change of the
// front document; a change may count more than once. Two kinds of change are outside it: the
// session's own settings that no document shows (set directly or with JournaledSessionSet), and
// the data of a persistent facet, which the plug-in writes after its PreDirty, whenever it likes:
// PreDirty counts, but one who compares that data must read it again (DumpWorkspaceFacets). So a
// document's dump stays as it was while the count and its workspace's facets do. The count only
// grows (host::Reset keeps it): a value once seen never comes back.
std::uint64_t ModelChangeCount();
// Counts one change of the model (RecordUndo and JournaledSet count their own).
void CountModelChange();

// Journals how to undo one change of the model, in the innermost open frame while a command runs
// (outside every command the change is direct and nothing is recorded), and counts the change
// either way.
void RecordUndo(std::function<void()> undo);
// Journals how to undo one change of a session setting that no document shows, as RecordUndo
// does, without counting it.
void RecordSessionUndo(std::function<void()> undo);
// True while a command's Do runs.
bool InCommand();

// Sets a session setting that no document shows (the EPS export preferences, the flattener
// styles, the colour settings), journaled, not counted: an export that sets the EPS preferences
// for every page leaves the count where it was.
template <typename T>
void JournaledSessionSet(T& field, T value) {
    if (InCommand())
        RecordSessionUndo([&field, old = field]() mutable { field = std::move(old); });
    field = std::move(value);
}

// Sets a field of the model, journaled and counted.
template <typename T>
void JournaledSet(T& field, T value) {
    CountModelChange();
    JournaledSessionSet(field, std::move(value));
}

// What the command processor tells one who follows it (a host program's report, a test): a
// command about to run (not one skipped for a pending error), and a sequence that has just
// ended, been rolled back or aborted, with whether its changes were kept and how many sequences
// are still open. Either function may be empty.
struct CommandObserver {
    std::function<void(ICommand& command)> commandRuns;
    std::function<void(const ICommandSequence& sequence, bool kept, int openSequences)>
        sequenceEnded;
};
// Replaces the observer (host::Reset removes it).
void SetCommandObserver(CommandObserver observer);

// Undoes the last undo step; false when there is none.
bool Undo();
// The names of the undo steps, oldest first.
std::vector<std::string> UndoStepNames();
// Open sequences (0 when every sequence is closed).
int OpenSequenceCount();

} // namespace host
