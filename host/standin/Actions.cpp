#include "host/standin/Actions.h"

#include "host/standin/Context.h"
#include "host/standin/Document.h"
#include "host/standin/Host.h"
#include "host/standin/Recorder.h"

#include <algorithm>
#include <stdexcept>

namespace host {

namespace {

constexpr ImplementationID kActionManagerImpl{0xF0D120};
constexpr ImplementationID kShortcutManagerImpl{0xF0D121};

class ActionManager final : public CPMUnknown<IActionManager> {
public:
    using CPMUnknown::CPMUnknown;
};

class ShortcutManager final : public CPMUnknown<IShortcutManager> {
public:
    using CPMUnknown::CPMUnknown;

    std::int32_t CountShortcuts(ActionID action) const override {
        return static_cast<std::int32_t>(std::count_if(
            Shortcuts().begin(), Shortcuts().end(),
            [action](const Shortcut& shortcut) { return shortcut.action == action; }));
    }
    ActionID GetActionOfShortcut(VirtualKey key, std::int32_t modifiers,
                                 const PMString& context) const override {
        const auto found = Find(key, modifiers, context.GetUTF8String());
        return found == Shortcuts().end() ? ActionID{0} : found->action;
    }
    void AddShortcut(ActionID action, const PMString& context, VirtualKey key,
                     std::int32_t modifiers) override {
        const std::string name = context.GetUTF8String();
        Recorder::Instance().Record(Channel::Calls, "AddShortcut " + Hex(action.Get()) + " " +
                                                        name + " " + Hex(key.GetCharacter()) + " " +
                                                        std::to_string(modifiers));
        const auto found = Find(key, modifiers, name);
        if (found != Shortcuts().end())
            found->action = action;
        else
            Shortcuts().push_back({action, name, key, modifiers});
    }
    void EndShortcutChanges() override {
        Recorder::Instance().Record(Channel::Calls, "EndShortcutChanges");
    }

private:
    static std::vector<Shortcut>::iterator Find(VirtualKey key, std::int32_t modifiers,
                                                const std::string& context) {
        return std::find_if(Shortcuts().begin(), Shortcuts().end(), [&](const Shortcut& s) {
            return s.key == key && s.modifiers == modifiers && s.context == context;
        });
    }
};

// A new action component of the plug-in, or null when it offers none.
InterfacePtr<IActionComponent> NewComponent(const IPlugIn& plugin) {
    for (const ServiceResource& service : plugin.GetResources().services)
        if (service.kind == ServiceKind::ActionComponent)
            return InterfacePtr<IActionComponent>(static_cast<IActionComponent*>(
                CreateObject(service.cls, IActionComponent::kDefaultIID)));
    return {};
}

template <typename Entries>
auto& At(Entries& entries, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size())
        throw std::out_of_range("action state list: no entry " + std::to_string(index));
    return entries[static_cast<std::size_t>(index)];
}

} // namespace

std::vector<Shortcut>& Shortcuts() {
    static std::vector<Shortcut> shortcuts;
    return shortcuts;
}

std::int32_t ActionStateList::Length() const {
    return static_cast<std::int32_t>(m_entries.size());
}

ActionID ActionStateList::GetNthAction(std::int32_t index) const {
    return At(m_entries, index).action;
}

void ActionStateList::SetNthActionState(std::int32_t index, std::int32_t state) {
    At(m_entries, index).state = state;
}

void ActionStateList::SetNthActionName(std::int32_t index, const PMString& name) {
    PMString shown = name;
    if (!shown.IsTranslated())
        shown.Translate();
    At(m_entries, index).name = shown;
}

bool DoAction(ActionID action) {
    for (const IPlugIn* plugin : Plugins()) {
        const auto& actions = plugin->GetResources().actions;
        if (std::none_of(actions.begin(), actions.end(),
                         [action](const ActionResource& a) { return a.action == action; }))
            continue;
        InterfacePtr<IActionComponent> component = NewComponent(*plugin);
        if (!component)
            return false;
        InterfacePtr<IActiveContext> context(QueryActiveContext());
        component->DoAction(context.get(), action);
        return true;
    }
    return false;
}

std::vector<ActionEntry> UpdateActionStates() {
    std::vector<ActionEntry> all;
    InterfacePtr<IActiveContext> context(QueryActiveContext());
    for (const IPlugIn* plugin : Plugins()) {
        std::vector<ActionEntry> entries;
        for (const ActionResource& action : plugin->GetResources().actions)
            entries.push_back({action.action, 0, PMString(action.name)});
        ActionStateList list(std::move(entries));
        if (InterfacePtr<IActionComponent> component = NewComponent(*plugin))
            component->UpdateActionStates(context.get(), &list);
        all.insert(all.end(), list.Entries().begin(), list.Entries().end());
    }
    return all;
}

void RegisterActionClasses() {
    Shortcuts().clear();
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kActionManagerImpl,
                                 ImplementationFunctionsOf<ActionManager>());
    model.RegisterImplementation(PluginID{0}, kShortcutManagerImpl,
                                 ImplementationFunctionsOf<ShortcutManager>());
    model.AddToClass(kApplicationBoss, {{IActionManager::kDefaultIID, kActionManagerImpl},
                                        {IShortcutManager::kDefaultIID, kShortcutManagerImpl}});
}

} // namespace host
