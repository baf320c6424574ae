// Tests of the menu action component: the states and the adjust action's text by job, selection,
// spread and preferences, the details action's default shortcut, the entries it leaves alone, and
// the failures of the actions shown in one alert (what each action does is checked end to end by
// the roads test in tests/app).
#include "Zephrin_Menu/ZEPActionComponent.h"

#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "host/sdk/Errors.h"
#include "host/standin/Actions.h"
#include "host/standin/Context.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/Selection.h"
#include "model/BJobFile.h"
#include "support/CompanionFixture.h"
#include "support/PluginFixture.h"
#include "support/Test.h"

namespace {

// Frames 20 and 21 on spread 10, which the view shows; master spread 40.
constexpr const char* kMenuLayout = R"({
  "kind": "document", "name": "Menu.indd",
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "pages": [{"id": 11, "width": 300, "height": 300}],
    "items": [{"id": 20, "layer": 3, "bounds": [0, 0, 50, 50]},
              {"id": 21, "layer": 3, "bounds": [60, 0, 90, 50]}]}],
  "masterSpreads": [{"id": 40, "pages": [{"id": 41, "width": 300, "height": 300}]}],
  "view": {"spread": 10, "page": 11}
})";

// Every action's state in resource order ("03:1 04:0 ..."), then the adjust action's text.
std::string States() {
    std::string text;
    std::string adjust;
    for (const host::ActionEntry& entry : host::UpdateActionStates()) {
        text += host::Hex(entry.action.Get()).substr(5) + ":" + std::to_string(entry.state) + " ";
        if (entry.action == ActionID{kZEPAdjustAction})
            adjust = entry.name.GetUTF8String();
    }
    return text + adjust;
}

std::vector<std::string> Describe(const std::vector<host::Shortcut>& list) {
    std::vector<std::string> shortcuts;
    for (const host::Shortcut& s : list)
        shortcuts.push_back(host::Hex(s.action.Get()) + " " + s.context + " " +
                            static_cast<char>(s.key.GetCharacter()) + " " +
                            std::to_string(s.modifiers));
    return shortcuts;
}

class ActionComponentTest : public PluginTest, public CompanionFixture {
protected:
    // A fresh document whose job books one destination of the width, 200 high, with a bleed.
    void Open(double width, double bleed, bool exported) {
        host::CloseAllDocuments();
        m_document = &host::OpenDocumentDescription(kMenuLayout);
        BJobFile* job =
            InterfacePtr<IZEPJobList>(m_document->WorkspaceRef(), UseDefaultIID{})->GetJobFile();
        BGroup* group = job->GetGroups().AddGroup();
        group->SetSelected(true);
        BDestination* destination = group->CreateDestination();
        destination->SetSize(width, 200);
        destination->SetBleeds(bleed, bleed, bleed, bleed);
        destination->SetExported(exported);
        job->ComputeBoxes();
    }
    void Select(const std::vector<std::uint32_t>& uids) const {
        host::SelectLayoutItems(ListIn(*m_document, uids));
    }

    host::Document* m_document = nullptr;
};

TEST_F(ActionComponentTest, WithoutADocumentOnlyAdjustIsDisabledAndTheTogglesShowThePreferences) {
    const struct {
        bool selectionBased, commonSizing;
        std::string states;
    } cases[] = {
        {false, false, "03:1 04:0 05:1 06:0 07:0 08:0 09:0 0A:1 0B:1 0C:1 0D:1 Adjust Page to Job"},
        {true, true,
         "03:1 04:0 05:1 06:0 07:0 08:0 09:0 0A:1 0B:3 0C:3 0D:1 Adjust Selection to Job"},
    };
    for (const auto& c : cases) {
        SetSelectionBasedExports(c.selectionBased);
        SetCommonSizing(c.commonSizing);
        EXPECT_EQ(States(), c.states);
    }
    EXPECT_TRUE(Log(host::Channel::Alerts).empty());
}

TEST_F(ActionComponentTest, AdjustNeedsAnUnexportedJobWithATrimBoxAndWithTheSelectionOneFrame) {
    const struct {
        double width, bleed;
        bool exported;
        std::vector<std::uint32_t> selected;
        bool masterShown, selectionBased;
        std::string adjust;
    } cases[] = {
        {100, 0, false, {}, false, false, "06:1 Adjust Page to Job"},
        {100, 3, false, {}, false, false, "06:1 Adjust Page to Trim Size"},
        {100, 0, false, {20}, false, true, "06:1 Adjust Selection to Job"},
        {100, 3, false, {20}, false, true, "06:1 Adjust Selection to Bleed Size"},
        {100, 0, false, {20, 21}, false, true, "06:0 Adjust Selection to Job"},
        {100, 0, false, {}, false, true, "06:0 Adjust Selection to Job"},
        {100, 0, true, {20}, false, false, "06:0 Adjust Page to Job"}, // all exported
        {100, 0, true, {20}, false, true, "06:0 Adjust Selection to Job"},
        {0, 0, false, {20}, false, false, "06:0 Adjust Page to Job"}, // a trim box of no width
        {0, 0, false, {20}, false, true, "06:0 Adjust Selection to Job"},
        {100, 0, false, {20}, true, false, "06:0 Adjust Page to Job"}, // a master spread shown
        {100, 0, false, {20}, true, true, "06:0 Adjust Selection to Job"},
    };
    for (const auto& c : cases) {
        Open(c.width, c.bleed, c.exported);
        Select(c.selected);
        if (c.masterShown)
            m_document->layout.view = host::View{UID(40), UID(41)};
        SetSelectionBasedExports(c.selectionBased);
        const std::string states = States();
        EXPECT_EQ(states.substr(states.find("06:"), 5) + states.substr(states.find("Adjust")),
                  c.adjust)
            << states;
    }
}

