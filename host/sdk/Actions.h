// Menu actions: each plug-in lists its actions in its resources and offers an action component
// (its action-component service) that carries them out and, before a menu is shown, brings their
// states and menu texts up to date. The application's action manager keeps the keyboard
// shortcuts of the actions.
#pragma once

#include "host/sdk/IPMUnknown.h"
#include "host/sdk/ObjectModel.h"
#include "host/sdk/PMString.h"

#include <cstdint>

class IActiveContext;

// Action states, as bits: 0 is disabled.
inline constexpr std::int32_t kEnabledAction = 1;
inline constexpr std::int32_t kSelectedAction = 2; // shown with a check mark

// The actions whose states the host asks a component for.
class IActionStateList {
public:
    virtual ~IActionStateList() = default;

    virtual std::int32_t Length() const = 0;
    // Outside the list these throw std::out_of_range.
    virtual ActionID GetNthAction(std::int32_t index) const = 0;
    virtual void SetNthActionState(std::int32_t index, std::int32_t state) = 0;
    // The menu text the host shows for the action: a string not yet translated is translated
    // (host/sdk/PMString.h).
    virtual void SetNthActionName(std::int32_t index, const PMString& name) = 0;
};

class IActionComponent : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF0D000};

    virtual void UpdateActionStates(IActiveContext* context, IActionStateList* list) = 0;
    virtual void DoAction(IActiveContext* context, ActionID action) = 0;
};

// The SDK's base of an action component: its IPMUnknown operations are the boss's.
class CActionComponent : public CPMUnknown<IActionComponent> {
public:
    using CPMUnknown::CPMUnknown;
};

// The application's action manager (on the application object; IApplication::QueryActionManager).
// It carries the shortcut manager.
class IActionManager : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF0D002};
};

// A key of the keyboard, named by the character it types.
class VirtualKey {
public:
    explicit constexpr VirtualKey(char16_t character) : m_character(character) {}
    constexpr char16_t GetCharacter() const { return m_character; }
    constexpr bool operator==(const VirtualKey&) const = default;

private:
    char16_t m_character;
};

// The keyboard shortcuts of actions (interface 0xD203 on the action manager). A shortcut is a
// key with modifier bits in a context (such as "DefaultContext"); each may run one action.
class IShortcutManager : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xD203};

    // How many shortcuts run the action.
    virtual std::int32_t CountShortcuts(ActionID action) const = 0;
    // The action the shortcut runs; action 0 when the shortcut is free.
    virtual ActionID GetActionOfShortcut(VirtualKey key, std::int32_t modifiers,
                                         const PMString& context) const = 0;
    // Makes the shortcut run the action; a shortcut that ran another action runs this one now.
    // Recorded on Channel::Calls as "AddShortcut <action> <context> <key as hex> <modifiers>".
    virtual void AddShortcut(ActionID action, const PMString& context, VirtualKey key,
                             std::int32_t modifiers) = 0;
    // Tells the host that the additions are complete (recorded as "EndShortcutChanges").
    virtual void EndShortcutChanges() = 0;
};
