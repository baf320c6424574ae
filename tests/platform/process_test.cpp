// Tests of the process stand-ins with real processes: the running programs, a started program,
// the replaceable pause and the environment.
#include "platform/process.h"

#include "platform/files.h"
#include "support/StartedProgram.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <algorithm>
#include <filesystem>

namespace {

bool IsRunning(const std::u16string& file) {
    const auto files = platform::runningProgramFiles();
    return std::find(files.begin(), files.end(), file) != files.end();
}

} // namespace

TEST(PlatformProcess, RunningProgramsIncludeThisOne) {
    const auto self = platform::moduleFileName();
    ASSERT_TRUE(self);
    EXPECT_TRUE(IsRunning(*self));
}

TEST(PlatformProcess, StartedProgramRunsUnderItsResolvedPath) {
    TempFolder folder;
    StartedProgram program(folder);
    std::filesystem::create_symlink(program.path(), folder.at("link"));
    const std::u16string link = systemPath16(folder, "link");
    const auto resolved = platform::resolvedPath(link);
    ASSERT_TRUE(resolved);
    EXPECT_FALSE(IsRunning(*resolved));

    ASSERT_TRUE(platform::startProgram(link));
    EXPECT_EQ(program.Starts(), "started\n");
    EXPECT_TRUE(IsRunning(*resolved));
    EXPECT_EQ(*resolved, platform::resolvedPath(program.systemPath()));
    EXPECT_FALSE(platform::startProgram(systemPath16(folder, "missing")));
    EXPECT_EQ(platform::resolvedPath(u"Z:/no/such/file"), std::nullopt);
}

TEST(PlatformProcess, SleepGoesThroughTheReplaceableFunction) {
    std::vector<std::uint32_t> pauses;
    platform::setSleepFunction([&](std::uint32_t ms) { pauses.push_back(ms); });
    platform::sleepMilliseconds(3000);
    platform::setSleepFunction({});
    platform::sleepMilliseconds(1);
    EXPECT_EQ(pauses, std::vector<std::uint32_t>{3000});
}

TEST(PlatformProcess, EnvironmentVariablesAreSetEvenWhenEmpty) {
    ::setenv("ZEP_TEST_A", "J\xC3\xB6rg", 1);
    ::setenv("ZEP_TEST_B", "", 1);
    ::setenv("ZEP_TEST_C", "\xFF", 1);
    ::unsetenv("ZEP_TEST_D");
    EXPECT_EQ(platform::environmentVariable("ZEP_TEST_A"), u"J\u00F6rg");
    EXPECT_EQ(platform::environmentVariable("ZEP_TEST_B"), u"");
    EXPECT_EQ(platform::environmentVariable("ZEP_TEST_C"), std::nullopt);
    EXPECT_EQ(platform::environmentVariable("ZEP_TEST_D"), std::nullopt);
}
