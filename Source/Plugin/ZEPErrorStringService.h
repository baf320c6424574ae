// The error-string service: the host asks it for the texts of the plug-in's codes (0x52E00 to
// 0x52EFF), which live in the plug-in's error-string resource 650.
#pragma once

#include "host/sdk/Errors.h"
#include "host/sdk/ObjectModel.h"

class ZEPErrorStringService final : public CPMUnknown<IErrorStringService> {
public:
    explicit ZEPErrorStringService(IPMUnknown* boss) : CPMUnknown<IErrorStringService>(boss) {}

    bool OwnsErrorCode(ErrorCode code) override;
    PMString GetErrorString(ErrorCode code) override;
    ErrorCode GetAuxiliaryCode(ErrorCode code) override;
    PMString GetAuxiliaryString(ErrorCode code) override;
};
