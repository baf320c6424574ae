#include "Plugin/IZEPSelectionJobSuite.h"
#include "host/standin/Document.h"
#include "host/standin/Selection.h"
#include "support/PluginFixture.h"

namespace {

constexpr ClassID kItemBoss{0xF02F00}; // a page item of the test's document

TEST_F(PluginTest, TheSelectionSuiteAnswersOnlyForALayoutSelection) {
    host::ObjectModel::Instance().AddToClass(kItemBoss, {});
    host::DataBase& db = *host::NewDocument("ad").db;
    const UID first = db.NewObject(kItemBoss);
    const UID second = db.NewObject(kItemBoss);
    UIDList one(&db);
    one.Append(first);
    UIDList two = one;
    two.Append(second);

    const struct {
        const char* name;
        const UIDList* layout; // the selected items, or
        bool text;             // a text selection, else nothing
        bool hasSelected;
        bool single;
    } cases[] = {
        {"nothing", nullptr, false, false, false},
        {"text only", nullptr, true, false, false},
        {"two frames", &two, false, true, false},
        {"one frame", &one, false, true, true},
    };
    InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
    ASSERT_TRUE(utils);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.layout)
            host::SelectLayoutItems(*c.layout);
        else if (c.text)
            host::SelectText();
        else
            host::ClearSelection();
        InterfacePtr<IZEPSelectionJobSuite> suite(utils->GetActiveSelection(), UseDefaultIID{});
        ASSERT_TRUE(suite);
        EXPECT_EQ(suite->HasSelectedItems(), c.hasSelected);
        EXPECT_EQ(suite->HasSingleSelectedItem(), c.single);
        InterfacePtr<ILayoutTarget> target;
        EXPECT_EQ(suite->GetLayoutTarget(target), c.layout != nullptr);
        EXPECT_EQ(target ? target->GetUIDList(1, 0) : UIDList(), c.layout ? *c.layout : UIDList());
    }
}

} // namespace
