// Tests of the export's change of the file system across processes: a change killed while it
// rolls back, at each of its file operations, leaves under every name the old file or the new
// one, and the next change makes them the old set or the new set; a commit removes the
// temporaries that changes no longer running left in its folders, and no file of the user's,
// while a change still running holds the folder: another change waits for it, at most for its
// limit; the next change completes or undoes a dead change's journal, and sets aside one that
// does not read, touching nothing.
#include "Plugin/ZEPFileTransaction.h"

#include "platform/files.h"
#include "platform/fileseams.h"
#include "support/FileChangeFixture.h"
#include "support/FileSystemRefusals.h"
#include "support/FolderContents.h"
#include "support/FuseMount.h"
#include "support/LogCapture.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool IsTemporary(const std::string& name) {
    static const std::regex temporary("~zep[0-9A-F]{16}\\.tmp");
    return std::regex_match(name, temporary);
}

// The temporaries in the folder, by name.
std::set<std::string> Temporaries(const TempFolder& folder) {
    std::set<std::string> names;
    for (const auto& [name, content] : FolderContents(folder.root()))
        if (IsTemporary(name))
            names.insert(name);
    return names;
}

bool IsJournal(const std::string& name) {
    return IsJournalName(std::filesystem::path(name).filename().u16string());
}

// The files without the temporaries and the journal of a change that died.
std::map<std::string, std::string> WithoutTemporaries(std::map<std::string, std::string> files) {
    std::erase_if(
        files, [](const auto& file) { return IsTemporary(file.first) || IsJournal(file.first); });
    return files;
}

using Child = ChildProcess;

