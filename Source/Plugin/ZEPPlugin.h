// The plug-in object that the library hands to the host, and the process-wide values it makes.
#pragma once

#include "host/sdk/PlugIn.h"

class ZEPPlugin final : public PlugIn {
public:
    ZEPPlugin();

    // The base's load; a failed base load (or one that throws, reported) is shown and cleared,
    // then the process-wide units (millimetres) are made and EPS export is forced again. Returns
    // the base's result.
    bool Load(ISession* session) noexcept override;
    // Deletes the units, then the base's unload.
    bool Unload() noexcept override;
};

extern "C" IPlugIn* GetPlugIn();
