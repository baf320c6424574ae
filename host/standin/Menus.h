// The stand-in's menus (host/sdk/Menus.h).
#pragma once

#include "host/sdk/Menus.h"

#include <string>
#include <vector>

namespace host {

// Builds the menus: makes one filter of each attached plug-in's menu-filter service (in the order
// the plug-ins were attached), offers each menu item's path to every filter in turn, once, and
// returns the placed items in resource order as "<action> <path>" ("0x52E05 Main:Item").
std::vector<std::string> BuildMenus();

} // namespace host