bool KilledBySigkill(int status) {
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class FileTransaction : public FileChangeFixture {
protected:
    // In the folder `folder` (of the test's): an export into it stands, a second one over the
    // first one's files stands, a third one killed with its files in place is undone by the next
    // export from the folder.
    void ExportsStandAndAKilledOneIsUndone(const std::string& folder) const {
        const auto change = [&](const std::string& content) {
            return [this, folder, content](ZEPFileTransaction& files) {
                ExportInto(files, folder, folder, content);
                files.PutInPlace();
            };
        };
        const auto lasting = [&] {
            auto files = FolderContents(m_temp.at(folder));
            std::erase_if(files, [](const auto& file) { return IsTemporary(file.first); });
            return files;
        };
        for (const char* content : {"1", "2"}) {
            ZEPFileTransaction files;
            change(content)(files);
            files.Commit();
            EXPECT_EQ(lasting(), (std::map<std::string, std::string>{{"ad.pdf", content},
                                                                     {"items.bin", content}}));
        }
        KilledChange(change("3"));
        EXPECT_EQ(m_temp.read(folder + "/ad.pdf"), "3");
        Touch(folder);
        EXPECT_EQ(lasting(), (std::map<std::string, std::string>{
                                 {"ad.pdf", "2"}, {"items.bin", "2"}, {"next.bin", "next"}}));
    }

    // A change that writes "ad.pdf" and "ad.eps" (the host's outputs, over earlier ones),
    // "ad.eps#2" (the host's, new) and "items.bin" (staged, over an earlier one) and puts them in
    // place, then fails: it rolls back.
    void FailedChange(const std::function<void()>& beforeRollback) const {
        ZEPFileTransaction files;
        files.Expect(File("ad.pdf"));
        WriteAsTheHost(files, "ad.pdf", "new ad.pdf");
        files.Expect({File("ad.eps"), File("ad.eps#2")});
        WriteAsTheHost(files, "ad.eps", "new ad.eps");
        WriteAsTheHost(files, "ad.eps#2", "new ad.eps#2");
        WriteStaged(files, File("items.bin"), "new items.bin");
        files.PutInPlace();
        beforeRollback();
    }
};

// Held and killed at each file operation of its rollback (the file-operation hook, in a child
// process), a failed change leaves under each name the earlier file or the new one, whole, and
// after the next change into the folder the earlier files or the new ones together, and no
// temporary; run to its end it leaves the earlier files alone, and no temporary.
TEST_F(FileTransaction, ARollbackKilledAtAnyOfItsFileOperationsLeavesTheOldOrTheNewFiles) {
    const std::map<std::string, std::string> earlier{
        {"ad.pdf", "old ad.pdf"}, {"ad.eps", "old ad.eps"}, {"items.bin", "old items.bin"}};
    const std::map<std::string, std::string> changed{{"ad.pdf", "new ad.pdf"},
                                                     {"ad.eps", "new ad.eps"},
                                                     {"ad.eps#2", "new ad.eps#2"},
                                                     {"items.bin", "new items.bin"}};
    std::uint64_t kills = 0;
    for (std::uint64_t at = 1;; ++at) {
        std::filesystem::remove_all(m_temp.root());
        std::filesystem::create_directory(m_temp.root());
        for (const auto& [name, content] : earlier)
            m_temp.write(name, content);
        Child rollback([&] {
            FailedChange([at] {
                platform::setFileOperationHook([at](std::uint64_t n, platform::FileOperation) {
                    if (n == at)
                        std::raise(SIGKILL);
                    return true;
                });
            });
        });
        const int status = rollback.Wait();
        const auto left = WithoutTemporaries(FolderContents(m_temp.root()));
        for (const auto& [name, content] : earlier)
            EXPECT_TRUE(left.contains(name)) << "killed at " << at << ": " << name << " lost";
        for (const auto& [name, content] : left)
            EXPECT_TRUE((earlier.contains(name) && earlier.at(name) == content) ||
                        (changed.contains(name) && changed.at(name) == content))
                << "killed at " << at << ": " << name << " holds " << content;
        if (!KilledBySigkill(status)) {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(left, earlier);
            EXPECT_EQ(Temporaries(m_temp), std::set<std::string>{});
            const auto all = FolderContents(m_temp.root());
            EXPECT_TRUE(std::none_of(all.begin(), all.end(),
                                     [](const auto& file) { return IsJournal(file.first); }));
            break;
        }
        ++kills;
        // The next change into the folder makes the set whole.
        {
            ZEPFileTransaction next;
            WriteStaged(next, File("next.bin"), "next");
            next.Commit();
        }
        auto whole = FolderContents(m_temp.root());
        EXPECT_EQ(whole["next.bin"], "next");
        whole.erase("next.bin");
        EXPECT_TRUE(whole == earlier || whole == changed) << "killed at " << at;
    }
    // Three files put back, the folder synced, the journal removed and the folder synced.
    EXPECT_EQ(kills, 5u);
}

// A dead change's temporaries go with the next commit into the folder; while another change runs
// there, the next one waits for the folder and, at the end of its wait, fails without changing
// anything; once the other is dead, its temporaries go too. Files of the user's stay, also when
// named nearly like a temporary.
TEST_F(FileTransaction, ACommitRemovesTheTemporariesOfChangesNoLongerRunningAndNothingElse) {
    const std::map<std::string, std::string> user{{"ad.pdf", "old ad.pdf"},
                                                  {"items.bin", "old items.bin"},
                                                  {"~zep0123456789ABCDEF.tmp.bak", "user"},
                                                  {"~zep0123456789abcdef.tmp", "user"},
                                                  {"~zep0123456789ABCDE.tmp", "user"},
                                                  {"~zep0123456789ABCDEF0.tmp", "user"},
                                                  {"x~zep0123456789ABCDEF.tmp", "user"},
                                                  {"~ZEP0123456789ABCDEF.tmp", "user"},
                                                  {"~zep0123456789ABCDEG.tmp", "user"},
                                                  {"~zep0123456789ABCDEF.TMP", "user"}};
    for (const auto& [name, content] : user)
        m_temp.write(name, content);
    std::filesystem::create_directory(m_temp.at("~zepFFFFFFFFFFFFFFFF.tmp"));
    const auto commit = [this](const std::string& content) {
        ZEPFileTransaction files;
        WriteStaged(files, File("items.bin"), content);
        files.Commit();
    };
    // Each change keeps the earlier "ad.pdf" and stages a file of its own.
    const auto change = [this](const std::string& file) {
        return [this, file] {
            ZEPFileTransaction files;
            files.Expect(File("ad.pdf"));
            WriteStaged(files, File(file), "unfinished");
            std::raise(SIGKILL);
        };
    };

    Child dead(change("dead.bin"));
    ASSERT_TRUE(KilledBySigkill(dead.Wait()));
    const std::set<std::string> deadTemporaries = Temporaries(m_temp);
    ASSERT_EQ(deadTemporaries.size(), 2u);
    commit("first");
    EXPECT_EQ(Temporaries(m_temp), std::set<std::string>{});

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    Child running([&] {
        ZEPFileTransaction files;
        files.Expect(File("ad.pdf"));
        WriteStaged(files, File("running.bin"), "unfinished");
        char byte = 1;
        static_cast<void>(::write(ready[1], &byte, 1));
        ::pause(); // until killed
    });
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    const std::set<std::string> runningTemporaries = Temporaries(m_temp);
    ASSERT_EQ(runningTemporaries.size(), 2u);
    const auto whileRunning = FolderContents(m_temp.root());
    platform::setFolderLockWaitLimit(std::chrono::milliseconds(100));
    EXPECT_EQ(Thrown([&] { commit("second"); }),
              "0x52E0A The folder " + m_temp.systemPath() +
                  " cannot be written: another export is writing there.");
    platform::setFolderLockWaitLimit(std::nullopt);
    EXPECT_EQ(FolderContents(m_temp.root()), whileRunning);
    running.Kill();
    ASSERT_TRUE(KilledBySigkill(running.Wait()));
    commit("third");
    EXPECT_EQ(Temporaries(m_temp), std::set<std::string>{});

    auto left = FolderContents(m_temp.root());
    EXPECT_EQ(left["items.bin"], "third");
    left["items.bin"] = "old items.bin";
    auto expected = user;
    expected["~zepFFFFFFFFFFFFFFFF.tmp/"];
    EXPECT_EQ(left, expected);
}

} // namespace

