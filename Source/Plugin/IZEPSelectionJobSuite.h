// The selection job suite: whether the user has selected page items in the layout, and the layout
// target that holds them. Callers ask the active selection manager for it; it answers through
// the concrete suites of the current selection.
#pragma once

#include "Plugin/ZEPID.h"
#include "host/sdk/IPMUnknown.h"
#include "host/sdk/Selection.h"

class IZEPSelectionJobSuite : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID = IID_IZEPSELECTIONJOBSUITE;

    // At least one page item is selected.
    virtual bool HasSelectedItems() const = 0;
    // Exactly one page item is selected.
    virtual bool HasSingleSelectedItem() const = 0;
    // Hands out the layout selection's target (out keeps what it held when there is none).
    virtual bool GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const = 0;
};
