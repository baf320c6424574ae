#include "platform/regularfile.h"

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

using Outcome = platform::RegularFileRead::Outcome;

std::u16string SystemPath(const std::string& path) {
    return std::u16string(path.begin(), path.end()); // ASCII names only
}

// Whatever stands under the name, the read ends at once: only a regular file within the bound
// is read, and of anything else the outcome says what stands there.
TEST(PlatformRegularFile, ReadsOnlyARegularFileWithinTheBoundAndTellsWhatElseStandsThere) {
    TempFolder folder;
    folder.write("ten", "0123456789");
    ASSERT_EQ(::mkfifo(folder.at("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.at("folder"));
    std::filesystem::create_symlink(folder.at("ten"), folder.at("link"));
    folder.write("sparse", "");
    std::filesystem::resize_file(folder.at("sparse"), std::uint64_t{1} << 31);
    const ScopedEnvironmentVariable unmapped("ZEP_DRIVE_Q", std::nullopt);
    const struct {
        std::string path; // %F: the folder's system path
        std::uint64_t bound;
        Outcome outcome;
        std::string bytes = {};
        int error = 0;
        std::string kind = {};
        std::uint64_t size = 0; // of the stamp
    } cases[] = {
        {"%F/ten", 10, Outcome::kRead, "0123456789", 0, "", 10},
        {"%F/ten", 9, Outcome::kTooLarge, "", 0, "", 10},
        {"%F/sparse", 1u << 27, Outcome::kTooLarge, "", 0, "", std::uint64_t{1} << 31},
        {"%F/missing", 10, Outcome::kNotOpened, "", ENOENT},
        {"%F/ten/below", 10, Outcome::kNotOpened, "", ENOTDIR},
        {"%F/fifo", 10, Outcome::kNotRegular, "", 0, "a FIFO"},
        {"%F/folder", 10, Outcome::kNotRegular, "", 0, "a folder"},
        {"Z:/dev/null", 10, Outcome::kNotRegular, "", 0, "a device"},
        {"%F/link", 10, Outcome::kSymbolicLink, "", ELOOP},
        // A file whose size the system gives as 0 and that holds more than the bound.
        {"Z:/proc/self/status", 10, Outcome::kTooLarge},
        // A path that names no file.
        {"Q:/ten", 10, Outcome::kNotOpened},
    };
    for (const auto& c : cases) {
        std::string path = c.path;
        if (path.starts_with("%F"))
            path = folder.systemPath() + path.substr(2);
        const platform::RegularFileRead read = platform::readRegularFile(SystemPath(path), c.bound);
        EXPECT_EQ(read.outcome, c.outcome) << path;
        EXPECT_EQ(read.bytes, c.bytes) << path;
        EXPECT_EQ(read.error, c.error) << path;
        EXPECT_EQ(read.kind, c.kind) << path;
        if (c.size != 0) {
            EXPECT_EQ(read.stamp.size, c.size) << path;
        }
    }
}

// The stamp tells a file put under the name in place of another, even with the same bytes.
TEST(PlatformRegularFile, ItsStampChangesWhenAnotherFileTakesTheName) {
    TempFolder folder;
    folder.write("a", "same");
    const std::u16string path = SystemPath(folder.systemPath("a"));
    const platform::FileStamp first = platform::readRegularFile(path, 100).stamp;
    EXPECT_EQ(platform::readRegularFile(path, 100).stamp, first);
    folder.write("b", "same");
    std::filesystem::rename(folder.at("b"), folder.at("a"));
    EXPECT_NE(platform::readRegularFile(path, 100).stamp, first);
}

} // namespace
