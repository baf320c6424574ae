#include "LogView.h"

#include "host/sdk/PMString.h"
#include "host/standin/ExportOutput.h"
#include "platform/files.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// A record's line: "[time][LEVEL][thread]" and optional brackets (the logger's name, then
// "[file:function:line]"), a space and the text.
struct Record {
    std::string level;
    std::string function;
    std::string text;
};

std::optional<Record> ParseRecord(const std::string& line) {
    std::vector<std::string> brackets;
    std::size_t at = 0;
    while (at < line.size() && line[at] == '[') {
        const std::size_t end = line.find(']', at);
        if (end == std::string::npos)
            return std::nullopt;
        brackets.push_back(line.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    if (brackets.size() < 3 || at >= line.size() || line[at] != ' ')
        return std::nullopt;
    std::string function = brackets.size() > 3 ? brackets.back() : std::string();
    const std::size_t first = function.find(':');
    const std::size_t last = function.rfind(':');
    if (first != std::string::npos && last > first + 1)
        function = function.substr(first + 1, last - first - 1);
    return Record{brackets[1], function, line.substr(at + 1)};
}

// The system's error number a folder-creation warning carries, as text; nothing for another
// record.
std::optional<std::string> MkdirError(const Record& record) {
    char* end = nullptr;
    const long number = std::strtol(record.text.c_str(), &end, 10);
    if (record.function != "UFileSpecCore::mkdir" || record.text.empty() || *end != '\0')
        return std::nullopt;
    return platform::errorText(static_cast<int>(number));
}

constexpr const char* kCannotCreateFolder = "cannot create folder ";

} // namespace

LogView::LogView(bool verbose, const std::string& logFile)
    : m_verbose(verbose), m_console(verbose || logFile.empty()), m_logFile(logFile) {
    if (!logFile.empty()) {
        m_file.reset(std::fopen(logFile.c_str(), "wb"));
        if (!m_file) {
            const int error = errno;
            throw std::runtime_error("--log " + logFile +
                                     ": cannot be written: " + platform::errorText(error));
        }
    }
    m_replaced = std::clog.rdbuf(this);
}

LogView::~LogView() {
    static_cast<void>(Close());
}

bool LogView::Close() {
    if (m_replaced) {
        std::clog.rdbuf(m_replaced);
        m_replaced = nullptr;
        if (!m_partial.empty())
            Line(std::exchange(m_partial, {}));
        Flush();
    }
    if (m_file && std::fclose(m_file.release()) != 0)
        LogFileFailed(errno, true);
    return !m_logFileFailed;
}

void LogView::LogFileFailed(int error, bool closing) {
    m_file.reset();
    m_logFileFailed = true;
    m_console = true;
    std::cerr << "zephost: --log " << m_logFile
              << ": cannot be written: " << platform::errorText(error)
              << (closing ? "" : "; the log records from here on show on standard error") << "\n";
}

int LogView::overflow(int c) {
    if (c == traits_type::eof())
        return traits_type::not_eof(c);
    const char character = static_cast<char>(c);
    return xsputn(&character, 1) == 1 ? c : traits_type::eof();
}

std::streamsize LogView::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize i = 0; i < count; ++i) {
        if (text[i] != '\n') {
            m_partial += text[i];
            continue;
        }
        std::string line;
        line.swap(m_partial);
        Line(line);
    }
    return count;
}

void LogView::Line(const std::string& line) {
    if (m_file && (std::fwrite(line.data(), 1, line.size(), m_file.get()) != line.size() ||
                   std::fputc('\n', m_file.get()) == EOF || std::fflush(m_file.get()) != 0))
        LogFileFailed(errno, false);
    const std::optional<Record> record = ParseRecord(line);
    if (!record) {
        if (m_lastShown)
            std::cerr << line << '\n';
        return;
    }
    if (std::optional<std::string> error = MkdirError(*record)) {
        Flush();
        m_mkdirError = std::move(error);
        m_lastShown = false;
        return;
    }
    std::string text = record->text;
    if (m_mkdirError && text.starts_with(kCannotCreateFolder)) {
        const std::string folder = text.substr(std::char_traits<char>::length(kCannotCreateFolder));
        const std::string problem = host::PathProblem(PMString(folder).GetUTF16());
        text += ": " + *m_mkdirError + (problem.empty() ? "" : "; " + problem);
        m_mkdirError.reset();
    }
    Flush();
    Show(record->level, record->function.empty() ? text : record->function + ": " + text);
}

void LogView::Flush() {
    if (!m_mkdirError)
        return;
    const std::string error = *m_mkdirError;
    m_mkdirError.reset();
    Show("WARN", "UFileSpecCore::mkdir: a folder cannot be created: " + error);
}

void LogView::Show(const std::string& level, const std::string& text) {
    const bool important = level == "WARN" || level == "ERROR" || level == "FAULT";
    const std::string line = "log " + level + " " + text;
    m_lastShown = m_console && (m_verbose || (important && m_shown.insert(line).second));
    if (m_lastShown)
        std::cerr << line << '\n';
}
