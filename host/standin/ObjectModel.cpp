#include "host/standin/ObjectModel.h"

#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "host/standin/Recorder.h"

#include <algorithm>

namespace host {

ObjectModel& ObjectModel::Instance() {
    static ObjectModel model;
    return model;
}

void ObjectModel::RegisterImplementation(PluginID plugin, ImplementationID id,
                                         const ImplementationFunctions& functions) {
    m_implementations[id] = functions;
    Recorder::Instance().Record(Channel::Registrations,
                                Hex(plugin.Get()) + " " + Hex(id.Get()) +
                                    (functions.readWrite ? " persistent" : ""));
}

IPMUnknown* ObjectModel::CreateInstance(ClassID cls, PMIID iid) {
    Boss* boss = NewBoss(cls);
    if (!boss)
        return nullptr;
    // The making is the point (recorded before the interface it is asked for).
    const bool made = !boss->HasFacet(iid) || Faults::Instance().CanMake(cls, iid);
    IPMUnknown* result = made ? boss->QueryInterface(iid) : nullptr;
    if (!result) {
        // Nobody holds the new boss: take and drop one reference so it goes away.
        boss->AddRef();
        boss->Release();
    }
    return result;
}

void ObjectModel::AddToClass(ClassID cls, const std::vector<InterfaceEntry>& entries) {
    auto& interfaces = m_classes[cls];
    for (const InterfaceEntry& entry : entries) {
        auto same = std::find_if(interfaces.begin(), interfaces.end(),
                                 [&](const InterfaceEntry& e) { return e.iid == entry.iid; });
        if (same != interfaces.end())
            *same = entry;
        else
            interfaces.push_back(entry);
    }
}

const ImplementationFunctions* ObjectModel::FindImplementation(ImplementationID id) const {
    auto found = m_implementations.find(id);
    return found == m_implementations.end() ? nullptr : &found->second;
}

Boss* ObjectModel::NewBoss(ClassID cls) {
    auto found = m_classes.find(cls);
    if (found == m_classes.end())
        return nullptr;
    return new Boss(cls, found->second);
}

void ObjectModel::Reset() {
    m_implementations.clear();
    m_classes.clear();
}

} // namespace host

IObjectModel* GetObjectModelInstance() {
    return &host::ObjectModel::Instance();
}

IPMUnknown* CreateObject(ClassID cls, PMIID iid) {
    return GetObjectModelInstance()->CreateInstance(cls, iid);
}

Boss::Boss(ClassID cls, const std::vector<InterfaceEntry>& entries) : m_class(cls) {
    const auto& model = host::ObjectModel::Instance();
    m_facets.reserve(entries.size());
    for (const InterfaceEntry& entry : entries) {
        const ImplementationFunctions* functions = model.FindImplementation(entry.implementation);
        if (!functions || !functions->create)
            continue;
        IPMUnknown* object = functions->create(this);
        if (!object)
            continue;
        m_facets.push_back({entry.iid, entry.implementation, object, functions->destroy,
                            functions->readWrite, nullptr});
        m_filter |= FilterBit(entry.iid);
    }
}

Boss::~Boss() {
    // Facets go in the reverse of their creation.
    for (auto facet = m_facets.rbegin(); facet != m_facets.rend(); ++facet) {
        if (facet->destroy)
            facet->destroy(facet->object);
        facet->owned.reset();
    }
}

const Boss::Facet* Boss::Find(PMIID iid) const {
    if (!(m_filter & FilterBit(iid)))
        return nullptr;
    for (const Facet& facet : m_facets)
        if (facet.iid == iid)
            return &facet;
    return nullptr;
}

IPMUnknown* Boss::QueryInterface(PMIID iid) const {
    if (iid == IPMUnknown::kDefaultIID) {
        AddRef();
        return const_cast<Boss*>(this);
    }
    // Most queries ask for an interface the boss lacks: Find ends them at the filter.
    const Facet* facet = Find(iid);
    return facet ? Answer(*facet) : nullptr;
}

IPMUnknown* Boss::Answer(const Facet& facet) const {
    host::Faults& faults = host::Faults::Instance();
    if (faults.Recording())
        faults.Touch({host::InjectionPoint::Kind::Interface, m_class, facet.iid});
    if (faults.IsHidden(m_class, facet.iid))
        return nullptr;
    AddRef();
    return facet.object;
}

namespace {
// References taken minus released over all bosses, less the ones the undo journal keeps.
std::int64_t g_liveReferences = 0;
} // namespace

void Boss::AddRef() const {
    ++g_liveReferences;
    ++m_refs;
}

void Boss::Release() const {
    --g_liveReferences;
    if (--m_refs == 0)
        delete this;
}

namespace host {

std::int64_t LiveReferences() {
    return g_liveReferences;
}

void KeepForJournal(const Boss& boss) {
    boss.AddRef();
    --g_liveReferences;
}

void ReleaseFromJournal(const Boss& boss) {
    ++g_liveReferences;
    boss.Release();
}

} // namespace host

void Boss::AttachFacet(PMIID iid, std::unique_ptr<IPMUnknown> facet) {
    RemoveFacet(iid);
    IPMUnknown* object = facet.get();
    m_facets.push_back({iid, kInvalidImpl, object, nullptr, nullptr, std::move(facet)});
    m_filter |= FilterBit(iid);
    CountFacetChange();
}

void Boss::RemoveFacet(PMIID iid) {
    auto found = std::find_if(m_facets.begin(), m_facets.end(),
                              [&](const Facet& facet) { return facet.iid == iid; });
    if (found == m_facets.end())
        return;
    if (found->destroy)
        found->destroy(found->object);
    m_facets.erase(found);
    RefreshFilter();
    CountFacetChange();
}

void Boss::CountFacetChange() const {
    // A boss outside every database (a value object a query makes) is no part of a document.
    if (m_db)
        host::CountModelChange();
}

void Boss::RefreshFilter() {
    m_filter = 0;
    for (const Facet& facet : m_facets)
        m_filter |= FilterBit(facet.iid);
}

bool Boss::HasFacet(PMIID iid) const {
    return Find(iid) != nullptr;
}

ImplementationID Boss::ImplementationOf(const IPMUnknown* facet) const {
    for (const Facet& f : m_facets)
        if (f.object == facet)
            return f.implementation;
    return kInvalidImpl;
}

std::vector<Boss::PersistentFacet> Boss::PersistentFacets() const {
    std::vector<PersistentFacet> result;
    for (const Facet& facet : m_facets)
        if (facet.readWrite)
            result.push_back({facet.iid, facet.implementation, facet.object, facet.readWrite});
    return result;
}

Boss* Boss::Of(const IPMUnknown* object) {
    if (!object)
        return nullptr;
    IPMUnknown* boss = object->QueryInterface(IPMUnknown::kDefaultIID);
    boss->Release();
    return static_cast<Boss*>(boss);
}
