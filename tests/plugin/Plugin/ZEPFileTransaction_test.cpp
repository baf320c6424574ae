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
#include "support/FolderContents.h"
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

// A forked process running `body`, which ends it with status 0 (2 when it throws) unless it
// ends itself otherwise.
class Child {
public:
    explicit Child(const std::function<void()>& body) : m_pid(::fork()) {
        if (m_pid != 0)
            return;
        try {
            body();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            static_cast<void>(Wait());
        }
    }
    // The status the child ended with.
    int Wait() {
        if (!m_status) {
            int status = 0;
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            m_status = status;
        }
        return *m_status;
    }
    void Kill() { ::kill(m_pid, SIGKILL); }

private:
    pid_t m_pid;
    std::optional<int> m_status;
};

bool KilledBySigkill(int status) {
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class FileTransaction : public ::testing::Test {
protected:
    UFileSpecCore File(const std::string& name) const {
        return UFileSpecCore(ustring(m_temp.systemPath(name)), nullptr);
    }
    // Writes the file as the host's export command does: under a temporary name beside it,
    // renamed over the name.
    void WriteAsTheHost(const std::string& name, const std::string& content) const {
        const std::u16string part = platform::temporarySibling(File(name).wide_path());
        platform::OutputFileStream out;
        if (!out.open(part) || !(out << content) || !out.close() ||
            !platform::replaceFile(part, File(name).wide_path()))
            throw std::runtime_error("cannot write " + name);
    }
    // Writes the file the change staged for `name`.
    static void WriteStaged(ZEPFileTransaction& files, const UFileSpecCore& file,
                            const std::string& content) {
        platform::OutputFileStream& out = files.Stage(file);
        if (!(out << content) || !out.close())
            throw std::runtime_error("cannot stage");
    }
    // A change that writes "ad.pdf" (the host's output, over an earlier one), "ad.eps" (expected,
    // left unwritten), "ad.eps#2" (the host's, new) and "items.bin" (staged, over an earlier one)
    // and puts them in place, then fails: it rolls back.
    void FailedChange(const std::function<void()>& beforeRollback) const {
        ZEPFileTransaction files;
        files.Expect(File("ad.pdf"));
        WriteAsTheHost("ad.pdf", "new ad.pdf");
        files.Expect(File("ad.eps"));
        files.Expect(File("ad.eps#2"));
        WriteAsTheHost("ad.eps#2", "new ad.eps#2");
        WriteStaged(files, File("items.bin"), "new items.bin");
        files.PutInPlace();
        beforeRollback();
    }

    TempFolder m_temp;
};

// Held and killed at each file operation of its rollback (the file-operation hook, in a child
// process), a failed change leaves under each name the earlier file or the new one, whole, and
// after the next change into the folder the earlier files or the new ones together, and no
// temporary; run to its end it leaves the earlier files alone, and no temporary.
TEST_F(FileTransaction, ARollbackKilledAtAnyOfItsFileOperationsLeavesTheOldOrTheNewFiles) {
    const std::map<std::string, std::string> earlier{
        {"ad.pdf", "old ad.pdf"}, {"ad.eps", "old ad.eps"}, {"items.bin", "old items.bin"}};
    const std::map<std::string, std::string> changed{{"ad.pdf", "new ad.pdf"},
                                                     {"ad.eps", "old ad.eps"},
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
    // Two files put back, the folder synced, the journal removed and the folder synced.
    EXPECT_EQ(kills, 4u);
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
// does not read is set aside with an ERROR record: nothing it names is touched, nothing swept.
TEST_F(FileTransaction, TheNextChangeResolvesOnlyTheUsersOwnJournalsAndOnlyTheirOwnFiles) {
    const LogCapture log;
    const TempFolder outside;
    const std::string kept = "~zep00000000000000A1.tmp";
    const std::string staged = "~zep00000000000000A2.tmp";
    const std::string stray = "~zep00000000000000B0.tmp";
    const std::string journalName = "~zep-export-00000000000000D1.journal";
    const std::string place = "Z:" + std::filesystem::canonical(m_temp.root()).string();
    // ad.pdf as the host left it, what stood there kept; items.bin staged, not yet in place.
    const std::map<std::string, std::string> before{
        {"ad.pdf", "new"}, {kept, "old"}, {staged, "new items"}, {stray, "stray"}};
    const auto id = [this](const std::string& name) {
        struct stat info {};
        ::lstat(m_temp.at(name).c_str(), &info);
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    };
    const auto journal = [&](const std::string& siblings, const std::string& files,
                             const std::string& made) {
        return "ZEPHRIN EXPORT JOURNAL 2\nexport\t00000000000000D1\nfolder\t" + place +
               "\nprimary\t" + place + "\n" + siblings + files + "end\n" + made;
    };
    const auto files = [&] {
        return "file\tad.pdf\t" + kept + "\tlink\t" + id(kept) + "\t\t\nfile\titems.bin\t\t\t\t" +
               staged + "\t" + id(staged) + "\n";
    };
    const auto made = [&](const std::string& name) { return "made\tad.pdf\t" + id(name) + "\n"; };
    // Once the journal is resolved, or not acted on, the sweep removes the user's temporaries
    // that no journal names.
    const std::map<std::string, std::string> undone{{"ad.pdf", "old"}};
    const std::string outsidePlace = "Z:" + std::filesystem::canonical(outside.root()).string();
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
        {"undone", [&] { return journal("", files(), made("ad.pdf")); }, Outcome::kResolved,
         undone},
        {"a later file under the name stays",
         [&] { return journal("", files(), made(stray)); },
         Outcome::kResolved,
         {{"ad.pdf", "new"}}},
        {"a sibling up and outside",
         [&] {
             return journal("sibling\t" + place + "/../" +
                                std::filesystem::path(outside.root()).filename().string() + "\n",
                            files(), made("ad.pdf"));
         },
         Outcome::kResolved, undone},
        {"an absolute folder outside",
         [&] { return journal("sibling\t" + outsidePlace + "\n", files(), made("ad.pdf")); },
         Outcome::kResolved, undone},
        {"an output folder outside the job folder",
         [&] { return journal("sibling\t" + outsidePlace + "\n", files(), made("ad.pdf")); },
         Outcome::kResolved,
         undone,
         {},
         true},
        {"another user's journal and files in a sticky folder",
         [&] { return journal("", files(), made("ad.pdf")); },
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
         [&] { return journal("", files(), made("ad.pdf")); },
         Outcome::kNotActedOn,
         {{"ad.pdf", "new"}, {journalName, ""}},
         [&] {
             std::filesystem::rename(m_temp.at(journalName), outside.at("real.journal"));
             std::filesystem::create_symlink(outside.at("real.journal"), m_temp.at(journalName));
         }},
        {"not text", [] { return std::string("\x01\x02\x03\n"); }, Outcome::kSetAside, {}},
        {"cut short",
         [&] { return journal("", files(), "").substr(0, 90); },
         Outcome::kSetAside,
         {}},
        {"an earlier version's",
         [&] { return "ZEPHRIN EXPORT JOURNAL 1\nundo\nfolder\t" + place + "\nend\n"; },
         Outcome::kSetAside,
         {}},
        {"a final name that is a path",
         [&] { return journal("", "file\t..%2Fad.pdf\t\t\t\t\t\n", ""); },
         Outcome::kSetAside,
         {}},
        {"a final name that is a temporary",
         [&] { return journal("", "file\t" + stray + "\t\t\t\t\t\n", ""); },
         Outcome::kSetAside,
         {}},
        {"a kept name that is no temporary",
         [&] { return journal("", "file\tad.pdf\tnew.pdf\tlink\t1:2\t\t\n", ""); },
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

namespace {

// Runs `change` in a child process that kills itself where the change leaves off, the change
// still running.
void KilledChange(const std::function<void(ZEPFileTransaction&)>& change) {
    Child child([&] {
        ZEPFileTransaction files;
        change(files);
        std::raise(SIGKILL);
    });
    ASSERT_TRUE(KilledBySigkill(child.Wait()));
}

// A change that fails: it is rolled back when it goes.
void FailedChangeOf(const std::function<void(ZEPFileTransaction&)>& change) {
    ZEPFileTransaction files;
    change(files);
}

} // namespace

// Two job folders that share an output folder: a dead export's journal lies in each folder it
// changed, so the next export holding any of them undoes it before writing there: a later
// export's reported success is never undone by the dead one's next run, and a file the dead one
// kept in another job's folder is put back, not swept.
TEST_F(FileTransaction, ExportsSharingAFolderNeverUndoAnothersSuccessNorSweepAKeptFile) {
    for (const char* folder : {"j1", "j2", "K"})
        std::filesystem::create_directory(m_temp.at(folder));
    const auto exportInto = [this](ZEPFileTransaction& files, const std::string& job,
                                   const std::string& output, const std::string& content) {
        files.Begin(File(job), {File(output)});
        WriteStaged(files, File(job + "/items.bin"), content);
        files.Expect(File(output + "/ad.pdf"));
        WriteAsTheHost(output + "/ad.pdf", content);
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
        WriteAsTheHost("ad.pdf", "new");
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
    EXPECT_EQ(m_temp.read("ad.pdf"), "new");
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
        std::ofstream(folder + "/ad.pdf.part") << "new";
        std::filesystem::rename(folder + "/ad.pdf.part", folder + "/ad.pdf");
        files.PlaceNewFiles();
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
    m_temp.write(journal, "ZEPHRIN EXPORT JOURNAL 2\nexport\t00000000000000D1\nfolder\t" + place +
                              "\nprimary\t" + place + "\nfile\tad.pdf\t" + kept + "\tlink\t" +
                              std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) +
                              "\t\t\nend\n");
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
