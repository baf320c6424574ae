// Tests of what an export does with the folders it writes into, on the example ad (its placed
// image embedded, with a colour profile) exported with the example jobs into drive J:: another
// holder of one of its folders ends the export at the end of its wait with one alert and
// nothing written; a "PlacedImages" that is no real folder is refused before anything is
// written, a folder it leads to left alone; each file the export publishes is synced before the
// rename that publishes it, each folder it changed after its renames. The host answers relied on:
// the example ad goes out as PDF with the PDF job and, having transparency, as two EPS pages with
// the EPS job; the export commands write their output beside its name and rename it over it.
#include "Analysis/ZEPTransparencyFlattener.h"
#include "Plugin/ZEPFileTransaction.h"
#include "Plugin/ZEPID.h"
#include "Request_Handling/ZEPScriptProvider.h"
#include "host/standin/Description.h"
#include "host/standin/Scripting.h"
#include "platform/files.h"
#include "platform/fileseams.h"
#include "support/CompanionFixture.h"
#include "support/ExampleText.h"
#include "support/FolderContents.h"
#include "support/PluginFixture.h"
#include "support/Test.h"

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The POSIX path a system path maps to, without "." and ".." or a separator at its end.
std::string Mapped(const std::u16string& path) {
    std::string mapped = fs::path(platform::toPosixPath(path).value_or("")).lexically_normal();
    while (mapped.size() > 1 && mapped.back() == '/')
        mapped.pop_back();
    return mapped;
}

class ExportFolders : public PluginTest, public CompanionFixture {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_environment.Set("ZEP_DRIVE_J", Job());
        fs::create_directory(Job());
        host::LoadDescription(ExampleText("studio.json"));
        host::OpenDocumentDescription(ExampleText("spring_sale.json"));
        static_cast<void>(GetOrCreateFlattenerStyle());
    }
    void TearDown() override {
        platform::setFileOperationHook({});
        platform::setFolderLockWaitLimit(std::nullopt);
        PluginTest::TearDown();
    }

    std::string Job(const std::string& relative = {}) const {
        return m_folder.at(relative.empty() ? "job" : "job/" + relative);
    }
    // 'expY' of an example job, fitted: the alerts it ended in.
    static std::vector<std::string> Export(const std::string& job) {
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        host::CallScriptMethod(
            kExportJobMethod,
            {{kJobParameter, ScriptData(PMString(ExampleText("jobs/" + job + ".hex")))},
             {kFitParameter, ScriptData(true)}});
        return Log(host::Channel::Alerts);
    }
};

// While something else holds the job folder or its "PlacedImages" (as another export does), the
// export waits for it at most for its limit (here shortened), then ends in one alert naming the
// folder, with nothing written and no event.
TEST_F(ExportFolders, AnotherHolderOfAFolderEndsTheExportAtTheEndOfItsWaitHavingWrittenNothing) {
    fs::create_directory(Job("PlacedImages"));
    m_folder.write("job/spring-sale.pdf", "earlier");
    platform::setFolderLockWaitLimit(200ms);
    for (const std::string folder : {"", "PlacedImages"}) {
        const auto companion = Listen();
        const std::string name = Job(folder);
        platform::HeldFolder other;
        ASSERT_EQ(other.lockExclusive(std::u16string(name.begin(), name.end()), 0ms, true),
                  platform::HeldFolder::Result::kLocked);
        const auto before = FolderContents(Job());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Export("spring_sale_pdf"),
                  std::vector<std::string>{"The folder J:/" + folder +
                                           " cannot be written: another export is writing there."});
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_EQ(FolderContents(Job()), before) << folder;
        EXPECT_EQ(companion->Messages().size(), 0u) << folder;
    }
}

