// Test aid: a FUSE view of a folder (bindfs), mounted while the object lives: a file system that
// takes no renameat2 flags, as FUSE and network file systems often do not. Where it cannot be
// mounted (bindfs not installed, no /dev/fuse, not root, or the mount fails) the object says why,
// for the test to skip with that reason. It is unmounted when the object goes, also when a failed
// assertion ended the test, so the folders that hold it must outlive it and nothing may hold the
// view open by then.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class FuseMount {
public:
    // Mounts a view of the folder `source` at the empty folder `mountPoint` (POSIX paths).
    FuseMount(const std::string& source, const std::string& mountPoint) : m_point(mountPoint) {
        if (!findProgram("bindfs"))
            m_refusal = "bindfs is not installed (scripts/setup.sh installs it)";
        else if (::access("/dev/fuse", R_OK | W_OK) != 0)
            m_refusal = "/dev/fuse cannot be opened";
        else if (::geteuid() != 0)
            m_refusal = "mounting a FUSE view needs root";
        else
            mount(source);
    }
    ~FuseMount() {
        if (!m_refusal.empty())
            return;
        // umount as root, else fusermount; lazily at last, so that no mount outlives the test.
        const std::string point = quoted(m_point);
        static_cast<void>(
            std::system(("umount " + point + " 2>/dev/null || fusermount -u " + point +
                         " 2>/dev/null || umount -l " + point + " 2>/dev/null")
                            .c_str()));
    }
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    [[nodiscard]] bool mounted() const { return m_refusal.empty(); }
    // Why nothing is mounted; empty once it is.
    [[nodiscard]] const std::string& refusal() const { return m_refusal; }

private:
    static std::string quoted(const std::string& text) {
        std::string result = "'";
        for (const char c : text)
            result += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return result + "'";
    }

    static std::optional<std::string> findProgram(const std::string& name) {
        const char* path = std::getenv("PATH");
        std::istringstream folders(path ? path : "/usr/bin:/bin");
        for (std::string folder; std::getline(folders, folder, ':');) {
            const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        return std::nullopt;
    }

    void mount(const std::string& source) {
        const std::string command =
            "bindfs --no-allow-other " + quoted(source) + " " + quoted(m_point) + " 2>&1";
        std::FILE* run = ::popen(command.c_str(), "r");
        if (!run) {
            m_refusal = "bindfs could not be started";
            return;
        }
        std::string output;
        char chunk[256];
        while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, run))
            output.append(chunk, got);
        const int status = ::pclose(run);
        while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
            output.pop_back();
        if (status != 0)
            m_refusal = "bindfs did not mount (" +
                        (WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                                           : "status " + std::to_string(status)) +
                        "): " + (output.empty() ? "no message" : output);
    }

    std::string m_point;
    std::string m_refusal; // empty once mounted
};
