// The plug-in's menu filter: when the plug-in 0x52E80 is installed, the plug-in's menus move
// under a "Tarnwell" menu.
#pragma once

#include "host/sdk/Menus.h"
#include "host/sdk/ObjectModel.h"

class ZEPMenuFilter final : public CPMUnknown<IMenuFilter> {
public:
    // Asks the session's plug-in list, once, whether plug-in 0x52E80 is installed.
    explicit ZEPMenuFilter(IPMUnknown* boss);

    // With plug-in 0x52E80 installed, the segment that holds the path's first "Zephrin" (with its
    // leading ':') becomes ":Tarnwell:Zephrin"; a path without the name, or without a ':' before
    // it, stays as it is. Not idempotent: a path already under "Tarnwell" gains another one.
    // A path that cannot be rewritten stays as it is (the failure is logged).
    void FilterMenuPath(ActionID action, PMString& path, PMReal position) noexcept override;

private:
    static void MoveUnderTarnwell(PMString& path);

    bool m_hasTarnwellPlugin;
};
