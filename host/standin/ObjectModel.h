// The stand-in's object model (host/sdk/ObjectModel.h): its implementation and class tables, the
// bosses it creates, and the references held on them.
#pragma once

#include "host/sdk/ObjectModel.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class IDataBase;
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
    // a facet of the same interface. Counted as a change of the model (host::ModelChangeCount)
    // when the boss is stored in a database.
    void AttachFacet(PMIID iid, std::unique_ptr<IPMUnknown> facet);
    // Takes the interface away, as a fault that tests inject; counted as AttachFacet is.
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
    void CountFacetChange() const;
    // The facet as the answer to a query of its interface: null when a fault hides it.
    IPMUnknown* Answer(const Facet& facet) const;
    // One of 32 bits for an interface: a boss whose filter lacks an interface's bit has no facet
    // of it, which most queries (asking whether an item is of a kind) find without a search.
    static std::uint32_t FilterBit(PMIID iid) {
        return std::uint32_t{1} << ((iid.Get() * 0x9E3779B9u) >> 27);
    }
    void RefreshFilter();

    ClassID m_class;
    std::vector<Facet> m_facets;
    mutable int m_refs = 0;
    std::uint32_t m_filter = 0; // the bits of the facets' interfaces
    IDataBase* m_db = nullptr;
    UID m_uid = kInvalidUID;
};

namespace host {
// The references held on bosses: every reference taken minus every reference released, over all
// bosses, less the references the undo journal keeps (so a test can check that a road gives
// back every reference it took: the count returns to its value before the road).
std::int64_t LiveReferences();
// A reference that the undo journal takes and gives back, not counted by LiveReferences.
void KeepForJournal(const Boss& boss);
void ReleaseFromJournal(const Boss& boss);
} // namespace host
