#include "utils/FilePath.h"

#include "support/LogCapture.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <algorithm>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

UFileSpecCore absolute(std::string_view text) {
    return UFileSpecCore(ustring(text.data(), text.size()));
}

std::string bytesOf(const UByteBuffer& block) {
    return std::string(reinterpret_cast<const char*>(block.data()), block.size());
}

// set with the start as base ('s', no base when the start is empty), descend from the start
// ('d') or to_parent ('p'). A NUL is refused as '?' is; a refused to_parent leaves the path.
TEST(UFileSpecCore, SetsDescendsAndGoesToTheParentByTheTextRules) {
    // One byte more than the longest text a path can grow to below "C:/d".
    const std::string tooLong(ustring::kMaxGrownLength - 4, 'a');
    const std::tuple<char, const char*, std::string_view, bool, const char*> cases[] = {
        {'s', "", "C:/a/b//", true, "C:/a/b"},
        {'s', "", "C://", true, "C:/"},
        {'s', "", "c:\\a\\", true, "c:\\a"},
        {'s', "", "//server/share/", true, "//server/share"},
        {'s', "", "/abc", false, ""},
        {'s', "C:/d", "/abc", true, "C:/d/abc"},
        {'s', "C:/d", "C:/e", true, "C:/e"},
        {'s', "", "C:/a?b", false, ""},
        {'s', "", "C:/a\0b"sv, false, ""},
        {'s', "C:/d", "x\0/.."sv, false, ""},
        {'d', "C:/d/x", "../z", true, "C:/d/z"},
        {'d', "C:/d", "./a/./b/", true, "C:/d/a/b"},
        {'d', "C:/", "a", true, "C:/a"},
        {'d', "C:/d", "a\\b", true, "C:/d/a\\b"},
        {'d', "C:/d", "", true, "C:/d"},
        {'d', "", "a/b", true, "/a/b"},
        {'d', "C:/", "..", false, ""},
        {'d', "C:/d", "a?", false, ""},
        {'d', "C:/d", "D:/x", false, ""},
        {'d', "C:/d", tooLong, false, ""},
        {'p', "C:/d", "", true, "C:/"},
        {'p', "C:\\d\\x", "", true, "C:\\d"},
        {'p', "C:/d//x", "", true, "C:/d"},
        {'p', "//server/share", "", true, "//server"},
        {'p', "abcd", "", true, ""},
        {'p', "C:/", "", false, "C:/"},
    };
    for (const auto& [op, startText, text, ok, expected] : cases) {
        const UFileSpecCore start = absolute(startText);
        const ustring argument(text.data(), text.size());
        UFileSpecCore path = op == 's' ? absolute("Z:/old") : start;
        EXPECT_EQ(op == 's'   ? path.set(argument, *startText ? &start : nullptr)
                  : op == 'd' ? path.descend(argument)
                              : path.to_parent(),
                  ok)
            << op << ' ' << startText << ' ' << text;
        EXPECT_EQ(path.path(), expected) << op << ' ' << startText << ' ' << text;
    }
}

TEST(UFileSpecCore, ReadsAndChangesNamesAndExtensions) {
    // (path, name, name without extension, extension, absolute)
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"C:/dir/file.tar.gz", "file.tar.gz", "file.tar", "gz", true},
        {"C:/", "", "", "", true},
        {"C:/a.b/c", "c", "c", "", true}, // the extension is the leaf's
        {"C:\\x\\y.txt", "y.txt", "y", "txt", true},
        {"/abc.d", "abc.d", "abc", "d", false},
        {"c:x/y", "y", "y", "", false},
        {"a.b", "", "", "b", false}, // no name up to 3 characters, but an extension
    };
    for (const auto& [text, name, stem, extension, isAbsolute] : cases) {
        const UFileSpecCore path = absolute(text);
        EXPECT_EQ(path.name(true), name) << text;
        EXPECT_EQ(path.name(false), stem) << text;
        EXPECT_EQ(path.extension(), extension) << text;
        EXPECT_EQ(path.is_absolute(), isAbsolute) << text;
    }
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

