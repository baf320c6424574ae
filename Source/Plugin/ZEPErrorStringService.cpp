#include "Plugin/ZEPErrorStringService.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/ResourceAccess.h"

namespace {
constexpr int kErrorStringResource = 650;
}

bool ZEPErrorStringService::OwnsErrorCode(ErrorCode code) noexcept {
    return (code.Get() & ~0xFFu) == kZEPPluginID.Get();
}

PMString ZEPErrorStringService::GetErrorString(ErrorCode code) noexcept {
    PMString text;
    if (!RunLoggingFailure("ZEPErrorStringService::GetErrorString", "the error has no text", [&] {
            const WResourceAccess access(ThePlugInResourceFile());
            text = ErrorUtils::PMLoadErrorStringFromRsrc(kZEPPluginID, kErrorStringResource, code);
        }))
        text = PMString();
    return text;
}

ErrorCode ZEPErrorStringService::GetAuxiliaryCode(ErrorCode /*code*/) noexcept {
    return kSuccess;
}

PMString ZEPErrorStringService::GetAuxiliaryString(ErrorCode /*code*/) noexcept {
    return PMString();
}
