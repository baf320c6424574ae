#include "host/standin/Database.h"
#include "host/standin/Faults.h"
#include "host/standin/ObjectModel.h"
#include "support/HostFixture.h"

namespace {

class IFirst : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xE00001};
};
class ISecond : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xE00002};
};
class First final : public CPMUnknown<IFirst> {
public:
    using CPMUnknown::CPMUnknown;
};
class Second final : public CPMUnknown<ISecond> {
public:
    using CPMUnknown::CPMUnknown;
};

constexpr ClassID kTwoFacets{0xE00010};
constexpr ImplementationID kFirstImpl{0xE00020};
constexpr ImplementationID kSecondImpl{0xE00021};

class ObjectModelTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        auto& model = host::ObjectModel::Instance();
        model.RegisterImplementation(PluginID{0}, kFirstImpl, ImplementationFunctionsOf<First>());
        model.RegisterImplementation(PluginID{0}, kSecondImpl, ImplementationFunctionsOf<Second>());
        model.AddToClass(kTwoFacets,
                         {{IFirst::kDefaultIID, kFirstImpl}, {ISecond::kDefaultIID, kSecondImpl}});
    }
};

TEST_F(ObjectModelTest, UnknownClassesMissingAndHiddenInterfacesGiveNull) {
    EXPECT_EQ(CreateObject(ClassID{0xE0FFFF}, IFirst::kDefaultIID), nullptr);
    host::ObjectModel::Instance().AddToClass(ClassID{0xE00011},
                                             {{IFirst::kDefaultIID, ImplementationID{0xE0FFFF}}});
    EXPECT_EQ(CreateObject(ClassID{0xE00011}, IFirst::kDefaultIID), nullptr);

    InterfacePtr<IFirst> first(static_cast<IFirst*>(CreateObject(kTwoFacets, IFirst::kDefaultIID)));
    host::Faults::Instance().HideInterface(kTwoFacets, ISecond::kDefaultIID);
    EXPECT_FALSE(InterfacePtr<ISecond>(first.get(), UseDefaultIID{}));
}

TEST_F(ObjectModelTest, DatabaseHoldsItsObjectsAndNamesTheirClass) {
    host::DataBase db("test");
    const UID uid = db.NewObject(kTwoFacets);
    EXPECT_EQ(db.GetClass(uid), kTwoFacets);
    EXPECT_EQ(db.GetClass(UID{99}), kInvalidClass);
    {
        InterfacePtr<IFirst> first(UIDRef(&db, uid), UseDefaultIID{});
        ASSERT_TRUE(first);
        EXPECT_EQ(GetUIDRef(first.get()), UIDRef(&db, uid));
    }
    EXPECT_EQ(db.GetBoss(uid)->GetRefCount(), 1); // the database's own reference
    EXPECT_EQ(db.NewObject(kTwoFacets, uid), kInvalidUID);
}

} // namespace
