// Loads the built plug-in library the way the host program does.
#include "host/sdk/Errors.h"
#include "host/standin/ResourceAccess.h"
#include "support/HostFixture.h"

#include <filesystem>

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

TEST_F(HostTest, ThePluginLibraryReadsItsErrorTextsWithItsOwnFileCurrent) {
    std::string error;
    IPlugIn* plugin = host::OpenPluginLibrary(ZEP_PLUGIN_LIBRARY, error);
    ASSERT_NE(plugin, nullptr) << error;
    ASSERT_TRUE(host::Attach(plugin));
    EXPECT_EQ(ErrorUtils::PMGetErrorString(ErrorCode{0x52E29}).GetUTF8String(),
              "The job has no destination.");
    EXPECT_EQ(host::CurrentResourceFile(), nullptr);
    const std::string library = std::filesystem::canonical(ZEP_PLUGIN_LIBRARY).string();
    EXPECT_EQ(Log(host::Channel::Resources),
              std::vector<std::string>{"error string 650 0x52E29 from Z:" + library});
}

} // namespace
