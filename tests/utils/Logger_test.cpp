#include "utils/Logger.h"

#include "support/LogCapture.h"
#include "support/SlowStreamBuffer.h"
#include "support/Test.h"
#include "utils/ustring.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

namespace {

using zeu::LogLevel;
using zeu::LogRecord;

const std::string kHeader = "[2026-03-01T14:05:09]";

std::string lineOf(const LogRecord& record, const std::string& name = {}) {
    std::ostringstream out;
    zeu::writeLogLine(record, name, out);
    return out.str();
}

TEST(Logger, WritesGoldenLinesForEveryLevelAndPayloadType) {
    LogCapture capture;
    ZEU_LOG(Fault, "a\\f.cpp", 1, "F") << "text " << std::string("std") << " " << ustring("u8");
    ZEU_LOG(Error, "a\\f.cpp", 2, "F") << true << "/" << false;
    ZEU_LOG(Warn, "a\\f.cpp", 3, "F")
        << static_cast<short>(-32768) << " " << static_cast<unsigned short>(65535);
    ZEU_LOG(Info, "a\\f.cpp", 4, "F")
        << std::numeric_limits<int>::min() << " " << std::numeric_limits<unsigned>::max();
    ZEU_LOG(Debug, "a\\f.cpp", 5, "F")
        << -7L << " " << 7UL << " " << std::numeric_limits<long long>::min() << " "
        << std::numeric_limits<unsigned long long>::max();
    ZEU_LOG(Trace, "a\\f.cpp", -6, "F") << 2.5 << " " << 1e100;
    EXPECT_EQ(capture.text(),
              kHeader + "[FAULT][5120][f.cpp:F:1] text std u8\n" + kHeader +
                  "[ERROR][5120][f.cpp:F:2] true/false\n" + kHeader +
                  "[WARN][5120][f.cpp:F:3] -32768 65535\n" + kHeader +
                  "[INFO][5120][f.cpp:F:4] -2147483648 4294967295\n" + kHeader +
                  "[DEBUG][5120][f.cpp:F:5] -7 7 -9223372036854775808 18446744073709551615\n" +
                  kHeader + "[TRACE][5120][f.cpp:F:-6] 2.5 1e+100\n");
}

TEST(Logger, LocationAndNameBracketsShowWhatIsSet) {
    LogCapture capture;
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {nullptr, nullptr, "", "[5120] x\n"},
        {nullptr, "ns::f", "", "[5120][ns::f] x\n"},
        {"dir\\file.cpp", nullptr, "", "[5120][file.cpp:42] x\n"},
        {"dir/sub/file.cpp", "g", "", "[5120][dir/sub/file.cpp:g:42] x\n"},
        {"dir\\", "g", "", "[5120][:g:42] x\n"},
        {"f", nullptr, "job", "[5120][job][f:42] x\n"},
    };
    for (const auto& [file, function, name, expected] : cases) {
        LogRecord record(LogLevel::Info, file, 42, function);
        record << "x";
        EXPECT_EQ(lineOf(record, name), kHeader + "[INFO]" + expected) << expected;
    }
    std::ostringstream out;
    {
        zeu::LoggerBase named(out, "peer");
        named.submit(std::move(LogRecord(LogLevel::Info, nullptr, 0, nullptr) << "hi"));
    }
    EXPECT_EQ(out.str(), kHeader + "[INFO][5120][peer] hi\n");
    for (const std::uint32_t level : {0u, 3u, 64u, 127u}) // not exactly one level: no line
        EXPECT_EQ(lineOf(LogRecord(static_cast<LogLevel>(level), "f", 1, "g")), "") << level;
}

TEST(Logger, TextItemsStayOnOneLineAndEndAtTheirFirstNul) {
    LogCapture capture;
    LogRecord record(LogLevel::Info, nullptr, 0, nullptr);
    record << "a\nb\r\tc\n"
           << std::string("ab\0cd", 5) << ustring("ef\0gh", 5) << static_cast<const char*>(nullptr)
           << "|";
    record.append(200, nullptr, 0); // an unknown tag byte is skipped
    record << 5;
    record.append(LogRecord::kInt, "\1", 1); // a truncated item ends the payload
    EXPECT_EQ(lineOf(record), kHeader + "[INFO][5120] a\\nb\r\tc\\nabef|5\n");
}

TEST(Logger, PayloadsBeyondTheInlineBytesAndDoublesWithStreamFlags) {
    LogCapture capture;
    LogRecord record(LogLevel::Info, nullptr, 0, nullptr);
    const std::string chunk(62, 'a'); // 62 characters + NUL + tag = 64 bytes
    record << chunk << chunk << true << std::string(1000, 'x');
    const LogRecord moved(std::move(record));
    EXPECT_EQ(lineOf(moved),
              kHeader + "[INFO][5120] " + chunk + chunk + "true" + std::string(1000, 'x') + "\n");
    EXPECT_EQ(lineOf(record), kHeader + "[INFO][5120] \n"); // NOLINT(bugprone-use-after-move)
    LogRecord numbers(LogLevel::Info, nullptr, 0, nullptr);
    numbers << 0.1 << " " << 1.0 / 3;
    std::ostringstream out;
    out.precision(3);
    out << std::fixed;
    zeu::writeLogLine(numbers, {}, out);
    EXPECT_EQ(out.str(), kHeader + "[INFO][5120] 0.100 0.333\n");
}

