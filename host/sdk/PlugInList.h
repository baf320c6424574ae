// The host's list of installed plug-ins (interface 0x10E of the session): which plug-ins are
// installed, each with its file. The stand-in lists the plug-ins the session description names;
// a plug-in it has attached is listed only when the description names it too.
#pragma once

#include "host/sdk/IDFile.h"
#include "host/sdk/IPMUnknown.h"

class IPlugInList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x10E};

    // True with the plug-in's file when it is installed; false, the file unchanged, otherwise.
    virtual bool GetPluginFile(PluginID plugin, IDFile& file) const = 0;
};
