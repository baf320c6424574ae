// Every command the README shows runs as it stands, so none drifts from the programs: each
// indented code block is run as a shell script (stopping at its first failure) from the top of
// the tree, with this build's folder in place of build/default, a folder of the test's own in
// place of /tmp/my-ad, and the companion pipe and the registry in that folder. The README's
// table of the tags the plug-in records is the job model's list of them.
#include "model/BPageItem.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

// The README's indented code blocks, each without its indent.
std::vector<std::string> CodeBlocks(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> blocks;
    std::string block;
    bool blank = true;
    for (std::string line; std::getline(in, line); blank = line.empty()) {
        if (line.starts_with("    ") && (blank || !block.empty())) {
            block += line.substr(4) + "\n";
            continue;
        }
        if (!block.empty())
            blocks.push_back(std::move(block));
        block.clear();
    }
    if (!block.empty())
        blocks.push_back(block);
    return blocks;
}

// The first cell's name in backticks of each row of the table in the README's section `heading`
// (up to the next heading).
std::vector<std::string> TableNames(const std::string& path, const std::string& heading) {
    std::ifstream in(path);
    std::vector<std::string> names;
    bool inSection = false;
    const std::regex row(R"(^\| `([^`]+)` \|)");
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("#")) {
            inSection = line == heading;
            continue;
        }
        std::smatch m;
        if (inSection && std::regex_search(line, m, row))
            names.push_back(m[1]);
    }
    return names;
}

} // namespace

TEST(Readme, ListsTheTagsThePlugInRecordsAsTheCodeDoes) {
    std::vector<std::string> recorded;
    for (const ustring* tag : RecordedCheckIdentifiers())
        recorded.push_back(tag->c_str());
    EXPECT_EQ(TableNames(ZEP_SOURCE_DIR "/README.md", "### What the plug-in examines"), recorded);
}

TEST(Readme, EveryCommandRunsAsItStands) {
    const std::vector<std::string> blocks = CodeBlocks(ZEP_SOURCE_DIR "/README.md");
    ASSERT_GE(blocks.size(), 6u);
    TempFolder folder;
    ScopedEnvironment environment("ZEP_PIPE_DIR", folder.root());
    environment.Set("ZEP_REGISTRY", folder.at("registry"));
    environment.Set("USERNAME", "readme");
    const std::string build = ZEP_BINARY_DIR;
    const std::string preset = std::filesystem::path(build).filename().string();
    std::string outputs;
    for (const std::string& block : blocks) {
        std::string script = std::regex_replace(block, std::regex("build/default"), build);
        script = std::regex_replace(script, std::regex("--preset default"), "--preset " + preset);
        script = std::regex_replace(script, std::regex("/tmp/my-ad"), folder.at("my-ad"));
        folder.write("script", script);
        const std::string command = "cd '" ZEP_SOURCE_DIR "' && sh -e '" + folder.at("script") +
                                    "' >'" + folder.at("output") + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << block << folder.read("output");
        outputs += folder.read("output");
    }
    EXPECT_TRUE(std::filesystem::exists(folder.at("my-ad/job/bakery.pdf")));
    // The worked example's headline is set in a font the session does not have: the report
    // flags its run, and the job makes that a fault.
    EXPECT_NE(outputs.find("called expY: done (preflight: 1 fault)"), std::string::npos) << outputs;
    EXPECT_NE(outputs.find("text run 1 of item 21 \"Fresh bread\", at 20 14 210 50\n"
                           "        FontStatusNotAvailable: fault\n"
                           "        FontStatusSubstituted: not set\n"
                           "        UnknownFontTypeUsedInLayout: not set\n"),
              std::string::npos)
        << outputs;
}
