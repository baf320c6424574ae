#include "host/standin/PlugInList.h"

#include "host/sdk/PMString.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Session.h"

namespace host {

namespace {

constexpr ImplementationID kPlugInListImpl{0xF07110};

class PlugInList final : public CPMUnknown<IPlugInList> {
public:
    using CPMUnknown::CPMUnknown;
    bool GetPluginFile(PluginID plugin, IDFile& file) const override {
        const auto found = InstalledPlugins().find(plugin);
        if (found == InstalledPlugins().end())
            return false;
        file.SetString(PMString(found->second).GetUTF16());
        return true;
    }
};

} // namespace

std::map<PluginID, std::string>& InstalledPlugins() {
    static std::map<PluginID, std::string> plugins;
    return plugins;
}

void RegisterPlugInListClasses() {
    InstalledPlugins().clear();
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kPlugInListImpl,
                                 ImplementationFunctionsOf<PlugInList>());
    model.AddToClass(kSessionBoss, {{IPlugInList::kDefaultIID, kPlugInListImpl}});
}

} // namespace host
