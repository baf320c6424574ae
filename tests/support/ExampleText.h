// Test aid: the text of a file of the tree's examples/ (ZEP_EXAMPLES_DIR), without the white
// space at its end, as a description or job is handed to the host.
#pragma once

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ExampleText(const std::string& name) {
    std::ifstream in(std::string(ZEP_EXAMPLES_DIR) + "/" + name);
    std::string text(std::istreambuf_iterator<char>(in), {});
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}
