// Test aid: while it lives, zeu::logger writes into a string, records carry a fixed time and
// thread id, and local time is UTC, so tests can compare whole log lines.
#pragma once

#include "platform/clock.h"
#include "utils/Logger.h"

#include <sstream>
#include <string>

class LogCapture {
public:
    // 2026-03-01T14:05:09 UTC, thread 5120.
    static constexpr std::int64_t kTime = 1772373909;
    static constexpr std::uint32_t kThread = 5120;

    LogCapture() : m_saved(zeu::logger.stream()) {
        platform::setTimeZone("UTC0");
        zeu::setFixedLogStamp(kTime, kThread);
        zeu::logger.setStream(m_out);
    }
    ~LogCapture() {
        zeu::logger.setStream(m_saved);
        zeu::clearFixedLogStamp();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const { return m_out.str(); }

    // The line of a record made while a capture lives; `where` is "file:function:line".
    static std::string line(const std::string& level, const std::string& where,
                            const std::string& text) {
        return "[2026-03-01T14:05:09][" + level + "][5120][" + where + "] " + text + "\n";
    }

private:
    std::ostream& m_saved;
    std::ostringstream m_out;
};
