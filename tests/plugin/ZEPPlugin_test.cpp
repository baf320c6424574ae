#include "Plugin/ZEPPlugin.h"
#include "host/Errors.h"
#include "host/Faults.h"
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
    ThePlugin().Unload();
    EXPECT_FALSE(UUnits::hasGlobal());
}

} // namespace
