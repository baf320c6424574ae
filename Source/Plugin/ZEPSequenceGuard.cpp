#include "Plugin/ZEPSequenceGuard.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Errors.h"

#include <exception>

namespace {

ICommandSequence* Begin(ZEPSequenceGuard::Outcome outcome) {
    if (outcome == ZEPSequenceGuard::Outcome::kEndAsFailed)
        return CmdUtils::BeginCommandSequence();
    IAbortableCmdSeq* sequence = CmdUtils::BeginAbortableCmdSeq();
    ThrowIfNull(sequence, "theCmdSeq");
    return sequence;
}

} // namespace

ZEPSequenceGuard::ZEPSequenceGuard(Outcome outcome, ErrorLeft error)
    : m_outcome(outcome), m_error(error), m_sequence(Begin(outcome)),
      m_exceptions(std::uncaught_exceptions()) {}

ZEPSequenceGuard::~ZEPSequenceGuard() {
    const bool failed = std::uncaught_exceptions() > m_exceptions;
    if (failed)
        SetFailureUnlessPending();
    if (failed && m_outcome == Outcome::kAbort)
        CmdUtils::AbortCommandSequence(static_cast<IAbortableCmdSeq*>(m_sequence));
    else
        static_cast<void>(CmdUtils::EndCommandSequence(m_sequence));
}

void ZEPSequenceGuard::LeaveError() const {
    switch (m_error) {
    case ErrorLeft::kExceptionCode:
        SetGlobalErrorCodeOfCurrentException();
        break;
    case ErrorLeft::kFailure:
        ErrorUtils::PMSetGlobalErrorCode(kFailure);
        break;
    case ErrorLeft::kReported:
        ReportCurrentException();
        break;
    }
}
