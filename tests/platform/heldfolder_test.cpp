#include "platform/files.h"
#include "platform/fileseams.h"

#include "support/BackgroundProgram.h"
#include "support/FileOperationSeam.h"
#include "support/FileSystemRefusals.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace fs = std::filesystem;
using namespace std::literals;
using Result = platform::HeldFolder::Result;

namespace {

std::u16string wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// The identity of the entry under the name, a link not followed.
std::optional<platform::FileIdentity> identityAt(const platform::HeldFolder& folder,
                                                 std::u16string_view name) {
    const auto status = folder.status(name);
    return status ? std::optional(status->identity) : std::nullopt;
}

// The identity of what a POSIX path names.
std::optional<platform::FileIdentity> identityOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return platform::FileIdentity{info.st_dev, info.st_ino};
}

class PlatformHeldFolder : public ::testing::Test {
protected:
    std::u16string at(const std::string& relative) const {
        return wide(m_folder.systemPath(relative));
    }
    TempFolder m_folder;
    const FileOperationSeam m_seam;
};

} // namespace

// Each operation hands back the error number of what failed: a name that is not plain, no folder
// open, the system call, or the fault seam (except for what undoes, which it cannot fail).
TEST_F(PlatformHeldFolder, OperationsHandBackTheirErrorNumber) {
    using Purpose = platform::SyncPurpose;
    using Call = std::function<int(const platform::HeldFolder&)>;
    const struct {
        const char* what;
        Call call;
        int inOpenFolder; // no folder open: EBADF
        int refused;      // the seam failing every operation with EROFS
    } cases[] = {
        {"remove", [](auto& f) { return f.remove(u"f"); }, 0, 0},
        {"remove nothing", [](auto& f) { return f.remove(u"none"); }, ENOENT, ENOENT},
        {"remove a path", [](auto& f) { return f.remove(u"d/f"); }, EINVAL, EINVAL},
        {"sync a file", [](auto& f) { return f.syncFile(u"g"); }, 0, EROFS},
        {"sync to undo", [](auto& f) { return f.syncFile(u"g", Purpose::kUndo); }, 0, 0},
        {"sync nothing", [](auto& f) { return f.syncFile(u"none", Purpose::kTidy); }, ENOENT,
         ENOENT},
        {"sync \"..\"", [](auto& f) { return f.syncFile(u".."); }, EINVAL, EINVAL},
        {"sync the folder", [](auto& f) { return f.sync(); }, 0, EROFS},
        {"restore", [](auto& f) { return f.restore(u"k", u"g"); }, 0, 0},
        {"restore nothing", [](auto& f) { return f.restore(u"none", u"g"); }, ENOENT, ENOENT},
        {"restore to \".\"", [](auto& f) { return f.restore(u"g", u"."); }, EINVAL, EINVAL},
    };
    for (const int fault : {0, EROFS}) {
        platform::setFileOperationFault([fault](std::uint64_t, auto) { return fault; });
        for (const auto& [what, call, inOpenFolder, refused] : cases) {
            for (const char* name : {"f", "g", "k"})
                m_folder.write(name, name);
            platform::HeldFolder held;
            EXPECT_EQ(call(held), inOpenFolder == EINVAL ? EINVAL : EBADF) << what;
            ASSERT_EQ(held.open(at(""), false), 0);
            EXPECT_EQ(call(held), fault == 0 ? inOpenFolder : refused) << what << ' ' << fault;
        }
    }
}

// A listing cut short by a read error is no listing: the /proc folders of an ended process fail
// to list (its network folder opens but its read fails, EINVAL; its descriptor notes do not open,
// ESRCH), where a folder removed while held lists as empty.
TEST_F(PlatformHeldFolder, NamesFailWhenTheFolderCannotBeListedWhole) {
    fs::create_directories(m_folder.at("d/sub"));
    fs::create_directories(m_folder.at("gone"));
    for (const char* name : {"d/b", "d/a", "d/bad\xFF", "gone/x"})
        m_folder.write(name, "");
    const auto ofEndedProcess = [](const char* folder) {
        platform::HeldFolder held;
        const BackgroundProgram sleeper("sleep 600", {});
        EXPECT_EQ(held.open(wide("Z:/proc/" + std::to_string(sleeper.Pid()) + "/" + folder), false),
                  0);
        return held;
    };
    const auto of = [this](const char* folder, bool remove) {
        platform::HeldFolder held;
        EXPECT_EQ(held.open(at(folder), false), 0);
        if (remove)
            fs::remove_all(m_folder.at(folder));
        return held;
    };
    using Names = std::vector<std::u16string>;
    const std::tuple<const char*, std::function<platform::HeldFolder()>, std::optional<Names>, int>
        cases[] = {
            {"a folder", [&] { return of("d", false); }, Names{u"a", u"b", u"sub"}, 0},
            {"a folder removed while held", [&] { return of("gone", true); }, Names{}, 0},
            {"network of an ended process", [&] { return ofEndedProcess("net"); }, {}, EINVAL},
            {"descriptor notes of an ended process",
             [&] { return ofEndedProcess("fdinfo"); },
             {},
             ESRCH},
            {"no folder", [] { return platform::HeldFolder(); }, {}, EBADF},
        };
    for (const auto& [what, open, names, error] : cases) {
        const platform::HeldFolder held = open();
        int got = -1;
        EXPECT_EQ(held.names(&got), names) << what;
        EXPECT_EQ(got, error) << what;
        EXPECT_EQ(held.names(), names) << what;
    }
}