// Before anything else, the next change that holds a folder resolves the dead exports' journals
// lying there, acting only on what each dead export put there and only through a journal of the
// user's own: a planted journal naming a folder up or outside, another user's journal in a shared
// sticky folder, a link to a journal, or an output folder outside the job folder leave everything
// but the dead export's own files unchanged, and the change goes on. A journal of the user's that
// does not read, or that was written in another folder, is set aside with an ERROR record:
// nothing it names is touched, nothing swept.
TEST_F(FileTransaction, TheNextChangeResolvesOnlyTheUsersOwnJournalsAndOnlyTheirOwnFiles) {
    const LogCapture log;
    const TempFolder outside;
    const std::string kept = "~zep00000000000000A1.tmp";
    const std::string staged = "~zep00000000000000A2.tmp";
    const std::string stray = "~zep00000000000000B0.tmp";
    const std::string hostStaged = "~zep00000000000000A3.tmp";
    const std::string journalName = "~zep-export-00000000000000D1.journal";
    const std::string place = "Z:" + std::filesystem::canonical(m_temp.root()).string();
    // ad.pdf as the host left it and the export put it in place, what stood there kept; items.bin
    // staged, not yet in place.
    const std::map<std::string, std::string> before{
        {"ad.pdf", "new"}, {kept, "old"}, {staged, "new items"}, {stray, "stray"}};
    const auto id = [this](const std::string& name) {
        struct stat info {};
        ::lstat(m_temp.at(name).c_str(), &info);
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    };
    const auto journal = [&](const std::string& siblings, const std::string& files,
                             const std::string& folderId = {}) {
        const std::string folder = place + "\t" + (folderId.empty() ? id("") : folderId);
        return "ZEPHRIN EXPORT JOURNAL 3\nexport\t00000000000000D1\nfolder\t" + folder +
               "\nprimary\t" + folder + "\n" + siblings + files + "end\topen\n";
    };
    // ad.pdf's staged file is the one `pdf` names now.
    const auto files = [&](const std::string& pdf = "ad.pdf") {
        return "file\tad.pdf\t" + kept + "\tlink\t" + id(kept) + "\t" + hostStaged + "\t" +
               id(pdf) + "\nfile\titems.bin\t\t\t\t" + staged + "\t" + id(staged) + "\n";
    };
    // Once the journal is resolved, or not acted on, the sweep removes the user's temporaries
    // that no journal names.
    const std::map<std::string, std::string> undone{{"ad.pdf", "old"}};
    const std::string outsidePlace = "Z:" + std::filesystem::canonical(outside.root()).string();
    const auto outsideId = [&] {
        struct stat info {};
        ::lstat(outside.root().c_str(), &info);
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    };
    enum class Outcome { kResolved, kNotActedOn, kSetAside };
    const struct {
        const char* name;
        std::function<std::string()> journal;
        Outcome outcome;
        std::map<std::string, std::string> after; // kSetAside: the folder as planted
        std::function<void()> plant = {};         // how the journal is laid down, beside it
        bool outputOutside = false;
        bool asRoot = false; // it needs another user's files
    } cases[] = {
        {"undone", [&] { return journal("", files()); }, Outcome::kResolved, undone},
        {"a later file under the name stays",
         [&] { return journal("", files(stray)); },
         Outcome::kResolved,
         {{"ad.pdf", "new"}}},
        {"a sibling up and outside",
         [&] {
             return journal("sibling\t" + place + "/../" +
                                std::filesystem::path(outside.root()).filename().string() + "\t" +
                                outsideId() + "\n",
                            files());
         },
         Outcome::kResolved, undone},
        {"an absolute folder outside",
         [&] { return journal("sibling\t" + outsidePlace + "\t" + outsideId() + "\n", files()); },
         Outcome::kResolved, undone},
        {"an output folder outside the job folder",
         [&] { return journal("sibling\t" + outsidePlace + "\t" + outsideId() + "\n", files()); },
         Outcome::kResolved,
         undone,
         {},
         true},
        {"another user's journal and files in a sticky folder",
         [&] { return journal("", files()); },
         Outcome::kNotActedOn,
         {{"ad.pdf", "new"}, {kept, "old"}, {staged, "new items"}, {journalName, ""}},
         [&] {
             std::filesystem::permissions(m_temp.root(), std::filesystem::perms(01777));
             for (const std::string& name : {journalName, std::string("ad.pdf"), kept, staged})
                 EXPECT_EQ(::lchown(m_temp.at(name).c_str(), 65534, 65534), 0) << name;
         },
         false,
         true},
        {"a link to a journal",
         [&] { return journal("", files()); },
         Outcome::kNotActedOn,
         {{"ad.pdf", "new"}, {journalName, ""}},
         [&] {
             std::filesystem::rename(m_temp.at(journalName), outside.at("real.journal"));
             std::filesystem::create_symlink(outside.at("real.journal"), m_temp.at(journalName));
         }},
        {"written in another folder",
         [&] { return journal("", files(), "1:1"); },
         Outcome::kSetAside,
         {}},
        {"not text", [] { return std::string("\x01\x02\x03\n"); }, Outcome::kSetAside, {}},
        {"cut short", [&] { return journal("", files()).substr(0, 90); }, Outcome::kSetAside, {}},
        {"an earlier version's",
         [&] { return "ZEPHRIN EXPORT JOURNAL 1\nundo\nfolder\t" + place + "\nend\n"; },
         Outcome::kSetAside,
         {}},
        {"the format before",
         [&] {
             return "ZEPHRIN EXPORT JOURNAL 2\nexport\t00000000000000D1\nfolder\t" + place +
                    "\nprimary\t" + place + "\nfile\tad.pdf\t\t\t\t\t\nend\nmade\tad.pdf\t" +
                    id("ad.pdf") + "\n";
         },
         Outcome::kSetAside,
         {}},
        {"a final name that is a path",
         [&] { return journal("", "file\t..%2Fad.pdf\t\t\t\t\t\n"); },
         Outcome::kSetAside,
         {}},
        {"a final name cut by a NUL",
         [&] {
             return journal("",
                            "file\tad.pdf%00x\t\t\t\t" + hostStaged + "\t" + id("ad.pdf") + "\n");
         },
         Outcome::kSetAside,
         {}},
        {"a final name that is a temporary",
         [&] { return journal("", "file\t" + stray + "\t\t\t\t\t\n"); },
         Outcome::kSetAside,
         {}},
        {"a kept name that is no temporary",
         [&] { return journal("", "file\tad.pdf\tnew.pdf\tlink\t1:2\t\t\n"); },
         Outcome::kSetAside,
         {}},
    };
    outside.write("ad.pdf", "outside");
    std::size_t setAside = 0;
    std::size_t notOwn = 0;
    for (const auto& c : cases) {
        if (c.asRoot && ::geteuid() != 0)
            continue; // only root can give a file to another user
        std::filesystem::permissions(m_temp.root(), std::filesystem::perms(0700));
        std::filesystem::remove_all(m_temp.root());
        std::filesystem::create_directory(m_temp.root());
        for (const auto& [name, content] : before)
            m_temp.write(name, content);
        const std::string text = c.journal();
        m_temp.write(journalName, text);
        if (c.plant)
            c.plant();
        const auto planted = FolderContents(m_temp.root());
        {
            ZEPFileTransaction files;
            if (c.outputOutside)
                files.Begin(File(""), {UFileSpecCore(ustring(outside.systemPath()), nullptr)});
            WriteStaged(files, File("next.bin"), "next");
            files.Commit();
        }
        auto after = FolderContents(m_temp.root());
        EXPECT_EQ(after["next.bin"], "next") << c.name;
        after.erase("next.bin");
        auto outsideAfter = FolderContents(outside.root());
        outsideAfter.erase("real.journal");
        EXPECT_EQ(outsideAfter, (std::map<std::string, std::string>{{"ad.pdf", "outside"}}))
            << c.name;
        if (c.outcome != Outcome::kSetAside) {
            auto expected = c.after;
            if (expected.contains(journalName))
                expected[journalName] = text;
            EXPECT_EQ(after, expected) << c.name;
            notOwn += c.outcome == Outcome::kNotActedOn ? 1 : 0;
            continue;
        }
        ++setAside;
        const auto aside = std::find_if(after.begin(), after.end(), [&](const auto& file) {
            return file.first.starts_with(journalName + ".");
        });
        ASSERT_NE(aside, after.end()) << c.name;
        EXPECT_EQ(aside->second, text) << c.name;
        after.erase(aside);
        auto expected = planted;
        expected.erase(journalName);
        EXPECT_EQ(after, expected) << c.name;
    }
    std::istringstream records(log.text());
    std::size_t setAsideRecords = 0;
    std::size_t notOwnRecords = 0;
    for (std::string line; std::getline(records, line);) {
        const bool error = line.find("[ERROR]") != std::string::npos;
        setAsideRecords += error && line.find("set aside as") != std::string::npos;
        notOwnRecords += error && line.find("is not the user's own") != std::string::npos;
    }
    EXPECT_EQ(setAsideRecords, setAside) << log.text();
    EXPECT_EQ(notOwnRecords, notOwn) << log.text();
}

