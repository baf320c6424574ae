// Thread services for the logger: the kernel's id of the calling thread and the priority of the
// background log writer.
#pragma once

#include <cstdint>

namespace platform {

// The kernel's id of the calling thread (gettid), as log lines show it.
std::uint32_t currentThreadId();

// Moves the calling thread to the lowest ordinary scheduling priority; a background thread calls
// it on itself. Failure leaves the priority as it was.
void lowerCurrentThreadPriority();

} // namespace platform
