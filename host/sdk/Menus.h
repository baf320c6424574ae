// Menus: the host places the menu items of every attached plug-in (its menu resources), and
// before it places an item it offers the item's path to the menu filter of every plug-in.
#pragma once

#include "host/sdk/Geometry.h"
#include "host/sdk/IPMUnknown.h"
#include "host/sdk/PMString.h"

#include <string>
#include <vector>

class IMenuFilter : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF07001};

    // May rewrite the path in place; the action and the position are for information.
    virtual void FilterMenuPath(ActionID action, PMString& path, PMReal position) = 0;
};

namespace host {

// Builds the menus: makes one filter of each attached plug-in's menu-filter service (in the order
// the plug-ins were attached), offers each menu item's path to every filter in turn, once, and
// returns the placed items in resource order as "<action> <path>" ("0x52E05 Main:Item").
std::vector<std::string> BuildMenus();

} // namespace host
