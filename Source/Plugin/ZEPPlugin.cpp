#include "Plugin/ZEPPlugin.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPRegistrations.h"
#include "model/BCheckSettingList.h"
#include "utils/UUnits.h"

ZEPPlugin::ZEPPlugin() : PlugIn(kZEPPluginID, RegistrationListHead(), PluginResourceTables()) {}

bool ZEPPlugin::Load(ISession* session) {
    const bool loaded = PlugIn::Load(session);
    if (!loaded) {
        ShowGlobalErrorAlert();
        ClearGlobalError();
    }
    UUnits::createGlobal();
    SetForceEPSExport(true);
    return loaded;
}

bool ZEPPlugin::Unload() {
    UUnits::destroyGlobal();
    return PlugIn::Unload();
}

namespace {
// Built during static initialisation; its registration list and resources come from functions
// that build them on first use, so no other file's statics need to be ready first.
ZEPPlugin gPlugin;
} // namespace

extern "C" __attribute__((visibility("default"))) IPlugIn* GetPlugIn() {
    return &gPlugin;
}
