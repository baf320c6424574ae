#include "host/sdk/Errors.h"

#include "host/sdk/PlugIn.h"
#include "host/standin/Host.h"
#include "host/standin/Recorder.h"
#include "host/standin/ResourceAccess.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct GlobalError {
    ErrorCode code = kSuccess;
    PMString message;
};

GlobalError& Global() {
    static GlobalError error;
    return error;
}

// The codes kept by the living GlobalErrorStatePreservers, innermost last: an alert shown while
// one lives shows the error it keeps.
std::vector<ErrorCode>& KeptCodes() {
    static std::vector<ErrorCode> codes;
    return codes;
}

// The texts of the host's own error codes.
struct HostErrorText {
    std::uint32_t code;
    const char* text;
};
constexpr HostErrorText kHostErrorTexts[] = {
    {0xF01030, "The script method is not supported."},
    {0xF01031, "A parameter of the script method is missing."},
    {0xF01032, "A parameter of the script method has the wrong type."},
    {0xF01033, "The script property is not supported."},
    {0xF0F001, "The output file cannot be written."},
};

} // namespace

namespace ErrorUtils {

void PMSetGlobalErrorCode(ErrorCode code, const PMString* message) {
    Global().code = code;
    Global().message = message ? *message : PMString();
}

ErrorCode PMGetGlobalErrorCode() {
    return Global().code;
}

const PMString& PMGetGlobalErrorString() {
    return Global().message;
}

PMString PMGetErrorString(ErrorCode code) {
    for (const IPlugIn* plugin : host::Plugins()) {
        for (const ServiceResource& service : plugin->GetResources().services) {
            if (service.kind != ServiceKind::ErrorStrings)
                continue;
            InterfacePtr<IErrorStringService> strings(static_cast<IErrorStringService*>(
                CreateObject(service.cls, IErrorStringService::kDefaultIID)));
            if (strings && strings->OwnsErrorCode(code))
                return strings->GetErrorString(code);
        }
    }
    for (const HostErrorText& own : kHostErrorTexts)
        if (own.code == code.Get())
            return PMString(own.text);
    return PMString();
}

PMString PMLoadErrorStringFromRsrc(PluginID plugin, int resource, ErrorCode code) {
    const IDFile* current = host::CurrentResourceFile();
    host::Recorder::Instance().Record(
        host::Channel::Resources,
        "error string " + std::to_string(resource) + " " + host::Hex(code.Get()) + " from " +
            (current ? PMString(current->GetString()).GetUTF8String() : std::string("none")));
    if (!current)
        return PMString();
    for (const IPlugIn* loaded : host::Plugins()) {
        if (loaded->GetPluginID() != plugin || host::PluginLibraryFile(loaded) != *current)
            continue;
        for (const ErrorStringResource& text : loaded->GetResources().errorStrings)
            if (text.resource == resource && text.code == code)
                return PMString(text.text);
    }
    return PMString();
}

} // namespace ErrorUtils

GlobalErrorStatePreserver::GlobalErrorStatePreserver()
    : m_code(Global().code), m_message(Global().message) {
    KeptCodes().push_back(m_code);
}

GlobalErrorStatePreserver::~GlobalErrorStatePreserver() {
    KeptCodes().pop_back();
    Global().code = m_code;
    Global().message = m_message;
}

namespace CAlert {

void ErrorAlert(const PMString& message) {
    ErrorCode code = Global().code;
    if (code == kSuccess && !KeptCodes().empty())
        code = KeptCodes().back();
    host::Recorder::Instance().Record(host::Channel::Failures, "alert " + host::Hex(code.Get()));
    host::Recorder::Instance().Record(host::Channel::Alerts, message.GetUTF8String());
}

} // namespace CAlert

namespace host {

void ResetGlobalError() {
    Global() = GlobalError{};
}

} // namespace host
