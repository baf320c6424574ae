// Every command the README shows runs as it stands, so none drifts from the programs: each
// indented code block is run as a shell script (stopping at its first failure) from the top of
// the tree, with this build's folder in place of build/default, a folder of the test's own in
// place of /tmp/my-ad, and the companion pipe and the registry in that folder; the worked
// examples write their files and print the lines their text quotes. The README's table of the
// tags the plug-in records is the job model's list of them.
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
    // What the worked examples' prose says the programs print.
    const struct {
        const char* example;
        const char* file;    // written into the example's folder
        const char* excerpt; // in what the README's commands printed
    } cases[] = {
        // The headline is set in a font the session does not have: the report flags its run,
        // and the job makes that a fault.
        {"own ad", "my-ad/job/bakery.pdf",
         "opened \"Bakery.indd\": 1 spread, 1 page, 2 layers, 4 page items\n"
         "called expY: done (preflight: 1 fault)\n"},
        {"own ad", "my-ad/job/bakery.pdf",
         "text run 1 of item 21 \"Fresh bread\", at 20 14 210 50\n"
         "        FontStatusNotAvailable: fault\n"
         "        FontStatusSubstituted: not set\n"
         "        UnknownFontTypeUsedInLayout: not set\n"},
        // The table's frame carries the colour tag of its header's RGB fill, which the job
        // makes a fault; each cell's run follows it once, in its cell.
        {"table", "my-ad/table/job/prices.pdf",
         "opened \"Prices.indd\": 1 spread, 1 page, 1 layer, 1 page item\n"
         "called expY: done (preflight: 1 fault)\n"},
        {"table", "my-ad/table/job/prices.pdf",
         "      page item, item 20 (text frame on layer \"Ad\"), at 10 10 160 100\n"
         "        PlacedGraphicIsRGB: fault\n"
         "      text run 1 of item 20 \"Bread\", at 15 20 45 30\n"
         "        OpenTypeCFFFontUsedInLayout: not set\n"
         "      text run 2 of item 20 \"Price\", at 90 20 115 30\n"
         "        OpenTypeCFFFontUsedInLayout: not set\n"
         "      text run 3 of item 20 \"Rye loaf\", at 15 50 60 60\n"
         "        OpenTypeCFFFontUsedInLayout: not set\n"
         "      text run 4 of item 20 \"3.20\", at 90 50 110 60\n"
         "        OpenTypeCFFFontUsedInLayout: not set\n"
         "      text run 5 of item 20 \"Six rolls\", at 15 80 65 90\n"
         "        OpenTypeCFFFontUsedInLayout: not set\n"
         "      text run 6 of item 20 \"2.10\", at 90 80 110 90\n"
         "        OpenTypeCFFFontUsedInLayout: not set\n"
         "    summary: 1 page, 7 items; tags: 1 fault, 6 not set\n"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(std::filesystem::exists(folder.at(c.file))) << c.example << ": " << c.file;
        EXPECT_NE(outputs.find(c.excerpt), std::string::npos)
            << c.example << ": " << c.excerpt << "\nnot in:\n"
            << outputs;
    }
}
