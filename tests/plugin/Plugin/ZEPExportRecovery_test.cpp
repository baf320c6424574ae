// Tests of the recovery of dead exports: a dead export counts as having stood only on positive
// evidence, an undoing changes only what the dead export put there and is never repeated over a
// later export's files, a journal acts only in the folder it was written in, and nothing another
// user makes under a journal's name stops or slows the next export.
#include "Plugin/ZEPExportRecovery.h"

#include "platform/fileseams.h"
#include "support/FileChangeFixture.h"
#include "support/FolderContents.h"
#include "support/Thrown.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The folder's files without the temporaries and journals (set aside ones too).
std::map<std::string, std::string> Lasting(const std::string& root) {
    static const std::regex passing("(.*/)?(~zep[0-9A-F]{16}\\.tmp|~zep-export-.*)");
    auto files = FolderContents(root);
    std::erase_if(files, [](const auto& file) { return std::regex_match(file.first, passing); });
    return files;
}

// The number of entries whose names hold `part`, below the root.
std::size_t Named(const std::string& root, const std::string& part) {
    std::size_t count = 0;
    for (const auto& [name, content] : FolderContents(root))
        count += name.find(part) != std::string::npos ? 1 : 0;
    return count;
}

// The folder's entries, each by its name with its kind, mode, owner, size and inode, read without
// opening any of them (a FIFO would hold the reader).
std::map<std::string, std::string> Entries(const std::string& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(root)) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        entries[entry.path().filename().string()] =
            std::to_string(info.st_mode) + " " + std::to_string(info.st_uid) + " " +
            std::to_string(info.st_size) + " " + std::to_string(info.st_ino);
    }
    return entries;
}

// Kills the process at the n-th folder sync from now on.
void KillAtFolderSync(int n) {
    platform::setFileOperationHook(
        [n, count = 0](std::uint64_t, platform::FileOperation operation) mutable {
            if (operation == platform::FileOperation::SyncFolder && ++count == n)
                std::raise(SIGKILL);
            return true;
        });
}

class ExportRecovery : public FileChangeFixture {
protected:
    // The text of the journals in the folder, one after the other.
    std::string JournalText(const std::string& folder) const {
        std::string text;
        for (const auto& [name, content] : FolderContents(m_temp.at(folder)))
            if (name.starts_with("~zep-export-"))
                text += content;
        return text;
    }
    // A hold of the folder, as another export's that has not yet resolved its journals, while
    // it lives.
    std::unique_ptr<platform::HeldFolder> Hold(const std::string& folder) const {
        auto holder = std::make_unique<platform::HeldFolder>();
        EXPECT_EQ(
            holder->lockExclusive(File(folder).wide_path(), std::chrono::milliseconds(0), true),
            platform::HeldFolder::Result::kLocked);
        return holder;
    }
};

} // namespace