// Two job folders that share an output folder: a dead export's journal lies in each folder it
// changed, so the next export holding any of them undoes it before writing there: a later
// export's reported success is never undone by the dead one's next run, and a file the dead one
// kept in another job's folder is put back, not swept.
TEST_F(FileTransaction, ExportsSharingAFolderNeverUndoAnothersSuccessNorSweepAKeptFile) {
    for (const char* folder : {"j1", "j2", "K"})
        std::filesystem::create_directory(m_temp.at(folder));
    const auto exportInto = [this](ZEPFileTransaction& files, const std::string& job,
                                   const std::string& output, const std::string& content) {
        ExportInto(files, job, output, content);
        files.PlaceNewFiles();
    };
    const auto commit = [&](const std::string& job, const std::string& output,
                            const std::string& content) {
        ZEPFileTransaction files;
        exportInto(files, job, output, content);
        files.Commit();
    };

    // A (j1 into K) dies after the host wrote its PDF; B (j2 into K) succeeds; A's next run fails.
    m_temp.write("K/ad.pdf", "before");
    KilledChange([&](ZEPFileTransaction& files) { exportInto(files, "j1", "K", "A"); });
    commit("j2", "K", "B");
    EXPECT_EQ(m_temp.read("K/ad.pdf"), "B");
    FailedChangeOf([&](ZEPFileTransaction& files) { exportInto(files, "j1", "K", "A again"); });
    EXPECT_EQ(m_temp.read("K/ad.pdf"), "B");
    EXPECT_EQ(WithoutTemporaries(FolderContents(m_temp.root())),
              (std::map<std::string, std::string>{
                  {"K/", ""}, {"K/ad.pdf", "B"}, {"j1/", ""}, {"j2/", ""}, {"j2/items.bin", "B"}}));

    // A (j2 into j1) dies having kept the user's earlier j1/ad.pdf; a job in j1 exports and
    // sweeps j1: the earlier file is put back, and A is undone in j2 too.
    std::filesystem::remove_all(m_temp.root());
    for (const char* folder : {"", "j1", "j2"})
        std::filesystem::create_directories(m_temp.at(folder));
    m_temp.write("j1/ad.pdf", "earlier");
    KilledChange([&](ZEPFileTransaction& files) { exportInto(files, "j2", "j1", "A"); });
    commit("j1", "j1", "C");
    EXPECT_EQ(FolderContents(m_temp.root()),
              (std::map<std::string, std::string>{
                  {"j1/", ""}, {"j1/ad.pdf", "C"}, {"j1/items.bin", "C"}, {"j2/", ""}}));
}

