// The debugger-output channel: where diagnostic dumps go. By default nothing is shown unless the
// environment variable ZEP_DEBUG_OUTPUT is set, in which case the text goes to standard error.
#pragma once

#include <functional>
#include <string_view>

namespace platform {

// Receives one piece of debugger output; the piece may hold any bytes.
using DebugOutputSink = std::function<void(std::string_view)>;

// Sends `text` to the current sink.
void debugOutput(std::string_view text);

// Replaces the sink; an empty function restores the default. Not for concurrent use with
// debugOutput.
void setDebugOutputSink(DebugOutputSink sink);

} // namespace platform
