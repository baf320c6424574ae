// Exit hooks, each case in a child process: at a normal exit, on each fatal signal, and after a
// signal the process survived.
#include "utils/ExitHooks.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

void writeCall(const char* name, bool normalExit) {
    std::fprintf(stderr, "%s(%s)", name, normalExit ? "true" : "false");
}

void firstHook(bool normalExit) {
    writeCall("first", normalExit);
}
void secondHook(bool normalExit) {
    writeCall("second", normalExit);
}

void registerBoth() {
    RegisterExitHook(firstHook);
    RegisterExitHook(secondHook);
}

class ExitHooksDeathTest : public ::testing::Test {
protected:
    // Each child starts the test program afresh, so no hook of another case is registered.
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

} // namespace

TEST_F(ExitHooksDeathTest, RunOnceEachInRegistrationOrderWithTrueAtANormalExit) {
    EXPECT_EXIT(
        {
            registerBoth();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^first\\(true\\)second\\(true\\)$");
}

TEST_F(ExitHooksDeathTest, RunWithFalseOnEachFatalSignalWhichThenTakesItsDefaultAction) {
    for (int signal : {SIGINT, SIGTERM, SIGSEGV, SIGABRT}) {
        SCOPED_TRACE(signal);
        // The handler returns after the hooks; the second raise meets the default action.
        EXPECT_EXIT(
            {
                registerBoth();
                std::raise(signal);
                std::fputs("survived;", stderr);
                std::raise(signal);
            },
            ::testing::KilledBySignal(signal), "^first\\(false\\)second\\(false\\)survived;$");
    }
}

TEST_F(ExitHooksDeathTest, RunTwiceWhenTheProcessExitsAfterASignal) {
    EXPECT_EXIT(
        {
            registerBoth();
            std::raise(SIGINT);
            std::exit(3);
        },
        ::testing::ExitedWithCode(3),
        "^first\\(false\\)second\\(false\\)first\\(true\\)second\\(true\\)$");
}

TEST_F(ExitHooksDeathTest, AbortEndsTheProcessAfterTheHooks) {
    EXPECT_EXIT(
        {
            registerBoth();
            std::abort();
        },
        ::testing::KilledBySignal(SIGABRT), "^first\\(false\\)second\\(false\\)$");
}
