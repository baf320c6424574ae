// Test aid: a forked process that runs a test's body, as the test's user or as another (root
// only), and is killed when the object goes while it still runs.
#pragma once

#include <csignal>
#include <functional>
#include <grp.h>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

class ChildProcess {
public:
    // Runs `body` in a child process, which ends with status 0 (2 when it throws, 3 when it
    // cannot take the user) unless it ends itself otherwise; with `user`, as that user and group
    // (the test must run as root).
    explicit ChildProcess(const std::function<void()>& body,
                          std::optional<unsigned> user = std::nullopt)
        : m_pid(::fork()) {
        if (m_pid != 0)
            return;
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(*user) != 0 || ::setuid(*user) != 0))
            ::_exit(3);
        try {
            body();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            static_cast<void>(Wait());
        }
    }
    // The status the child ended with.
    int Wait() {
        if (!m_status) {
            int status = 0;
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            m_status = status;
        }
        return *m_status;
    }
    // Whether it ended by exiting with 0.
    bool Succeeded() {
        const int status = Wait();
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    bool KilledBySigkill() {
        const int status = Wait();
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    void Kill() { ::kill(m_pid, SIGKILL); }

private:
    pid_t m_pid;
    std::optional<int> m_status;
};
