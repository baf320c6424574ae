// Tests of UFileSpecCore: the text rules table by table, the "PATH:" form, and the file
// operations with their exact log lines in a temporary folder that each test owns.
#include "utils/FilePath.h"

#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

const UFileSpecCore* const kNoBase = nullptr;

UFileSpecCore absolute(std::string_view text) {
    return UFileSpecCore(ustring(text.data(), text.size()));
}

} // namespace

TEST(UFileSpecCore, SetsAbsoluteAndRelativeTexts) {
    const UFileSpecCore base = absolute("C:/d");
    const struct {
        std::string_view text;
        const UFileSpecCore* base;
        bool ok;
        const char* path;
    } cases[] = {
        {"C:/a/b//", kNoBase, true, "C:/a/b"},
        {"C://", kNoBase, true, "C:/"},
        {"c:\\a\\", kNoBase, true, "c:\\a"},
        {"//server/share/", kNoBase, true, "//server/share"},
        {"/abc", kNoBase, false, ""},
        {"x/y", kNoBase, false, ""},
        {"x/y", &base, true, "C:/d/x/y"},
        {"/abc", &base, true, "C:/d/abc"},
        {"C:/e", &base, true, "C:/e"},
        {"C:/a?b", kNoBase, false, ""},
        {"x?", &base, false, ""},
        {"C:/a\0b"sv, kNoBase, false, ""}, // a NUL is refused as '?' is
        {"x\0/.."sv, &base, false, ""},
    };
    for (const auto& c : cases) {
        UFileSpecCore path = absolute("Z:/old");
        EXPECT_EQ(path.set(ustring(c.text.data(), c.text.size()), c.base), c.ok) << c.text;
        EXPECT_EQ(path.path(), c.path) << c.text;
    }
}

TEST(UFileSpecCore, DescendsThroughComponentsAndGoesToTheParent) {
    const char* const parent = nullptr; // to_parent instead of descend
    const struct {
        const char* start;
        const char* relative;
        bool ok;
        const char* path;
    } cases[] = {
        {"C:/d/x", "../z", true, "C:/d/z"}, {"C:/d", "./a/./b/", true, "C:/d/a/b"},
        {"C:/", "a", true, "C:/a"},         {"C:/d", "a\\b", true, "C:/d/a\\b"},
        {"C:/d", "", true, "C:/d"},         {"", "a/b", true, "/a/b"},
        {"C:/", "..", false, ""},           {"C:/d", "../..", false, ""},
        {"C:/d", "a?", false, ""},          {"C:/d", "D:/x", false, ""},
        {"C:/d", "//server/x", false, ""},  {"C:/d/x", parent, true, "C:/d"},
        {"C:/d", parent, true, "C:/"},      {"C:\\d\\x", parent, true, "C:\\d"},
        {"C:/d//x", parent, true, "C:/d"},  {"//server/share", parent, true, "//server"},
        {"abcd", parent, true, ""},         {"C:/", parent, false, "C:/"}, // left unchanged
    };
    for (const auto& c : cases) {
        UFileSpecCore path = absolute(c.start);
        const bool ok = c.relative ? path.descend(c.relative) : path.to_parent();
        EXPECT_EQ(ok, c.ok) << c.start << " + " << (c.relative ? c.relative : "parent");
        EXPECT_EQ(path.path(), c.path) << c.start << " + " << (c.relative ? c.relative : "parent");
    }
}

TEST(UFileSpecCore, ReadsNamesExtensionsAndAbsoluteness) {
    const struct {
        const char* path;
        const char* name;
        const char* stem;
        const char* extension;
        bool isAbsolute;
    } cases[] = {
        {"C:/dir/file.tar.gz", "file.tar.gz", "file.tar", "gz", true},
        {"C:/", "", "", "", true},
        {"C:/a.b/c", "c", "c", "", true}, // the extension is the leaf's
        {"C:\\x\\y.txt", "y.txt", "y", "txt", true},
        {"//s/share", "share", "share", "", true},
        {"/abc.d", "abc.d", "abc", "d", false},
        {"c:x/y", "y", "y", "", false},
        {"a.b", "", "", "b", false}, // no name up to 3 characters, but an extension
    };
    for (const auto& c : cases) {
        const UFileSpecCore path = absolute(c.path);
        EXPECT_EQ(path.name(true), c.name) << c.path;
        EXPECT_EQ(path.name(false), c.stem) << c.path;
        EXPECT_EQ(path.extension(), c.extension) << c.path;
        EXPECT_EQ(path.is_absolute(), c.isAbsolute) << c.path;
    }
}