TEST(UFileSpecCore, UsesTheLongWideFormAbove248UnitsAndStreamsItsText) {
    EXPECT_EQ(absolute("C:/" + std::string(245, 'a')).wide_path(),
              u"C:/" + std::u16string(245, u'a'));
    EXPECT_EQ(absolute("C:/d/" + std::string(244, 'a')).wide_path(),
              u"\\\\?\\C:\\d\\" + std::u16string(244, u'a'));
    EXPECT_EQ(absolute("C:/\xC3\xA9").wide_path(), u"C:/\u00E9");
    EXPECT_EQ(absolute("C:/a\xFF\xFE"
                       "b.pdf")
                  .wide_path(),
              u"")
        << "not cut at the bad bytes";
    EXPECT_EQ(absolute("C:/a\0b"sv).wide_path(), u"") << "nor at a NUL";
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

// Blocks of 6 and 7 bytes read back too, where the shorter-than-8 rule would refuse them.
TEST(UFileSpecCore, WritesPathBlocksThatReadBackAndRefusesOthers) {
    const UFileSpecCore base = absolute("C:/a/x/y");
    const std::tuple<const char*, const UFileSpecCore*, std::string> cases[] = {
        {"C:/a/b/c.txt", &base, "PATH:../../b/c.txt\0"s},
        {"C:/a/x/y", &base, "PATH:\0"s},
        {"C:/a/x/y/b", &base, "PATH:b\0"s},
        {"C:/a/x", &base, "PATH:..\0"s},
        {"D:/other/f", &base, "PATH:D:/other/f\0"s}, // nothing shared: kept absolute
        {"C:/a/b", nullptr, "PATH:C:/a/b\0"s},
    };
    for (const auto& [text, base, bytes] : cases) {
        UByteBuffer block;
        ASSERT_TRUE(absolute(text).to_blob(block, base)) << text;
        EXPECT_EQ(bytesOf(block), bytes);
        const UByteBuffer copy = block;
        block.assign("x", 1); // the copy has bytes of its own
        UFileSpecCore read;
        EXPECT_TRUE(read.from_blob(copy, base)) << text;
        EXPECT_EQ(read.path(), text);
    }
    UByteBuffer block;
    block.assign("x", 1);
    EXPECT_FALSE(UFileSpecCore().to_blob(block, &base));
    EXPECT_EQ(block.data(), nullptr);
    for (const char* bytes : {"PATX:b", "PAT", "path:C:/x"}) {
        block.assign(bytes, std::strlen(bytes));
        UFileSpecCore read = absolute("C:/old");
        EXPECT_FALSE(read.from_blob(block, &base)) << bytes;
        EXPECT_EQ(read.path(), "") << bytes;
    }
    UByteBuffer other;
    other = block;
    other = static_cast<const UByteBuffer&>(other); // assigning itself keeps the bytes
    EXPECT_EQ(bytesOf(other), "path:C:/x");
}

// The special folders and the file operations, in a folder of the test's own, with the log
// captured.
class UFileSpecCoreFiles : public ::testing::Test {
protected:
    void SetUp() override { UFileSpecCore::reset_process_state(); }
    UFileSpecCore at(const std::string& relative) const {
        UFileSpecCore path = m_root;
        EXPECT_TRUE(path.descend(ustring(relative)));
        return path;
    }
    static std::string warning(const char* function, int line, const std::string& text) {
        return LogCapture::line(
            "WARN", "libs/utils/UFileSpecCore:"s + function + ":" + std::to_string(line), text);
    }
    TempFolder m_folder;
    const UFileSpecCore m_root = absolute("Z:" + m_folder.root());
    LogCapture m_log;
};

TEST_F(UFileSpecCoreFiles, SpecialFoldersFollowTheirEnvironment) {
    const ScopedEnvironmentVariable common("ZEP_COMMON_APPDATA", m_folder.at("common/"));
    const ScopedEnvironmentVariable colour("ZEP_COLOR_DIR", m_folder.at("icc"));
    EXPECT_EQ(UFileSpecCore(kCommonAppDataFolder), at("common"));
    EXPECT_EQ(UFileSpecCore(kColourProfileFolder), at("icc"));
    UFileSpecCore path = m_root;
    EXPECT_TRUE(path.set_special_folder(static_cast<SpecialFolderId>(kTemporaryFolder + 1)));
    EXPECT_EQ(path.path(), "");
    UFileSpecCore program(kProgramFile);
    EXPECT_EQ(program.name(), "utils_tests");
    ASSERT_TRUE(program.to_parent());
    EXPECT_EQ(UFileSpecCore(kProgramFolder), program);
}

TEST_F(UFileSpecCoreFiles, MakesOneFolderLevelAndAnswersQuestionsAboutEntries) {
    EXPECT_TRUE(at("d").mkdir());
    EXPECT_TRUE(at("d").mkdir());
    EXPECT_EQ(m_log.text(), "");
    EXPECT_FALSE(at("x/y").mkdir());
    EXPECT_EQ(m_log.text(), warning("UFileSpecCore::mkdir", 1350, std::to_string(ENOENT)));
    m_folder.write("f.txt", "12345");
    m_folder.write("big", "");
    fs::resize_file(m_folder.at("big"), 0x100000005ULL);
    EXPECT_TRUE(at("f.txt").is_file() && at("d").is_directory() && at("d").is_empty());
    EXPECT_FALSE(at("f.txt").is_directory() || m_root.is_empty() || at("none").exists());
    EXPECT_EQ(std::tuple(at("f.txt").size(), at("big").size(), at("d").size() + at("none").size()),
              std::tuple(5u, 0x100000005ULL, 0u)); // all 64 bits
    EXPECT_TRUE(at("f.txt").set_modification_time(1700000000));
    EXPECT_FALSE(at("d").set_modification_time(1700000000));
    EXPECT_EQ(std::tuple(at("f.txt").modification_time(), at("none").modification_time()),
              std::tuple(1700000000u, 0u));
    EXPECT_NE(at("f.txt").creation_time(), 0u);
    EXPECT_EQ(m_root.list(), (std::vector<UFileSpecCore>{at("big"), at("d"), at("f.txt")}));
    EXPECT_TRUE(UFileSpecCore().list().empty() && at("none").list().empty());
}

TEST_F(UFileSpecCoreFiles, RemovesTreesWithReadOnlyEntriesButNotWhatLinksLeadTo) {
    fs::create_directories(m_folder.at("t/sub"));
    fs::create_directory(m_folder.at("outside"));
    m_folder.write("outside/keep", "k");
    m_folder.write("t/sub/ro", "r");
    fs::permissions(m_folder.at("t/sub/ro"), fs::perms::owner_read);
    fs::permissions(m_folder.at("t/sub"), fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_symlink(m_folder.at("outside"), m_folder.at("t/link"));
    EXPECT_TRUE(at("t").remove());
    EXPECT_FALSE(fs::exists(m_folder.at("t")));
    EXPECT_EQ(m_folder.read("outside/keep"), "k");
    EXPECT_FALSE(at("none").remove());
}

TEST_F(UFileSpecCoreFiles, CopiesFilesAndTreesWithLinksAsLinksAndMovesFiles) {
    fs::create_directories(m_folder.at("src/sub"));
    m_folder.write("src/a", "A");
    m_folder.write("src/sub/b", "B");
    fs::create_symlink(m_folder.at("src/sub"), m_folder.at("src/link"));
    ASSERT_TRUE(at("dst").mkdir());
    EXPECT_TRUE(at("src").copy(at("dst")));
    EXPECT_EQ(m_folder.read("dst/src/a"), "A");
    EXPECT_EQ(m_folder.read("dst/src/sub/b"), "B");
    EXPECT_EQ(fs::read_symlink(m_folder.at("dst/src/link")), fs::path(m_folder.at("src/sub")));
    EXPECT_TRUE(at("src/a").copy(at("a2")));
    EXPECT_TRUE(at("src/a").copy(at("src/a")));
    EXPECT_TRUE(at("a2").move(at("a3")) && !at("a2").exists());
    EXPECT_EQ(m_folder.read("a3") + m_log.text(), "A");
}

TEST_F(UFileSpecCoreFiles, CopyAndMoveRefuseWithAWarning) {
    m_folder.write("f", "new");
    m_folder.write("taken", "old");
    fs::create_directories(m_folder.at("tree/inner"));
    fs::create_directories(m_folder.at("a?b")); // a name that no path made by set holds
    fs::create_directory(m_folder.at("dst"));
    const UFileSpecCore unchecked = absolute("Z:" + m_folder.at("a?b"));
    const char* const copy = "UFileSpecCore::copy";
    const char* const move = "UFileSpecCore::move";
    const std::tuple<const char*, UFileSpecCore, UFileSpecCore, int, const char*> cases[] = {
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
    for (const auto& [function, source, destination, line, text] : cases) {
        LogCapture captured;
        EXPECT_FALSE(function == copy ? source.copy(destination) : source.move(destination))
            << text;
        // The folder that cannot be made is reported by mkdir first.
        const std::string made =
            line == 1246 ? warning("UFileSpecCore::mkdir", 1350, std::to_string(ENOENT)) : "";
        EXPECT_EQ(captured.text(), made + warning(function, line, text));
    }
    EXPECT_EQ(m_folder.read("taken"), "old");
    EXPECT_FALSE(fs::exists(m_folder.at("tree/inner/tree")));
    EXPECT_TRUE(fs::is_empty(m_folder.at("dst")));
    EXPECT_FALSE(fs::exists(m_folder.at("none")));
}

// An entry that list leaves out, because no path can name it, cannot be copied: the folder copy
// fails rather than report a copy without it, and the source keeps everything.
TEST_F(UFileSpecCoreFiles, AFolderCopyFailsOnAnEntryNoPathCanName) {
    const struct {
        const char* what;
        std::string entry; // below src, besides the file src/a
        bool madeTarget;   // dst/src, made before the copy met the entry
    } cases[] = {
        {"a '?' in the name", "a?b", false},
        {"a name that is no UTF-8", "bad\xFF", false},
        {"in a folder below", "sub/x?y", true},
    };
    for (const auto& c : cases) {
        fs::remove_all(m_folder.at("src"));
        fs::remove_all(m_folder.at("dst"));
        fs::create_directories(m_folder.at("src/sub"));
        fs::create_directory(m_folder.at("dst"));
        m_folder.write("src/a", "A");
        m_folder.write("src/" + c.entry, "lost");
        EXPECT_FALSE(at("src").copy(at("dst"))) << c.what;
        EXPECT_EQ(fs::exists(m_folder.at("dst/src")), c.madeTarget) << c.what;
        EXPECT_FALSE(fs::exists(m_folder.at("dst/src/sub"))) << c.what;
        EXPECT_EQ(m_folder.read("src/" + c.entry), "lost") << c.what;
        EXPECT_FALSE(at("src").remove()) << c.what; // not empty either
    }
    EXPECT_EQ(m_log.text(), "");
}

// A '\' is a separator to the system, so a name holding one, joined to its folder, would name
// another entry: "..\..\x" a file two folders up, "\" the folder itself (a removal that never
// ends, a copy into itself). No path names such an entry: list leaves it out, and copy and
// remove fail, doing nothing outside the folder.
TEST_F(UFileSpecCoreFiles, AnEntryWhoseNameHoldsABackslashIsNoneOfTheFoldersEntries) {
    for (const std::string entry : {"..\\..\\x", "\\", "a\\b"}) {
        fs::remove_all(m_folder.at("g"));
        fs::create_directories(m_folder.at("g/p/src"));
        fs::create_directory(m_folder.at("g/dst"));
        m_folder.write("g/x", "outside");
        m_folder.write("g/p/src/a", "A");
        m_folder.write("g/p/src/" + entry, "odd");
        const UFileSpecCore source = at("g/p/src");
        EXPECT_EQ(source.list(), std::vector<UFileSpecCore>{at("g/p/src/a")}) << entry;
        EXPECT_FALSE(source.copy(at("g/dst"))) << entry;
        EXPECT_TRUE(fs::is_empty(m_folder.at("g/dst"))) << entry;
        EXPECT_FALSE(source.remove()) << entry;
        EXPECT_EQ(m_folder.read("g/p/src/" + entry), "odd") << entry;
        EXPECT_EQ(m_folder.read("g/x"), "outside") << entry;
    }
    EXPECT_EQ(m_log.text(), "");
}

// The special folders come from names read from the system: one holding a '\' (or a "..", which
// the system resolves by its text, not through links) would name another folder, so it names
// none. The temporary folder is then not made, nor is the folder its name would turn into (a
// left-over of this process's name there) cleared.
TEST_F(UFileSpecCoreFiles, ASpecialFolderWhoseSystemNameHoldsABackslashIsNone) {
    fs::create_directories(m_folder.at("a\\.."));
    fs::create_directories(m_folder.at("deep/x"));
    fs::create_symlink(m_folder.at("deep/x"), m_folder.at("link"));
    const std::string own = "ze" + std::to_string(::getpid());
    fs::create_directory(m_folder.at(own));
    m_folder.write(own + "/keep", "k");
    for (const char* folder : {"a\\..", "link/.."}) {
        const ScopedEnvironmentVariable setting("TMPDIR", m_folder.at(folder));
        UFileSpecCore path = m_root;
        EXPECT_FALSE(path.set_special_folder(kTemporaryFolder)) << folder;
        EXPECT_EQ(path.path(), "") << folder;
    }
    EXPECT_EQ(m_folder.read(own + "/keep"), "k");
    EXPECT_FALSE(fs::exists(m_folder.at("a\\../" + own)) || fs::exists(m_folder.at("deep/" + own)));
    const ScopedCurrentFolder current(m_folder.at("a\\.."));
    UFileSpecCore path = m_root;
    EXPECT_FALSE(path.set_special_folder(kCurrentFolder));
    EXPECT_EQ(path.path(), "");
}

TEST_F(UFileSpecCoreFiles, RenamesWithoutLosingTheFile) {
    m_folder.write("f", "F");
    m_folder.write("other", "O");
    EXPECT_TRUE(at("f").rename("f"));
    EXPECT_EQ(m_folder.read("f"), "F");
    EXPECT_TRUE(at("f").rename("other"));
    EXPECT_FALSE(at("f").exists() || at("none").rename("other"));
    EXPECT_EQ(m_folder.read("other"), "F");
    fs::create_directory(m_folder.at("d"));
    m_folder.write("d/inner", "I");
    EXPECT_FALSE(at("d/inner").rename("../d"));
    EXPECT_EQ(m_folder.read("d/inner"), "I");
}

TEST_F(UFileSpecCoreFiles, FindsUniqueNames) {
    m_folder.write("t1.tmp", "");
    m_folder.write("t2.tmp", "");
    UFileSpecCore path = m_root;
    EXPECT_TRUE(path.unique_name("", "tmp"));
    EXPECT_EQ(path, at("t3.tmp"));
    path = m_root;
    EXPECT_TRUE(path.unique_name("a.b", "pdf"));
    EXPECT_EQ(path, at("a.b4.pdf"));
    path = m_root;
    EXPECT_FALSE(path.unique_name("bad?", ""));
    path = at("t1.tmp");
    EXPECT_FALSE(path.unique_name("x", ""));
}

TEST_F(UFileSpecCoreFiles, OpensStreamsAndTemporaryFilesAndLogsAFailedTemporaryFile) {
    std::ofstream out;
    EXPECT_TRUE(at("s").open_ofstream(out, std::ios::trunc) << "text");
    out.close();
    std::ifstream in;
    std::string word;
    EXPECT_TRUE(at("s").open_ifstream(in, std::ios::binary) >> word);
    EXPECT_EQ(word, "text");
    std::fstream both;
    EXPECT_TRUE(at("none/s").open_fstream(both, std::ios::in | std::ios::out).fail());
    std::FILE* file = at("s").fopen("rb");
    EXPECT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(at("none").fopen("rb"), nullptr);
    const int descriptor = at("tmp").open_temporary();
    EXPECT_GE(descriptor, 0);
    EXPECT_FALSE(fs::exists(m_folder.at("tmp")));
    ::close(descriptor);
    EXPECT_EQ(m_log.text(), "");
    EXPECT_EQ(at("none/tmp").open_temporary(), -1);
    EXPECT_EQ(m_log.text(),
              LogCapture::line("ERROR",
                               "libs/utils/UFileSpecCore:UFileSpecCore::open_temporary:1052",
                               "No such file or directory"));
}

// A name that is not what it seems writes nothing anywhere; ".." stays inside the drive.
TEST_F(UFileSpecCoreFiles, WritesOnlyWholeWindowsNamesInsideTheDrive) {
    fs::create_directory(m_folder.at("j"));
    m_folder.write("j/a", "keep");
    const ScopedEnvironmentVariable drive("ZEP_DRIVE_J", m_folder.at("j"));
    // The platform's rules say which names are refused; a text that is no whole name has no wide
    // path at all.
    for (const auto& [path, written] : {std::pair("J:/con.pdf", false), {"J:/../../x.pdf", true}}) {
        std::ofstream out;
        EXPECT_EQ(static_cast<bool>(absolute(path).open_ofstream(out, std::ios::trunc) << "new"),
                  written);
    }
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(m_folder.root()))
        entries.push_back(fs::relative(entry.path(), m_folder.root()).string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"j", "j/a", "j/x.pdf"}));
    EXPECT_EQ(m_folder.read("j/a"), "keep");
}

TEST_F(UFileSpecCoreFiles, RemovesTheTemporaryFolderAtExit) {
    const ScopedEnvironmentVariable temporary("TMPDIR", m_folder.root());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A folder of this process's name left by an earlier process is cleared first.
        const std::string own = "ze" + std::to_string(::getpid());
        fs::create_directory(m_folder.at(own));
        m_folder.write(own + "/stale", "s");
        const UFileSpecCore temporary(kTemporaryFolder);
        const bool fresh = temporary == at(own) && temporary.is_empty();
        m_folder.write(own + "/work", "w");
        std::exit(fresh ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(m_folder.at("ze" + std::to_string(child))));
}

} // namespace
