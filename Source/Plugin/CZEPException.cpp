#include "Plugin/CZEPException.h"

#include "Plugin/ZEPID.h"
#include "host/sdk/Errors.h"
#include "platform/files.h"
#include "utils/Logger.h"

#include <cctype>

CZEPException::CZEPException(const ustring& message, std::uint32_t code)
    : UException(message, code) {
    m_domain = kZEPDomain;
}

CZEPFileWriteError::CZEPFileWriteError(const ustring& path, int error)
    : CZEPException(
          "The file " + path + " cannot be written" +
              (error != 0 ? ": " + ustring(platform::errorText(error).c_str()) : ustring()) + ".",
          kZEPFileWriteError) {}

CZEPFileWriteError::CZEPFileWriteError(Text text)
    : CZEPException(text.message, kZEPFileWriteError) {}

void ThrowZEPException(const ustring& message, std::uint32_t code) {
    throw CZEPException(message, code);
}

void ThrowFileWriteError(const ustring& path, int error) {
    throw CZEPFileWriteError(path, error);
}

void ThrowFolderWriteError(const ustring& path, const ustring& reason) {
    throw CZEPFileWriteError(
        CZEPFileWriteError::Text{"The folder " + path + " cannot be written: " + reason + "."});
}

void ThrowIfError(ErrorCode code) {
    if (code != kSuccess)
        ThrowZEPException(ustring(), code.Get());
}

void ThrowIfGlobalError() {
    const ErrorCode code = ErrorUtils::PMGetGlobalErrorCode();
    if (code != kSuccess)
        ThrowZEPException(ustring(ErrorUtils::PMGetGlobalErrorString().GetUTF8String()),
                          code.Get());
}

bool ToErrorCode(const UException& exception, std::uint32_t& code) {
    switch (exception.domain()) {
    case CZEPException::kZEPDomain:
        code = exception.code();
        return true;
    case UException::kUtilDomain:
        code = exception.code() + kZEPUtilityErrorBase;
        return true;
    default:
        code = kFailure.Get();
        return false;
    }
}

bool IsPrintableFourCC(std::uint32_t code) {
    for (int shift = 0; shift < 32; shift += 8)
        if (!std::isprint(static_cast<unsigned char>(code >> shift)))
            return false;
    return true;
}

void SetGlobalErrorFromException(ErrorCode code, const PMString& message) {
    PMString text = message;
    if (text.IsEmpty()) {
        text = PMString("0x52E00ZEPUnknownErr", PMString::kTranslateDuringCall);
        if (IsPrintableFourCC(code.Get())) {
            // The bytes in memory order of a little-endian number: least significant first.
            std::string letters = "'";
            for (int shift = 0; shift < 32; shift += 8)
                letters += static_cast<char>(code.Get() >> shift);
            text.Append(letters + "'");
        } else {
            text.Append(ustring::format("%ld", static_cast<long>(code.Get())).c_str());
        }
        text.SetTranslated();
    }
    ErrorUtils::PMSetGlobalErrorCode(code, &text);
}

void ReportUException(const UException& exception) {
    std::uint32_t code = 0;
    const bool known = ToErrorCode(exception, code);
    PMString text;
    if (!exception.message().empty()) {
        text = PMString(exception.message().view());
        text.SetTranslated();
    } else if (known) {
        text = ErrorUtils::PMGetErrorString(ErrorCode(code));
        ClearGlobalError();
    }
    SetGlobalErrorFromException(ErrorCode(code), text);
}

void ReportStdException(const std::exception& exception) {
    PMString text(exception.what());
    text.SetTranslated();
    SetGlobalErrorFromException(kFailure, text);
}

void ReportUnknownException() {
    SetGlobalErrorFromException(kFailure, PMString());
}

void ReportCurrentException() {
    try {
        throw;
    } catch (const UException& exception) {
        ReportUException(exception);
    } catch (const std::exception& exception) {
        ReportStdException(exception);
    } catch (...) {
        ReportUnknownException();
    }
}

void SetGlobalErrorCode(const UException& exception) {
    ErrorUtils::PMSetGlobalErrorCode(ErrorCode(exception.code()));
}

void SetGlobalErrorCodeOfCurrentException() {
    try {
        throw;
    } catch (const UException& exception) {
        SetGlobalErrorCode(exception);
    } catch (...) {
        SetFailureUnlessPending();
    }
}

void SetFailureUnlessPending() {
    if (ErrorUtils::PMGetGlobalErrorCode() == kSuccess)
        ErrorUtils::PMSetGlobalErrorCode(kFailure);
}

void ShowGlobalErrorAlert() {
    const PMString message = ErrorUtils::PMGetGlobalErrorString();
    if (ErrorUtils::PMGetGlobalErrorCode() == kCancel)
        return;
    GlobalErrorStatePreserver preserved;
    ClearGlobalError();
    CAlert::ErrorAlert(message);
}

void ClearGlobalError() {
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
}

void LogCurrentException(const char* function, const char* what) noexcept {
    try {
        std::string cause = "unknown failure";
        try {
            throw;
        } catch (const std::exception& exception) {
            cause = exception.what();
        } catch (...) {
        }
        ZEU_LOG(Error, "..\\..\\Source\\Plugin\\CZEPException", __LINE__, function)
            << what << ": " << cause;
    } catch (...) {
        // A log record that cannot be made is lost; the host call still returns.
    }
}
