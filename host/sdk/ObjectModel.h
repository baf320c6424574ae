// The object model: implementations registered by ID, boss classes made of (interface,
// implementation) pairs, and the bosses created from them.
//
// A class lists the interfaces its bosses carry and the implementation behind each; the host's
// own classes and the plug-ins' resources fill that table. Creating a boss creates one facet per
// listed interface whose implementation is registered (an unregistered one leaves the interface
// missing). A boss and its facets share one reference count; the boss is destroyed when the last
// reference goes, unless a database holds it.
#pragma once

#include "host/sdk/IPMUnknown.h"

#include <cstddef>
#include <vector>

class IPMStream;

// The functions a registration hands to the host for one implementation.
using CreateImplementation = IPMUnknown* (*)(IPMUnknown* boss);
using DestroyImplementation = void (*)(IPMUnknown* object);
using ImplementationSize = std::size_t (*)();
// Reads or writes a persistent implementation's data through the stream.
using ReadWriteImplementation = void (*)(IPMUnknown* object, IPMStream* stream,
                                         ImplementationID id);

struct ImplementationFunctions {
    CreateImplementation create = nullptr;
    DestroyImplementation destroy = nullptr;
    ImplementationSize size = nullptr;
    ReadWriteImplementation readWrite = nullptr; // null: not persistent
};

// One interface of a class and the implementation behind it.
struct InterfaceEntry {
    PMIID iid;
    ImplementationID implementation;
};

// The session's interface 0x104: where implementations and classes are registered.
class IObjectModel {
public:
    static constexpr PMIID kDefaultIID{0x104};

    virtual ~IObjectModel() = default;
    // The record of one registration, in the order the plug-in's list hands them over; the two
    // further entries of a record are always empty for the plug-ins this host loads.
    virtual void RegisterImplementation(PluginID plugin, ImplementationID id,
                                        const ImplementationFunctions& functions) = 0;
    // A new object of the class with one reference, asked for `iid`; null for an unknown class
    // or when the object has no such interface.
    virtual IPMUnknown* CreateInstance(ClassID cls, PMIID iid) = 0;
};

IObjectModel* GetObjectModelInstance();

// The implementation base of a plug-in's or the host's facets: every IPMUnknown operation goes
// to the boss.
template <typename I>
class CPMUnknown : public I {
public:
    explicit CPMUnknown(IPMUnknown* boss) : m_boss(boss) {}

    IPMUnknown* QueryInterface(PMIID iid) const override { return m_boss->QueryInterface(iid); }
    void AddRef() const override { m_boss->AddRef(); }
    void Release() const override { m_boss->Release(); }

protected:
    IPMUnknown* GetBoss() const { return m_boss; }
    // Tells the host that this persistent facet is about to change, before the change: inside a
    // command the host keeps the facet's current data so that undo and rollback restore it.
    void PreDirty(ImplementationID id = kInvalidImpl, bool allowModification = true);

private:
    IPMUnknown* m_boss;
};

// What CPMUnknown::PreDirty asks of the host for the facet.
void PreDirtyFacet(const IPMUnknown* facet, ImplementationID id, bool allowModification);

template <typename I>
void CPMUnknown<I>::PreDirty(ImplementationID id, bool allowModification) {
    PreDirtyFacet(this, id, allowModification);
}

// GetObjectModelInstance()->CreateInstance.
IPMUnknown* CreateObject(ClassID cls, PMIID iid);

// The implementation functions of `Impl`, for a registration record; a persistent
// implementation's read-write function forwards to its `ReadWrite(stream, id)`. The create
// function answers null, never an exception, when the object cannot be made (its allocation or
// its constructor fails).
template <typename Impl>
constexpr ImplementationFunctions ImplementationFunctionsOf() {
    return {[](IPMUnknown* boss) noexcept -> IPMUnknown* {
                try {
                    return new Impl(boss);
                } catch (...) {
                    return nullptr;
                }
            },
            [](IPMUnknown* object) { delete static_cast<Impl*>(object); },
            []() -> std::size_t { return sizeof(Impl); }, nullptr};
}
template <typename Impl>
constexpr ImplementationFunctions PersistentImplementationFunctionsOf() {
    ImplementationFunctions functions = ImplementationFunctionsOf<Impl>();
    functions.readWrite = [](IPMUnknown* object, IPMStream* stream, ImplementationID id) {
        static_cast<Impl*>(object)->ReadWrite(stream, id);
    };
    return functions;
}
