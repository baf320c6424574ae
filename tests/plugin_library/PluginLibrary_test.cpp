// Loads the built plug-in library the way the host program does.
#include "support/HostFixture.h"

namespace {

TEST_F(HostTest, ThePluginLibraryLoadsAndRegistersItsImplementations) {
    std::string error;
    IPlugIn* plugin = host::OpenPluginLibrary(ZEP_PLUGIN_LIBRARY, error);
    ASSERT_NE(plugin, nullptr) << error;
    EXPECT_EQ(plugin, host::OpenPluginLibrary(ZEP_PLUGIN_LIBRARY, error)); // one object
    EXPECT_EQ(plugin->GetPluginID(), PluginID{0x52E00});
    ASSERT_TRUE(host::Attach(plugin));
    EXPECT_EQ(Log(host::Channel::Registrations).size(), 13u);
    EXPECT_EQ(Log(host::Channel::Registrations).front(), "0x52E00 0x52E1F");
}

} // namespace