// An earlier file the system will not give a second name (another user's, where hard links to
// it are protected) is renamed aside under the journal: a success replaces it, and a failure or
// the next change after a kill puts that very file back.
TEST_F(FileTransaction, AnEarlierFileThatCannotBeLinkedIsMovedAsideAndPutBackOnFailure) {
    struct stat earlier {};
    const auto lay = [&] {
        std::filesystem::remove_all(m_temp.root());
        std::filesystem::create_directory(m_temp.root());
        m_temp.write("ad.pdf", "earlier");
        if (::geteuid() == 0) {
            EXPECT_EQ(::chown(m_temp.at("ad.pdf").c_str(), 65534, 65534), 0);
        }
        ::lstat(m_temp.at("ad.pdf").c_str(), &earlier);
    };
    const auto change = [this](ZEPFileTransaction& files) {
        platform::setFileOperationFault([](std::uint64_t, platform::FileOperation operation) {
            return operation == platform::FileOperation::Link ? EPERM : 0;
        });
        files.Expect(File("ad.pdf"));
        WriteAsTheHost(files, "ad.pdf", "new");
        platform::setFileOperationHook({});
    };
    const auto isEarlier = [&] {
        struct stat now {};
        return ::lstat(m_temp.at("ad.pdf").c_str(), &now) == 0 && now.st_ino == earlier.st_ino &&
               now.st_uid == earlier.st_uid && m_temp.read("ad.pdf") == "earlier";
    };
    lay();
    {
        ZEPFileTransaction files;
        change(files);
        files.Commit();
    }
    EXPECT_EQ(FolderContents(m_temp.root()),
              (std::map<std::string, std::string>{{"ad.pdf", "new"}}));
    lay();
    FailedChangeOf(change);
    EXPECT_TRUE(isEarlier());
    EXPECT_EQ(FolderContents(m_temp.root()).size(), 1u);
    lay();
    KilledChange(change);
    EXPECT_FALSE(std::filesystem::exists(m_temp.at("ad.pdf"))); // aside, the new one not in place
    {
        ZEPFileTransaction next;
        WriteStaged(next, File("next.bin"), "next");
        next.Commit();
    }
    EXPECT_TRUE(isEarlier());
    EXPECT_EQ(FolderContents(m_temp.root()).size(), 2u);
}

