// Plug-ins: the object a plug-in library hands over (`GetPlugIn`), the list of implementation
// registrations it carries, and its resources (boss classes, add-ins to the host's classes,
// string-table texts, error texts, menu items, actions), which the host enters when it loads the
// plug-in.
#pragma once

#include "host/sdk/Ids.h"
#include "host/sdk/ObjectModel.h"

#include <span>
#include <string_view>

class ISession;

// One registration: an implementation ID and its functions, linked to the record registered
// before it.
struct ImplementationRegistration {
    ImplementationID id;
    ImplementationFunctions functions;
    const ImplementationRegistration* next = nullptr;
};

// A boss class of the plug-in, or interfaces it adds to a class of the host.
struct ClassResource {
    ClassID cls;
    std::span<const InterfaceEntry> interfaces;
};

// A service the host asks for by kind: the boss class that provides it.
enum class ServiceKind { ErrorStrings, ScriptProvider, MenuFilter, ActionComponent };
struct ServiceResource {
    ServiceKind kind;
    ClassID cls;
};

struct StringResource {
    std::string_view key;
    std::string_view text;
};

// One text of an error-string resource.
struct ErrorStringResource {
    int resource;
    ErrorCode code;
    std::string_view text;
};

// One menu item: the action it runs, its path of ':'-separated menu names ending in the item's
// own, and its position among the items of its menu.
struct MenuResource {
    ActionID action;
    std::string_view path;
    double position;
};

// One action of the plug-in, which its action-component service carries out: its ID and the name
// the host shows for it until the component gives another.
struct ActionResource {
    ActionID action;
    std::string_view name;
};

struct PluginResources {
    std::span<const ClassResource> classes;
    std::span<const ServiceResource> services;
    std::span<const StringResource> strings;
    std::span<const ErrorStringResource> errorStrings;
    std::span<const MenuResource> menus;
    std::span<const ActionResource> actions{};
};

class IPlugIn {
public:
    virtual ~IPlugIn() = default;
    virtual bool Load(ISession* session) = 0;
    virtual bool Unload() = 0;
    virtual PluginID GetPluginID() const = 0;
    // Hands every registration, from the list's head, to the object model.
    virtual void RegisterImplementations(IObjectModel* objectModel) const = 0;
    virtual const PluginResources& GetResources() const = 0;
};

// The SDK's base of a plug-in object.
class PlugIn : public IPlugIn {
public:
    PlugIn(PluginID id, const ImplementationRegistration* head, const PluginResources& resources)
        : m_id(id), m_head(head), m_resources(resources) {}

    // Succeeds unless a fault makes it fail (then the fault's code is the global error).
    bool Load(ISession* session) override;
    bool Unload() override { return true; }
    PluginID GetPluginID() const override { return m_id; }
    void RegisterImplementations(IObjectModel* objectModel) const override;
    const PluginResources& GetResources() const override { return m_resources; }

private:
    PluginID m_id;
    const ImplementationRegistration* m_head;
    const PluginResources& m_resources;
};

// The library export through which the host finds a plug-in.
extern "C" {
using GetPlugInFunction = IPlugIn* (*)();
}
