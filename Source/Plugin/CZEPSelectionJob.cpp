#include "Plugin/CZEPSelectionJob.h"

#include <boost/bind/bind.hpp>
#include <boost/ref.hpp>

using namespace boost::placeholders;

bool CZEPSelectionJobASB::HasSelectedItems() const {
    return Process(boost::bind(&IZEPSelectionJobSuite::HasSelectedItems, _1));
}

bool CZEPSelectionJobASB::HasSingleSelectedItem() const {
    return Process(boost::bind(&IZEPSelectionJobSuite::HasSingleSelectedItem, _1));
}

bool CZEPSelectionJobASB::GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const {
    return Process(boost::bind(&IZEPSelectionJobSuite::GetLayoutTarget, _1, boost::ref(out)));
}

bool CZEPSelectionJobASB::Process(
    const boost::function<bool(const IZEPSelectionJobSuite*)>& operation) const {
    InterfacePtr<IIntegratorTarget> target(this, UseDefaultIID{});
    if (!target)
        return false;
    const auto suites = target->GetTarget(IZEPSelectionJobSuite::kDefaultIID);
    for (auto suite = suites.rbegin(); suite != suites.rend(); ++suite)
        if (operation(static_cast<const IZEPSelectionJobSuite*>(suite->get())))
            return true;
    return false;
}

int CZEPSelectionJobLayoutCSB::SelectedItemCount() const {
    InterfacePtr<ILayoutTarget> target(this, UseDefaultIID{});
    return target ? target->GetUIDList(1, 0).Length() : -1;
}

bool CZEPSelectionJobLayoutCSB::HasSelectedItems() const {
    return SelectedItemCount() >= 1;
}

bool CZEPSelectionJobLayoutCSB::HasSingleSelectedItem() const {
    return SelectedItemCount() == 1;
}

bool CZEPSelectionJobLayoutCSB::GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const {
    out = InterfacePtr<ILayoutTarget>(this, UseDefaultIID{});
    return static_cast<bool>(out);
}