// Dead exports in the states a kill, a peer or a move leaves them in, and what the next exports
// make of them: a dead export stands only where a journal marked committed is left and its
// primary's own folder holds no primary; anything else is undone, and only the dead export's own
// files go: a later export's file under the name stays, also one written while the dead export's
// first folder was held, and a folder undone once is not undone again.
TEST_F(ExportRecovery, ActsOnlyOnEvidenceAndOnlyOnTheDeadExportsOwnFiles) {
    using Change = std::function<void(ZEPFileTransaction&)>;
    const Change written = [](ZEPFileTransaction&) {}; // the host wrote; nothing recorded
    const Change inPlace = [](ZEPFileTransaction& files) { files.PutInPlace(); };
    const auto committing = [](int sync) {
        return [sync](ZEPFileTransaction& files) {
            files.PutInPlace();
            KillAtFolderSync(sync);
            files.Commit();
        };
    };
    const auto dead = [this](const Change& until) {
        KilledChange([&](ZEPFileTransaction& files) {
            ExportInto(files, "j", "o", "A");
            until(files);
        });
    };
    const auto commit = [this](const std::string& job, const std::string& content) {
        ZEPFileTransaction files;
        ExportInto(files, job, "o", content);
        files.Commit();
    };
    // The dead export's first folder held while a later export from another job folder writes.
    const auto laterWhileHeld = [&] {
        dead(written);
        {
            const auto holder = Hold("j");
            commit("k", "B");
        }
        Touch("j");
    };
    // The dead export's first folder, that of its primary, replaced by an empty one.
    const auto primaryFolderReplaced = [&](const Change& until) {
        return [&, until] {
            dead(until);
            fs::rename(m_temp.at("j"), m_temp.at("j.old"));
            fs::create_directory(m_temp.at("j"));
            Touch("o");
        };
    };
    const struct {
        const char* name;
        bool earlier; // o/ad.pdf stood before the dead export
        std::function<void()> after;
        std::map<std::string, std::string> lasting;
    } cases[] = {
        {"killed while the host wrote; a later export wrote while the first folder was held",
         true,
         laterWhileHeld,
         {{"j/next.bin", "next"}, {"k/items.bin", "B"}, {"o/ad.pdf", "B"}}},
        {"the same where nothing stood before",
         false,
         laterWhileHeld,
         {{"j/next.bin", "next"}, {"k/items.bin", "B"}, {"o/ad.pdf", "B"}}},
        {"undone once while its other folder was held, not again over a later file",
         false,
         [&] {
             KilledChange([&](ZEPFileTransaction& files) {
                 files.Begin(File("j"), {File("o")});
                 WriteStaged(files, File("o/items.bin"), "A");
                 files.Expect(File("j/ad.pdf"));
                 WriteAsTheHost(files, "j/ad.pdf", "A");
                 files.PutInPlace();
             });
             {
                 const auto holder = Hold("o");
                 Touch("j");
                 // Its primary stays for o, written again without its files.
                 EXPECT_EQ(Named(m_temp.at("j"), "~zep-export-"), 1u);
                 EXPECT_EQ(JournalText("j").find("\nfile\t"), std::string::npos);
                 ZEPFileTransaction later;
                 later.Begin(File("j"), {});
                 later.Expect(File("j/ad.pdf"));
                 WriteAsTheHost(later, "j/ad.pdf", "C");
                 later.Commit();
             }
             Touch("j");
         },
         {{"j/ad.pdf", "C"}, {"j/next.bin", "next"}}},
        {"its primary removed by another",
         true,
         [&] {
             dead(inPlace);
             for (const auto& entry : fs::directory_iterator(m_temp.at("j")))
                 if (entry.path().filename().string().starts_with("~zep-export-"))
                     fs::remove(entry.path());
             Touch("o");
         },
         {{"j/items.bin", "A"}, {"o/ad.pdf", "earlier"}, {"o/next.bin", "next"}}},
        {"its primary's folder replaced by an empty one",
         true,
         primaryFolderReplaced(inPlace),
         {{"j.old/items.bin", "A"}, {"o/ad.pdf", "earlier"}, {"o/next.bin", "next"}}},
        {"committed, its primary's folder replaced by an empty one: undone",
         true,
         primaryFolderReplaced(committing(1)),
         {{"j.old/items.bin", "A"}, {"o/ad.pdf", "earlier"}, {"o/next.bin", "next"}}},
        {"committed, its primary gone: it stood",
         true,
         [&] {
             dead(committing(2));
             Touch("o");
         },
         {{"j/items.bin", "A"}, {"o/ad.pdf", "A"}, {"o/next.bin", "next"}}},
        {"committed, its primary still there: undone",
         true,
         [&] {
             dead(committing(1));
             Touch("o");
         },
         {{"o/ad.pdf", "earlier"}, {"o/next.bin", "next"}}},
        {"its journal moved into another folder",
         true,
         [&] {
             dead(inPlace);
             m_temp.write("p/ad.pdf", "p's");
             for (const auto& entry : fs::directory_iterator(m_temp.at("o")))
                 if (entry.path().filename().string().starts_with("~zep-export-"))
                     fs::rename(entry.path(), fs::path(m_temp.at("p")) / entry.path().filename());
             Touch("p");
             EXPECT_EQ(Named(m_temp.at("p"), ".journal."), 1u); // set aside
         },
         {{"j/items.bin", "A"}, {"o/ad.pdf", "A"}, {"p/ad.pdf", "p's"}, {"p/next.bin", "next"}}},
    };
    for (const auto& c : cases) {
        fs::remove_all(m_temp.root());
        for (const char* folder : {"", "j", "k", "o", "p"})
            fs::create_directories(m_temp.at(folder));
        if (c.earlier)
            m_temp.write("o/ad.pdf", "earlier");
        c.after();
        auto lasting = Lasting(m_temp.root());
        std::erase_if(lasting, [](const auto& file) { return file.first.ends_with("/"); });
        EXPECT_EQ(lasting, c.lasting) << c.name;
    }
}

