// Time services through the C library's reentrant local-time conversion.
#include "platform/clock.h"

#include <cstdlib>

namespace platform {

std::int64_t currentTime() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool localTime(std::int64_t seconds, std::tm& out) {
    const std::time_t value = static_cast<std::time_t>(seconds);
    return localtime_r(&value, &out) != nullptr;
}

void setTimeZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

} // namespace platform