// The journal holds any name and path: a job folder whose path holds a TAB and a line break is
// undone after a kill, not set aside.
TEST_F(FileTransaction, AJobFolderWhosePathHoldsATabAndALineBreakIsUndoneAfterAKill) {
    const std::string folder = m_temp.at("job\tfolder\nnew");
    std::filesystem::create_directory(folder);
    const ScopedEnvironmentVariable drive("ZEP_DRIVE_J", folder);
    std::ofstream(folder + "/ad.pdf") << "earlier";
    const UFileSpecCore job(ustring("J:/"), nullptr);
    const auto at = [](const std::string& name) {
        return UFileSpecCore(ustring("J:/" + name), nullptr);
    };
    KilledChange([&](ZEPFileTransaction& files) {
        files.Begin(job, {});
        WriteStaged(files, at("items.bin"), "items");
        files.Expect(at("ad.pdf"));
        const auto written = platform::toPosixPath(files.HostFile(at("ad.pdf")).wide_path());
        std::ofstream(*written) << "new";
        files.PutInPlace();
    });
    {
        ZEPFileTransaction next;
        next.Begin(job, {});
        WriteStaged(next, at("next.bin"), "next");
        next.Commit();
    }
    EXPECT_EQ(FolderContents(folder),
              (std::map<std::string, std::string>{{"ad.pdf", "earlier"}, {"next.bin", "next"}}));
}

// A name taken under a staged file's temporary name (a link to a file of the user's elsewhere)
// is never written through: the change makes another. A folder swapped for a link after the
// change opened it gets nothing written where the link leads; the change fails before its files
// take their names, and leaves nothing in the folder it held.
TEST_F(FileTransaction, ANameTakenOrAFolderSwappedAfterTheCheckChangesNothingOutside) {
    const TempFolder outside;
    outside.write("victim", "the user's");
    std::filesystem::create_directory(m_temp.at("sub"));
    const std::u16string sub = File("sub").wide_path();
    const struct {
        const char* name;
        std::function<void(const platform::FileOperationPaths&)> race;
        std::string thrown;
    } cases[] = {
        {"a link under the staged name",
         [&](const platform::FileOperationPaths& paths) {
             std::filesystem::create_symlink(outside.at("victim"),
                                             *platform::toPosixPath(paths.path));
         },
         "nothing"},
        {"the folder swapped for a link",
         [&](const platform::FileOperationPaths&) {
             std::filesystem::rename(m_temp.at("sub"), m_temp.at("moved"));
             std::filesystem::create_directory_symlink(outside.root(), m_temp.at("sub"));
         },
         "0x52E0A The folder " + m_temp.systemPath("sub") +
             " cannot be written: it was moved or replaced while the export wrote into it."},
    };
    for (const auto& c : cases) {
        bool raced = false;
        platform::setFileOperationHook([&](std::uint64_t, platform::FileOperation operation) {
            const platform::FileOperationPaths& paths = platform::currentFileOperationPaths();
            if (!raced && operation == platform::FileOperation::Open &&
                paths.path.starts_with(sub + u"/")) {
                raced = true;
                c.race(paths);
            }
            return true;
        });
        EXPECT_EQ(Thrown([&] {
                      ZEPFileTransaction files;
                      files.Begin(File(""), {File("sub")});
                      WriteStaged(files, File("sub/items.bin"), "items");
                      files.Commit();
                  }),
                  c.thrown)
            << c.name;
        platform::setFileOperationHook({});
        EXPECT_TRUE(raced) << c.name;
        EXPECT_EQ(FolderContents(outside.root()),
                  (std::map<std::string, std::string>{{"victim", "the user's"}}))
            << c.name;
    }
    // The folder held, moved away by the race, holds what it held before the failed change.
    EXPECT_EQ(FolderContents(m_temp.at("moved")),
              (std::map<std::string, std::string>{{"items.bin", "items"}}));
}

