#include "cold_caches.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace cold_caches {

namespace {
// Larger than the last-level cache of the machines we measure on (a few tens of MiB).
constexpr std::size_t kBufferBytes = std::size_t{256} << 20;
constexpr std::size_t kLine = 64;
} // namespace

bool Asked() {
    static const bool asked = [] {
        const char* value = std::getenv("ZEP_BENCH_COLD_CACHES");
        return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
    }();
    return asked;
}

void Evict() {
    if (!Asked())
        return;
    static std::vector<unsigned char> buffer(kBufferBytes);
    for (std::size_t i = 0; i < buffer.size(); i += kLine)
        ++buffer[i];
    // Keeps the writes: the buffer is read back through a volatile.
    volatile unsigned char sink = buffer[buffer.size() / 2];
    (void)sink;
}

} // namespace cold_caches
