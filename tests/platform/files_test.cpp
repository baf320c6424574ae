// Tests of the file and folder stand-ins: drive mapping, the refusals of copy and move, links,
// listing and the special folders, each in a temporary folder of its own.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::u16string wide(const std::string& text) {
    return std::u16string(text.begin(), text.end()); // ASCII only
}

class PlatformFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zepfs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }
    void TearDown() override { fs::remove_all(root); }

    // The system's name of a POSIX path below the root.
    std::u16string at(const std::string& relative) const {
        return u"Z:" + wide(root + "/" + relative);
    }
    void write(const std::string& relative, const std::string& content) const {
        std::ofstream(root + "/" + relative) << content;
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(root + "/" + relative);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string root;
};

} // namespace

TEST(PlatformPaths, MapDrivesPrefixesAndSeparators) {
    ::setenv("ZEP_DRIVE_C", "/srv/c/", 1);
    ::unsetenv("ZEP_DRIVE_D");
    const struct {
        std::u16string in;
        std::optional<std::string> out;
    } cases[] = {
        {u"Z:/tmp/x", "/tmp/x"},
        {u"z:\\tmp\\x", "/tmp/x"},
        {u"Z:/", "/"},
        {u"Z:", "/"},
        {u"\\\\?\\Z:\\tmp\\long", "/tmp/long"},
        {u"C:/a/b", "/srv/c/a/b"},
        {u"c:\\a", "/srv/c/a"},
        {u"D:/a", std::nullopt},
        {u"//server/share/a", std::nullopt},
        {u"\\\\server\\share", std::nullopt},
        {u"\\\\?\\UNC\\server\\share", std::nullopt},
        {u"/abc", "/abc"},
        {u"rel/x", "rel/x"},
        {std::u16string(u"Z:/a\0b", 6), std::nullopt},
        {u"Z:/\xD800x", std::nullopt},
        {u"Z:/\u00E9", "/\xC3\xA9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::toPosixPath(c.in), c.out) << std::string(c.in.begin(), c.in.end());
    ::unsetenv("ZEP_DRIVE_C");
}

TEST(PlatformPaths, HandFoldersBackInDriveForm) {
    ::setenv("HOME", "/home/tester/", 1);
    ::setenv("ZEP_COMMON_APPDATA", "/srv/common", 1);
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    ::setenv("ZEP_COLOR_DIR", "/srv/icc", 1);
    ::setenv("TMPDIR", "/srv/tmp", 1);
    EXPECT_EQ(platform::documentsFolder(), u"Z:/home/tester/Documents");
    EXPECT_EQ(platform::desktopFolder(), u"Z:/home/tester/Desktop");
    EXPECT_EQ(platform::commonAppDataFolder(), u"Z:/srv/common");
    EXPECT_EQ(platform::userAppDataFolder(), u"Z:/srv/data");
    EXPECT_EQ(platform::colorProfileFolder(), u"Z:/srv/icc");
    EXPECT_EQ(platform::temporaryPath(), u"Z:/srv/tmp/");
    EXPECT_EQ(platform::recycleBinFolder(), std::nullopt);

    ::unsetenv("ZEP_COMMON_APPDATA");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("ZEP_COLOR_DIR");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(platform::commonAppDataFolder(), u"Z:/usr/local/share");
    EXPECT_EQ(platform::userAppDataFolder(), u"Z:/home/tester/.local/share");
    EXPECT_EQ(platform::colorProfileFolder(), u"Z:/usr/share/color/icc");
    EXPECT_EQ(platform::temporaryPath(), u"Z:/tmp/");
    ::unsetenv("HOME");
    EXPECT_EQ(platform::documentsFolder(), std::nullopt);
}

TEST(PlatformPaths, NameTheRunningProgramAndProcess) {
    auto program = platform::moduleFileName();
    ASSERT_TRUE(program);
    EXPECT_TRUE(program->starts_with(u"Z:/"));
    EXPECT_TRUE(program->ends_with(u"platform_tests"));
    EXPECT_EQ(platform::currentProcessId(), static_cast<std::uint32_t>(::getpid()));
}

TEST_F(PlatformFiles, ReportAttributesOfTheEntryItself) {
    write("f", "x");
    fs::create_directory(root + "/d");
    fs::create_symlink(root + "/d", root + "/ld");
    fs::create_symlink(root + "/missing", root + "/dangling");
    EXPECT_EQ(platform::fileAttributes(at("f")), platform::kAttributeNormal);
    EXPECT_EQ(platform::fileAttributes(at("d")), platform::kAttributeDirectory);
    EXPECT_EQ(platform::fileAttributes(at("ld")),
              platform::kAttributeDirectory | platform::kAttributeReparsePoint);
    EXPECT_EQ(platform::fileAttributes(at("dangling")), platform::kAttributeReparsePoint);
    EXPECT_EQ(platform::fileAttributes(at("none")), std::nullopt);

    EXPECT_TRUE(platform::setFileAttributes(at("f"), platform::kAttributeReadOnly));
    EXPECT_EQ(platform::fileAttributes(at("f")), platform::kAttributeReadOnly);
    EXPECT_TRUE(platform::setFileAttributes(at("f"), platform::kAttributeNormal));
    EXPECT_EQ(platform::fileAttributes(at("f")), platform::kAttributeNormal);
}

TEST_F(PlatformFiles, CreateOneLevelAndReportAnExistingName) {
    EXPECT_EQ(platform::createDirectory(at("a")), 0);
    EXPECT_EQ(platform::createDirectory(at("a")), platform::kErrorAlreadyExists);
    EXPECT_NE(platform::createDirectory(at("x/y")), 0);
    EXPECT_FALSE(fs::exists(root + "/x"));
}

TEST_F(PlatformFiles, CopyRefusesAnExistingTargetAndKeepsTimeAndContent) {
    write("src", "content");
    write("taken", "old");
    ASSERT_TRUE(platform::setModificationTime(at("src"), 1000000000));
    EXPECT_FALSE(platform::copyFile(at("src"), at("taken")));
    EXPECT_EQ(read("taken"), "old");
    EXPECT_TRUE(platform::copyFile(at("src"), at("copy")));
    EXPECT_EQ(read("copy"), "content");
    EXPECT_EQ(platform::fileTimes(at("copy"))->modification, 1000000000);
    EXPECT_EQ(platform::fileSize(at("copy")), 7u);
    EXPECT_FALSE(platform::copyFile(at("none"), at("other")));
    EXPECT_FALSE(fs::exists(root + "/other"));
}

TEST_F(PlatformFiles, CopyALinkAsALink) {
    fs::create_directory(root + "/d");
    write("d/inside", "x");
    fs::create_symlink(root + "/d", root + "/ld");
    EXPECT_TRUE(platform::copyFile(at("ld"), at("ld2")));
    EXPECT_TRUE(fs::is_symlink(root + "/ld2"));
    EXPECT_EQ(fs::read_symlink(root + "/ld2"), fs::path(root + "/d"));
}

TEST_F(PlatformFiles, MoveRefusesAnExistingTargetButNotTheSourceItself) {
    write("src", "a");
    write("taken", "b");
    EXPECT_FALSE(platform::moveFile(at("src"), at("taken")));
    EXPECT_EQ(read("taken"), "b");
    EXPECT_TRUE(platform::moveFile(at("src"), at("src")));
    EXPECT_EQ(read("src"), "a");
    EXPECT_TRUE(platform::moveFile(at("src"), at("dst")));
    EXPECT_FALSE(fs::exists(root + "/src"));
    EXPECT_EQ(read("dst"), "a");
    EXPECT_FALSE(platform::moveFile(at("src"), at("again")));
}

TEST_F(PlatformFiles, DeleteNeverRemovesAFolderAndRemoveNeverFollowsALink) {
    fs::create_directory(root + "/d");
    write("d/f", "x");
    fs::create_symlink(root + "/d", root + "/ld");
    EXPECT_FALSE(platform::deleteFile(at("d")));
    EXPECT_FALSE(platform::removeDirectory(at("ld")));
    EXPECT_TRUE(platform::deleteFile(at("ld")));
    EXPECT_TRUE(fs::exists(root + "/d/f"));
    EXPECT_FALSE(platform::removeDirectory(at("d")));
    EXPECT_TRUE(platform::deleteFile(at("d/f")));
    EXPECT_TRUE(platform::removeDirectory(at("d")));
}

TEST_F(PlatformFiles, ListSortedWithoutLinksFollowedOrUnconvertibleNames) {
    fs::create_directory(root + "/d");
    for (const char* name : {"b", "a", "C", "\xC3\xA9"})
        write(std::string("d/") + name, "");
    write("d/bad\xFF", "");
    fs::create_symlink(root + "/d", root + "/ld");
    auto names = platform::listDirectory(at("d"));
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::u16string>{u"C", u"a", u"b", u"\u00E9"}));
    EXPECT_EQ(platform::listDirectory(at("ld")), std::nullopt);
    EXPECT_EQ(platform::listDirectory(at("none")), std::nullopt);
}

