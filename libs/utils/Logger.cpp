// Log records, the line format, the global logger and the background writer thread.
#include "utils/Logger.h"

#include "platform/clock.h"
#include "platform/thread.h"
#include "utils/ustring.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zeu {

namespace {

std::atomic<bool> g_stampFixed{false};
std::atomic<std::int64_t> g_fixedTime{0};
std::atomic<std::uint32_t> g_fixedThreadId{0};
std::atomic<LogRecordObserver*> g_observer{nullptr};

const char* levelName(LogLevel level) {
    switch (level) {
    case LogLevel::Fault:
        return "FAULT";
    case LogLevel::Error:
        return "ERROR";
    case LogLevel::Warn:
        return "WARN";
    case LogLevel::Info:
        return "INFO";
    case LogLevel::Debug:
        return "DEBUG";
    case LogLevel::Trace:
        return "TRACE";
    }
    return nullptr;
}

// The characters after the last backslash; a forward slash is not a separator.
const char* baseName(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

void writeTime(std::int64_t seconds, std::ostream& out) {
    std::tm local{};
    char text[32];
    if (platform::localTime(seconds, local) &&
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) != 0)
        out << text;
}

// Writes `length` characters, each line feed as backslash and 'n', so a record stays one line.
void writeText(const char* text, std::size_t length, std::ostream& out) {
    const char* end = text + length;
    while (text < end) {
        const char* feed = static_cast<const char*>(std::memchr(text, '\n', end - text));
        const char* stop = feed ? feed : end;
        out.write(text, stop - text);
        if (!feed)
            break;
        out << "\\n";
        text = feed + 1;
    }
}

// Writes the value of type T at `item` when the `left` bytes hold it; returns the bytes it
// took, 0 for a truncated item.
template <typename T>
std::size_t writeValue(const std::uint8_t* item, std::size_t left, std::ostream& out) {
    if (left < sizeof(T))
        return 0;
    T value;
    std::memcpy(&value, item, sizeof value);
    out << value;
    return sizeof value;
}

// Renders the payload items; an unknown tag byte is skipped, and a truncated item ends the run.
void writePayload(const std::uint8_t* item, const std::uint8_t* end, std::ostream& out) {
    while (item < end) {
        const std::uint8_t tag = *item++;
        const std::size_t left = static_cast<std::size_t>(end - item);
        std::size_t used = 0;
        switch (tag) {
        case LogRecord::kText: {
            const void* nul = std::memchr(item, 0, left);
            const std::size_t length =
                nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - item) : left;
            writeText(reinterpret_cast<const char*>(item), length, out);
            used = nul ? length + 1 : length;
            break;
        }
        case LogRecord::kBool:
            if (left >= 1) {
                out << (*item ? "true" : "false");
                used = 1;
            }
            break;
        case LogRecord::kShort:
            used = writeValue<std::int16_t>(item, left, out);
            break;
        case LogRecord::kUShort:
            used = writeValue<std::uint16_t>(item, left, out);
            break;
        case LogRecord::kInt:
            used = writeValue<std::int32_t>(item, left, out);
            break;
        case LogRecord::kUInt:
            used = writeValue<std::uint32_t>(item, left, out);
            break;
        case LogRecord::kLong:
            used = writeValue<long>(item, left, out);
            break;
        case LogRecord::kULong:
            used = writeValue<unsigned long>(item, left, out);
            break;
        case LogRecord::kInt64:
            used = writeValue<std::int64_t>(item, left, out);
            break;
        case LogRecord::kUInt64:
            used = writeValue<std::uint64_t>(item, left, out);
            break;
        case LogRecord::kDouble:
            used = writeValue<double>(item, left, out);
            break;
        default:
            continue;
        }
        if (used == 0)
            return;
        item += used;
    }
}

// The background writer. One object lives for the whole process and is reused by every
// start/stop cycle, so a thread that read the published pointer just before a stop never
// touches freed memory. One mutex guards the queues and every flag, and each wake-up is
// signalled under it, so no notification falls between a waiter's test and its wait.
class logger_thread_data {
public:
    ~logger_thread_data() { stop(); }

    // The worker starts before records are accepted, and acceptance and the pointer are
    // published together under the mutex: a caller that queued a record through a pointer read
    // in an earlier run therefore sees the pointer set for its next record too, and its records
    // keep their order.
    void acquire() {
        std::lock_guard lifecycle(m_lifecycleMutex);
        if (m_count++ > 0)
            return;
        {
            std::lock_guard lock(m_mutex);
            m_stopRequested = false;
            m_workerRunning = true;
        }
        try {
            m_worker = std::thread([this] { run(); });
        } catch (...) {
            std::lock_guard lock(m_mutex);
            m_workerRunning = false;
            m_count = 0;
            throw;
        }
        std::lock_guard lock(m_mutex);
        m_accepting = true;
        g_writer.store(this, std::memory_order_release);
        m_wake.notify_all();
    }

