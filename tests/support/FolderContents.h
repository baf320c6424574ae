// Test aid: what a folder holds, to compare whole: each entry below it by its relative name, a
// folder as the name and "/", a file with its bytes.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

inline std::map<std::string, std::string> FolderContents(const std::string& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).string();
        if (entry.is_directory()) {
            contents[name + "/"];
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        contents[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return contents;
}
