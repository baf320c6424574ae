// The one guard of the plug-in's command sequences: an exception inside a sequence ends or
// aborts it and leaves the error for the boundary that catches the exception.
//
// The host keeps a sequence that ends with no error code pending and rolls it back when one is
// pending; an abortable sequence it rolls back when aborted. So whatever leaves a sequence by an
// exception must set an error code before the sequence closes, and the code it sets is what the
// host's command processor sees of the failure.
#pragma once

#include "host/sdk/Command.h"

class ZEPSequenceGuard {
public:
    // What becomes of the sequence when an exception leaves it.
    enum class Outcome {
        kEndAsFailed, // a plain sequence, ended with the error pending: the host rolls it back
        kAbort,       // an abortable sequence, aborted; one the host cannot begin raises
                      // "(theCmdSeq) == NULL"
    };
    // The error an exception leaves, set before it is thrown on.
    enum class ErrorLeft {
        kExceptionCode, // a UException's own code, no text; any other exception 1 unless a code is
                        // pending
        kFailure,       // 1 for every exception, no text
        kReported,      // reported as at the host boundary: the exception's code and text
    };

    // Begins the sequence.
    ZEPSequenceGuard(Outcome outcome, ErrorLeft error);
    // Ends the sequence, or aborts it when an exception is leaving and the sequence is
    // abortable. An exception that did not pass through Run leaves 1 unless a code is pending.
    ~ZEPSequenceGuard();
    ZEPSequenceGuard(const ZEPSequenceGuard&) = delete;
    ZEPSequenceGuard& operator=(const ZEPSequenceGuard&) = delete;

    ICommandSequence* operator->() const { return m_sequence; }

    // Runs `work` inside the sequence; an exception leaves the error chosen and is thrown on.
    template <typename Work>
    void Run(Work&& work) const {
        try {
            work();
        } catch (...) {
            LeaveError();
            throw;
        }
    }

private:
    // Sets the error for the exception being handled.
    void LeaveError() const;

    Outcome m_outcome;
    ErrorLeft m_error;
    ICommandSequence* m_sequence;
    int m_exceptions;
};
