#include "host/standin/Selection.h"

#include "host/standin/Document.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

namespace {

constexpr ClassID kItemBoss{0xF02F00};

class SelectionTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        host::ObjectModel::Instance().AddToClass(kItemBoss, {});
        m_db = host::NewDocument("ad").db.get();
        m_items = UIDList(m_db);
        for (int i = 0; i < 3; ++i)
            m_items.Append(m_db->NewObject(kItemBoss));
    }

    // The classes of the concrete selections the manager lists for `iid`.
    static std::vector<ClassID> Listed(PMIID iid) {
        InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
        InterfacePtr<IIntegratorTarget> target(utils->GetActiveSelection(), UseDefaultIID{});
        std::vector<ClassID> classes;
        for (const auto& suite : target->GetTarget(iid))
            classes.push_back(Boss::Of(suite.get())->GetClass());
        return classes;
    }

    host::DataBase* m_db = nullptr;
    UIDList m_items;
};

// Which suites each kind of selection lists is tested through the plug-in's selection suite.
TEST_F(SelectionTest, TheTargetsListTheSelectedItemsThatStillExistInTheFrontDocumentOnly) {
    InterfacePtr<ILayoutTarget> target(static_cast<ILayoutTarget*>(
        CreateObject(kLayoutSelectionBoss, ILayoutTarget::kDefaultIID)));
    ASSERT_TRUE(target);
    host::SelectLayoutItems(m_items);
    EXPECT_EQ(Listed(ILayoutTarget::kDefaultIID), std::vector<ClassID>{kLayoutSelectionBoss});
    m_db->DeleteObject(m_items[1]);
    EXPECT_EQ(target->GetUIDList(1, 0).UIDs(), (std::vector<UID>{m_items[0], m_items[2]}));
    // A selection belongs to its document: with another document in front nothing is selected.
    host::NewDocument("other");
    EXPECT_TRUE(Listed(IPMUnknown::kDefaultIID).empty());
}

using LayoutSelectionSuite = HostTest;

TEST_F(LayoutSelectionSuite, SelectsItemsOfTheFrontDocumentOnly) {
    InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
    EXPECT_FALSE(InterfacePtr<ILayoutSelectionSuite>(utils->QueryActiveLayoutSelectionSuite()));
    const host::Document& other = host::NewDocument("other");
    const host::Document& document = host::OpenDocumentDescription(kSampleLayout);
    InterfacePtr<ILayoutSelectionSuite> suite(utils->QueryActiveLayoutSelectionSuite());
    ASSERT_TRUE(suite);
    InterfacePtr<ILayoutTarget> target(static_cast<ILayoutTarget*>(
        CreateObject(kLayoutSelectionBoss, ILayoutTarget::kDefaultIID)));
    const auto selected = [&] { return target->GetUIDList(1, 0).UIDs(); };
    EXPECT_TRUE(suite->IsSelectionEmpty());

    UIDList items(document.db.get());
    items.Append(UID(32));
    suite->SelectItems(items, 0, 0);
    EXPECT_FALSE(suite->IsSelectionEmpty());
    EXPECT_EQ(selected(), items.UIDs());
    InterfacePtr<IHierarchy> spread(RefIn(document, 10), UseDefaultIID{});
    suite->SelectSpreadItems(spread.get(), 0, 0);
    EXPECT_EQ(selected(), (std::vector<UID>{UID(20), UID(21), UID(24)}));
    suite->SelectItems(UIDList(RefIn(other, 1)), 0, 0);
    EXPECT_TRUE(suite->IsSelectionEmpty());
    suite->SelectItems(items, 0, 0);
    suite->DeselectAll();
    EXPECT_TRUE(selected().empty());
}

} // namespace