TEST_F(ActionComponentTest, TheDetailsActionGetsItsShortcutOnlyWhenItHasNoneAndTheKeyIsFree) {
    const host::Shortcut details{ActionID{kZEPDetailsAction}, "DefaultContext", VirtualKey(u'\\'),
                                 1};
    const host::Shortcut other{ActionID{0x1234}, "DefaultContext", VirtualKey(u'\\'), 1};
    const host::Shortcut elsewhere{ActionID{0x1234}, "TextContext", VirtualKey(u'\\'), 1};
    const host::Shortcut own{ActionID{kZEPDetailsAction}, "DefaultContext", VirtualKey(u'D'), 2};
    const struct {
        std::vector<host::Shortcut> before;
        bool noShortcutManager;
        std::vector<host::Shortcut> after;
    } cases[] = {
        {{}, false, {details}},
        {{own}, false, {own}},
        {{other}, false, {other}},
        {{elsewhere}, false, {elsewhere, details}},
        {{}, true, {}},
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        if (c.noShortcutManager)
            host::Faults::Instance().HideInterface(host::kApplicationBoss,
                                                   IShortcutManager::kDefaultIID);
        host::Shortcuts() = c.before;
        const std::string states = States();
        EXPECT_EQ(States(), states); // a second update adds nothing
        EXPECT_EQ(Describe(host::Shortcuts()), Describe(c.after));
    }
    EXPECT_EQ(Log(host::Channel::Calls),
              (std::vector<std::string>{
                  "AddShortcut 0x52E05 DefaultContext 0x5C 1", "EndShortcutChanges",
                  "AddShortcut 0x52E05 DefaultContext 0x5C 1", "EndShortcutChanges"}));
}

// A host list whose entry at `failing` refuses its state.
class RefusingList final : public IActionStateList {
public:
    RefusingList(std::vector<host::ActionEntry> entries, std::int32_t failing)
        : m_list(std::move(entries)), m_failing(failing) {}
    std::int32_t Length() const override { return m_list.Length(); }
    ActionID GetNthAction(std::int32_t index) const override { return m_list.GetNthAction(index); }
    void SetNthActionState(std::int32_t index, std::int32_t state) override {
        if (index == m_failing)
            throw std::runtime_error("refused");
        m_list.SetNthActionState(index, state);
    }
    void SetNthActionName(std::int32_t index, const PMString& name) override {
        m_list.SetNthActionName(index, name);
    }
    std::string States() const {
        std::string text;
        for (const host::ActionEntry& entry : m_list.Entries())
            text += std::to_string(entry.state);
        return text;
    }

private:
    host::ActionStateList m_list;
    std::int32_t m_failing;
};

TEST_F(ActionComponentTest, OtherEntriesKeepTheirStatesAndAFailureStopsTheWalk) {
    std::vector<host::ActionEntry> entries;
    for (std::uint32_t action : {0x52E09u, 0x52E04u, 0x52F03u, 0x52E03u, 0x52E0Bu, 0x52E0Cu})
        entries.push_back({ActionID{action}, 7, PMString()});
    InterfacePtr<IActionComponent> component(static_cast<IActionComponent*>(
        CreateObject(kZEPActionComponentBoss, IActionComponent::kDefaultIID)));
    const struct {
        std::int32_t failing;
        std::string states;
        std::vector<std::string> alerts;
    } cases[] = {
        {-1, "777111", {}},
        {4, "777177", {"refused"}},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        RefusingList list(entries, c.failing);
        InterfacePtr<IActiveContext> context(host::QueryActiveContext());
        component->UpdateActionStates(context.get(), &list);
        EXPECT_EQ(list.States(), c.states);
        EXPECT_EQ(Log(host::Channel::Alerts), c.alerts);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    }
}

TEST_F(ActionComponentTest, AFailedActionShowsOneAlertAndTheHostSeesSuccess) {
    const struct {
        std::uint32_t action;
        std::function<void()> fault;
        std::vector<std::string> alerts;
    } cases[] = {
        {kZEPUnsettledAction, [] {}, {"UZEPEvents::SendActionEvent - Unknown ActionID"}},
        {0x52E04, [] {}, {}},
        {kZEPAdjustAction, [] {}, {"(result) == NULL"}},
        // The preference's command fails without an exception: its code is shown all the same.
        {kZEPCommonSizingAction,
         [] {
             host::Faults::Instance().FailProcessCommand(kZEPSetPluginPrefsCmdBoss, ErrorCode{7});
         },
         {"Unknown error 7"}},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        c.fault();
        EXPECT_TRUE(host::DoAction(ActionID{c.action}));
        EXPECT_EQ(Log(host::Channel::Alerts), c.alerts);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    }
    EXPECT_FALSE(GetCommonSizing());
    EXPECT_FALSE(host::DoAction(ActionID{0x52E10})); // not the plug-in's
}

} // namespace
