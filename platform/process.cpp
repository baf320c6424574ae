// Processes on Linux: /proc for the running programs, posix_spawn to start one.
#include "platform/process.h"

#include "platform/files.h"
#include "platform/utf8.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <limits.h>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

bool isProcessId(const char* name) {
    if (*name == '\0')
        return false;
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name)))
            return false;
    return true;
}

// The target of /proc/PID/exe; nothing when the process cannot be inspected.
std::optional<std::string> programFileOf(const char* processId) {
    const std::string link = std::string("/proc/") + processId + "/exe";
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
        return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    return target;
}

SleepFunction& currentSleepFunction() {
    static SleepFunction function;
    return function;
}

} // namespace

std::vector<std::u16string> runningProgramFiles() {
    std::vector<std::u16string> files;
    std::unique_ptr<DIR, int (*)(DIR*)> processes(::opendir("/proc"), ::closedir);
    if (!processes)
        return files;
    while (const dirent* entry = ::readdir(processes.get())) {
        if (!isProcessId(entry->d_name))
            continue;
        auto file = programFileOf(entry->d_name);
        auto systemFile = file ? toSystemPath(*file) : std::nullopt;
        if (systemFile)
            files.push_back(std::move(*systemFile));
    }
    return files;
}

bool startProgram(const std::u16string& path) {
    auto program = toPosixPath(path);
    if (!program)
        return false;
    char* const arguments[] = {program->data(), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, program->c_str(), nullptr, nullptr, arguments, environ) != 0)
        return false;
    // The program runs on its own; a thread of ours waits for its end so it leaves no zombie.
    std::thread([child] {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

void sleepMilliseconds(std::uint32_t milliseconds) {
    const SleepFunction& function = currentSleepFunction();
    if (function)
        function(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void setSleepFunction(SleepFunction function) {
    currentSleepFunction() = std::move(function);
}

std::optional<std::u16string> environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return utf8ToUtf16(value);
}

} // namespace platform