// The open folder tells its identity; a folder opened below another is never handed to a program
// the process starts; a new file is made with the mode asked for, less the umask.
TEST_F(PlatformHeldFolder, TellTheFolderAndMakeNewFilesWithTheirMode) {
    fs::create_directories(m_folder.at("a/b"));
    platform::HeldFolder base;
    platform::HeldFolder below;
    EXPECT_EQ(base.identity(), std::nullopt);
    ASSERT_EQ(base.open(at(""), false), 0);
    std::size_t reached = 0;
    ASSERT_EQ(below.openBelow(base, {u"a", u"b"}, at("a/b"), reached), 0);
    EXPECT_EQ(base.identity(), identityOf(m_folder.root()));
    EXPECT_EQ(below.identity(), identityOf(m_folder.at("a/b")));
    EXPECT_NE(::fcntl(below.descriptor(), F_GETFD) & FD_CLOEXEC, 0);

    const mode_t umask = ::umask(027);
    const std::tuple<std::uint32_t, const char*, fs::perms> modes[] = {
        {0600, "journal", fs::perms(0600)},
        {0666, "output", fs::perms(0640)},
        {0755, "program", fs::perms(0750)},
    };
    for (const auto& [mode, name, perms] : modes) {
        platform::OutputFileStream out;
        EXPECT_TRUE(out.openNew(below, wide(name), mode) && out.close()) << name;
        EXPECT_EQ(fs::status(m_folder.at("a/b/"s + name)).permissions(), perms) << name;
    }
    ::umask(umask);
}

// renameNew takes its first way the file system allows: each keeps the file's identity, never
// replaces what stands under the new name, leaves one name on the file, and is one counted Rename.
TEST_F(PlatformHeldFolder, RenameNewTakesOnlyAFreeNameWhateverTheFileSystemRefuses) {
    using Op = platform::FileOperation;
    const std::pair<const char*, platform::FileSystemRefusals> fileSystems[] = {
        {"all allowed", {}},
        {"no rename flags", {.renameFlags = true}},
        {"no rename flags, no links", {.renameFlags = true, .links = true}},
    };
    std::vector<Op> asked;
    int refuse = 0;
    platform::setFileOperationFault([&](std::uint64_t, Op operation) {
        asked.push_back(operation);
        return refuse;
    });
    for (const auto& [name, refusals] : fileSystems) {
        SCOPED_TRACE(name);
        const TempFolder folder;
        for (const char* file : {"a", "b", "taken"})
            folder.write(file, file);
        fs::create_directory(folder.at("d"));
        platform::HeldFolder held;
        ASSERT_EQ(held.lockExclusive(wide(folder.systemPath()), 0ms, false), Result::kLocked);
        const auto a = identityAt(held, u"a");
        const auto b = identityAt(held, u"b");
        const auto taken = identityAt(held, u"taken");
        const auto d = identityAt(held, u"d");
        asked.clear();
        const ScopedFileSystemRefusals refused(refusals);

        EXPECT_EQ(held.renameNew(u"a", u"new"), 0);
        EXPECT_EQ(identityAt(held, u"new"), a);
        EXPECT_EQ(fs::hard_link_count(folder.at("new")), 1u);
        EXPECT_EQ(held.renameNew(u"d", u"e"), 0); // a folder, which no link can name
        EXPECT_EQ(identityAt(held, u"e"), d);
        EXPECT_EQ(held.renameNew(u"b", u"taken"), EEXIST);
        EXPECT_EQ(held.renameNew(u"e", u"taken"), EEXIST);
        EXPECT_EQ(held.renameNew(u"none", u"other"), ENOENT);
        refuse = EROFS;
        EXPECT_EQ(held.renameNew(u"b", u"fresh"), EROFS);
        refuse = 0;
        // A move by paths takes the same ways.
        EXPECT_TRUE(
            platform::moveFile(wide(folder.systemPath("new")), wide(folder.systemPath("moved"))));
        EXPECT_EQ(identityAt(held, u"moved"), a);
        EXPECT_FALSE(
            platform::moveFile(wide(folder.systemPath("b")), wide(folder.systemPath("taken"))));

        EXPECT_EQ(asked, std::vector<Op>(8, Op::Rename));
        // What was refused stands as it was, under one name each.
        EXPECT_EQ(held.names(), (std::vector<std::u16string>{u"b", u"e", u"moved", u"taken"}));
        EXPECT_EQ(identityAt(held, u"b"), b);
        EXPECT_EQ(identityAt(held, u"taken"), taken);
        EXPECT_EQ(folder.read("b") + folder.read("taken"), "btaken");
        EXPECT_EQ(fs::hard_link_count(folder.at("b")) + fs::hard_link_count(folder.at("taken")),
                  2u);
    }
}
