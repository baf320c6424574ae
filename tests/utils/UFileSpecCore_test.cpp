// Tests of UFileSpecCore: the text rules table by table, the "PATH:" form, and the file
// operations with their log lines in a temporary folder that each test owns.
#include "UFileSpecCore.h"

#include "Logger.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const UFileSpecCore* const kNoBase = nullptr;

UFileSpecCore absolute(const char* text) {
    return UFileSpecCore(ustring(text));
}

} // namespace

TEST(SplitString, LeavesOutEmptyPieces) {
    const struct {
        const char* text;
        std::vector<ustring> pieces;
    } cases[] = {
        {"/a//b/", {"a", "b"}}, {"a", {"a"}}, {"", {}}, {"///", {}}, {"x/y\\z", {"x", "y\\z"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitString(c.text, '/'), c.pieces) << c.text;
}

TEST(UFileSpecCore, SetsAbsoluteAndRelativeTexts) {
    const UFileSpecCore base = absolute("C:/d");
    const struct {
        const char* text;
        const UFileSpecCore* base;
        bool ok;
        const char* path;
    } cases[] = {
        {"C:/a/b//", kNoBase, true, "C:/a/b"},
        {"C:/", kNoBase, true, "C:/"},
        {"C://", kNoBase, true, "C:/"},
        {"c:\\a\\", kNoBase, true, "c:\\a"},
        {"//server/share/", kNoBase, true, "//server/share"},
        {"/abc", kNoBase, false, ""},
        {"x/y", kNoBase, false, ""},
        {"x/y", &base, true, "C:/d/x/y"},
        {"/abc", &base, true, "C:/d/abc"},
        {"C:/a?b", kNoBase, false, ""},
        {"x?", &base, false, ""},
        {"C:/e", &base, true, "C:/e"},
    };
    for (const auto& c : cases) {
        UFileSpecCore path = absolute("Z:/old");
        EXPECT_EQ(path.set(c.text, c.base), c.ok) << c.text;
        EXPECT_EQ(path.path(), c.path) << c.text;
    }
}

TEST(UFileSpecCore, RefusesANulByteAsItRefusesAQuestionMark) {
    const UFileSpecCore base = absolute("C:/d");
    UFileSpecCore path;
    EXPECT_FALSE(path.set(ustring("C:/a\0b", 6), kNoBase));
    EXPECT_EQ(path.path(), "");
    EXPECT_FALSE(path.set(ustring("x\0/..", 5), &base));
    EXPECT_EQ(path.path(), "");
}

TEST(UFileSpecCore, DescendsThroughComponents) {
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
        {"C:/d", "//server/x", false, ""},
    };
    for (const auto& c : cases) {
        UFileSpecCore path = absolute(c.start);
        EXPECT_EQ(path.descend(c.relative), c.ok) << c.start << " + " << c.relative;
        EXPECT_EQ(path.path(), c.path) << c.start << " + " << c.relative;
    }
}

TEST(UFileSpecCore, GoesToTheParent) {
    const struct {
        const char* start;
        bool ok;
        const char* path;
    } cases[] = {
        {"C:/d/x", true, "C:/d"},  {"C:/d", true, "C:/"}, {"C:\\d\\x", true, "C:\\d"},
        {"C:/", false, "C:/"},     {"abcd", true, ""},    {"//server/share", true, "//server"},
        {"C:/d//x", true, "C:/d"}, {"ab", false, "ab"},
    };
    for (const auto& c : cases) {
        UFileSpecCore path = absolute(c.start);
        EXPECT_EQ(path.to_parent(), c.ok) << c.start;
        EXPECT_EQ(path.path(), c.path) << c.start;
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
        {"C:/a.b/c", "c", "c", "", true},
        {"C:\\x\\y.txt", "y.txt", "y", "txt", true},
        {"//s/share", "share", "share", "", true},
        {"/abc.d", "abc.d", "abc", "d", false},
        {"c:x/y", "y", "y", "", false},
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
    path.set_extension("pdf");
    EXPECT_EQ(path.path(), "C:/a.b/file.pdf");
    path.set_extension("");
    EXPECT_EQ(path.path(), "C:/a.b/file");
}

TEST(UFileSpecCore, UsesTheLongWideFormAbove248Units) {
    const ustring at248 = "C:/" + ustring(245, 'a');
    EXPECT_EQ(absolute(at248.c_str()).wide_path(), u"C:/" + std::u16string(245, u'a'));
    const ustring at249 = "C:/d/" + ustring(244, 'a');
    EXPECT_EQ(absolute(at249.c_str()).wide_path(), u"\\\\?\\C:\\d\\" + std::u16string(244, u'a'));
    EXPECT_EQ(absolute("C:/\xC3\xA9").wide_path(), u"C:/\u00E9");
}

TEST(UFileSpecCore, WritesAndReadsThePathBlock) {
    const UFileSpecCore base = absolute("C:/a/x/y");
    const UFileSpecCore path = absolute("C:/a/b/c.txt");
    UByteBuffer block;
    ASSERT_TRUE(path.to_blob(block, &base));
    const char expected[] = "PATH:../../b/c.txt";
    ASSERT_EQ(block.size(), 19u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 19),
              std::string(expected, sizeof expected));
    UFileSpecCore read;
    EXPECT_TRUE(read.from_blob(block, &base));
    EXPECT_EQ(read, path);
}

TEST(UFileSpecCore, ReadsBackTheShortAndAbsoluteBlocks) {
    const UFileSpecCore base = absolute("C:/a/x");
    const struct {
        const char* path;
        std::uint64_t size;
    } cases[] = {
        {"C:/a/x", 6},      // equal to the base: "PATH:" and a NUL
        {"C:/a/x/b", 7},    // one-character relative text
        {"C:/a", 8},        // ".."
        {"D:/other/f", 16}, // another drive: kept absolute
        {"//srv/sh/f", 16}, // a server name: kept absolute
    };
    for (const auto& c : cases) {
        UByteBuffer block;
        ASSERT_TRUE(absolute(c.path).to_blob(block, &base)) << c.path;
        EXPECT_EQ(block.size(), c.size) << c.path;
        UFileSpecCore read;
        EXPECT_TRUE(read.from_blob(block, &base)) << c.path;
        EXPECT_EQ(read.path(), c.path);
    }
    UByteBuffer block;
    EXPECT_TRUE(absolute("C:/a/b").to_blob(block, kNoBase));
    EXPECT_EQ(block.size(), 12u);
    UFileSpecCore read;
    EXPECT_TRUE(read.from_blob(block, kNoBase));
    EXPECT_EQ(read.path(), "C:/a/b");
    EXPECT_FALSE(UFileSpecCore().to_blob(block, &base));
    EXPECT_EQ(block.size(), 0u);
}

TEST(UFileSpecCore, RefusesBlocksWithoutTheTag) {
    const UFileSpecCore base = absolute("C:/a");
    for (const char* bytes : {"PATX:b", "PAT", "path:C:/x"}) {
        UByteBuffer block;
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
}

// The special folders and the file operations, in a temporary folder of the test's own, with
// the log captured at a fixed time and thread.
class UFileSpecCoreFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zepufs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        posixRoot = pattern;
        root = absolute(("Z:" + pattern).c_str());
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        zeu::setFixedLogStamp(0, 7);
        zeu::logger.setStream(log);
        UFileSpecCore::reset_process_state();
    }
    void TearDown() override {
        zeu::logger.setStream(std::clog);
        zeu::clearFixedLogStamp();
        fs::permissions(posixRoot, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(posixRoot);
    }

    UFileSpecCore at(const char* relative) const {
        UFileSpecCore path = root;
        EXPECT_TRUE(path.descend(relative));
        return path;
    }
    void write(const char* relative, const std::string& content) const {
        std::ofstream(posixRoot + "/" + relative) << content;
    }
    std::string read(const char* relative) const {
        std::ifstream in(posixRoot + "/" + relative);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string warn(const char* function, int line, const std::string& text) {
        return std::string("[1970-01-01T00:00:00][WARN][7][UFileSpecCore:") + function + ":" +
               std::to_string(line) + "] " + text + "\n";
    }

    std::string posixRoot;
    UFileSpecCore root;
    std::ostringstream log;
};

TEST_F(UFileSpecCoreFiles, SpecialFoldersFollowTheirEnvironment) {
    ::setenv("ZEP_COMMON_APPDATA", (posixRoot + "/common/").c_str(), 1);
    ::setenv("ZEP_COLOR_DIR", (posixRoot + "/icc").c_str(), 1);
    EXPECT_EQ(UFileSpecCore(SpecialFolderId{4}).path().toStdString(), "Z:" + posixRoot + "/common");
    EXPECT_EQ(UFileSpecCore(SpecialFolderId{8}).path().toStdString(), "Z:" + posixRoot + "/common");
    EXPECT_EQ(UFileSpecCore(SpecialFolderId{6}).path().toStdString(), "Z:" + posixRoot + "/icc");

    UFileSpecCore path = root;
    EXPECT_TRUE(path.set_special_folder(11));
    EXPECT_EQ(path.path(), "");
    UFileSpecCore program(SpecialFolderId{2});
    UFileSpecCore folder(SpecialFolderId{3});
    EXPECT_EQ(program.name(), "utils_tests");
    UFileSpecCore parent = program;
    parent.to_parent();
    EXPECT_EQ(folder, parent);
}

TEST_F(UFileSpecCoreFiles, MakesOneFolderLevel) {
    EXPECT_TRUE(at("a").mkdir());
    EXPECT_TRUE(at("a").mkdir());
    EXPECT_TRUE(at("a").is_directory());
    EXPECT_EQ(log.str(), "");
    EXPECT_FALSE(at("x/y").mkdir());
    EXPECT_EQ(log.str(), warn("UFileSpecCore::mkdir", 1350, std::to_string(ENOENT)));
}

TEST_F(UFileSpecCoreFiles, AnswersQuestionsAboutEntries) {
    write("f.txt", "12345");
    ASSERT_TRUE(at("d").mkdir());
    EXPECT_TRUE(at("f.txt").exists());
    EXPECT_TRUE(at("f.txt").is_file());
    EXPECT_FALSE(at("f.txt").is_directory());
    EXPECT_TRUE(at("d").is_directory());
    EXPECT_TRUE(at("d").is_empty());
    EXPECT_FALSE(root.is_empty());
    EXPECT_FALSE(at("none").exists());
    EXPECT_FALSE(at("none").is_file());
    EXPECT_EQ(at("f.txt").size(), 5u);
    EXPECT_EQ(at("d").size(), 0u);
    EXPECT_EQ(at("none").size(), 0u);
    at("f.txt").set_modification_time(1700000000);
    EXPECT_EQ(at("f.txt").modification_time(), 1700000000u);
    EXPECT_NE(at("f.txt").creation_time(), 0u);
    EXPECT_EQ(at("none").modification_time(), 0u);
}

TEST_F(UFileSpecCoreFiles, ReportsSizesBeyond32Bits) {
    write("big", "");
    fs::resize_file(posixRoot + "/big", 0x100000005ULL);
    EXPECT_EQ(at("big").size(), 0x100000005ULL);
}

TEST_F(UFileSpecCoreFiles, ListsEntriesSorted) {
    for (const char* name : {"b", "a", "c"})
        write(name, "");
    std::vector<ustring> names;
    for (const UFileSpecCore& entry : root.list())
        names.push_back(entry.path());
    const ustring prefix = root.path() + "/";
    EXPECT_EQ(names, (std::vector<ustring>{prefix + "a", prefix + "b", prefix + "c"}));
    EXPECT_TRUE(UFileSpecCore().list().empty());
    EXPECT_TRUE(at("none").list().empty());
}

TEST_F(UFileSpecCoreFiles, RemovesTreesWithReadOnlyEntriesButNotWhatLinksLeadTo) {
    fs::create_directories(posixRoot + "/t/sub");
    fs::create_directory(posixRoot + "/outside");
    write("outside/keep", "k");
    write("t/sub/ro", "r");
    fs::permissions(posixRoot + "/t/sub/ro", fs::perms::owner_read);
    fs::permissions(posixRoot + "/t/sub", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_symlink(posixRoot + "/outside", posixRoot + "/t/link");
    EXPECT_TRUE(at("t").remove());
    EXPECT_FALSE(fs::exists(posixRoot + "/t"));
    EXPECT_EQ(read("outside/keep"), "k");
    EXPECT_FALSE(at("none").remove());
}

TEST_F(UFileSpecCoreFiles, CopiesFilesAndTrees) {
    fs::create_directories(posixRoot + "/src/sub");
    write("src/a", "A");
    write("src/sub/b", "B");
    ASSERT_TRUE(at("dst").mkdir());
    EXPECT_TRUE(at("src").copy(at("dst")));
    EXPECT_EQ(read("dst/src/a"), "A");
    EXPECT_EQ(read("dst/src/sub/b"), "B");
    EXPECT_TRUE(at("src/a").copy(at("a2")));
    EXPECT_EQ(read("a2"), "A");
    EXPECT_TRUE(at("src/a").copy(at("src/a")));
    EXPECT_EQ(log.str(), "");
}

TEST_F(UFileSpecCoreFiles, CopyRefusesWithAWarning) {
    write("f", "new");
    write("taken", "old");
    fs::create_directories(posixRoot + "/tree/inner");
    const std::string function = "UFileSpecCore::copy";
    const struct {
        const char* source;
        UFileSpecCore destination;
        std::string line;
    } cases[] = {
        {"f", absolute("C:"),
         warn(function.c_str(), 1219, "attempt to copy a file to an invalid destination")},
        {"f", at("taken"),
         warn(function.c_str(), 1229, "attempt to copy a file to an already existing destination")},
        {"none", at("x"), warn(function.c_str(), 1236, "attempt to copy a non-existing file")},
        {"tree", at("tree/inner"),
         warn(function.c_str(), 1241, "attempt to copy a folder into itself")},
    };
    for (const auto& c : cases) {
        log.str("");
        EXPECT_FALSE(at(c.source).copy(c.destination)) << c.source;
        EXPECT_EQ(log.str(), c.line);
    }
    EXPECT_EQ(read("taken"), "old");
    EXPECT_FALSE(fs::exists(posixRoot + "/tree/inner/tree"));
}

TEST_F(UFileSpecCoreFiles, CopiesALinkAsALink) {
    fs::create_directories(posixRoot + "/outside");
    write("outside/f", "x");
    fs::create_directory(posixRoot + "/src");
    fs::create_symlink(posixRoot + "/outside", posixRoot + "/src/link");
    EXPECT_TRUE(at("src").copy(at("copy")));
    EXPECT_TRUE(fs::is_symlink(posixRoot + "/copy/link"));
    EXPECT_EQ(fs::read_symlink(posixRoot + "/copy/link"), fs::path(posixRoot + "/outside"));
}

TEST_F(UFileSpecCoreFiles, MovesOnlyOntoAFreeName) {
    write("f", "F");
    write("taken", "old");
    const std::string function = "UFileSpecCore::move";
    EXPECT_FALSE(at("f").move(absolute("C:")));
    EXPECT_EQ(log.str(),
              warn(function.c_str(), 1165, "attempt to move a file to an invalid destination"));
    log.str("");
    EXPECT_FALSE(at("f").move(at("taken")));
    EXPECT_EQ(log.str(), warn(function.c_str(), 1170,
                              "attempt to move a file to an already existing destination"));
    log.str("");
    EXPECT_FALSE(at("none").move(at("x")));
    EXPECT_EQ(log.str(), warn(function.c_str(), 1177, "attempt to move a non-existing file"));
    log.str("");
    EXPECT_TRUE(at("f").move(at("g")));
    EXPECT_EQ(read("g"), "F");
    EXPECT_FALSE(at("f").exists());
    EXPECT_EQ(read("taken"), "old");
    EXPECT_EQ(log.str(), "");
}

TEST_F(UFileSpecCoreFiles, RenamesWithoutLosingTheFile) {
    write("f", "F");
    write("other", "O");
    EXPECT_TRUE(at("f").rename("f"));
    EXPECT_EQ(read("f"), "F");
    EXPECT_TRUE(at("f").rename("other"));
    EXPECT_EQ(read("other"), "F");
    EXPECT_FALSE(at("f").exists());
    EXPECT_FALSE(at("none").rename("other"));
    EXPECT_EQ(read("other"), "F");
    fs::create_directory(posixRoot + "/d");
    write("d/inner", "I");
    EXPECT_FALSE(at("d/inner").rename("../d"));
    EXPECT_EQ(read("d/inner"), "I");
}

TEST_F(UFileSpecCoreFiles, FindsUniqueNames) {
    write("t1.tmp", "");
    write("t2.tmp", "");
    UFileSpecCore path = root;
    EXPECT_TRUE(path.unique_name("", "tmp"));
    EXPECT_EQ(path.path(), root.path() + "/t3.tmp");
    EXPECT_FALSE(path.exists());
    path = root;
    EXPECT_TRUE(path.unique_name("a.b", "pdf"));
    EXPECT_EQ(path.path(), root.path() + "/a.b4.pdf");
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

TEST_F(UFileSpecCoreFiles, OpensTemporaryFilesAndLogsAFailure) {
    int descriptor = at("tmp").open_temporary();
    EXPECT_GE(descriptor, 0);
    ::close(descriptor);
    EXPECT_EQ(at("none/tmp").open_temporary(), -1);
    EXPECT_EQ(log.str(), "[1970-01-01T00:00:00][ERROR][7][UFileSpecCore:"
                         "UFileSpecCore::open_temporary:1052] No such file or directory\n");
}

TEST_F(UFileSpecCoreFiles, RemovesTheTemporaryFolderAtExit) {
    ::setenv("TMPDIR", posixRoot.c_str(), 1);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A folder of this process's name left by an earlier process is cleared first.
        std::string own = posixRoot + "/ze" + std::to_string(::getpid());
        fs::create_directory(own);
        std::ofstream(own + "/stale") << "s";
        UFileSpecCore folder(SpecialFolderId{10});
        bool fresh = folder.path() == ustring(("Z:" + own).c_str()) && folder.is_empty();
        std::ofstream(own + "/work") << "w";
        std::exit(fresh ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(posixRoot + "/ze" + std::to_string(child)));
}
