// Fuzz aid: one host with the plug-in attached, for the whole run of a target.
#pragma once

#include "Plugin/ZEPPlugin.h"
#include "host/standin/Host.h"

#include <cstdlib>

inline void AttachPluginOnce() {
    static const bool attached = [] {
        host::Reset();
        return host::Attach(GetPlugIn());
    }();
    if (!attached)
        std::abort();
}
