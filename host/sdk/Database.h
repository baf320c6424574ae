// Databases of host objects: a document's, or the session's. A database keeps bosses under UIDs
// (0 is never used); `UIDRef` names one object, `UIDList` several of one database.
#pragma once

#include "host/sdk/IPMUnknown.h"
#include "host/sdk/ObjectModel.h"

#include <vector>

class IDataBase {
public:
    virtual ~IDataBase() = default;
    // The stored object's interface with a new reference; null when the UID names nothing or the
    // object has no such interface.
    virtual IPMUnknown* Instantiate(UID uid, PMIID iid) const = 0;
    // The class of the stored object; kInvalidClass when the UID names nothing.
    virtual ClassID GetClass(UID uid) const = 0;
    // The UID of the database's root object, the first it stored (a document's database: the
    // document); kInvalidUID while it stores nothing.
    virtual UID GetRootUID() const = 0;
};

class UIDRef {
public:
    UIDRef() = default;
    UIDRef(IDataBase* db, UID uid) : m_db(db), m_uid(uid) {}

    IDataBase* GetDataBase() const { return m_db; }
    UID GetUID() const { return m_uid; }
    bool operator==(const UIDRef&) const = default;

private:
    IDataBase* m_db = nullptr;
    UID m_uid = kInvalidUID;
};

inline const UIDRef kInvalidUIDRef{};

// UIDs of one database, in order.
class UIDList {
public:
    UIDList() = default;
    explicit UIDList(IDataBase* db) : m_db(db) {}
    explicit UIDList(const UIDRef& first) : m_db(first.GetDataBase()), m_uids{first.GetUID()} {}

    IDataBase* GetDataBase() const { return m_db; }
    int Length() const { return static_cast<int>(m_uids.size()); }
    bool IsEmpty() const { return m_uids.empty(); }
    UID operator[](int index) const { return m_uids.at(static_cast<std::size_t>(index)); }
    UIDRef GetRef(int index) const { return {m_db, (*this)[index]}; }
    void Append(UID uid) { m_uids.push_back(uid); }
    void Clear() { m_uids.clear(); }
    // Room for `count` UIDs (a count below 0 reserves nothing).
    void Reserve(int count) { m_uids.reserve(count > 0 ? static_cast<std::size_t>(count) : 0); }
    const std::vector<UID>& UIDs() const { return m_uids; }
    bool operator==(const UIDList&) const = default;

private:
    IDataBase* m_db = nullptr;
    std::vector<UID> m_uids;
};

// Where the object behind a facet is stored: its database and UID, or no database and UID 0.
UIDRef GetUIDRef(const IPMUnknown* object);

template <typename I>
InterfacePtr<I>::InterfacePtr(const UIDRef& ref, UseDefaultIID)
    : InterfacePtr(ref, I::kDefaultIID) {}

template <typename I>
InterfacePtr<I>::InterfacePtr(const UIDRef& ref, PMIID iid)
    : m_ptr(ref.GetDataBase() ? static_cast<I*>(ref.GetDataBase()->Instantiate(ref.GetUID(), iid))
                              : nullptr) {}
