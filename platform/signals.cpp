// POSIX signal actions behind the exit hooks.
#include "platform/signals.h"

#include <array>
#include <csignal>

namespace platform {

namespace {

constexpr std::array<int, 4> kFatalSignals{SIGINT, SIGTERM, SIGSEGV, SIGABRT};

void setAction(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // Fails only for a signal that cannot be caught, and the fatal signals all can.
    sigaction(signal, &action, nullptr);
}

} // namespace

std::span<const int> fatalSignals() {
    return kFatalSignals;
}

void setSignalHandler(int signal, SignalHandler handler) {
    setAction(signal, handler);
}

void restoreDefaultSignalAction(int signal) {
    setAction(signal, SIG_DFL);
}

} // namespace platform
