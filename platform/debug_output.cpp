// The debugger-output channel: a replaceable sink, by default standard error when
// ZEP_DEBUG_OUTPUT is set and nothing otherwise.
#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace platform {
namespace {

void defaultSink(std::string_view text) {
    // Asked on every call, so that a test or a user can switch it on at any time.
    if (std::getenv("ZEP_DEBUG_OUTPUT") == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), stderr);
}

DebugOutputSink& currentSink() {
    static DebugOutputSink sink;
    return sink;
}

} // namespace

void debugOutput(std::string_view text) {
    const DebugOutputSink& sink = currentSink();
    if (sink)
        sink(text);
    else
        defaultSink(text);
}

void setDebugOutputSink(DebugOutputSink sink) {
    currentSink() = std::move(sink);
}

} // namespace platform
