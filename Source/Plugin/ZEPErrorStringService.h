// The error-string service: the host asks it for the texts of the plug-in's codes (0x52E00 to
// 0x52EFF), which live in the plug-in's error-string resource 650.
#pragma once

#include "host/sdk/Errors.h"
#include "host/sdk/ObjectModel.h"

class ZEPErrorStringService final : public CPMUnknown<IErrorStringService> {
public:
    explicit ZEPErrorStringService(IPMUnknown* boss) : CPMUnknown<IErrorStringService>(boss) {}

    bool OwnsErrorCode(ErrorCode code) noexcept override;
    // The resource's text, read with the plug-in's resource file current for the call; an empty
    // one when it cannot be loaded (the failure is logged).
    PMString GetErrorString(ErrorCode code) noexcept override;
    ErrorCode GetAuxiliaryCode(ErrorCode code) noexcept override;
    PMString GetAuxiliaryString(ErrorCode code) noexcept override;
};
