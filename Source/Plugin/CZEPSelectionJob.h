// The two implementations of the selection job suite: the abstract suite on the selection manager
// and the concrete suite of the layout selection.
#pragma once

#include "Plugin/IZEPSelectionJobSuite.h"
#include "host/sdk/ObjectModel.h"

#include <boost/function.hpp>

// Forwards each operation to the concrete suites of the current selection, the last one first,
// and answers true as soon as one does.
class CZEPSelectionJobASB final : public CPMUnknown<IZEPSelectionJobSuite> {
public:
    explicit CZEPSelectionJobASB(IPMUnknown* boss) : CPMUnknown<IZEPSelectionJobSuite>(boss) {}

    bool HasSelectedItems() const override;
    bool HasSingleSelectedItem() const override;
    bool GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const override;

private:
    bool Process(const boost::function<bool(const IZEPSelectionJobSuite*)>& operation) const;
};

// Answers from the layout target of its boss (the layout selection).
class CZEPSelectionJobLayoutCSB final : public CPMUnknown<IZEPSelectionJobSuite> {
public:
    explicit CZEPSelectionJobLayoutCSB(IPMUnknown* boss)
        : CPMUnknown<IZEPSelectionJobSuite>(boss) {}

    bool HasSelectedItems() const override;
    bool HasSingleSelectedItem() const override;
    bool GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const override;

private:
    // The number of selected items; -1 when the boss has no layout target.
    int SelectedItemCount() const;
};
