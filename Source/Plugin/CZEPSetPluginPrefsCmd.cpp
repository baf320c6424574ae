#include "Plugin/CZEPSetPluginPrefsCmd.h"

#include "Plugin/CZEPException.h"
#include "Plugin/IZEPPluginPrefsData.h"
#include "host/sdk/Errors.h"

CZEPSetPluginPrefsCmd::CZEPSetPluginPrefsCmd(IPMUnknown* boss) : Command(boss) {
    SetUndoability(kRegularUndo);
}

PMString CZEPSetPluginPrefsCmd::CreateName() {
    return PMString("0x52E00kStringZEPSetPluginPrefsCmdKey");
}

void CZEPSetPluginPrefsCmd::Do() noexcept {
    RunAsCommandBody([this] {
        const UIDList& items = *GetItemList();
        InterfacePtr<IZEPPluginPrefsData> data(this, UseDefaultIID{});
        if (items.IsEmpty() || !data) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        // Items that keep no preferences are skipped.
        for (int i = 0; i < items.Length(); ++i) {
            InterfacePtr<IZEPPluginPrefsData> target(items.GetRef(i), UseDefaultIID{});
            if (target)
                data->CopyTo(target.get());
        }
    });
}
