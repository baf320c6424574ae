// Databases of host objects: a document's, or the session's. A database keeps bosses under UIDs
// (0 is never used); `UIDRef` names one object, `UIDList` several of one database.
#pragma once

#include "host/sdk/IPMUnknown.h"
#include "host/sdk/ObjectModel.h"

#include <map>
#include <memory>
#include <string>
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
    void Reserve(int count) { m_uids.reserve(static_cast<std::size_t>(count)); }
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

namespace host {

// A database of the stand-in. It holds its bosses; a boss taken out of it (deleted by a command)
// lives on in the undo journal until it is put back or the journal forgets it.
class DataBase final : public IDataBase {
public:
    explicit DataBase(std::string name) : m_name(std::move(name)) {}
    ~DataBase() override;
    DataBase(const DataBase&) = delete;
    DataBase& operator=(const DataBase&) = delete;

    IPMUnknown* Instantiate(UID uid, PMIID iid) const override;
    ClassID GetClass(UID uid) const override;
    UID GetRootUID() const override { return m_root; }

    const std::string& GetName() const { return m_name; }

    // Creates and stores a boss of the class under a new UID (or under `wanted` when it is free);
    // kInvalidUID for an unknown class or a UID already taken.
    UID NewObject(ClassID cls, UID wanted = kInvalidUID);
    Boss* GetBoss(UID uid) const;
    // Every stored UID, in increasing order.
    std::vector<UID> GetUIDs() const;

    // Takes the object out of the database (journaled: undo and rollback store it again).
    void DeleteObject(UID uid);

private:
    struct Releaser {
        void operator()(Boss* boss) const;
    };
    using Held = std::unique_ptr<Boss, Releaser>;
    static Held Hold(Boss* boss);

    std::string m_name;
    std::map<UID, Held> m_objects;
    std::uint32_t m_next = 1;
    UID m_root = kInvalidUID;
};

} // namespace host