    void release() {
        std::lock_guard lifecycle(m_lifecycleMutex);
        if (m_count == 0 || --m_count > 0)
            return;
        stop();
    }

    // False when the writer has stopped: the caller then writes the line itself, after the
    // writer's last batch.
    bool enqueue(const LoggerBase* target, LogRecord&& record) {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_accepting || !m_workerRunning; });
        if (!m_accepting)
            return false;
        queueOf(target).push_back(std::move(record));
        m_wake.notify_all();
        return true;
    }

    // Waits until every queued record, the batch in hand included, has been written; then
    // forgets `target`'s queue when one is given.
    void drain(const LoggerBase* target) {
        std::unique_lock lock(m_mutex);
        m_wake.notify_all();
        m_wake.wait(lock, [this] { return (m_queues.empty() && !m_writing) || !m_workerRunning; });
        if (target)
            std::erase_if(m_queues, [target](const Queue& queue) { return queue.first == target; });
    }

    static std::atomic<logger_thread_data*> g_writer;

private:
    using Queue = std::pair<const LoggerBase*, std::vector<LogRecord>>;

    // The queue of `target`, inserted at its place in ascending address order when missing.
    std::vector<LogRecord>& queueOf(const LoggerBase* target) {
        const auto place =
            std::lower_bound(m_queues.begin(), m_queues.end(), target,
                             [](const Queue& queue, const LoggerBase* key) {
                                 return std::less<const LoggerBase*>()(queue.first, key);
                             });
        if (place != m_queues.end() && place->first == target)
            return place->second;
        return m_queues.emplace(place, target, std::vector<LogRecord>())->second;
    }

    // Called with the lifecycle mutex held (or at process exit): the worker writes what is
    // queued and ends; later submissions are written by their callers. The pointer goes null
    // only after the worker has ended, so a caller that sees it null never writes a line while
    // the worker still writes one of the same logger.
    void stop() {
        if (!m_worker.joinable())
            return;
        {
            std::lock_guard lock(m_mutex);
            m_accepting = false;
            m_stopRequested = true;
            m_wake.notify_all();
        }
        m_worker.join();
        g_writer.store(nullptr, std::memory_order_release);
    }

    void run() {
        platform::lowerCurrentThreadPriority();
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return !m_queues.empty() || m_stopRequested; });
            if (m_queues.empty())
                break;
            std::vector<Queue> batch;
            batch.swap(m_queues);
            m_writing = true;
            lock.unlock();
            for (const auto& [target, records] : batch) {
                for (const LogRecord& record : records)
                    writeLogLine(record, target->name(), target->stream());
                target->stream().flush();
            }
            batch.clear();
            lock.lock();
            m_writing = false;
            m_wake.notify_all();
        }
        m_workerRunning = false;
        m_wake.notify_all();
    }

    std::mutex m_lifecycleMutex; // orders acquisitions and releases
    unsigned m_count = 0;        // guarded by m_lifecycleMutex
    std::thread m_worker;        // guarded by m_lifecycleMutex

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Queue> m_queues;  // sorted by logger address
    bool m_accepting = false;     // records go to the queues
    bool m_stopRequested = false; // the worker ends once the queues are empty
    bool m_writing = false;       // the worker writes a batch it took out of the queues
    bool m_workerRunning = false; // the worker has not yet ended
};

std::atomic<logger_thread_data*> logger_thread_data::g_writer{nullptr};

logger_thread_data g_writerState;

} // namespace

// Defined after the writer's state so that it is destroyed first, while the writer still exists.
Logger<127> logger(std::clog);

LogRecord::LogRecord(LogLevel level, const char* file, int line, const char* function)
    : m_level(level), m_file(file), m_line(line), m_function(function) {
    if (g_stampFixed.load(std::memory_order_relaxed)) {
        m_time = g_fixedTime.load(std::memory_order_relaxed);
        m_threadId = g_fixedThreadId.load(std::memory_order_relaxed);
    } else {
        m_time = platform::currentTime();
        m_threadId = platform::currentThreadId();
    }
}

LogRecord::LogRecord(LogRecord&& other) noexcept {
    *this = std::move(other);
}

LogRecord& LogRecord::operator=(LogRecord&& other) noexcept {
    if (this != &other) {
        m_level = other.m_level;
        m_file = other.m_file;
        m_line = other.m_line;
        m_function = other.m_function;
        m_time = other.m_time;
        m_threadId = other.m_threadId;
        m_capacity = other.m_capacity;
        m_size = other.m_size;
        m_heap = std::move(other.m_heap);
        if (!m_heap)
            std::memcpy(m_inline, other.m_inline, m_size);
        other.m_capacity = kInlinePayload;
        other.m_size = 0;
    }
    return *this;
}