TEST(UFileSpecCore, ChangesTheExtensionOfTheLeaf) {
    UFileSpecCore path = absolute("C:/a.b/file.txt");
    EXPECT_TRUE(path.set_extension("pdf"));
    EXPECT_EQ(path.path(), "C:/a.b/file.pdf");
    EXPECT_TRUE(path.set_extension(""));
    EXPECT_EQ(path.path(), "C:/a.b/file");
    EXPECT_FALSE(path.set_extension("x?"));
    EXPECT_EQ(path.path(), "");
    path = absolute("C:/");
    EXPECT_FALSE(path.set_extension("pdf"));
    EXPECT_EQ(path.path(), "C:/");
}

TEST(UFileSpecCore, UsesTheLongWideFormAbove248Units) {
    const ustring at248 = "C:/" + ustring(245, 'a');
    EXPECT_EQ(UFileSpecCore(at248).wide_path(), u"C:/" + std::u16string(245, u'a'));
    const ustring at249 = "C:/d/" + ustring(244, 'a');
    EXPECT_EQ(UFileSpecCore(at249).wide_path(), u"\\\\?\\C:\\d\\" + std::u16string(244, u'a'));
    EXPECT_EQ(absolute("C:/\xC3\xA9").wide_path(), u"C:/\u00E9");
}

TEST(UFileSpecCore, WritesPathBlocksThatReadBackAndRefusesOthers) {
    const UFileSpecCore base = absolute("C:/a/x/y");
    const struct {
        const char* path;
        const UFileSpecCore* base;
        std::string bytes;
    } cases[] = {
        {"C:/a/b/c.txt", &base, "PATH:../../b/c.txt\0"s},
        {"C:/a/x/y", &base, "PATH:\0"s}, // equal to the base: 6 bytes
        {"C:/a/x/y/b", &base, "PATH:b\0"s},
        {"C:/a/x", &base, "PATH:..\0"s},
        {"D:/other/f", &base, "PATH:D:/other/f\0"s}, // nothing shared: kept absolute
        {"//srv/sh/f", &base, "PATH://srv/sh/f\0"s},
        {"C:/a/b", kNoBase, "PATH:C:/a/b\0"s},
    };
    for (const auto& c : cases) {
        UByteBuffer block;
        ASSERT_TRUE(absolute(c.path).to_blob(block, c.base)) << c.path;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), block.size()), c.bytes);
        UFileSpecCore read;
        EXPECT_TRUE(read.from_blob(block, c.base)) << c.path;
        EXPECT_EQ(read.path(), c.path);
    }
    UByteBuffer block;
    block.assign("x", 1);
    EXPECT_FALSE(UFileSpecCore().to_blob(block, &base));
    EXPECT_EQ(block.size(), 0u);
    for (const char* bytes : {"PATX:b", "PAT", "path:C:/x"}) {
        block.assign(bytes, std::strlen(bytes));
        UFileSpecCore read = absolute("C:/old");
        EXPECT_FALSE(read.from_blob(block, &base)) << bytes;
        EXPECT_EQ(read.path(), "") << bytes;
    }
}

TEST(UByteBuffer, CopiesItsBytes) {
    UByteBuffer a;
    a.assign("abc", 3);
    UByteBuffer b = a;
    a.assign("xy", 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), b.size()), "abc");
    const UByteBuffer& same = b;
    b = same;
    EXPECT_EQ(b.size(), 3u);
    b = a;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), b.size()), "xy");
    b.assign("z", 0);
    EXPECT_EQ(b.data(), nullptr);
    EXPECT_EQ(b.size(), 0u);
}

