#include "LogView.h"

#include "host/ExportOutput.h"
#include "host/PMString.h"
#include "platform/files.h"

#include <cstdlib>
#include <iostream>
#include <stdexcept>
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
    : m_verbose(verbose), m_console(verbose || logFile.empty()) {
    if (!logFile.empty()) {
        m_file.open(logFile, std::ios::binary | std::ios::trunc);
        if (!m_file)
            throw std::runtime_error("--log " + logFile + ": cannot be written");
    }
    m_replaced = std::clog.rdbuf(this);
}

LogView::~LogView() {
    std::clog.rdbuf(m_replaced);
    if (!m_partial.empty())
        Line(m_partial);
    Flush();
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
    if (m_file.is_open())
        m_file << line << '\n' << std::flush;
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
