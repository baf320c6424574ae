// What zephost shows of the log records. The plug-in's logger (utils/Logger.h) writes each record
// as a line to std::clog; its level mask is the plug-in's and changes what the plug-in does, so
// zephost leaves it alone and sorts the lines where they arrive instead.
//
// On standard error a record shows as "log LEVEL FUNCTION: TEXT": by default only WARN, ERROR and
// FAULT records, each text once; with `verbose` every record. A failed folder creation (the
// "UFileSpecCore::mkdir" warning with the system's error number, then the caller's "cannot create
// folder PATH") shows as one line with the error's text and what keeps the path from being
// written, e.g. a drive that is not mapped. With a log file every record goes there as written,
// and standard error shows them only with `verbose`. When a record cannot be written to the log
// file (a full disk), or the file does not close, standard error says so once with the system's
// reason; the file is then closed and the records from there on show on standard error as they
// do without a log file.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <streambuf>
#include <string>

class LogView : private std::streambuf {
public:
    // Takes over std::clog; throws std::runtime_error with the system's reason when the log
    // file cannot be opened.
    LogView(bool verbose, const std::string& logFile);
    // Closes as Close does.
    ~LogView() override;
    LogView(const LogView&) = delete;
    LogView& operator=(const LogView&) = delete;

    // Shows a folder-creation warning that still waits for its folder's name.
    void Flush();
    // Shows what is held back, gives std::clog its buffer back and closes the log file; false
    // when the log file lost a record (standard error has said so). Later calls change nothing.
    [[nodiscard]] bool Close();

private:
    int overflow(int c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    void Line(const std::string& line);
    void Show(const std::string& level, const std::string& text);
    // Says on standard error that the log file cannot be written (`error` the system's error
    // number), when `closing` without the records that follow, and writes no more to it.
    void LogFileFailed(int error, bool closing);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    bool m_verbose;
    bool m_console;
    std::string m_logFile;
    std::unique_ptr<std::FILE, FileCloser> m_file; // null without a log file, or once it failed
    bool m_logFileFailed = false;
    std::streambuf* m_replaced;              // null once std::clog has it back
    std::string m_partial;                   // the line being written
    bool m_lastShown = false;                // whether the last record's lines show
    std::optional<std::string> m_mkdirError; // a folder-creation warning's error text
    std::set<std::string> m_shown;           // what standard error showed, without -v
};