// As other users, where the test runs as root: what another user lays under a journal's name in
// a shared sticky folder (a file, a FIFO or a folder of mode 000, and thousands of large files)
// is never opened, set aside or renamed and neither stops nor slows the user's export; a
// colleague's export into a shared output folder is never undone by the user's next export after
// the user's own died there, whatever the folder's mode.
TEST_F(ExportRecovery, NothingAnotherUserMakesStopsOrTurnsTheExport) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "other users' files need root to make them";
    constexpr unsigned kUser = 65533;
    constexpr unsigned kPeer = 65534;
    const auto journal = [](int n) {
        char name[64];
        std::snprintf(name, sizeof name, "~zep-export-%016X.journal", n);
        return std::string(name);
    };
    fs::permissions(m_temp.root(), fs::perms(01777));
    std::vector<std::string> peers;
    for (int n = 0; n < 3; ++n)
        peers.push_back(m_temp.at(journal(n)));
    m_temp.write(journal(0), "peer");
    ASSERT_EQ(::mkfifo(peers[1].c_str(), 0), 0);
    fs::create_directory(peers[2]);
    for (int n = 3; n < 2003; ++n) {
        m_temp.write(journal(n), "");
        fs::resize_file(m_temp.at(journal(n)), 16u << 20); // sparse: large, costing nothing
        peers.push_back(m_temp.at(journal(n)));
    }
    for (const std::string& peer : peers) {
        ASSERT_EQ(::lchown(peer.c_str(), kPeer, kPeer), 0);
        ASSERT_EQ(::chmod(peer.c_str(), 0), 0);
    }
    const auto before = Entries(m_temp.root());
    const auto start = std::chrono::steady_clock::now();
    ChildProcess user([&] { Touch(""); }, kUser);
    EXPECT_TRUE(user.Succeeded());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(m_temp.read("next.bin"), "next");
    auto after = Entries(m_temp.root());
    after.erase("next.bin");
    EXPECT_EQ(after, before);

    for (const fs::perms mode : {fs::perms(0777), fs::perms(01777)}) {
        fs::remove_all(m_temp.root());
        fs::create_directory(m_temp.root());
        fs::permissions(m_temp.root(), fs::perms(0755));
        for (const auto& [folder, owner] : {std::pair("u", kUser), {"c", kPeer}, {"k", 0u}}) {
            fs::create_directory(m_temp.at(folder));
            ASSERT_EQ(::chown(m_temp.at(folder).c_str(), owner, owner), 0);
        }
        fs::permissions(m_temp.at("k"), mode);
        KilledChange([&](ZEPFileTransaction& files) { ExportInto(files, "u", "k", "A"); }, kUser);
        ChildProcess colleague(
            [&] {
                ZEPFileTransaction files;
                ExportInto(files, "c", "k", "C");
                files.Commit();
            },
            kPeer);
        EXPECT_TRUE(colleague.Succeeded()) << static_cast<int>(mode);
        ChildProcess next([&] { Touch("u"); }, kUser);
        EXPECT_TRUE(next.Succeeded()) << static_cast<int>(mode);
        EXPECT_EQ(m_temp.read("k/ad.pdf"), "C") << static_cast<int>(mode);
    }
}
