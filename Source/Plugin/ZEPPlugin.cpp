#include "Plugin/ZEPPlugin.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPRegistrations.h"
#include "model/BCheckSettingList.h"
#include "utils/UUnits.h"

ZEPPlugin::ZEPPlugin() : PlugIn(kZEPPluginID, RegistrationListHead(), PluginResourceTables()) {}

bool ZEPPlugin::Load(ISession* session) noexcept {
    bool loaded = false;
    RunAtHostBoundary([&] {
        loaded = PlugIn::Load(session);
        if (!loaded) {
            ShowGlobalErrorAlert();
            ClearGlobalError();
        }
    });
    // Units that cannot be made stay missing.
    static_cast<void>(RunLoggingFailure("ZEPPlugin::Load", "the units are not made",
                                        [] { UUnits::createGlobal(); }));
    SetForceEPSExport(true);
    return loaded;
}

bool ZEPPlugin::Unload() noexcept {
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
