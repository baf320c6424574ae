#include "host/standin/Database.h"

#include "host/standin/Command.h"

UIDRef GetUIDRef(const IPMUnknown* object) {
    const Boss* boss = Boss::Of(object);
    return boss ? UIDRef(boss->GetDataBase(), boss->GetUID()) : UIDRef();
}

namespace host {

void DataBase::Releaser::operator()(Boss* boss) const {
    boss->Release();
}

DataBase::Held DataBase::Hold(Boss* boss) {
    boss->AddRef();
    return Held(boss);
}

DataBase::~DataBase() {
    for (auto& [uid, boss] : m_objects)
        boss->SetStorage(nullptr, kInvalidUID);
}

IPMUnknown* DataBase::Instantiate(UID uid, PMIID iid) const {
    const Boss* boss = GetBoss(uid);
    return boss ? boss->QueryInterface(iid) : nullptr;
}

ClassID DataBase::GetClass(UID uid) const {
    const Boss* boss = GetBoss(uid);
    return boss ? boss->GetClass() : kInvalidClass;
}

UID DataBase::NewObject(ClassID cls, UID wanted) {
    UID uid = wanted == kInvalidUID ? UID(m_next) : wanted;
    if (m_objects.contains(uid))
        return kInvalidUID;
    Boss* boss = ObjectModel::Instance().NewBoss(cls);
    if (!boss)
        return kInvalidUID;
    boss->SetStorage(this, uid);
    m_objects.emplace(uid, Hold(boss));
    m_next = std::max(m_next, uid.Get() + 1);
    if (m_root == kInvalidUID)
        m_root = uid;
    RecordUndo([this, uid] { DeleteObject(uid); });
    return uid;
}

Boss* DataBase::GetBoss(UID uid) const {
    auto found = m_objects.find(uid);
    return found == m_objects.end() ? nullptr : found->second.get();
}

std::vector<UID> DataBase::GetUIDs() const {
    std::vector<UID> uids;
    uids.reserve(m_objects.size());
    for (const auto& [uid, boss] : m_objects)
        uids.push_back(uid);
    return uids;
}

void DataBase::DeleteObject(UID uid) {
    auto found = m_objects.find(uid);
    if (found == m_objects.end())
        return;
    // The database's reference becomes the journal's.
    Boss* boss = found->second.release();
    KeepForJournal(*boss);
    boss->Release();
    std::shared_ptr<Boss> kept(boss, [](Boss* b) { ReleaseFromJournal(*b); });
    m_objects.erase(found);
    kept->SetStorage(nullptr, kInvalidUID);
    RecordUndo([this, uid, kept] {
        kept->SetStorage(this, uid);
        m_objects.emplace(uid, Hold(kept.get()));
    });
}

} // namespace host