TEST(UFileSpecCore, StreamsItsText) {
    std::ostringstream out;
    out << absolute("C:/a b");
    EXPECT_EQ(out.str(), "C:/a b");
    std::istringstream in("C:/x/ rel");
    UFileSpecCore first, second;
    in >> first >> second;
    EXPECT_EQ(first.path(), "C:/x");
    EXPECT_EQ(second.path(), "");
    EXPECT_TRUE(in.fail()); // "rel" is no path without a base
}

// The special folders and the file operations, in a folder of the test's own, with the log
// captured.
class UFileSpecCoreFiles : public ::testing::Test {
protected:
    void SetUp() override { UFileSpecCore::reset_process_state(); }

    UFileSpecCore at(const char* relative) const {
        UFileSpecCore path = root;
        EXPECT_TRUE(path.descend(relative));
        return path;
    }
    static std::string logLine(const char* level, const char* function, int line,
                               const std::string& text) {
        return "[2026-03-01T14:05:09]["s + level + "][5120][UFileSpecCore:" + function + ":" +
               std::to_string(line) + "] " + text + "\n";
    }

    TempFolder folder;
    const UFileSpecCore root = absolute("Z:" + folder.root());
    LogCapture log;
};

TEST_F(UFileSpecCoreFiles, SpecialFoldersFollowTheirEnvironment) {
    ::setenv("ZEP_COMMON_APPDATA", folder.at("common/").c_str(), 1);
    ::setenv("ZEP_COLOR_DIR", folder.at("icc").c_str(), 1);
    EXPECT_EQ(UFileSpecCore(kCommonAppDataFolder), at("common"));
    EXPECT_EQ(UFileSpecCore(kCommonAppDataFolderAlias), at("common"));
    EXPECT_EQ(UFileSpecCore(kColourProfileFolder), at("icc"));

    UFileSpecCore path = root;
    EXPECT_TRUE(path.set_special_folder(static_cast<SpecialFolderId>(kTemporaryFolder + 1)));
    EXPECT_EQ(path.path(), "");
    UFileSpecCore program(kProgramFile);
    EXPECT_EQ(program.name(), "utils_tests");
    ASSERT_TRUE(program.to_parent());
    EXPECT_EQ(UFileSpecCore(kProgramFolder), program);
}

TEST_F(UFileSpecCoreFiles, MakesOneFolderLevel) {
    EXPECT_TRUE(at("a").mkdir());
    EXPECT_TRUE(at("a").mkdir());
    EXPECT_TRUE(at("a").is_directory());
    EXPECT_EQ(log.text(), "");
    EXPECT_FALSE(at("x/y").mkdir());
    EXPECT_EQ(log.text(), logLine("WARN", "UFileSpecCore::mkdir", 1350, std::to_string(ENOENT)));
}

TEST_F(UFileSpecCoreFiles, AnswersQuestionsAboutEntries) {
    folder.write("f.txt", "12345");
    folder.write("big", "");
    fs::resize_file(folder.at("big"), 0x100000005ULL);
    ASSERT_TRUE(at("d").mkdir());
    EXPECT_TRUE(at("f.txt").is_file());
    EXPECT_FALSE(at("f.txt").is_directory());
    EXPECT_TRUE(at("d").is_directory());
    EXPECT_TRUE(at("d").is_empty());
    EXPECT_FALSE(root.is_empty());
    EXPECT_FALSE(at("none").exists());
    EXPECT_EQ(at("f.txt").size(), 5u);
    EXPECT_EQ(at("big").size(), 0x100000005ULL); // all 64 bits
    EXPECT_EQ(at("d").size(), 0u);
    EXPECT_EQ(at("none").size(), 0u);
    EXPECT_TRUE(at("f.txt").set_modification_time(1700000000));
    EXPECT_FALSE(at("d").set_modification_time(1700000000));
    EXPECT_FALSE(at("none").set_modification_time(1700000000));
    EXPECT_EQ(at("f.txt").modification_time(), 1700000000u);
    EXPECT_NE(at("f.txt").creation_time(), 0u);
    EXPECT_EQ(at("none").modification_time(), 0u);
}

