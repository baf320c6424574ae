#include "Plugin/ZEPActiveSelection.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Document.h"

ActiveSelection QueryActiveSelection() {
    InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
    return QuerySelection(utils ? utils->GetActiveSelection() : nullptr);
}

ActiveSelection QuerySelection(ISelectionManager* manager) {
    ActiveSelection selection;
    InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
    if (!manager || !utils)
        return selection;
    selection.manager = manager;
    selection.layoutSuite.reset(utils->QueryLayoutSelectionSuite(manager));
    selection.jobSuite = InterfacePtr<IZEPSelectionJobSuite>(manager, UseDefaultIID{});
    return selection;
}

UIDList SelectedLayoutItems(const IZEPSelectionJobSuite& jobSuite) {
    InterfacePtr<ILayoutTarget> theLayoutTarget;
    // The answer is whether a target came back, which the guard tests.
    static_cast<void>(jobSuite.GetLayoutTarget(theLayoutTarget));
    ThrowIfNull(theLayoutTarget, "theLayoutTarget");
    return theLayoutTarget->GetUIDList(1, 0);
}
