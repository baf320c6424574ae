// Test aid: a fresh folder of the test's own under the system's temporary folder, removed with
// everything in it (read-only folders too) when the object goes, with file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zep-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern;
    }
    ~TempFolder() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (fs::recursive_directory_iterator it(m_root, ignored), end; it != end;
             it.increment(ignored))
            if (it->is_directory(ignored) && !it->is_symlink(ignored))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The POSIX path of the folder, and of an entry below it.
    const std::string& root() const { return m_root; }
    std::string at(const std::string& relative) const { return m_root + "/" + relative; }
    // The system's name of an entry below the folder (or of the folder): drive Z: and the path.
    std::string systemPath(const std::string& relative = {}) const {
        return "Z:" + (relative.empty() ? m_root : at(relative));
    }

    void write(const std::string& relative, const std::string& content) const {
        std::ofstream(at(relative)) << content;
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(at(relative));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string m_root;
};
