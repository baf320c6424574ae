// The alerts the host showed, as zephost prints them on standard error: the alert's text, then
// what the host knows of it, so that a user can act on it: the code of the error it shows with
// that code's own text (when the alert shows another, such as the guard text "(iSpread) ==
// NULL"), each command that failed before it with the error text it left (an export command
// names the file it could not write), for a call the 'Zemp' it was reading when the alert is the
// job reader's, and when a file cannot be written what keeps the job's output file from being
// written (a drive that is not mapped, a folder that does not exist).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class AlertReport {
public:
    // The 'Zemp' of the call about to run as the user gave it ("@FILE" or the text) and its
    // text; empty for none.
    void SetZemp(std::string given, std::string text) {
        m_zemp = std::move(given);
        m_zempText = std::move(text);
    }
    // Prints the alerts recorded since the last call; returns how many there were.
    std::size_t PrintNew();

private:
    void PrintAlert(const std::string& text, const std::string& codeText);
    void PrintOutputProblem() const;

    std::size_t m_alerts = 0;   // the alerts printed
    std::size_t m_failures = 0; // the entries of host::Channel::Failures read
    std::vector<std::string> m_failedCommands;
    std::string m_zemp;
    std::string m_zempText;
};
