#include "Plugin/CZEPSelectionJob.h"

#include "Plugin/CZEPException.h"

#include <boost/bind/bind.hpp>
#include <boost/ref.hpp>

using namespace boost::placeholders;

bool CZEPSelectionJobASB::HasSelectedItems() const noexcept {
    return Process(boost::bind(&IZEPSelectionJobSuite::HasSelectedItems, _1));
}

bool CZEPSelectionJobASB::HasSingleSelectedItem() const noexcept {
    return Process(boost::bind(&IZEPSelectionJobSuite::HasSingleSelectedItem, _1));
}

bool CZEPSelectionJobASB::GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const noexcept {
    return Process(boost::bind(&IZEPSelectionJobSuite::GetLayoutTarget, _1, boost::ref(out)));
}

bool CZEPSelectionJobASB::Process(
    const boost::function<bool(const IZEPSelectionJobSuite*)>& operation) const noexcept {
    bool answered = false;
    static_cast<void>(
        RunLoggingFailure("CZEPSelectionJobASB::Process", "the suite answers false", [&] {
            InterfacePtr<IIntegratorTarget> target(this, UseDefaultIID{});
            if (!target)
                return;
            const auto suites = target->GetTarget(IZEPSelectionJobSuite::kDefaultIID);
            for (auto suite = suites.rbegin(); suite != suites.rend() && !answered; ++suite)
                answered = operation(static_cast<const IZEPSelectionJobSuite*>(suite->get()));
        }));
    return answered;
}

int CZEPSelectionJobLayoutCSB::SelectedItemCount() const noexcept {
    int count = -1;
    static_cast<void>(RunLoggingFailure("CZEPSelectionJobLayoutCSB::SelectedItemCount",
                                        "the layout selection counts as missing", [&] {
                                            InterfacePtr<ILayoutTarget> target(this,
                                                                               UseDefaultIID{});
                                            if (target)
                                                count = target->GetUIDList(1, 0).Length();
                                        }));
    return count;
}

bool CZEPSelectionJobLayoutCSB::HasSelectedItems() const noexcept {
    return SelectedItemCount() >= 1;
}

bool CZEPSelectionJobLayoutCSB::HasSingleSelectedItem() const noexcept {
    return SelectedItemCount() == 1;
}

bool CZEPSelectionJobLayoutCSB::GetLayoutTarget(InterfacePtr<ILayoutTarget>& out) const noexcept {
    out = InterfacePtr<ILayoutTarget>(this, UseDefaultIID{});
    return static_cast<bool>(out);
}
