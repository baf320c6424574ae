#include "Plugin/ZEPErrorStringService.h"

#include "Plugin/ZEPID.h"

namespace {
constexpr int kErrorStringResource = 650;
}

bool ZEPErrorStringService::OwnsErrorCode(ErrorCode code) {
    return (code.Get() & ~0xFFu) == kZEPPluginID.Get();
}

PMString ZEPErrorStringService::GetErrorString(ErrorCode code) {
    return ErrorUtils::PMLoadErrorStringFromRsrc(kZEPPluginID, kErrorStringResource, code);
}

ErrorCode ZEPErrorStringService::GetAuxiliaryCode(ErrorCode /*code*/) {
    return kSuccess;
}

PMString ZEPErrorStringService::GetAuxiliaryString(ErrorCode /*code*/) {
    return PMString();
}
