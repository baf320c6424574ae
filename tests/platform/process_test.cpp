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

TEST(PlatformProcess, StartedProgramRunsUnderItsResolvedPath) {
    TempFolder folder;
    StartedProgram program(folder);
    std::filesystem::create_symlink(program.path(), folder.at("link"));
    const auto resolved = platform::resolvedPath(systemPath16(folder, "link"));
    ASSERT_EQ(resolved, platform::resolvedPath(program.systemPath()));
    EXPECT_FALSE(IsRunning(*resolved));
    ASSERT_TRUE(platform::startProgram(systemPath16(folder, "link")));
    EXPECT_EQ(program.Starts(), "started\n");
    EXPECT_TRUE(IsRunning(*resolved));
    EXPECT_TRUE(IsRunning(platform::moduleFileName().value())) << "this test program";
    EXPECT_FALSE(platform::startProgram(systemPath16(folder, "missing")));
    EXPECT_EQ(platform::resolvedPath(u"Z:/no/such/file"), std::nullopt);
}