TEST_F(PlatformFiles, TellWhetherAPathLiesWithinAFolder) {
    fs::create_directories(root + "/a/b");
    fs::create_directory(root + "/c");
    fs::create_symlink(root + "/a/b", root + "/c/lb");
    EXPECT_TRUE(platform::liesWithin(at("a"), at("a")));
    EXPECT_TRUE(platform::liesWithin(at("a/b/new"), at("a")));
    EXPECT_TRUE(platform::liesWithin(at("c/lb/new"), at("a")));
    EXPECT_FALSE(platform::liesWithin(at("ab"), at("a")));
    EXPECT_FALSE(platform::liesWithin(at("c/new"), at("a")));
}

TEST_F(PlatformFiles, OpenStreamsAndTemporaryFiles) {
    std::ofstream out;
    platform::openStream(out, at("s"), std::ios::out | std::ios::binary);
    ASSERT_TRUE(out.good());
    out << "text";
    out.close();
    std::ifstream in;
    platform::openStream(in, at("none"), std::ios::in);
    EXPECT_TRUE(in.fail());
    std::FILE* file = platform::openFile(at("s"), u"rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);

    int error = 0;
    int fd = platform::openTemporaryFile(at("t"), error);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(fs::exists(root + "/t"));
    ::close(fd);
    EXPECT_EQ(platform::openTemporaryFile(at("none/t"), error), -1);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(platform::errorText(ENOENT), "No such file or directory");
}
