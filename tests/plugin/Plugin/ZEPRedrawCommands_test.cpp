#include "Plugin/ZEPRedrawCommands.h"

#include "Plugin/ZEPID.h"
#include "host/sdk/Errors.h"
#include "host/sdk/Session.h"
#include "host/standin/Document.h"
#include "host/standin/Faults.h"
#include "host/standin/Panels.h"
#include "support/SampleLayoutFixture.h"

#include <vector>

namespace {

InterfacePtr<ICommand> Create(ClassID cls) {
    return InterfacePtr<ICommand>(CmdUtils::CreateCommand(cls));
}

TEST_F(SampleLayoutTest, InvalidateRedrawsTheViewsOfTheDocumentsOfItsListOnly) {
    host::Document& other = host::OpenDocumentDescription(
        R"({"kind": "document", "name": "Other.indd", "spreads": [{"id": 3, "pages": [{"id": 4,
            "width": 10, "height": 10}]}], "view": {"spread": 3, "page": 4}})");
    for (const auto& [document, uids] :
         std::vector<std::pair<host::Document*, std::vector<std::uint32_t>>>{
             {m_document, {}}, {m_document, {11, 1, 20}}, {&other, {1}}}) {
        InterfacePtr<ICommand> command = Create(kZEPInvalidateCmdBoss);
        command->SetItemList(ListIn(*document, uids));
        EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    }
    EXPECT_EQ(Log(host::Channel::Redraws),
              (std::vector<std::string>{"invalidate Sample.indd", "invalidate Other.indd"}));
}

TEST_F(SampleLayoutTest, RefreshRedrawsAPresentLayersPanelAndReportsAMissingHostObject) {
    const struct {
        bool present;
        std::optional<PMIID> hidden;
        ErrorCode result;
        std::vector<std::string> redraws;
    } cases[] = {
        {true, std::nullopt, kSuccess, {"panel 0x4820 invalidate", "panel 0x4820 redraw true"}},
        {false, std::nullopt, kSuccess, {}},
        {true, IApplication::kDefaultIID, ErrorCode(0x52E1E), {}},
        {true, IPanelMgr::kDefaultIID, ErrorCode(0x52E1E), {}},
    };
    for (const auto& c : cases) {
        host::Recorder::Instance().Clear(host::Channel::Redraws);
        host::Faults::Instance().Reset();
        host::SetLayersPanelPresent(c.present);
        if (c.hidden)
            host::Faults::Instance().HideInterface(host::kApplicationBoss, *c.hidden);
        EXPECT_EQ(CmdUtils::ProcessCommand(Create(kZEPRefreshLayersPanelCmdBoss).get()), c.result);
        EXPECT_EQ(Log(host::Channel::Redraws), c.redraws);
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    }
}

} // namespace
