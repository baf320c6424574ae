// Test aid: a program run in the background, as a process of its own, through a shell command
// line that the process becomes ("exec"), with variables of its own added to its environment: it
// can be waited for while it stops itself, continued, asked whether it still runs and waited
// for to its end. Killed and reaped when the object goes, if it still runs.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

class BackgroundProgram {
public:
    BackgroundProgram(const std::string& commandLine,
                      const std::vector<std::pair<std::string, std::string>>& environment)
        : m_pid(::fork()) {
        if (m_pid != 0)
            return;
        for (const auto& [name, value] : environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        ::execl("/bin/sh", "sh", "-c", ("exec " + commandLine).c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ~BackgroundProgram() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            static_cast<void>(Wait());
        }
    }
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // Waits until the program stops (true) or ends (false).
    bool WaitStopped() {
        while (!m_status) {
            int status = 0;
            if (::waitpid(m_pid, &status, WUNTRACED) < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (WIFSTOPPED(status))
                return true;
            m_status = status;
        }
        return false;
    }
    void Continue() const { ::kill(m_pid, SIGCONT); }
    // The process's id (its /proc folder is /proc/PID while it runs).
    pid_t Pid() const { return m_pid; }
    // True while the program has not ended.
    bool Running() {
        int status = 0;
        if (!m_status && ::waitpid(m_pid, &status, WNOHANG) == m_pid && !WIFSTOPPED(status))
            m_status = status;
        return !m_status;
    }
    // The status the program ended with (as waitpid gives it).
    int Wait() {
        while (!m_status) {
            int status = 0;
            if (::waitpid(m_pid, &status, 0) < 0) {
                if (errno == EINTR)
                    continue;
                m_status = -1;
                break;
            }
            if (!WIFSTOPPED(status))
                m_status = status;
        }
        return *m_status;
    }

private:
    pid_t m_pid;
    std::optional<int> m_status;
};