// A dead export's journal that cannot be undone (a folder now stands under a name it must put
// back) ends the next change before it writes anything, in one alert that says an earlier export
// was cut off and names the file, the system's reason and the journal; nothing is swept.
TEST_F(FileTransaction, AJournalThatCannotBeUndoneEndsTheChangeNamingIt) {
    const std::string kept = "~zep00000000000000A1.tmp";
    const std::string journal = "~zep-export-00000000000000D1.journal";
    const std::string place = "Z:" + std::filesystem::canonical(m_temp.root()).string();
    m_temp.write(kept, "old");
    std::filesystem::create_directories(m_temp.at("ad.pdf/inside"));
    struct stat info {};
    ::lstat(m_temp.at(kept).c_str(), &info);
    struct stat folder {};
    ::lstat(m_temp.root().c_str(), &folder);
    const std::string here =
        place + "\t" + std::to_string(folder.st_dev) + ":" + std::to_string(folder.st_ino);
    m_temp.write(journal, "ZEPHRIN EXPORT JOURNAL 3\nexport\t00000000000000D1\nfolder\t" + here +
                              "\nprimary\t" + here + "\nfile\tad.pdf\t" + kept + "\tlink\t" +
                              std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) +
                              "\t\t\nend\topen\n");
    const auto before = FolderContents(m_temp.root());
    EXPECT_EQ(Thrown([&] {
                  ZEPFileTransaction files;
                  WriteStaged(files, File("next.bin"), "next");
                  files.Commit();
              }),
              "0x52E0A An earlier export into the folder " + m_temp.systemPath() +
                  " was cut off and cannot be undone: " + m_temp.systemPath("ad.pdf") +
                  " cannot be put back: Is a directory (its journal " + m_temp.systemPath(journal) +
                  ").");
    EXPECT_EQ(FolderContents(m_temp.root()), before);
}

// A change that has ended, committed or rolled back, takes no more files.
TEST_F(FileTransaction, TakesNoFileOnceItHasEnded) {
    ZEPFileTransaction files;
    WriteStaged(files, File("items.bin"), "items");
    files.Commit();
    EXPECT_THROW(static_cast<void>(files.Stage(File("more.bin"))), std::logic_error);
    EXPECT_THROW(files.Expect(File("ad.pdf")), std::logic_error);
    EXPECT_EQ(FolderContents(m_temp.root()),
              (std::map<std::string, std::string>{{"items.bin", "items"}}));
}

// Each step is refused in the states that do not allow it, changing nothing; a step that threw
// leaves the change failed, so that only its rollback is left; a host's file that the host never
// wrote ends the change, naming the file.
TEST_F(FileTransaction, TakesOnlyTheStepsItsStateAllows) {
    using Step = std::function<void(ZEPFileTransaction&)>;
    const Step none = [](ZEPFileTransaction&) {};
    const Step expect = [this](ZEPFileTransaction& files) { files.Expect(File("ad.pdf")); };
    const struct {
        const char* name;
        Step reach, step;
        std::string raised;
    } cases[] = {
        {"a host's file before any is expected", none,
         [this](ZEPFileTransaction& files) { static_cast<void>(files.HostFile(File("ad.pdf"))); },
         "ZEPFileTransaction: a step the change's state does not allow"},
        {"a host's file not expected", expect,
         [this](ZEPFileTransaction& files) { static_cast<void>(files.HostFile(File("ad.eps"))); },
         "ZEPFileTransaction: a host's file that was not expected"},
        {"begun twice", [this](ZEPFileTransaction& files) { files.Begin(File(""), {}); },
         [this](ZEPFileTransaction& files) { files.Begin(File(""), {}); },
         "ZEPFileTransaction: a step the change's state does not allow"},
        {"placed before it began", none, [](ZEPFileTransaction& files) { files.PlaceNewFiles(); },
         "ZEPFileTransaction: a step the change's state does not allow"},
        {"placed once in place",
         [this](ZEPFileTransaction& files) {
             WriteStaged(files, File("a.bin"), "a");
             files.PutInPlace();
         },
         [](ZEPFileTransaction& files) { files.PlaceNewFiles(); },
         "ZEPFileTransaction: a step the change's state does not allow"},
        {"a file after a step that threw",
         [&](ZEPFileTransaction& files) {
             expect(files);
             static_cast<void>(Raised([&] { files.PutInPlace(); }));
         },
         [this](ZEPFileTransaction& files) { WriteStaged(files, File("b.bin"), "b"); },
         "ZEPFileTransaction: a step the change's state does not allow"},
        {"a host's file the host never wrote", expect,
         [](ZEPFileTransaction& files) { files.Commit(); },
         "0x52E0A The file " + m_temp.systemPath("ad.pdf") +
             " cannot be written: No such file or directory."},
    };
    for (const auto& c : cases) {
        m_temp.write("ad.pdf", "earlier");
        {
            ZEPFileTransaction files;
            c.reach(files);
            EXPECT_EQ(Raised([&] { c.step(files); }), c.raised) << c.name;
        }
        EXPECT_EQ(FolderContents(m_temp.root()),
                  (std::map<std::string, std::string>{{"ad.pdf", "earlier"}}))
            << c.name;
    }
}

