// The plug-in's menu action component: carries out the menu actions 0x52E03 to 0x52E0D (events to
// the companion application, fitting to the job, the two preference toggles) and brings their
// states and the adjust action's menu text up to date before a menu is shown. It keeps no state.
//
// Both operations are host entry points: a failure, thrown or left as the global error code, is
// shown in one error alert (not for a cancel) and cleared, so the host sees success.
#pragma once

#include "host/sdk/Actions.h"

class ZEPActionComponent final : public CActionComponent {
public:
    explicit ZEPActionComponent(IPMUnknown* boss) : CActionComponent(boss) {}

    // First gives the details action the shortcut '\' with modifier 1 in "DefaultContext" when
    // it has no shortcut and the key is free. Then: the events' actions enabled; adjust named by
    // the job's bleed and the preference "SelectionBasedExports", enabled for a job with an
    // unexported destination and a trim box (on the front view's spread unless that is a master
    // spread; with the preference on, for exactly one selected frame); each preference toggle
    // enabled and checked while its preference is on. Other entries are left as they are, also
    // the entries after a failure.
    void UpdateActionStates(IActiveContext* context, IActionStateList* list) noexcept override;
    // The about (0x52E03, 0x52E0A), details (0x52E05) and job-list (0x52E0D) events, and 0x52E09,
    // which has no event and fails with code 1; adjust (0x52E06) fits the front document or its
    // selected frame; 0x52E0B and 0x52E0C toggle "SelectionBasedExports" and "CommonSizing".
    // Every other action does nothing.
    void DoAction(IActiveContext* context, ActionID action) noexcept override;
};
