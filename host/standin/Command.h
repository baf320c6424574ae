// The stand-in's side of commands (host/sdk/Command.h): journaling the model's changes, following
// the command processor, and undo.
#pragma once

#include "host/sdk/Command.h"

#include <functional>
#include <string>
#include <vector>

namespace host {

// Journals how to undo one change, in the innermost open frame while a command runs; outside
// every command the change is direct and nothing is recorded.
void RecordUndo(std::function<void()> undo);
// True while a command's Do runs.
bool InCommand();

// Sets a field of the model, journaled.
template <typename T>
void JournaledSet(T& field, T value) {
    if (InCommand())
        RecordUndo([&field, old = field]() mutable { field = std::move(old); });
    field = std::move(value);
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
