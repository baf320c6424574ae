// Thread ids and priorities through the Linux kernel's per-thread calls.
#include "platform/thread.h"

#include <sys/resource.h>
#include <unistd.h>

namespace platform {

std::uint32_t currentThreadId() {
    // The id never changes for a thread, so one system call per thread is enough.
    thread_local const std::uint32_t id = static_cast<std::uint32_t>(gettid());
    return id;
}

void lowerCurrentThreadPriority() {
    // On Linux a nice value belongs to a thread; 19 is the lowest ordinary (SCHED_OTHER) level.
    // Lowering one's own priority is always allowed; were it refused, nothing would be lost.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
}

} // namespace platform
