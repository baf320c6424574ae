// The plug-in's preferences as a message: on the session workspace (where they are kept) and on
// the set-preferences command (which carries the new ones there).
#pragma once

#include "Plugin/ZEPID.h"
#include "host/sdk/IPMUnknown.h"
#include "utils/umessage.h"

class IZEPPluginPrefsData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID = IID_IZEPPLUGINPREFSDATA;

    // Replaces the preferences with a copy of the message.
    virtual void Set(const umessage& prefs) = 0;
    // Sets these preferences on the target.
    virtual void CopyTo(IZEPPluginPrefsData* target) const = 0;
    virtual void Get(umessage& out) const = 0;
};
