// The active selection as the plug-in's callers reach it: the host's selection utilities give
// the selection manager of the active context, which carries the layout selection suite and the
// plug-in's selection job suite. Each part is null when the host offers none; callers raise
// their own guard texts or skip.
#pragma once

#include "Plugin/IZEPSelectionJobSuite.h"
#include "host/sdk/Selection.h"

struct ActiveSelection {
    ISelectionManager* manager = nullptr; // the host keeps it alive
    InterfacePtr<ILayoutSelectionSuite> layoutSuite;
    InterfacePtr<IZEPSelectionJobSuite> jobSuite;
};

// The selection of the active context (or the given manager's), with its two suites.
ActiveSelection QueryActiveSelection();
ActiveSelection QuerySelection(ISelectionManager* manager);

// The items of the job suite's layout target, asked with options 1 and 0; throws 0x52E1E
// "(theLayoutTarget) == NULL" when the suite gives no target.
UIDList SelectedLayoutItems(const IZEPSelectionJobSuite& jobSuite);
