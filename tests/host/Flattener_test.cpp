#include "host/Flattener.h"

#include "host/Command.h"
#include "host/Description.h"
#include "host/Session.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

namespace {

UIDList AddStyle(const std::string& name, PMReal first) {
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kAddFlattenerStyleCmdBoss));
    InterfacePtr<IExportStyleCmdData>(command, UseDefaultIID{})->SetName(PMString(name));
    InterfacePtr<IFlattenerSettings>(command, UseDefaultIID{})->SetValue(0, first);
    EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    return *command->GetItemList();
}

TEST_F(HostTest, AddedStylesAreFoundByNameUntilUndone) {
    const UIDList added = AddStyle("A", 1.5);
    ASSERT_EQ(added.Length(), 1);
    EXPECT_TRUE(AddStyle("A", 2).IsEmpty());
    InterfacePtr<IFlattenerStyleListMgr> list(host::SessionWorkspaceRef(), UseDefaultIID{});
    EXPECT_EQ(list->GetStyleIndexByName(PMString("A")), 0);
    EXPECT_EQ(list->GetNthStyleRef(0), added.GetRef(0));
    EXPECT_EQ(list->GetNthStyleRef(1), UIDRef());
    InterfacePtr<IFlattenerSettings> settings(added.GetRef(0), UseDefaultIID{});
    EXPECT_EQ(settings->GetValue(0), 1.5);
    EXPECT_TRUE(settings->GetFlatteningOn());
    EXPECT_EQ(host::UndoStepNames().size(), 2u);
    while (host::Undo()) {
    }
    EXPECT_EQ(list->GetNumStyles(), 0);
    EXPECT_EQ(list->GetStyleIndexByName(PMString("A")), -1);
}

TEST_F(HostTest, ADocumentsBlendSpaceIsCMYKUnlessDescribed) {
    const host::Document& document = host::OpenDocumentDescription(kSampleLayout);
    InterfacePtr<ITransparencyPrefs> prefs(document.WorkspaceRef(), UseDefaultIID{});
    EXPECT_EQ(prefs->GetBlendSpace(), 3);
}

} // namespace
