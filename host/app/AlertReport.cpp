#include "AlertReport.h"

#include "PageItemReport.h"
#include "host/sdk/Errors.h"
#include "host/standin/ExportOutput.h"
#include "host/standin/Recorder.h"
#include "model/BJobFile.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <iterator>

namespace {

// The plug-in's code for a destination list ('DisT') that cannot be read.
constexpr std::uint32_t kDestinationListError = 0x52E3A;
// The codes of a file that cannot be written: the plug-in's and the export commands'.
constexpr std::uint32_t kPluginFileError = 0x52E0A;

// What a user does about the alert it belongs to: an alert of the hint's code (never 0, which
// alerts without a code have) and, when the hint gives one, of its text.
struct Hint {
    std::uint32_t code;
    const char* alert;
    const char* text;
    bool BelongsTo(std::uint32_t alertCode, const std::string& alertText) const {
        return code == alertCode && (*alert == '\0' || alert == alertText);
    }
};
constexpr Hint kHints[] = {
    {0xF01030, "", "the plug-in's methods are savY, sanY, expY, DisT and PrnT (zephost --help)"},
    {0xF01031, "", "give 'Zemp' with --zemp @FILE or --zemp TEXT"},
    {0x52E1E, "(iLayoutControlData) == NULL",
     "the front document has no layout view: give its description a \"view\""},
};
static_assert(std::none_of(std::begin(kHints), std::end(kHints),
                           [](const Hint& hint) { return hint.code == 0; }));

// "command NAME CLASS -> RESULT[: TEXT]" of host::Channel::Failures in words.
std::string FailedCommand(const std::string& entry) {
    const std::size_t arrow = entry.find(" -> ");
    const std::string label = entry.substr(8, arrow - 8);
    const std::size_t space = label.rfind(' ');
    std::string result = entry.substr(arrow + 4);
    const std::size_t colon = result.find(": ");
    std::string text = colon == std::string::npos ? "" : result.substr(colon);
    result = result.substr(0, colon);
    return "the command \"" + label.substr(0, space) + "\" (" + label.substr(space + 1) + ") " +
           (result == "threw" ? "threw" : "failed with " + result) + text;
}

// The 'Zemp' as the user gave it: a file, or the beginning of the text and its length.
std::string ZempSource(const std::string& zemp) {
    if (zemp.starts_with('@'))
        return "the file " + zemp.substr(1);
    constexpr std::size_t kShown = 32;
    return "\"" + zemp.substr(0, kShown) + (zemp.size() > kShown ? "...\"" : "\"") + " (" +
           std::to_string(zemp.size()) + " characters)";
}

} // namespace

std::size_t AlertReport::PrintNew() {
    const host::Recorder& recorder = host::Recorder::Instance();
    const auto& failures = recorder.Log(host::Channel::Failures);
    const std::size_t before = m_alerts;
    for (; m_failures < failures.size(); ++m_failures) {
        const std::string& entry = failures[m_failures];
        if (entry.starts_with("command "))
            m_failedCommands.push_back(FailedCommand(entry));
        else if (m_alerts < recorder.Log(host::Channel::Alerts).size())
            PrintAlert(recorder.Log(host::Channel::Alerts)[m_alerts++], entry.substr(6));
    }
    m_failedCommands.clear();
    return m_alerts - before;
}

void AlertReport::PrintAlert(const std::string& text, const std::string& codeText) {
    std::cerr << "alert: " << text << "\n";
    const auto code = static_cast<std::uint32_t>(std::strtoul(codeText.c_str(), nullptr, 16));
    if (code != 0) {
        const std::string own = ErrorUtils::PMGetErrorString(ErrorCode(code)).GetUTF8String();
        std::cerr << "  error " << codeText << (own.empty() || own == text ? "" : ": " + own)
                  << "\n";
    }
    for (const Hint& hint : kHints)
        if (hint.BelongsTo(code, text))
            std::cerr << "  " << hint.text << "\n";
    for (const std::string& command : m_failedCommands)
        std::cerr << "  after " << command << "\n";
    m_failedCommands.clear();
    if (code == kPluginFileError || code == host::kFileWriteErr.Get())
        PrintOutputProblem();
    const bool job = text.starts_with("UKeyInStream");
    if (m_zemp.empty() || (!job && code != kDestinationListError))
        return;
    std::cerr << "  while reading the " << (job ? "job" : "destination list")
              << " given as 'Zemp': " << ZempSource(m_zemp) << "\n";
    if (job)
        std::cerr << "  'Zemp' is the hex text of a \"JOB5\" job file, as in examples/jobs/\n";
}

void AlertReport::PrintOutputProblem() const {
    const std::unique_ptr<BJobFile> job = m_zempText.empty() ? nullptr : ReadJobText(m_zempText);
    if (!job)
        return;
    const std::u16string output = job->outputFile.path().toWString();
    const std::string problem = host::PathProblem(output);
    if (!problem.empty())
        std::cerr << "  the job's output file " << job->outputFile.path().toStdString()
                  << " cannot be written: " << problem << "\n";
}
