#include "host/Panels.h"

#include "host/Document.h"
#include "host/Session.h"
#include "support/HostFixture.h"

namespace {

TEST_F(HostTest, TheLayersPanelIsFoundWhilePresentAndItsRedrawsAreRecorded) {
    InterfacePtr<IPMUnknown> object(GetExecutionContextSession()->QueryApplication());
    InterfacePtr<IApplication> application(object.get(), UseDefaultIID{});
    InterfacePtr<IPanelMgr> panels(application->QueryPanelManager());
    ASSERT_TRUE(panels);
    EXPECT_FALSE(panels->IsPanelPresent(WidgetID{0x4821}));
    IControlView* view = panels->GetPanelView(host::kLayersPanelWidget);
    ASSERT_TRUE(view);
    view->Invalidate();
    view->Redraw(true);
    EXPECT_EQ(Log(host::Channel::Redraws),
              (std::vector<std::string>{"panel 0x4820 invalidate", "panel 0x4820 redraw true"}));

    host::SetLayersPanelPresent(false);
    EXPECT_FALSE(panels->IsPanelPresent(host::kLayersPanelWidget));
    EXPECT_FALSE(panels->GetPanelView(host::kLayersPanelWidget));
}

} // namespace
