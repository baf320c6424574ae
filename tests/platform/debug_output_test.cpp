#include "platform/debug_output.h"

#include "support/ScopedEnvironment.h"
#include "support/Test.h"

namespace {

TEST(DebugOutput, GoesToStandardErrorOnlyWhenAskedToOrToAReplacedSinkUntilReset) {
    ScopedEnvironment environment;
    environment.Unset("ZEP_DEBUG_OUTPUT");
    testing::internal::CaptureStderr();
    platform::debugOutput("hidden");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    environment.Set("ZEP_DEBUG_OUTPUT", "1");
    testing::internal::CaptureStderr();
    platform::debugOutput(std::string_view("shown\0x", 7));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("shown\0x", 7));
    std::string seen;
    platform::setDebugOutputSink([&](std::string_view text) { seen.append(text); });
    platform::debugOutput("a");
    platform::debugOutput("b");
    platform::setDebugOutputSink(nullptr);
    testing::internal::CaptureStderr();
    platform::debugOutput("c");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "c");
    EXPECT_EQ(seen, "ab");
}

} // namespace