TEST(Logger, RecordsStampTheRealThreadWithoutAFixedStamp) {
    LogRecord here(LogLevel::Info, nullptr, 0, nullptr);
    std::uint32_t there = 0;
    std::thread([&] { there = LogRecord(LogLevel::Info, nullptr, 0, nullptr).threadId(); }).join();
    EXPECT_NE(here.threadId(), 0u);
    EXPECT_NE(here.threadId(), there);
    EXPECT_GT(here.time(), 1700000000);
}

TEST(Logger, MaskedLevelsBuildNoRecordAndTheMacroStandsAloneAsTheBodyOfAnIf) {
    LogCapture capture;
    EXPECT_EQ(zeu::logger.mask, 127u);
    int evaluated = 0;
    auto payload = [&] { return ++evaluated; };
    zeu::logger.mask = static_cast<std::uint32_t>(LogLevel::Error);
    ZEU_LOG(Info, "f", 1, "g") << payload();
    EXPECT_EQ(evaluated, 0);
    ZEU_LOG(Error, "f", 1, "g") << payload();
    EXPECT_EQ(evaluated, 1);
    zeu::logger.mask = 127;
    const bool branch = false;
    if (branch)
        ZEU_LOG(Info, "f", 2, "g") << "no";
    else
        ZEU_LOG(Info, "f", 3, "g");
    EXPECT_EQ(capture.text(),
              kHeader + "[ERROR][5120][f:g:1] 1\n" + kHeader + "[INFO][5120][f:g:3] \n");
}

// --- background writer -----------------------------------------------------------------------

std::size_t countLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void submitNumbers(zeu::LoggerBase& target, int count) {
    for (int i = 0; i < count; ++i)
        target.submit(std::move(LogRecord(LogLevel::Info, nullptr, i, nullptr) << i));
}

// The writer holds a batch that is no longer queued when flush or a logger's destructor asks.
TEST(LoggerThread, FlushAndALoggersDestructionWaitForTheBatchBeingWritten) {
    zeu::acquireLoggerThread();
    for (const bool flush : {true, false}) {
        SlowStreamBuffer buffer;
        {
            std::ostream out(&buffer);
            zeu::LoggerBase target(out, "");
            submitNumbers(target, 20);
            buffer.waitUntilWriting();
            buffer.open();
            if (flush) {
                zeu::flushLoggerThread();
                EXPECT_EQ(buffer.lines(), 20u);
            }
        }
        EXPECT_EQ(buffer.lines(), 20u);
    }
    zeu::releaseLoggerThread();
}

TEST(LoggerThread, ReleaseWritesWhatIsQueuedAndUnbalancedReleasesDoNothing) {
    std::ostringstream out;
    zeu::LoggerBase target(out, "");
    zeu::releaseLoggerThread();
    zeu::acquireLoggerThread();
    zeu::acquireLoggerThread();
    target.submit(LogRecord(LogLevel::Info, nullptr, 0, nullptr));
    zeu::releaseLoggerThread();
    zeu::releaseLoggerThread();
    zeu::releaseLoggerThread();
    zeu::flushLoggerThread();
    EXPECT_EQ(countLines(out.str()), 1u);
    target.submit(LogRecord(LogLevel::Info, nullptr, 0, nullptr));
    EXPECT_EQ(countLines(out.str()), 2u);
}

// Eight threads log to loggers of their own while the writer is started and released again
// and again: every record arrives exactly once and in its thread's order.
TEST(LoggerThread, SurvivesManyThreadsWithRepeatedStartAndRelease) {
    constexpr int kThreads = 8;
    constexpr int kRecords = 10000;
    zeu::setFixedLogStamp(0, 1);
    std::ostringstream expected; // written at once: the writer is not running yet
    zeu::LoggerBase reference(expected, "");
    submitNumbers(reference, kRecords);
    std::vector<std::ostringstream> streams(kThreads);
    std::vector<std::unique_ptr<zeu::LoggerBase>> loggers;
    for (auto& stream : streams)
        loggers.push_back(std::make_unique<zeu::LoggerBase>(stream, ""));
    std::atomic<int> running{kThreads};
    std::thread controller([&] {
        while (running.load() > 0) {
            zeu::acquireLoggerThread();
            zeu::acquireLoggerThread();
            std::this_thread::yield();
            zeu::releaseLoggerThread();
            zeu::flushLoggerThread();
            zeu::releaseLoggerThread();
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&, t] {
            submitNumbers(*loggers[t], kRecords);
            running.fetch_sub(1);
        });
    }
    for (auto& producer : producers)
        producer.join();
    controller.join();
    zeu::clearFixedLogStamp();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_TRUE(streams[t].str() == expected.str()) << "thread " << t;
}

} // namespace
