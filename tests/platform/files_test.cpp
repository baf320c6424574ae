#include "platform/files.h"
#include "platform/fileseams.h"

#include "support/FileOperationSeam.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <regex>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

class PlatformFiles : public ::testing::Test {
protected:
    std::u16string at(const std::string& relative) const { // ASCII names only
        const std::string name = m_folder.systemPath(relative);
        return std::u16string(name.begin(), name.end());
    }
    TempFolder m_folder;
    const FileOperationSeam m_seam;
};

} // namespace

TEST(PlatformPaths, MapDrivesPrefixesAndSeparatorsAndResolveDotsInsideTheDrive) {
    const ScopedEnvironmentVariable drive("ZEP_DRIVE_C", "/srv/c/");
    const std::tuple<std::u16string, std::string> cases[] = {
        {u"Z:/tmp/x", "/tmp/x"},
        {u"z:\\tmp\\x", "/tmp/x"},
        {u"Z:", "/"},
        {u"\\\\?\\Z:\\tmp\\long", "/tmp/long"},
        {u"C:/a/b", "/srv/c/a/b"},
        {u"c:\\a", "/srv/c/a"},
        {u"C:", "/srv/c/"},
        {u"C:/../x.pdf", "/srv/c/x.pdf"}, // C:\.. is C:\ itself
        {u"C:\\a\\..\\..\\..\\x", "/srv/c/x"},
        {u"C:/a/./b/", "/srv/c/a/b/"},
        {u"C:/a/b/..", "/srv/c/a"},
        {u"Z:/tmp//x", "/tmp/x"},
        {u"/abc", "/abc"},
        {u"rel/x", "rel/x"},
        {u"Z:/\u00E9", "/\xC3\xA9"},
        {u"C:/console.pdf", "/srv/c/console.pdf"},
        {u"C:/com10/.hidden/ad.pdf#3", "/srv/c/com10/.hidden/ad.pdf#3"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(platform::toPosixPath(in), out) << std::string(in.begin(), in.end());
        EXPECT_EQ(platform::pathRefusal(in), std::nullopt);
    }
}

TEST(PlatformPaths, RefuseWhatAWindowsSystemCouldNotNameAndSayWhy) {
    const ScopedEnvironmentVariable mapped("ZEP_DRIVE_C", "/srv/c");
    const ScopedEnvironmentVariable unmapped("ZEP_DRIVE_D", std::nullopt);
    const std::string device = " is a Windows device name";
    const std::string forbidden = "', which a Windows file name may not hold";
    const std::string share = "it names a server share, which is not reachable here";
    const std::tuple<std::u16string, std::string, std::string> cases[] = {
        {u""s, "", "it is empty"},
        {u"Z:/a\0b"s, "Z:/a\\x00b", "it holds a NUL character"},
        {u"Z:/\xD800x"s, "Z:/\\uD800x", "it is not whole UTF-16 text (an unpaired surrogate)"},
        {u"D:/a"s, "D:/a", "drive D: is not mapped (ZEP_DRIVE_D is not set)"},
        {u"//server/share/a"s, "//server/share/a", share},
        {u"\\\\?\\UNC\\server\\share"s, "\\\\?\\UNC\\server\\share", share},
        {u"C:/a<b.pdf"s, "C:/a<b.pdf", "the name \"a<b.pdf\" holds '<" + forbidden},
        {u"C:/ad.pdf:stream"s, "C:/ad.pdf:stream",
         "the name \"ad.pdf:stream\" holds ':" + forbidden},
        {u"C:/x/a|b/c"s, "C:/x/a|b/c", "the name \"a|b\" holds '|" + forbidden},
        {u"C:/a\"b"s, "C:/a\"b", "the name \"a\"b\" holds '\"" + forbidden},
        {u"C:/a*"s, "C:/a*", "the name \"a*\" holds '*" + forbidden},
        {u"C:/a?"s, "C:/a?", "the name \"a?\" holds '?" + forbidden},
        {u"C:/a>"s, "C:/a>", "the name \"a>\" holds '>" + forbidden},
        {u"C:/a\tb"s, "C:/a\\x09b",
         "the name \"a\\x09b\" holds the control character \\x09, which a Windows file name may "
         "not hold"},
        {u"C:/con.pdf"s, "C:/con.pdf", "the name \"con.pdf\"" + device},
        {u"C:/d/NUL"s, "C:/d/NUL", "the name \"NUL\"" + device},
        {u"C:/Com1.tar.gz"s, "C:/Com1.tar.gz", "the name \"Com1.tar.gz\"" + device},
        {u"C:/aux .txt"s, "C:/aux .txt", "the name \"aux .txt\"" + device},
        {u"C:/LPT\u00B9"s, "C:/LPT\xC2\xB9", "the name \"LPT\xC2\xB9\"" + device},
        {u"rel/prn"s, "rel/prn", "the name \"prn\"" + device},
        {u"C:/a./b"s, "C:/a./b",
         "the name \"a.\" ends in a dot, which Windows drops from a file name"},
        {u"C:/b "s, "C:/b ",
         "the name \"b \" ends in a space, which Windows drops from a file name"},
    };
    for (const auto& [path, shown, rule] : cases) {
        SCOPED_TRACE(shown);
        EXPECT_EQ(platform::toPosixPath(path), std::nullopt);
        EXPECT_EQ(platform::pathRefusal(path), "the path \"" + shown + "\" names no file: " + rule);
    }
    // A UTF-8 text is refused as its UTF-16 form is, and also when it is not whole UTF-8.
    EXPECT_EQ(platform::pathRefusal("J:/a\xFF\xFE"
                                    "b.pdf"sv),
              "the path \"J:/a\\xFF\\xFEb.pdf\" names no file: it is not whole UTF-8 text (a bad "
              "sequence at byte 4)");
    EXPECT_EQ(platform::pathRefusal("C:/con.pdf"sv), platform::pathRefusal(u"C:/con.pdf"));
    EXPECT_EQ(platform::pathRefusal("C:/\xC3\xA9.pdf"sv), std::nullopt);
}

TEST(PlatformPaths, HandFoldersTheProgramAndTheProcessBackInDriveForm) {
    ScopedEnvironment environment("HOME", "/home/tester/");
    environment.Set("ZEP_COMMON_APPDATA", "/srv/common");
    environment.Set("XDG_DATA_HOME", "/srv/data");
    environment.Set("ZEP_COLOR_DIR", "/srv/icc");
    environment.Set("TMPDIR", "/srv/tmp");
    EXPECT_EQ(platform::documentsFolder(), u"Z:/home/tester/Documents");
    EXPECT_EQ(platform::desktopFolder(), u"Z:/home/tester/Desktop");
    EXPECT_EQ(platform::commonAppDataFolder(), u"Z:/srv/common");
    EXPECT_EQ(platform::userAppDataFolder(), u"Z:/srv/data");
    EXPECT_EQ(platform::colorProfileFolder(), u"Z:/srv/icc");
    EXPECT_EQ(platform::temporaryPath(), u"Z:/srv/tmp/");
    EXPECT_EQ(platform::recycleBinFolder(), std::nullopt);
    for (const char* name : {"ZEP_COMMON_APPDATA", "XDG_DATA_HOME", "ZEP_COLOR_DIR", "TMPDIR"})
        environment.Unset(name);
    EXPECT_EQ(platform::commonAppDataFolder(), u"Z:/usr/local/share");
    EXPECT_EQ(platform::userAppDataFolder(), u"Z:/home/tester/.local/share");
    EXPECT_EQ(platform::colorProfileFolder(), u"Z:/usr/share/color/icc");
    EXPECT_EQ(platform::temporaryPath(), u"Z:/tmp/");
    environment.Unset("HOME");
    EXPECT_EQ(platform::documentsFolder(), std::nullopt);
    const auto program = platform::moduleFileName();
    EXPECT_TRUE(program && program->starts_with(u"Z:/") && program->ends_with(u"platform_tests"));
    EXPECT_EQ(platform::currentProcessId(), static_cast<std::uint32_t>(::getpid()));
}

TEST_F(PlatformFiles, ReportAttributesOfTheEntryItself) {
    m_folder.write("f", "x");
    fs::create_directory(m_folder.at("d"));
    fs::create_symlink(m_folder.at("d"), m_folder.at("ld"));
    fs::create_symlink(m_folder.at("missing"), m_folder.at("dangling"));
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

TEST_F(PlatformFiles, CopyAndMoveRefuseAnExistingTarget) {
    m_folder.write("src", "content");
    m_folder.write("taken", "old");
    ASSERT_TRUE(platform::setModificationTime(at("src"), 1000000000));
    EXPECT_FALSE(platform::copyFile(at("src"), at("taken")));
    EXPECT_FALSE(platform::moveFile(at("src"), at("taken")));
    EXPECT_EQ(m_folder.read("taken"), "old");
    EXPECT_TRUE(platform::copyFile(at("src"), at("copy")));
    EXPECT_EQ(m_folder.read("copy"), "content");
    EXPECT_EQ(platform::fileTimes(at("copy"))->modification, 1000000000);
    EXPECT_FALSE(platform::copyFile(at("none"), at("other")));
    EXPECT_FALSE(fs::exists(m_folder.at("other")));
    EXPECT_TRUE(platform::moveFile(at("src"), at("src"))); // the source itself is no obstacle
    EXPECT_TRUE(platform::moveFile(at("src"), at("dst")));
    EXPECT_EQ(m_folder.read("dst"), "content");
    EXPECT_FALSE(platform::moveFile(at("src"), at("again")));
}

TEST_F(PlatformFiles, ListSortedWithoutLinksFollowedOrUnconvertibleNames) {
    fs::create_directory(m_folder.at("d"));
    for (const char* name : {"b", "a", "C", "\xC3\xA9", "bad\xFF", "overlong\xC0\xAF"})
        m_folder.write(std::string("d/") + name, "");
    fs::create_symlink(m_folder.at("d"), m_folder.at("ld"));
    EXPECT_EQ(platform::listDirectory(at("d")),
              (std::vector<std::u16string>{u"C", u"a", u"b", u"\u00E9"}));
    EXPECT_EQ(platform::listDirectory(at("ld")), std::nullopt);
    EXPECT_EQ(platform::listDirectory(at("none")), std::nullopt);
    // The full listing tells that names were left out, and only then.
    const auto listing = platform::readDirectory(at("d"));
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(std::pair(listing->names, listing->namesLeftOut),
              std::pair(*platform::listDirectory(at("d")), true));
    fs::remove(m_folder.at("d/bad\xFF"));
    fs::remove(m_folder.at("d/overlong\xC0\xAF"));
    EXPECT_FALSE(platform::readDirectory(at("d"))->namesLeftOut);
    EXPECT_FALSE(platform::readDirectory(at("ld")).has_value());
}

// A '\' is a separator to the system and ".." is resolved by its text, so a name read from the
// system that holds either would name another file in drive form: it names nothing instead.
TEST_F(PlatformFiles, NamesFromTheSystemHoldingABackslashOrDotDotNameNothing) {
    const std::tuple<std::string, std::optional<std::u16string>> posixPaths[] = {
        {"/t/x", u"Z:/t/x"},
        {"/t/..x/.y/./z", u"Z:/t/..x/.y/./z"},
        {"/t/a\\..", std::nullopt},
        {"/t/a\\b", std::nullopt},
        {"/t/link/../x", std::nullopt},
        {"/t/..", std::nullopt},
        {"t/x", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [posix, system] : posixPaths)
        EXPECT_EQ(platform::toSystemPath(posix), system) << posix;

    // Real folders whose names read otherwise in drive form.
    for (const char* name : {"a\\..", "deep/x"})
        fs::create_directories(m_folder.at(name));
    fs::create_symlink(m_folder.at("deep/x"), m_folder.at("link"));
    using Folder = std::optional<std::u16string> (*)();
    const std::tuple<const char*, std::string, Folder> folders[] = {
        {"TMPDIR", "a\\..", platform::temporaryPath},
        {"TMPDIR", "link/..", platform::temporaryPath},
        {"HOME", "a\\..", platform::documentsFolder},
        {"HOME", "a\\..", platform::desktopFolder},
        {"ZEP_COMMON_APPDATA", "a\\..", platform::commonAppDataFolder},
        {"XDG_DATA_HOME", "a\\..", platform::userAppDataFolder},
        {"ZEP_COLOR_DIR", "a\\../", platform::colorProfileFolder},
    };
    for (const auto& [variable, folder, get] : folders) {
        const ScopedEnvironmentVariable setting(variable, m_folder.at(folder));
        EXPECT_EQ(get(), std::nullopt) << variable << '=' << folder;
    }
    {
        const ScopedCurrentFolder current(m_folder.at("a\\.."));
        EXPECT_EQ(platform::currentDirectory(), std::nullopt);
    }
    fs::create_symlink(m_folder.at("a\\.."), m_folder.at("to-a"));
    EXPECT_EQ(platform::resolvedPath(at("to-a")), std::nullopt);

    // A drive's folder is a name read from the system too.
    const ScopedEnvironmentVariable drive("ZEP_DRIVE_E", m_folder.at("a\\.."));
    EXPECT_EQ(platform::toPosixPath(u"E:/x"), std::nullopt);
    EXPECT_EQ(platform::pathRefusal(u"E:/x"),
              "the path \"E:/x\" names no file: the folder of drive E: (ZEP_DRIVE_E) holds a '\\', "
              "which the system reads as a separator");
    const ScopedEnvironmentVariable climbing("ZEP_DRIVE_E", m_folder.at("link/.."));
    EXPECT_EQ(platform::pathRefusal(u"E:/x"),
              "the path \"E:/x\" names no file: the folder of drive E: (ZEP_DRIVE_E) holds the "
              "name \"..\", which the system resolves by its text");

    // A folder's entry named so is left out of its listing, which says so.
    fs::create_directory(m_folder.at("d"));
    for (const char* name : {"ok", "..\\..\\x", "\\", "a\\b"})
        m_folder.write(std::string("d/") + name, "");
    const auto listing = platform::readDirectory(at("d"));
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(std::pair(listing->names, listing->namesLeftOut),
              std::pair(std::vector<std::u16string>{u"ok"}, true));
}

TEST_F(PlatformFiles, TellWhetherAPathLiesWithinAFolder) {
    fs::create_directories(m_folder.at("a/b"));
    fs::create_directory(m_folder.at("c"));
    fs::create_symlink(m_folder.at("a/b"), m_folder.at("c/lb"));
    EXPECT_TRUE(platform::liesWithin(at("a"), at("a")));
    EXPECT_TRUE(platform::liesWithin(at("a/b/new"), at("a")));
    EXPECT_TRUE(platform::liesWithin(at("c/lb/new"), at("a")));
    EXPECT_FALSE(platform::liesWithin(at("ab"), at("a")));
    EXPECT_FALSE(platform::liesWithin(at("c/new"), at("a")));
}

// Every step of a write is one counted operation, and a write fails from whichever step the hook
// refuses on through to close().
TEST_F(PlatformFiles, WriteThroughABufferWithEveryStepCountedAndChecked) {
    using Op = platform::FileOperation;
    std::vector<Op> seen;
    std::uint64_t refuseFrom = 0; // 0: none
    platform::setFileOperationHook([&](std::uint64_t n, Op op) {
        seen.push_back(op);
        return refuseFrom == 0 || n < refuseFrom;
    });
    const auto write = [&] {
        platform::OutputFileStream out;
        const bool opened = out.open(at("f"));
        out << std::string(100000, 'x');
        out.seekp(0);
        out << "AB";
        return out.close() && opened;
    };
    ASSERT_TRUE(write());
    EXPECT_EQ(seen, (std::vector<Op>{Op::Open, Op::Write, Op::Write, Op::Flush, Op::Close}));
    EXPECT_EQ(m_folder.read("f"), "AB" + std::string(99998, 'x'));
    const std::size_t steps = seen.size();
    for (refuseFrom = 1; refuseFrom <= steps; ++refuseFrom)
        EXPECT_FALSE(write()) << refuseFrom;
    seen.clear();
    refuseFrom = 1;
    EXPECT_NE(platform::createDirectory(at("d")), 0);
    EXPECT_FALSE(platform::replaceFile(at("f"), at("g")));
    EXPECT_TRUE(platform::linkFile(at("f"), at("h"))); // undoing needs no counted operation
    EXPECT_TRUE(platform::deleteFile(at("h")));
    EXPECT_EQ(seen, (std::vector<Op>{Op::MakeDirectory, Op::Rename}));
    platform::setFileOperationHook({});
}

// A failed step hands back the system's error number: the one the fault seam fails it with (for a
// stream, that of its first failure), or the system call's own; a path that names no file has
// none (0), except for a folder, which cannot be made there (ENOENT).
TEST_F(PlatformFiles, AFailedStepHandsBackTheSystemsErrorNumber) {
    using Op = platform::FileOperation;
    const auto write = [](const std::u16string& path) {
        platform::OutputFileStream out;
        static_cast<void>(out.open(path));
        out << std::string(100000, 'x');
        EXPECT_FALSE(out.close());
        return out.error();
    };
    // The steps of that write: Open, Write, Flush, Close. The step fails with its number, every
    // later one with EPERM.
    const struct {
        std::uint64_t step;
        int error;
    } steps[] = {{1, EACCES}, {2, ENOSPC}, {3, EROFS}, {4, EIO}};
    for (const auto& [step, error] : steps) {
        platform::setFileOperationFault([step, error](std::uint64_t n, Op) {
            return n < step ? 0 : n == step ? error : EPERM;
        });
        EXPECT_EQ(write(at("f")), error) << step;
    }
    m_folder.write("f", "x");
    platform::setFileOperationFault([](std::uint64_t, Op op) {
        return op == Op::Rename ? EROFS : op == Op::MakeDirectory ? EACCES : 0;
    });
    int error = 0;
    EXPECT_FALSE(platform::replaceFile(at("f"), at("g"), error));
    EXPECT_EQ(error, EROFS);
    EXPECT_EQ(platform::createDirectory(at("d")), EACCES);
    platform::setFileOperationHook([](std::uint64_t, Op) { return false; });
    EXPECT_EQ(write(at("f")), EIO);
    platform::setFileOperationHook({});
    // The system calls' own failures.
    EXPECT_EQ(write(at("none/f")), ENOENT);
    EXPECT_FALSE(platform::replaceFile(at("missing"), at("g"), error));
    EXPECT_EQ(error, ENOENT);
    m_folder.write("taken", "y");
    EXPECT_FALSE(platform::linkFile(at("f"), at("taken"), error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_TRUE(platform::linkFile(at("f"), at("h"), error));
    EXPECT_EQ(error, 0);
    // A drive that is not mapped names no file.
    const ScopedEnvironmentVariable unmapped("ZEP_DRIVE_Q", std::nullopt);
    EXPECT_EQ(write(u"Q:/f"), 0);
    EXPECT_FALSE(platform::replaceFile(at("f"), u"Q:/f", error));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(platform::createDirectory(u"Q:/d"), ENOENT);
}

TEST_F(PlatformFiles, ReplaceInOneStepKeepALinkAndNameTemporariesAndPlaces) {
    m_folder.write("out", "old");
    m_folder.write("new", "new");
    ASSERT_TRUE(platform::linkFile(at("out"), at("kept")));
    EXPECT_FALSE(platform::linkFile(at("out"), at("kept")));
    ASSERT_TRUE(platform::replaceFile(at("new"), at("out")));
    EXPECT_EQ(m_folder.read("out"), "new");
    EXPECT_EQ(m_folder.read("kept"), "old");
    const std::u16string first = platform::temporarySibling(at("out"));
    const std::string name(first.begin(), first.end());
    EXPECT_TRUE(
        std::regex_match(name, std::regex("Z:" + m_folder.root() + "/~zep[0-9A-F]{16}\\.tmp")))
        << name;
    EXPECT_FALSE(fs::exists(name.substr(2)));
    EXPECT_NE(platform::temporarySibling(at("out")), first);
    fs::create_directory(m_folder.at("a"));
    fs::create_symlink(m_folder.at("a"), m_folder.at("la"));
    EXPECT_TRUE(platform::isSamePlace(at("la/x"), at("a/x")));
    EXPECT_TRUE(platform::isSamePlace(at("a/../a/x"), at("a/x")));
    EXPECT_TRUE(platform::isSamePlace(at("none/x"), at("none/x")));
    EXPECT_FALSE(platform::isSamePlace(at("a/x"), at("a/y")));
    EXPECT_FALSE(platform::isSamePlace(at("la"), at("a"))) << "a link as the leaf is its own place";
}

// A folder is held by one HeldFolder at a time, two in one process included: another waits at
// most its wait (or the test limit, when shorter) and then holds nothing; a link as the folder's
// name is followed only when asked. A held folder's sweep removes the temporaries that are files
// or links, never a folder, never what a link names; a folder not held is not swept.
TEST_F(PlatformFiles, HoldFoldersOneAtATimeForABoundedWaitAndSweepOnlyTheirTemporaries) {
    using Result = platform::HeldFolder::Result;
    using Clock = std::chrono::steady_clock;
    fs::create_directory(m_folder.at("d"));
    fs::create_directory(m_folder.at("outside"));
    fs::create_symlink(m_folder.at("d"), m_folder.at("link"));
    platform::HeldFolder first;
    platform::HeldFolder second;
    ASSERT_EQ(first.lockExclusive(at("d"), 0ms, false), Result::kLocked);
    const struct {
        const char* folder;
        std::chrono::milliseconds wait;
        std::optional<std::chrono::milliseconds> limit;
        std::chrono::milliseconds waited;
    } busy[] = {{"d", 150ms, std::nullopt, 150ms}, {"link", 60s, 20ms, 20ms}};
    for (const auto& [folder, wait, limit, waited] : busy) {
        platform::setFolderLockWaitLimit(limit);
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(second.lockExclusive(at(folder), wait, true), Result::kBusy) << folder;
        EXPECT_GE(Clock::now() - start, waited) << folder;
        EXPECT_LT(Clock::now() - start, 5s) << folder;
        EXPECT_FALSE(second.isOpen()) << folder;
    }
    platform::setFolderLockWaitLimit(std::nullopt);
    EXPECT_EQ(second.lockExclusive(at("link"), 0ms, false), Result::kNotOpened);
    EXPECT_EQ(second.lockExclusive(at("none"), 0ms, true), Result::kNotOpened);
    first.unlock();
    ASSERT_EQ(second.lockExclusive(at("link"), 0ms, true), Result::kLocked);

    m_folder.write("d/~zep0123456789ABCDEF.tmp", "left");
    m_folder.write("d/~zep0123456789abcdef.tmp", "the user's");
    m_folder.write("outside/~zepFEDCBA9876543210.tmp", "outside");
    fs::create_symlink(m_folder.at("outside/~zepFEDCBA9876543210.tmp"),
                       m_folder.at("d/~zep00000000000000AA.tmp"));
    fs::create_directory(m_folder.at("d/~zep00000000000000BB.tmp"));
    EXPECT_EQ(first.removeLeftTemporaries(), 0u);
    EXPECT_EQ(second.removeLeftTemporaries(), 2u);
    EXPECT_EQ(
        platform::listDirectory(at("d")),
        (std::vector<std::u16string>{u"~zep00000000000000BB.tmp", u"~zep0123456789abcdef.tmp"}));
    EXPECT_EQ(m_folder.read("outside/~zepFEDCBA9876543210.tmp"), "outside");
}

// Syncing a file or a folder is a counted operation with its name, which the hook may fail when
// it publishes and is only told of when it undoes; a rename shows both its names.
TEST_F(PlatformFiles, SyncFilesAndFoldersAsCountedOperationsWithTheirNames) {
    using Op = platform::FileOperation;
    using Purpose = platform::SyncPurpose;
    std::vector<std::tuple<Op, std::u16string, std::u16string>> seen;
    bool refuse = false;
    platform::setFileOperationHook([&](std::uint64_t, Op op) {
        const platform::FileOperationPaths& paths = platform::currentFileOperationPaths();
        seen.emplace_back(op, paths.path, paths.target);
        return !refuse;
    });
    m_folder.write("f", "x");
    platform::HeldFolder folder;
    ASSERT_EQ(folder.lockExclusive(at(""), 0ms, true), platform::HeldFolder::Result::kLocked);
    EXPECT_TRUE(platform::syncFile(at("f")));
    EXPECT_EQ(folder.sync(), 0);
    EXPECT_TRUE(platform::replaceFile(at("f"), at("g")));
    refuse = true;
    EXPECT_FALSE(platform::syncFile(at("g")));
    EXPECT_EQ(folder.sync(), EIO);
    EXPECT_TRUE(platform::syncFile(at("g"), Purpose::kUndo));
    EXPECT_EQ(folder.sync(Purpose::kUndo), 0);
    EXPECT_FALSE(platform::syncFile(at("none"), Purpose::kUndo));
    platform::setFileOperationHook({});
    EXPECT_EQ(seen, (std::vector<std::tuple<Op, std::u16string, std::u16string>>{
                        {Op::Sync, at("f"), u""},
                        {Op::SyncFolder, at(""), u""},
                        {Op::Rename, at("f"), at("g")},
                        {Op::Sync, at("g"), u""},
                        {Op::SyncFolder, at(""), u""},
                        {Op::Sync, at("g"), u""},
                        {Op::SyncFolder, at(""), u""},
                        {Op::Sync, at("none"), u""}}));
}
