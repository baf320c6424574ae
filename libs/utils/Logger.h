// The diagnostic logger: levels, log records with a typed inline payload, the process-wide
// `zeu::logger` on std::clog, and an optional background writer thread.
//
// A logging site is one statement:
//
//     ZEU_LOG(Warn, "..\\..\\..\\libs\\utils\\Geometry2D", 200, "zeu::Matrix2D::invert")
//         << "non invertible matrix";
//
// ZEU_LOG tests `zeu::logger.mask` first: when the level is masked out nothing after the macro is
// evaluated and no record is built. Otherwise the record takes the file, line and function as
// given (literals, not __FILE__/__func__: the line shows the base name after the last backslash),
// the values streamed into it, and is submitted to `zeu::logger` at the end of the statement.
// The line written is
//
//     [2026-03-01T14:05:09][WARN][5120][Geometry2D:zeu::Matrix2D::invert:200] non invertible matrix
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

class ustring;

namespace zeu {

// Single bits; a record whose level is not exactly one of them writes no line.
enum class LogLevel : std::uint32_t {
    Fault = 1,
    Error = 2,
    Warn = 4,
    Info = 8,
    Debug = 16,
    Trace = 32,
};

// One log statement: where it was made, when, on which thread, and the values streamed into it.
// The payload is a run of items, each a tag byte and the value's native bytes; the first
// kInlinePayload bytes live inside the record, so ordinary messages allocate nothing.
class LogRecord {
public:
    static constexpr std::size_t kInlinePayload = 128;

    // Payload tags: the kind of value an item holds.
    enum Tag : std::uint8_t {
        kText = 0, // characters and their NUL
        kBool = 1,
        kShort = 2,
        kUShort = 3,
        kInt = 4,
        kUInt = 5,
        kLong = 6, // `long` at its own width (8 bytes here)
        kULong = 7,
        kInt64 = 8,
        kUInt64 = 9,
        kDouble = 10,
    };

    // `file` and `function` may be null and must outlive the record (string literals). Stamps
    // the current time and the calling thread's id.
    LogRecord(LogLevel level, const char* file, int line, const char* function);
    LogRecord(LogRecord&& other) noexcept;
    LogRecord& operator=(LogRecord&& other) noexcept;
    LogRecord(const LogRecord&) = delete;
    LogRecord& operator=(const LogRecord&) = delete;
    ~LogRecord();

    // Each appends one item. A text contributes its characters up to the first NUL (a null
    // pointer an empty text).
    LogRecord& operator<<(const char* text);
    LogRecord& operator<<(const std::string& text);
    LogRecord& operator<<(const ustring& text);
    LogRecord& operator<<(bool value);
    LogRecord& operator<<(short value);
    LogRecord& operator<<(unsigned short value);
    LogRecord& operator<<(int value);
    LogRecord& operator<<(unsigned int value);
    LogRecord& operator<<(long value);
    LogRecord& operator<<(unsigned long value);
    LogRecord& operator<<(long long value);
    LogRecord& operator<<(unsigned long long value);
    LogRecord& operator<<(double value);
    // A character would otherwise be promoted to int and logged as its code: stream a text.
    LogRecord& operator<<(char) = delete;

    // Appends the tag and `count` value bytes; grows to at least twice the capacity when full.
    void append(std::uint8_t tag, const void* bytes, std::size_t count);

    LogLevel level() const { return m_level; }
    const char* file() const { return m_file; }
    int line() const { return m_line; }
    const char* function() const { return m_function; }
    std::int64_t time() const { return m_time; }
    std::uint32_t threadId() const { return m_threadId; }

    const std::uint8_t* payload() const { return m_heap ? m_heap.get() : m_inline; }
    std::size_t payloadSize() const { return m_size; }

private:
    std::uint8_t* buffer() { return m_heap ? m_heap.get() : m_inline; }
    // One item holding the value's native bytes.
    template <typename T>
    LogRecord& appendValue(Tag tag, T value) {
        append(tag, &value, sizeof value);
        return *this;
    }

    LogLevel m_level;
    const char* m_file;
    std::int32_t m_line;
    const char* m_function;
    std::int64_t m_time;
    std::uint32_t m_threadId;
    std::uint8_t m_inline[kInlinePayload];
    std::size_t m_capacity = kInlinePayload;
    std::size_t m_size = 0;
    std::unique_ptr<std::uint8_t[]> m_heap; // set once the payload outgrows the inline bytes
};

// Writes one record as a line (see the top of this file) to `out`, without flushing. The name
// bracket appears only for a non-empty name.
void writeLogLine(const LogRecord& record, const std::string& name, std::ostream& out);

// A destination for records: a stream (not owned) and an optional name shown in every line.
class LoggerBase {
public:
    LoggerBase(std::ostream& stream, std::string name);
    LoggerBase(const LoggerBase&) = delete;
    LoggerBase& operator=(const LoggerBase&) = delete;
    // Waits until the background writer has written this logger's records, or flushes the stream.
    virtual ~LoggerBase();

    // Writes the record's line now, or hands the record to the background writer when one runs.
    // Safe from any thread; one logger's records keep their order.
    void submit(LogRecord&& record);

    const std::string& name() const { return m_name; }
    std::ostream& stream() const { return *m_stream; }
    // Redirects the lines (tests capture them); not while the background writer runs.
    void setStream(std::ostream& stream) { m_stream = &stream; }

private:
    std::ostream* m_stream;
    std::string m_name;
};

// A logger with a level mask that callers test before they build a record.
template <std::uint32_t DefaultMask>
class Logger : public LoggerBase {
public:
    explicit Logger(std::ostream& stream) : LoggerBase(stream, std::string()) {}

    bool enabled(LogLevel level) const { return (mask & static_cast<std::uint32_t>(level)) != 0; }

    std::uint32_t mask = DefaultMask;
};

// The process-wide logger on std::clog, unnamed, every level enabled.
extern Logger<127> logger;

// The background writer: the first acquisition starts a low-priority thread that writes every
// logger's records in batches; each release undoes one acquisition and the last one writes what
// is queued and stops the thread. Nothing in the system starts it.
void acquireLoggerThread();
void releaseLoggerThread();
// Returns once every record submitted before the call has been written.
void flushLoggerThread();

// Test seam: sees every record submitted to a logger, on the submitting thread, before it is
// written or queued.
class LogRecordObserver {
public:
    virtual ~LogRecordObserver() = default;
    virtual void observe(const LogRecord& record) = 0;
};
// Installs the one observer (null removes it) and returns the one it replaces; an observer must
// stay alive while installed.
LogRecordObserver* setLogRecordObserver(LogRecordObserver* observer);

// Test seam: records made from now on carry this time and thread id instead of the real ones.
void setFixedLogStamp(std::int64_t time, std::uint32_t threadId);
// Back to the real clock and thread id.
void clearFixedLogStamp();

// Hands the record built by a ZEU_LOG statement to the global logger at the end of the statement.
struct LogSubmitter {
    void operator+=(LogRecord& record) const { logger.submit(std::move(record)); }
    void operator+=(LogRecord&& record) const { logger.submit(std::move(record)); }
};

} // namespace zeu

// `level` is a zeu::LogLevel enumerator name (Fault, Error, Warn, Info, Debug, Trace). One
// expression, so the statement also stands safely as the body of an if without braces.
#define ZEU_LOG(level, file, line, function)                                                       \
    !::zeu::logger.enabled(::zeu::LogLevel::level)                                                 \
        ? static_cast<void>(0)                                                                     \
        : ::zeu::LogSubmitter() += ::zeu::LogRecord(::zeu::LogLevel::level, file, line, function)
