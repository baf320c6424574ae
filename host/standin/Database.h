// The stand-in's database (host/sdk/Database.h).
#pragma once

#include "host/sdk/Database.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/UIDMap.h"

#include <map>
#include <memory>
#include <string>

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
    UIDMap<Held> m_objects;
    std::uint32_t m_next = 1;
    UID m_root = kInvalidUID;
};

} // namespace host