TEST_F(UFileSpecCoreFiles, ListsEntriesSorted) {
    for (const char* name : {"b", "a", "c"})
        folder.write(name, "");
    EXPECT_EQ(root.list(), (std::vector<UFileSpecCore>{at("a"), at("b"), at("c")}));
    EXPECT_TRUE(UFileSpecCore().list().empty());
    EXPECT_TRUE(at("none").list().empty());
}

TEST_F(UFileSpecCoreFiles, RemovesTreesWithReadOnlyEntriesButNotWhatLinksLeadTo) {
    fs::create_directories(folder.at("t/sub"));
    fs::create_directory(folder.at("outside"));
    folder.write("outside/keep", "k");
    folder.write("t/sub/ro", "r");
    fs::permissions(folder.at("t/sub/ro"), fs::perms::owner_read);
    fs::permissions(folder.at("t/sub"), fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_symlink(folder.at("outside"), folder.at("t/link"));
    EXPECT_TRUE(at("t").remove());
    EXPECT_FALSE(fs::exists(folder.at("t")));
    EXPECT_EQ(folder.read("outside/keep"), "k");
    EXPECT_FALSE(at("none").remove());
}

TEST_F(UFileSpecCoreFiles, CopiesFilesAndTreesWithLinksAsLinks) {
    fs::create_directories(folder.at("src/sub"));
    folder.write("src/a", "A");
    folder.write("src/sub/b", "B");
    fs::create_symlink(folder.at("src/sub"), folder.at("src/link"));
    ASSERT_TRUE(at("dst").mkdir());
    EXPECT_TRUE(at("src").copy(at("dst")));
    EXPECT_EQ(folder.read("dst/src/a"), "A");
    EXPECT_EQ(folder.read("dst/src/sub/b"), "B");
    EXPECT_EQ(fs::read_symlink(folder.at("dst/src/link")), fs::path(folder.at("src/sub")));
    EXPECT_TRUE(at("src/a").copy(at("a2")));
    EXPECT_EQ(folder.read("a2"), "A");
    EXPECT_TRUE(at("src/a").copy(at("src/a")));
    EXPECT_EQ(log.text(), "");
}

TEST_F(UFileSpecCoreFiles, CopyAndMoveRefuseWithAWarning) {
    folder.write("f", "new");
    folder.write("taken", "old");
    fs::create_directories(folder.at("tree/inner"));
    fs::create_directories(folder.at("a?b")); // a name that no path made by set holds
    fs::create_directory(folder.at("dst"));
    const UFileSpecCore unchecked = absolute("Z:" + folder.at("a?b"));
    const char* const copy = "UFileSpecCore::copy";
    const char* const move = "UFileSpecCore::move";
    const struct {
        const char* function;
        UFileSpecCore source;
        UFileSpecCore destination;
        int line;
        const char* text;
    } cases[] = {
        {copy, at("f"), absolute("C:"), 1219, "attempt to copy a file to an invalid destination"},
        {copy, unchecked, at("dst"), 1224, "attempt to copy a file to an invalid destination"},
        {copy, at("f"), at("taken"), 1229,
         "attempt to copy a file to an already existing destination"},
        {copy, at("none"), at("x"), 1236, "attempt to copy a non-existing file"},
        {copy, at("tree"), at("tree/inner"), 1241, "attempt to copy a folder into itself"},
        {copy, at("dst"), at("none/dst"), 1246,
         "attempt to copy a folder to a destination that cannot be made"},
        {move, at("f"), absolute("C:"), 1165, "attempt to move a file to an invalid destination"},
        {move, at("f"), at("taken"), 1170,
         "attempt to move a file to an already existing destination"},
        {move, at("none"), at("x"), 1177, "attempt to move a non-existing file"},
    };
    for (const auto& c : cases) {
        LogCapture captured;
        EXPECT_FALSE(c.function == copy ? c.source.copy(c.destination)
                                        : c.source.move(c.destination))
            << c.text;
        // The folder that cannot be made is reported by mkdir first.
        const std::string made =
            c.line == 1246 ? logLine("WARN", "UFileSpecCore::mkdir", 1350, std::to_string(ENOENT))
                           : "";
        EXPECT_EQ(captured.text(), made + logLine("WARN", c.function, c.line, c.text));
    }
    EXPECT_EQ(folder.read("taken"), "old");
    EXPECT_FALSE(fs::exists(folder.at("tree/inner/tree")));
    EXPECT_TRUE(fs::is_empty(folder.at("dst")));
    EXPECT_FALSE(fs::exists(folder.at("none")));

    EXPECT_TRUE(at("f").move(at("g")));
    EXPECT_EQ(folder.read("g"), "new");
    EXPECT_FALSE(at("f").exists());
}

TEST_F(UFileSpecCoreFiles, RenamesWithoutLosingTheFile) {
    folder.write("f", "F");
    folder.write("other", "O");
    EXPECT_TRUE(at("f").rename("f"));
    EXPECT_EQ(folder.read("f"), "F");
    EXPECT_TRUE(at("f").rename("other"));
    EXPECT_EQ(folder.read("other"), "F");
    EXPECT_FALSE(at("f").exists());
    EXPECT_FALSE(at("none").rename("other"));
    EXPECT_EQ(folder.read("other"), "F");
    fs::create_directory(folder.at("d"));
    folder.write("d/inner", "I");
    EXPECT_FALSE(at("d/inner").rename("../d"));
    EXPECT_EQ(folder.read("d/inner"), "I");
}

TEST_F(UFileSpecCoreFiles, FindsUniqueNames) {
    folder.write("t1.tmp", "");
    folder.write("t2.tmp", "");
    UFileSpecCore path = root;
    EXPECT_TRUE(path.unique_name("", "tmp"));
    EXPECT_EQ(path, at("t3.tmp"));
    EXPECT_FALSE(path.exists());
    path = root;
    EXPECT_TRUE(path.unique_name("a.b", "pdf"));
    EXPECT_EQ(path, at("a.b4.pdf"));
    path = root;
    EXPECT_FALSE(path.unique_name("bad?", ""));
    path = at("t1.tmp");
    EXPECT_FALSE(path.unique_name("x", ""));
}

TEST_F(UFileSpecCoreFiles, OpensStreams) {
    std::ofstream out;
    EXPECT_TRUE(at("s").open_ofstream(out, std::ios::trunc | std::ios::binary).good());
    out << "text";
    out.close();
    std::ifstream in;
    EXPECT_TRUE(at("s").open_ifstream(in, std::ios::binary).good());
    std::string word;
    in >> word;
    EXPECT_EQ(word, "text");
    std::fstream both;
    EXPECT_TRUE(at("none/s").open_fstream(both, std::ios::in | std::ios::out).fail());
    std::FILE* file = at("s").fopen("rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(at("none").fopen("rb"), nullptr);
}

TEST_F(UFileSpecCoreFiles, OpensTemporaryFilesThatGoAwayAndLogsAFailure) {
    int descriptor = at("tmp").open_temporary();
    EXPECT_GE(descriptor, 0);
    EXPECT_FALSE(fs::exists(folder.at("tmp")));
    ::close(descriptor);
    EXPECT_EQ(at("none/tmp").open_temporary(), -1);
    EXPECT_EQ(log.text(),
              logLine("ERROR", "UFileSpecCore::open_temporary", 1052, "No such file or directory"));
}

TEST_F(UFileSpecCoreFiles, RemovesTheTemporaryFolderAtExit) {
    ::setenv("TMPDIR", folder.root().c_str(), 1);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A folder of this process's name left by an earlier process is cleared first.
        const std::string own = "ze" + std::to_string(::getpid());
        fs::create_directory(folder.at(own));
        folder.write(own + "/stale", "s");
        UFileSpecCore temporary(kTemporaryFolder);
        const bool fresh = temporary == at(own.c_str()) && temporary.is_empty();
        folder.write(own + "/work", "w");
        std::exit(fresh ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(folder.at("ze" + std::to_string(child))));
}
