// The plug-in's exception and the reporting of failures at the host boundary.
//
// Inside the plug-in every failure is an exception raised through ThrowZEPException. Where the
// host calls in (script methods, menu actions, menu-state updates) everything is caught, turned
// into the host's global error code and string, shown in one error alert (never for the user's
// cancel, code 2) and cleared, so the host call itself succeeds.
#pragma once

#include "host/sdk/Ids.h"
#include "host/sdk/PMString.h"
#include "utils/UException.h"
#include "utils/ustring.h"

#include <cstdint>
#include <exception>

class CZEPException : public UException {
public:
    // 'IZEP': the characters I, Z, E, P from the most significant byte down.
    static constexpr std::uint32_t kZEPDomain = 0x495A4550;

    CZEPException(const ustring& message, std::uint32_t code);
};

// A file the plug-in writes cannot be written: code 0x52E0A, with a text that names the file and,
// when the failing call gave one, the system's reason: "The file J:/ad.pdf cannot be written:
// Permission denied." (`error` the system error number; 0, unknown: "The file J:/ad.pdf cannot
// be written."). Unlike a limitation of one item's analysis, it fails the export wherever it
// happens.
class CZEPFileWriteError : public CZEPException {
public:
    explicit CZEPFileWriteError(const ustring& path, int error = 0);
    // A failure of the same kind whose text is given whole: a folder that cannot be written, an
    // earlier export that cannot be undone.
    struct Text {
        ustring message;
    };
    explicit CZEPFileWriteError(Text text);
};

// Raises a CZEPException; every raise of the plug-in goes through it.
[[noreturn]] void ThrowZEPException(const ustring& message, std::uint32_t code);
// Raises a CZEPFileWriteError: "The file " + path + " cannot be written.", or with the system's
// text of `error` (a system error number, as errno) after the path: "The file " + path +
// " cannot be written: " + platform::errorText(error) + ".".
[[noreturn]] void ThrowFileWriteError(const ustring& path, int error = 0);
// Raises a CZEPFileWriteError for a folder: "The folder " + path + " cannot be written: " +
// reason + ".".
[[noreturn]] void ThrowFolderWriteError(const ustring& path, const ustring& reason);

// A missing host interface, command or object: code 0x52E1E with "(" + expression + ") == NULL".
template <typename Pointer>
void ThrowIfNull(const Pointer& pointer, const char* expression) {
    if (!pointer)
        ThrowZEPException(ustring("(") + expression + ") == NULL", 0x52E1E);
}
// A failed host call's code, raised with an empty text; nothing for kSuccess.
void ThrowIfError(ErrorCode code);
// A pending global error code (left by a call that reports instead of throwing), raised with the
// global error string as its text; nothing when the code is 0.
void ThrowIfGlobalError();

// The host code of a caught exception: 'IZEP' its own code, 'UTIL' its code + 0x52E0A (true
// for both); any other domain 1, false.
[[nodiscard]] bool ToErrorCode(const UException& exception, std::uint32_t& code);

// Sets the global error; an empty message becomes the translated "0x52E00ZEPUnknownErr" followed
// by the code (four printable bytes as 'abcd', least significant first; else decimal).
void SetGlobalErrorFromException(ErrorCode code, const PMString& message);
void ReportUException(const UException& exception);
void ReportStdException(const std::exception& exception);
void ReportUnknownException();
// Reports the exception being handled with the reporter of its kind; only inside a handler.
void ReportCurrentException();

// Sets the global error code to the exception's own code, with no text: how a command body or a
// helper that reports instead of throwing leaves a failure.
void SetGlobalErrorCode(const UException& exception);
// Sets the global error code, with no text, for the exception being handled: a UException's own
// code, any other exception 1 unless a code is pending. Only inside a handler.
void SetGlobalErrorCodeOfCurrentException();
// Sets the global error code 1 unless a code is pending.
void SetFailureUnlessPending();

// Shows the global error string in the host's error alert (not for code 2), keeping the global
// error state as it was.
void ShowGlobalErrorAlert();

// Sets the global error code to 0 with no text.
void ClearGlobalError();

// True when each of the code's bytes, least significant first, is printable.
bool IsPrintableFourCC(std::uint32_t code);

// No exception leaves a function the host calls: each runs its work through one of the boundaries
// below, by the kind of call.

// Runs `work` as a host entry point (a script method, a menu action, a menu-state update): any
// exception is reported, shown and cleared.
template <typename Work>
void RunAtHostBoundary(Work&& work) noexcept {
    try {
        work();
        return;
    } catch (...) {
        ReportCurrentException();
    }
    ShowGlobalErrorAlert();
    ClearGlobalError();
}

// Runs `work` as a menu action: like RunAtHostBoundary, and a failure that `work` left only in the
// global error code (a command that failed, reported without an exception) is reported, shown
// and cleared as if it had been thrown.
template <typename Work>
void RunActionAtHostBoundary(Work&& work) noexcept {
    RunAtHostBoundary([&work] {
        work();
        ThrowIfGlobalError();
    });
}

// Runs a command's body: any exception leaves its code as the global error
// (SetGlobalErrorCodeOfCurrentException) for the host's command processor, which then fails the
// command.
template <typename Work>
void RunAsCommandBody(Work&& work) noexcept {
    try {
        work();
    } catch (...) {
        SetGlobalErrorCodeOfCurrentException();
    }
}

// Logs the exception being handled as an ERROR record of `function`: `what` and the exception's
// text. Only inside a handler.
void LogCurrentException(const char* function, const char* what) noexcept;

// Runs `work` for a host call that takes no error back (a query, the menu filter, the error-string
// service, persistence): any exception is logged (LogCurrentException) and false is returned, so
// that the caller answers as for nothing found.
template <typename Work>
[[nodiscard]] bool RunLoggingFailure(const char* function, const char* what, Work&& work) noexcept {
    try {
        work();
        return true;
    } catch (...) {
        LogCurrentException(function, what);
        return false;
    }
}
