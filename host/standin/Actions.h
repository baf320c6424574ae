// The stand-in's menu actions (host/sdk/Actions.h): the shortcuts the application keeps, the
// state list the host fills, and running and updating the attached plug-ins' actions.
#pragma once

#include "host/sdk/Actions.h"

#include <string>
#include <vector>

namespace host {

struct Shortcut {
    ActionID action;
    std::string context; // UTF-8
    VirtualKey key;
    std::int32_t modifiers = 0;
};
// The shortcuts the application keeps, in the order they were made (none after host::Reset).
std::vector<Shortcut>& Shortcuts();

struct ActionEntry {
    ActionID action;
    std::int32_t state = 0;
    PMString name;
};

// A state list the host fills with actions.
class ActionStateList final : public IActionStateList {
public:
    explicit ActionStateList(std::vector<ActionEntry> entries) : m_entries(std::move(entries)) {}

    std::int32_t Length() const override;
    ActionID GetNthAction(std::int32_t index) const override;
    void SetNthActionState(std::int32_t index, std::int32_t state) override;
    void SetNthActionName(std::int32_t index, const PMString& name) override;

    const std::vector<ActionEntry>& Entries() const { return m_entries; }

private:
    std::vector<ActionEntry> m_entries;
};

// Runs the action in the active context through a new action component of the first attached
// plug-in whose action resources list it; false when no plug-in lists it or the plug-in offers
// no action component.
bool DoAction(ActionID action);

// The actions of every attached plug-in's resources, in order, each starting disabled with the
// resource's name; each plug-in's action component (when it offers one) updates its own actions
// in the active context.
std::vector<ActionEntry> UpdateActionStates();

// Registers the action manager and the shortcut manager on the application's class and forgets
// every shortcut (part of host::Reset).
void RegisterActionClasses();

} // namespace host
