// Tests of the library's entry point and the plug-in's resource file: the record names the file
// that holds the plug-in's code (here the test program, which links it), and the error texts are
// read with that file current, and only then.
#include "Plugin/ZEPLibraryEntry.h"

#include "Plugin/ZEPID.h"
#include "host/sdk/Errors.h"
#include "host/sdk/ResourceAccess.h"
#include "host/standin/ResourceAccess.h"
#include "support/PluginFixture.h"

#include <filesystem>

namespace {

std::u16string ThisProgram() {
    return u"Z:" + std::filesystem::canonical("/proc/self/exe").u16string();
}

TEST_F(PluginTest, TheResourceFileIsCurrentWhileAnErrorTextIsRead) {
    const std::u16string program = ThisProgram();
    EXPECT_EQ(ThePlugInResourceFile().GetFile().GetString(), program);
    EXPECT_EQ(ErrorUtils::PMGetErrorString(ErrorCode{0x52E29}).GetUTF8String(),
              "The job has no destination.");
    EXPECT_EQ(host::CurrentResourceFile(), nullptr);
    // Read without the plug-in's file current, the resource gives nothing.
    EXPECT_TRUE(
        ErrorUtils::PMLoadErrorStringFromRsrc(kZEPPluginID, 650, ErrorCode{0x52E29}).IsEmpty());
    EXPECT_EQ(Log(host::Channel::Resources),
              (std::vector<std::string>{"error string 650 0x52E29 from " +
                                            PMString(program).GetUTF8String(),
                                        "error string 650 0x52E29 from none"}));
}

TEST(ZEPLibraryEntry, RecordsOnlyAWholePathAndOnlyAtProcessAttach) {
    const std::u16string longest(kMaxLibraryPathLength, u'a');
    EXPECT_EQ(ZEPLibraryFile(longest).GetString(), longest);
    EXPECT_TRUE(ZEPLibraryFile(longest + u"b").IsEmpty());
    EXPECT_TRUE(ZEPLibraryFile(std::nullopt).IsEmpty());

    ThePlugInResourceFile().SetFile(IDFile(u"Z:/other"));
    for (auto notification :
         {platform::LibraryNotification::ThreadAttach, platform::LibraryNotification::ThreadDetach,
          platform::LibraryNotification::ProcessDetach}) {
        EXPECT_TRUE(ZEPLibraryEntry(notification));
        EXPECT_EQ(ThePlugInResourceFile().GetFile().GetString(), u"Z:/other");
    }
    EXPECT_TRUE(ZEPLibraryEntry(platform::LibraryNotification::ProcessAttach));
    EXPECT_EQ(ThePlugInResourceFile().GetFile().GetString(), ThisProgram());
}

} // namespace
