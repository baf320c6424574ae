// Wall-clock time for log records: seconds since 1970-01-01 UTC and their local-time breakdown.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

// Seconds since 1970-01-01 00:00:00 UTC.
std::int64_t currentTime();

// Breaks `seconds` down into local time; thread-safe. False when the value cannot be represented.
[[nodiscard]] bool localTime(std::int64_t seconds, std::tm& out);

// Makes local time follow the time-zone rule `zone` (TZ syntax, e.g. "UTC0"), so that tests see
// fixed local times.
void setTimeZone(const char* zone);

} // namespace platform
