#include "host/standin/Menus.h"

#include "host/standin/Host.h"
#include "host/standin/Recorder.h"

namespace host {

namespace {

// One filter of each attached plug-in's menu-filter service.
std::vector<InterfacePtr<IMenuFilter>> MakeFilters() {
    std::vector<InterfacePtr<IMenuFilter>> filters;
    for (const IPlugIn* plugin : Plugins()) {
        for (const ServiceResource& service : plugin->GetResources().services) {
            if (service.kind != ServiceKind::MenuFilter)
                continue;
            InterfacePtr<IMenuFilter> filter(
                static_cast<IMenuFilter*>(CreateObject(service.cls, IMenuFilter::kDefaultIID)));
            if (filter)
                filters.push_back(std::move(filter));
        }
    }
    return filters;
}

} // namespace

std::vector<std::string> BuildMenus() {
    const std::vector<InterfacePtr<IMenuFilter>> filters = MakeFilters();
    std::vector<std::string> placed;
    for (const IPlugIn* plugin : Plugins()) {
        for (const MenuResource& item : plugin->GetResources().menus) {
            PMString path(item.path);
            for (const InterfacePtr<IMenuFilter>& filter : filters)
                filter->FilterMenuPath(item.action, path, item.position);
            placed.push_back(Hex(item.action.Get()) + " " + path.GetUTF8String());
        }
    }
    return placed;
}

} // namespace host