// A file the system will neither link nor rename aside stays where it is, the same file, and out
// of the change: its failure, and the rollback after it, leave it alone.
TEST_F(FileTransaction, AnEarlierFileThatCanNeitherBeLinkedNorMovedAsideStaysWhereItIs) {
    m_temp.write("ad.pdf", "earlier");
    const std::string before = Id("ad.pdf");
    platform::setFileOperationFault([](std::uint64_t, platform::FileOperation operation) {
        const bool aside = platform::currentFileOperationPaths().path.ends_with(u"/ad.pdf");
        return operation == platform::FileOperation::Link              ? EPERM
               : operation == platform::FileOperation::Rename && aside ? EACCES
                                                                       : 0;
    });
    EXPECT_EQ(Thrown([&] {
                  FailedChangeOf([&](ZEPFileTransaction& files) { files.Expect(File("ad.pdf")); });
              }),
              "0x52E0A The file " + m_temp.systemPath("ad.pdf") +
                  " cannot be written: Permission denied.");
    platform::setFileOperationFault({});
    EXPECT_EQ(Id("ad.pdf"), before);
    EXPECT_EQ(FolderContents(m_temp.root()),
              (std::map<std::string, std::string>{{"ad.pdf", "earlier"}}));
}

// The host writes by path: a folder swapped for a link while it writes gets at most a new file
// under a temporary's name where the link leads, never a file of that folder replaced, and the
// change fails before any name changes, leaving the folder it held as it was.
TEST_F(FileTransaction, AFolderSwappedWhileTheHostWritesGetsAtMostATemporaryWhereTheLinkLeads) {
    const TempFolder outside;
    outside.write("ad.pdf", "the user's");
    std::filesystem::create_directory(m_temp.at("sub"));
    m_temp.write("sub/ad.pdf", "earlier");
    EXPECT_EQ(Thrown([&] {
                  ZEPFileTransaction files;
                  files.Begin(File(""), {File("sub")});
                  files.Expect(File("sub/ad.pdf"));
                  std::filesystem::rename(m_temp.at("sub"), m_temp.at("moved"));
                  std::filesystem::create_directory_symlink(outside.root(), m_temp.at("sub"));
                  WriteAsTheHost(files, "sub/ad.pdf", "new");
                  files.Commit();
              }),
              "0x52E0A The folder " + m_temp.systemPath("sub") +
                  " cannot be written: it was moved or replaced while the export wrote into it.");
    auto there = FolderContents(outside.root());
    EXPECT_EQ(there["ad.pdf"], "the user's");
    there.erase("ad.pdf");
    ASSERT_EQ(there.size(), 1u);
    EXPECT_TRUE(IsTemporary(there.begin()->first));
    EXPECT_EQ(FolderContents(m_temp.at("moved")),
              (std::map<std::string, std::string>{{"ad.pdf", "earlier"}}));
}

// Where the file system takes no rename flags, or neither those nor hard links, exports stand and
// a killed one is undone all the same.
TEST_F(FileTransaction, StandsAndIsUndoneWhereTheFileSystemRefusesRenameFlagsOrLinks) {
    for (const platform::FileSystemRefusals refusals :
         {platform::FileSystemRefusals{.renameFlags = true},
          platform::FileSystemRefusals{.renameFlags = true, .links = true}}) {
        const ScopedFileSystemRefusals refused(refusals);
        const std::string folder = refusals.links ? "no links" : "no flags";
        std::filesystem::create_directory(m_temp.at(folder));
        ExportsStandAndAKilledOneIsUndone(folder);
    }
}

// The same on a real FUSE file system (bindfs), which takes no renameat2 flags.
TEST_F(FileTransaction, StandsAndIsUndoneOnAFuseFileSystem) {
    std::filesystem::create_directory(m_temp.at("real"));
    std::filesystem::create_directory(m_temp.at("view"));
    const FuseMount view(m_temp.at("real"), m_temp.at("view"));
    if (!view.mounted())
        GTEST_SKIP() << view.refusal();
    ExportsStandAndAKilledOneIsUndone("view");
}
