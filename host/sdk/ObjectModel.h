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
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

class IDataBase;
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

class Boss;

namespace host {

// The implementation and class tables of the running host. One per process; `Reset` empties it
// (the host's own classes are entered again by the session).
class ObjectModel final : public IObjectModel {
public:
    static ObjectModel& Instance();

    void RegisterImplementation(PluginID plugin, ImplementationID id,
                                const ImplementationFunctions& functions) override;
    IPMUnknown* CreateInstance(ClassID cls, PMIID iid) override;
    // Adds the interfaces to the class (creating it when new); a later entry for an interface the
    // class has replaces the earlier one.
    void AddToClass(ClassID cls, const std::vector<InterfaceEntry>& entries);

    bool HasClass(ClassID cls) const { return m_classes.contains(cls); }
    const ImplementationFunctions* FindImplementation(ImplementationID id) const;

    // A new boss of the class with no references yet, or null for an unknown class.
    Boss* NewBoss(ClassID cls);

    void Reset();

private:
    std::unordered_map<ImplementationID, ImplementationFunctions> m_implementations;
    std::unordered_map<ClassID, std::vector<InterfaceEntry>> m_classes;
};

} // namespace host

// A host object: its class, its facets and the reference count they share.
class Boss final : public IPMUnknown {
public:
    Boss(ClassID cls, const std::vector<InterfaceEntry>& entries);
    ~Boss() override;
    Boss(const Boss&) = delete;
    Boss& operator=(const Boss&) = delete;

    IPMUnknown* QueryInterface(PMIID iid) const override;
    void AddRef() const override;
    void Release() const override;

    ClassID GetClass() const { return m_class; }
    int GetRefCount() const { return m_refs; }

    // Gives the boss a facet the host made for it (data a document description gives); replaces
    // a facet of the same interface.
    void AttachFacet(PMIID iid, std::unique_ptr<IPMUnknown> facet);
    // Takes the interface away, as a fault that tests inject.
    void RemoveFacet(PMIID iid);
    bool HasFacet(PMIID iid) const;

    // The facet's implementation ID and read-write function (kInvalidImpl / null for facets the
    // host attached itself).
    ImplementationID ImplementationOf(const IPMUnknown* facet) const;
    // Reads or writes every persistent facet in class order.
    struct PersistentFacet {
        PMIID iid;
        ImplementationID implementation;
        IPMUnknown* object;
        ReadWriteImplementation readWrite;
    };
    std::vector<PersistentFacet> PersistentFacets() const;

    // Where the boss is stored, if it is (set by the database).
    IDataBase* GetDataBase() const { return m_db; }
    UID GetUID() const { return m_uid; }
    void SetStorage(IDataBase* db, UID uid) {
        m_db = db;
        m_uid = uid;
    }

    // The boss behind any of its facets (or the boss itself).
    static Boss* Of(const IPMUnknown* object);

private:
    struct Facet {
        PMIID iid;
        ImplementationID implementation;
        IPMUnknown* object;
        DestroyImplementation destroy; // null: owned through `owned`
        ReadWriteImplementation readWrite;
        std::unique_ptr<IPMUnknown> owned;
    };
    const Facet* Find(PMIID iid) const;

    ClassID m_class;
    std::vector<Facet> m_facets;
    mutable int m_refs = 0;
    IDataBase* m_db = nullptr;
    UID m_uid = kInvalidUID;
};

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

namespace host {
void PreDirtyFacet(const IPMUnknown* facet, ImplementationID id, bool allowModification);
}

template <typename I>
void CPMUnknown<I>::PreDirty(ImplementationID id, bool allowModification) {
    host::PreDirtyFacet(this, id, allowModification);
}

namespace host {
// The references held on bosses: every reference taken minus every reference released, over all
// bosses, less the references the undo journal keeps (so a test can check that a road gives
// back every reference it took: the count returns to its value before the road).
std::int64_t LiveReferences();
// A reference that the undo journal takes and gives back, not counted by LiveReferences.
void KeepForJournal(const Boss& boss);
void ReleaseFromJournal(const Boss& boss);
} // namespace host

// GetObjectModelInstance()->CreateInstance.
IPMUnknown* CreateObject(ClassID cls, PMIID iid);

// The implementation functions of `Impl`, for a registration record; a persistent
// implementation's read-write function forwards to its `ReadWrite(stream, id)`.
template <typename Impl>
constexpr ImplementationFunctions ImplementationFunctionsOf() {
    return {[](IPMUnknown* boss) -> IPMUnknown* { return new (std::nothrow) Impl(boss); },
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