// A "PlacedImages" that is a symbolic link (to a folder outside the job's, or to nothing) or a
// file ends the export in one alert naming it before anything is written: the job folder stays
// as it was, the folder outside empty.
TEST_F(ExportFolders, APlacedImagesFolderThatIsNoRealFolderIsRefusedBeforeAnythingIsWritten) {
    const TempFolder outside;
    const struct {
        const char* name;
        std::function<void()> make;
        const char* reason;
    } cases[] = {
        {"a link to a folder outside",
         [&] { fs::create_directory_symlink(outside.root(), Job("PlacedImages")); },
         "it is a symbolic link"},
        {"a link to nothing", [&] { fs::create_symlink(outside.at("none"), Job("PlacedImages")); },
         "it is a symbolic link"},
        {"a file", [&] { m_folder.write("job/PlacedImages", "a file"); }, "it is not a folder"},
    };
    for (const auto& c : cases) {
        fs::remove_all(Job());
        fs::create_directory(Job());
        m_folder.write("job/spring-sale.pdf", "earlier");
        c.make();
        const auto companion = Listen();
        const auto before = FolderContents(Job());
        EXPECT_EQ(Export("spring_sale_pdf"),
                  std::vector<std::string>{"The folder J:/PlacedImages cannot be written: " +
                                           std::string(c.reason) + "."})
            << c.name;
        EXPECT_EQ(FolderContents(Job()), before) << c.name;
        EXPECT_TRUE(fs::is_empty(outside.root())) << c.name;
        EXPECT_EQ(companion->Messages().size(), 0u) << c.name;
    }
}

// Every file the export leaves under its name got there by a rename, after the journal listed
// it: a file the plug-in staged is synced before its rename, an output the host renamed over its
// name after it; the folder of each is synced after the last rename into it. The journal itself
// is synced before its rename.
TEST_F(ExportFolders, EachPublishedFileIsSyncedBeforeItsRenameAndEachFolderAfterItsRenames) {
    using Op = platform::FileOperation;
    struct Seen {
        Op op;
        std::string path;
        std::string target;
    };
    for (const char* job : {"spring_sale_pdf", "spring_sale_eps"}) {
        fs::remove_all(Job());
        fs::create_directory(Job());
        std::vector<Seen> seen;
        platform::setFileOperationHook([&](std::uint64_t, Op op) {
            const platform::FileOperationPaths& paths = platform::currentFileOperationPaths();
            seen.push_back({op, Mapped(paths.path), Mapped(paths.target)});
            return true;
        });
        const auto companion = Listen();
        EXPECT_EQ(Export(job), std::vector<std::string>{}) << job;
        platform::setFileOperationHook({});
        EXPECT_EQ(companion->Messages().size(), 2u) << job;

        // The first operation on `path` of that kind in [from, to); seen.size() when none.
        const auto index = [&](Op op, const std::string& path, std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to && i < seen.size(); ++i)
                if (seen[i].op == op && seen[i].path == path)
                    return i;
            return seen.size();
        };
        std::size_t journal = seen.size();
        for (std::size_t i = 0; i < seen.size() && journal == seen.size(); ++i)
            if (seen[i].op == Op::Rename && fs::path(seen[i].target).parent_path() == Job() &&
                IsJournalName(fs::path(seen[i].target).filename().u16string()))
                journal = i;
        ASSERT_LT(journal, seen.size()) << job;
        EXPECT_LT(index(Op::Sync, seen[journal].path, 0, journal), journal) << job;
        std::size_t published = 0;
        for (const auto& [name, content] : FolderContents(Job())) {
            if (name.ends_with('/'))
                continue;
            ++published;
            const std::string file = Job(name);
            std::size_t rename = seen.size();
            for (std::size_t i = 0; i < seen.size(); ++i)
                if (seen[i].op == Op::Rename && seen[i].target == file)
                    rename = i;
            ASSERT_LT(rename, seen.size()) << job << ": " << name;
            EXPECT_GT(rename, journal) << job << ": " << name;
            EXPECT_TRUE(index(Op::Sync, seen[rename].path, 0, rename) < rename ||
                        index(Op::Sync, file, rename, seen.size()) < seen.size())
                << job << ": " << name;
            const std::string folder = fs::path(file).parent_path();
            std::size_t last = rename;
            for (std::size_t i = rename; i < seen.size(); ++i)
                if (seen[i].op == Op::Rename && fs::path(seen[i].target).parent_path() == folder)
                    last = i;
            EXPECT_LT(index(Op::SyncFolder, folder, last, seen.size()), seen.size())
                << job << ": " << name;
        }
        EXPECT_GE(published, 4u) << job; // output, page items, graphic, profile
        // The primary journal's removal (no counted operation), which makes the export stand, on
        // the disk: the job folder is synced after the last rename.
        std::size_t lastRename = 0;
        for (std::size_t i = 0; i < seen.size(); ++i)
            if (seen[i].op == Op::Rename)
                lastRename = i;
        EXPECT_LT(index(Op::SyncFolder, Job(), lastRename, seen.size()), seen.size()) << job;
    }
}

} // namespace
