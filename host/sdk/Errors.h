// The host's global error state, the error-string services that name error codes, and the alert.
//
// The global error code and string are set by whoever fails and read by whoever reports; a
// pending (non-zero) code also stops later commands from running (see CmdUtils).
#pragma once

#include "host/sdk/IPMUnknown.h"
#include "host/sdk/PMString.h"

// The host asks the owner of an error code for its text.
class IErrorStringService : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF00001};

    virtual bool OwnsErrorCode(ErrorCode code) = 0;
    virtual PMString GetErrorString(ErrorCode code) = 0;
    virtual ErrorCode GetAuxiliaryCode(ErrorCode code) = 0;
    virtual PMString GetAuxiliaryString(ErrorCode code) = 0;
};

namespace ErrorUtils {

// Sets the global error code and string (no string: an empty one).
void PMSetGlobalErrorCode(ErrorCode code, const PMString* message = nullptr);
ErrorCode PMGetGlobalErrorCode();
const PMString& PMGetGlobalErrorString();
// The text of the code from the error-string service that owns it, or the host's own text of
// one of its codes (script method not supported, parameter missing or of the wrong type, file
// not written); empty when none owns it.
PMString PMGetErrorString(ErrorCode code);
// The text of the code in the plug-in's error-string resource `resource`, read from the current
// resource file (host/sdk/ResourceAccess.h), which the plug-in makes its own while it reads;
// empty when that file holds no such text.
PMString PMLoadErrorStringFromRsrc(PluginID plugin, int resource, ErrorCode code);

} // namespace ErrorUtils

// Keeps the global error code and string while it lives and puts them back when it goes.
class GlobalErrorStatePreserver {
public:
    GlobalErrorStatePreserver();
    ~GlobalErrorStatePreserver();
    GlobalErrorStatePreserver(const GlobalErrorStatePreserver&) = delete;
    GlobalErrorStatePreserver& operator=(const GlobalErrorStatePreserver&) = delete;

private:
    ErrorCode m_code;
    PMString m_message;
};

namespace CAlert {
// Shows the text to the user; the stand-in records it (host::Channel::Alerts) and the code of
// the error it shows (host::Channel::Failures): the global error code, or while that is 0 the
// code the innermost living GlobalErrorStatePreserver keeps.
void ErrorAlert(const PMString& message);
} // namespace CAlert
