// Test aid: while it lives, zeu::logger writes into a string, records carry a fixed time and
// thread id, and local time is UTC, so tests can compare whole log lines; every record submitted
// is also kept with its source file, line and function as they were given.
#pragma once

#include "platform/clock.h"
#include "utils/Logger.h"

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

class LogCapture : private zeu::LogRecordObserver {
public:
    // A submitted record: the file and function as given (empty for null), the payload as the
    // line shows it.
    struct Record {
        zeu::LogLevel level;
        std::string file;
        int line;
        std::string function;
        std::string text;

        bool operator==(const Record&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Record& r) {
            return out << static_cast<std::uint32_t>(r.level) << " \"" << r.file << "\" "
                       << r.function << ":" << r.line << " \"" << r.text << "\"";
        }
    };

    // 2026-03-01T14:05:09 UTC, thread 5120.
    static constexpr std::int64_t kTime = 1772373909;
    static constexpr std::uint32_t kThread = 5120;

    LogCapture() : m_saved(zeu::logger.stream()) {
        platform::setTimeZone("UTC0");
        zeu::setFixedLogStamp(kTime, kThread);
        zeu::logger.setStream(m_out);
        m_savedObserver = zeu::setLogRecordObserver(this);
    }
    ~LogCapture() {
        zeu::setLogRecordObserver(m_savedObserver);
        zeu::logger.setStream(m_saved);
        zeu::clearFixedLogStamp();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const { return m_out.str(); }
    std::vector<Record> records() const {
        const std::lock_guard lock(m_mutex);
        return m_records;
    }

    // The line of a record made while a capture lives; `where` is "file:function:line".
    static std::string line(const std::string& level, const std::string& where,
                            const std::string& text) {
        return "[2026-03-01T14:05:09][" + level + "][5120][" + where + "] " + text + "\n";
    }

private:
    void observe(const zeu::LogRecord& record) override {
        std::ostringstream line;
        zeu::writeLogLine(record, std::string(), line);
        std::string text = line.str();
        const std::size_t start = text.find("] ");
        text = start == std::string::npos ? std::string() : text.substr(start + 2);
        if (!text.empty())
            text.pop_back(); // the line feed
        const std::lock_guard lock(m_mutex);
        m_records.push_back({record.level(), record.file() ? record.file() : "", record.line(),
                             record.function() ? record.function() : "", std::move(text)});
    }

    std::ostream& m_saved;
    zeu::LogRecordObserver* m_savedObserver = nullptr;
    std::ostringstream m_out;
    mutable std::mutex m_mutex;
    std::vector<Record> m_records;
};