LogRecord::~LogRecord() = default;

void LogRecord::append(std::uint8_t tag, const void* bytes, std::size_t count) {
    const std::size_t required = m_size + count + 1;
    if (required > m_capacity) {
        const std::size_t grown = std::max(required, 2 * m_capacity);
        auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(grown);
        std::memcpy(larger.get(), payload(), m_size);
        m_heap = std::move(larger);
        m_capacity = grown;
    }
    std::uint8_t* at = buffer() + m_size;
    at[0] = tag;
    if (count != 0)
        std::memcpy(at + 1, bytes, count);
    m_size = required;
}

LogRecord& LogRecord::operator<<(const char* text) {
    if (!text)
        text = "";
    append(kText, text, std::strlen(text) + 1);
    return *this;
}

LogRecord& LogRecord::operator<<(const std::string& text) {
    return *this << text.c_str();
}

LogRecord& LogRecord::operator<<(const ustring& text) {
    return *this << text.c_str();
}

LogRecord& LogRecord::operator<<(bool value) {
    return appendValue(kBool, static_cast<std::uint8_t>(value ? 1 : 0));
}

LogRecord& LogRecord::operator<<(short value) {
    return appendValue(kShort, value);
}

LogRecord& LogRecord::operator<<(unsigned short value) {
    return appendValue(kUShort, value);
}

LogRecord& LogRecord::operator<<(int value) {
    return appendValue(kInt, value);
}

LogRecord& LogRecord::operator<<(unsigned int value) {
    return appendValue(kUInt, value);
}

LogRecord& LogRecord::operator<<(long value) {
    return appendValue(kLong, value);
}

LogRecord& LogRecord::operator<<(unsigned long value) {
    return appendValue(kULong, value);
}

LogRecord& LogRecord::operator<<(long long value) {
    return appendValue(kInt64, static_cast<std::int64_t>(value));
}

LogRecord& LogRecord::operator<<(unsigned long long value) {
    return appendValue(kUInt64, static_cast<std::uint64_t>(value));
}

LogRecord& LogRecord::operator<<(double value) {
    return appendValue(kDouble, value);
}

void writeLogLine(const LogRecord& record, const std::string& name, std::ostream& out) {
    const char* level = levelName(record.level());
    if (!level)
        return;
    out << '[';
    writeTime(record.time(), out);
    out << "][" << level << "][" << record.threadId() << ']';
    if (!name.empty())
        out << '[' << name << ']';
    if (record.file() || record.function()) {
        out << '[';
        if (record.file()) {
            out << baseName(record.file()) << ':';
            if (record.function())
                out << record.function() << ':';
            out << record.line();
        } else {
            out << record.function();
        }
        out << ']';
    }
    out << ' ';
    writePayload(record.payload(), record.payload() + record.payloadSize(), out);
    out << '\n';
}

LoggerBase::LoggerBase(std::ostream& stream, std::string name)
    : m_stream(&stream), m_name(std::move(name)) {}

LoggerBase::~LoggerBase() {
    if (logger_thread_data* writer = logger_thread_data::g_writer.load(std::memory_order_acquire))
        writer->drain(this);
    else
        m_stream->flush();
}

void LoggerBase::submit(LogRecord&& record) {
    if (LogRecordObserver* observer = g_observer.load(std::memory_order_acquire))
        observer->observe(record);
    logger_thread_data* writer = logger_thread_data::g_writer.load(std::memory_order_acquire);
    if (writer && writer->enqueue(this, std::move(record)))
        return;
    writeLogLine(record, m_name, *m_stream);
}

void acquireLoggerThread() {
    g_writerState.acquire();
}

void releaseLoggerThread() {
    g_writerState.release();
}

void flushLoggerThread() {
    if (logger_thread_data* writer = logger_thread_data::g_writer.load(std::memory_order_acquire))
        writer->drain(nullptr);
}

LogRecordObserver* setLogRecordObserver(LogRecordObserver* observer) {
    return g_observer.exchange(observer, std::memory_order_acq_rel);
}

void setFixedLogStamp(std::int64_t time, std::uint32_t threadId) {
    g_fixedTime.store(time, std::memory_order_relaxed);
    g_fixedThreadId.store(threadId, std::memory_order_relaxed);
    g_stampFixed.store(true, std::memory_order_relaxed);
}

void clearFixedLogStamp() {
    g_stampFixed.store(false, std::memory_order_relaxed);
}

} // namespace zeu
