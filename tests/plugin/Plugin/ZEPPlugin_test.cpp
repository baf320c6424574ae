#include "Plugin/ZEPPlugin.h"
#include "host/sdk/Errors.h"
#include "host/standin/Faults.h"
#include "model/BCheckSettingList.h"
#include "support/HostFixture.h"
#include "utils/UUnits.h"

namespace {

TEST_F(HostTest, LoadAfterAFailingBaseLoadAlertsClearsAndStillSetsItsValues) {
    SetForceEPSExport(false);
    host::Faults::Instance().FailPluginLoad(ErrorCode{0x52E1E});
    EXPECT_FALSE(host::Attach(GetPlugIn()));
    EXPECT_EQ(Log(host::Channel::Alerts).size(), 1u);
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    EXPECT_TRUE(GetForceEPSExport());
    EXPECT_TRUE(UUnits::hasGlobal());
    GetPlugIn()->Unload();
    EXPECT_FALSE(UUnits::hasGlobal());
}

TEST_F(HostTest, TheHostReceivesTheRegistrationsNewestFirst) {
    ASSERT_TRUE(host::Attach(GetPlugIn()));
    const std::vector<std::string> expected{
        "0x52E00 0x52E1F",           "0x52E00 0x52E2B", "0x52E00 0x52E29 persistent",
        "0x52E00 0x52E2A",           "0x52E00 0x52E2D", "0x52E00 0x52E18",
        "0x52E00 0x52E28",           "0x52E00 0x52E27", "0x52E00 0x52E23",
        "0x52E00 0x52E26",           "0x52E00 0x52E22", "0x52E00 0x52E21",
        "0x52E00 0x52E20 persistent"};
    EXPECT_EQ(Log(host::Channel::Registrations), expected);
}

} // namespace
