// Test aid: a job's page-item file as an outline that tests compare whole.
#pragma once

#include "support/KeyStreamBytes.h"

#include <regex>
#include <sstream>
#include <string>
#include <vector>

// "page n" for each page's index (120), "kind n" for each record (1110), its tags (strings under
// 10) and "flattener" for a page's flattener record (180).
inline std::vector<std::string> PageItemFileOutline(const std::string& bytes) {
    static const std::regex line(R"(^\t*(\S+)\s+(int|string|record start)\s*(.*)$)");
    std::vector<std::string> outline;
    std::istringstream dump(dumpText(bytes));
    for (std::string text; std::getline(dump, text);) {
        std::smatch m;
        if (!std::regex_match(text, m, line))
            continue;
        if (m[1] == "120" && m[2] == "int")
            outline.push_back("page " + m[3].str());
        else if (m[1] == "1110" && m[2] == "int")
            outline.push_back("kind " + m[3].str());
        else if (m[1] == "10" && m[2] == "string")
            outline.push_back(m[3].str().substr(1, m[3].length() - 2));
        else if (m[1] == "180")
            outline.push_back("flattener");
    }
    return outline;
}
