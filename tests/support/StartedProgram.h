// Test aid: a private copy of the dummy program (its path unique to the test, so that no other
// test's process runs it) and the file in which each of its starts leaves a line (named to the
// program through the environment while the object lives).
#pragma once

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

// The system's UTF-16 name of an entry below the folder (ASCII names only).
inline std::u16string systemPath16(const TempFolder& folder, const std::string& relative) {
    const std::string name = folder.systemPath(relative);
    return std::u16string(name.begin(), name.end());
}

class StartedProgram {
public:
    explicit StartedProgram(const TempFolder& folder)
        : m_folder(folder), m_mark("ZEP_DUMMY_MARK", folder.at("starts")) {
        std::filesystem::copy_file(ZEP_DUMMY_PROGRAM, path());
    }

    // The copy's POSIX path, and its system name.
    std::string path() const { return m_folder.at("Zephrin6"); }
    std::u16string systemPath() const { return systemPath16(m_folder, "Zephrin6"); }

    // The lines of the starts once there is at least one (or after 10 seconds without any).
    std::string Starts() const {
        for (int i = 0; i < 1000 && m_folder.read("starts").empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return m_folder.read("starts");
    }

private:
    const TempFolder& m_folder;
    const ScopedEnvironmentVariable m_mark;
};
