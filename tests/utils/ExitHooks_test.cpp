#include "utils/ExitHooks.h"

#include "support/Test.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

void firstHook(bool normalExit) {
    std::fprintf(stderr, "first(%d)", normalExit);
}
void secondHook(bool normalExit) {
    std::fprintf(stderr, "second(%d)", normalExit);
}

// Each child starts the test program afresh, so no hook of another case is registered. The
// signal handler returns after the hooks: a second raise meets the default action, an abort
// goes on to end the process.
TEST(ExitHooksDeathTest, RunInRegistrationOrderAtExitAndOnEachFatalSignal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto run = [](int signal, bool twice) {
        RegisterExitHook(firstHook);
        RegisterExitHook(secondHook);
        if (signal == SIGABRT && !twice)
            std::abort();
        if (signal != 0)
            std::raise(signal);
        std::fputs(";", stderr);
        if (twice)
            std::raise(signal);
        std::exit(3);
    };
    EXPECT_EXIT(run(0, false), ::testing::ExitedWithCode(3), "^;first\\(1\\)second\\(1\\)$");
    EXPECT_EXIT(run(SIGINT, false), ::testing::ExitedWithCode(3),
                "^first\\(0\\)second\\(0\\);first\\(1\\)second\\(1\\)$");
    EXPECT_EXIT(run(SIGABRT, false), ::testing::KilledBySignal(SIGABRT),
                "^first\\(0\\)second\\(0\\)$");
    for (int signal : {SIGINT, SIGTERM, SIGSEGV, SIGABRT})
        EXPECT_EXIT(run(signal, true), ::testing::KilledBySignal(signal),
                    "^first\\(0\\)second\\(0\\);$")
            << signal;
}

} // namespace
