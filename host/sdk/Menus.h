// Menus: the host places the menu items of every attached plug-in (its menu resources), and
// before it places an item it offers the item's path to the menu filter of every plug-in.
#pragma once

#include "host/sdk/Geometry.h"
#include "host/sdk/IPMUnknown.h"
#include "host/sdk/PMString.h"

class IMenuFilter : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF07001};

    // May rewrite the path in place; the action and the position are for information.
    virtual void FilterMenuPath(ActionID action, PMString& path, PMReal position) = 0;
};
