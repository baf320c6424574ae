// Exit hooks: the process-wide list, the at-exit runner and the fatal-signal handler.
#include "utils/ExitHooks.h"

#include "platform/signals.h"

#include <cstdlib>

namespace {

// Indexing (not iterators) keeps the walk valid when a hook registers another hook.
void runHooks(bool normalExit) {
    std::vector<ExitHook>& hooks = ExitHookList();
    for (std::size_t i = 0; i < hooks.size(); ++i) {
        hooks[i](normalExit);
    }
}

} // namespace

std::vector<ExitHook>& ExitHookList() {
    static std::vector<ExitHook> hooks;
    return hooks;
}

void RegisterExitHook(ExitHook hook) {
    std::vector<ExitHook>& hooks = ExitHookList();
    if (hooks.empty()) {
        for (int signal : platform::fatalSignals()) {
            platform::setSignalHandler(signal, ExitHookSignalHandler);
        }
        // Fails only when memory runs out; the signal handlers above still run the hooks.
        std::atexit(RunExitHooks);
    }
    hooks.push_back(hook);
}

void RunExitHooks() {
    runHooks(true);
}

void ExitHookSignalHandler(int signal) {
    runHooks(false);
    platform::restoreDefaultSignalAction(signal);
}
