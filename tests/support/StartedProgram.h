// Test aid: a private copy of the dummy program (its path unique to the test, so that no other
// test's process runs it) and the file in which each of its starts leaves a line.
#pragma once

#include "support/TempFolder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

class StartedProgram {
public:
    explicit StartedProgram(const TempFolder& folder)
        : m_folder(folder), m_path(folder.at("Zephrin6")) {
        std::filesystem::copy_file(ZEP_DUMMY_PROGRAM, m_path);
        ::setenv("ZEP_DUMMY_MARK", folder.at("starts").c_str(), 1);
    }

    // The copy's POSIX path, and its drive form.
    const std::string& path() const { return m_path; }
    std::u16string systemPath() const {
        return u"Z:" + std::u16string(m_path.begin(), m_path.end());
    }

    // The lines of the starts once there is at least one (or after 10 seconds without any).
    std::string Starts() const {
        for (int i = 0; i < 1000 && m_folder.read("starts").empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return m_folder.read("starts");
    }

private:
    const TempFolder& m_folder;
    std::string m_path;
};
