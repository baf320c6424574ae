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

    bool HasSelectedItems() const noexcept override;
    bool HasSingleSelectedItem() const noexcept override;
    bool GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const noexcept override;

private:
    // False also when the suites cannot be asked (the failure is logged).
    bool
    Process(const boost::function<bool(const IZEPSelectionJobSuite*)>& operation) const noexcept;
};

// Answers from the layout target of its boss (the layout selection).
class CZEPSelectionJobLayoutCSB final : public CPMUnknown<IZEPSelectionJobSuite> {
public:
    explicit CZEPSelectionJobLayoutCSB(IPMUnknown* boss)
        : CPMUnknown<IZEPSelectionJobSuite>(boss) {}

    bool HasSelectedItems() const noexcept override;
    bool HasSingleSelectedItem() const noexcept override;
    bool GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const noexcept override;

private:
    // The number of selected items; -1 when the boss has no layout target or it cannot be asked
    // (the failure is logged).
    int SelectedItemCount() const noexcept;
};
