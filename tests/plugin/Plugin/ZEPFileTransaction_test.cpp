// Tests of the export's change of the file system across processes: a change killed while it
// rolls back, at each of its file operations, leaves under every name the old file or the new
// one, and the next change makes them the old set or the new set; a commit removes the
// temporaries that changes no longer running left in its folders, and no file of the user's,
// while a change still running holds the folder: another change waits for it, at most for its
// limit; the next change completes or undoes a dead change's journal, and sets aside one that
// does not read, touching nothing.
#include "Plugin/ZEPFileTransaction.h"

#include "platform/files.h"
#include "support/FolderContents.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <csignal>
#include <map>
#include <regex>
#include <set>
#include <sstream>
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

// The files without the temporaries and the journal of a change that died.
std::map<std::string, std::string> WithoutTemporaries(std::map<std::string, std::string> files) {
    std::erase_if(files, [](const auto& file) {
        return IsTemporary(file.first) || file.first == kJournalName;
    });
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
        platform::OutputFileStream out;
        if (!out.open(files.Stage(file).wide_path()) || !(out << content) || !out.close())
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
            EXPECT_FALSE(std::filesystem::exists(m_temp.at(kJournalName)));
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

// Before anything else, the next change into the job folder undoes a dead change's journal: each
// kept link goes back over its name, the staged files go, and what stands under a name where
// nothing stood; a folder below the job folder that the journal names is held and undone too
// (below the folder the journal lies in, also when that was moved since). A journal that does
// not read, or that names a folder neither the change's nor below its job folder, is set aside
// with an ERROR record: nothing it names is touched, and nothing is swept.
TEST_F(FileTransaction, TheNextChangeUndoesADeadChangesJournalOrSetsItAside) {
    const LogCapture log;
    const TempFolder outside;
    const std::string kept = "~zep00000000000000A1.tmp";
    const std::string staged = "~zep00000000000000A2.tmp";
    const std::string stray = "~zep00000000000000B0.tmp";
    const std::string place = "Z:" + std::filesystem::canonical(m_temp.root()).string();
    const std::string entry = "\tad.pdf\t" + kept + "\t" + staged + "\n";
    const auto journal = [](const std::string& state, const std::string& folders,
                            const std::string& files) {
        return "ZEPHRIN EXPORT JOURNAL 1\n" + state + "\n" + folders + files + "end\n";
    };
    const std::string here = "folder\t" + place + "\n";
    // ad.pdf as the host left it, what stood there kept; a staged file not yet in place.
    const std::map<std::string, std::string> before{
        {"ad.pdf", "new"},     {kept, "old"},          {staged, "new"},
        {stray, "stray"},      {"new.pdf", "new"},     {"sub/", ""},
        {"sub/ad.pdf", "new"}, {"sub/" + kept, "old"}, {"sub/" + staged, "new"}};
    const std::map<std::string, std::string> subAsBefore{
        {"sub/", ""}, {"sub/ad.pdf", "new"}, {"sub/" + kept, "old"}, {"sub/" + staged, "new"}};
    std::map<std::string, std::string> undone = subAsBefore;
    undone.insert({{"ad.pdf", "old"}});
    const std::map<std::string, std::string> subUndone{
        {"ad.pdf", "new"}, {"new.pdf", "new"}, {"sub/", ""}, {"sub/ad.pdf", "old"}};
    const struct {
        const char* name;
        std::string journal;
        std::map<std::string, std::string> after; // empty: set aside, the folder as before
    } cases[] = {
        {"undo", journal("undo", here, "file\t0" + entry + "file\t0\tnew.pdf\t\t\n"), undone},
        {"below the job folder",
         journal("undo", here + "folder\t" + place + "/sub\n", "file\t1" + entry), subUndone},
        {"the job folder moved since",
         journal("undo", "folder\tZ:/moved/job\nfolder\tZ:/moved/job/sub\n", "file\t1" + entry),
         subUndone},
        {"not text", "\x01\x02\x03\n", {}},
        {"no end", journal("undo", here, "file\t0" + entry).substr(0, 60), {}},
        {"a state not written here", journal("complete", here, "file\t0" + entry), {}},
        {"kept name no temporary", journal("undo", here, "file\t0\tad.pdf\tnew.pdf\t\n"), {}},
        {"final name a path", journal("undo", here, "file\t0\t../ad.pdf\t\t\n"), {}},
        {"final name a temporary", journal("undo", here, "file\t0\t" + stray + "\t\t\n"), {}},
        {"no such folder", journal("undo", here, "file\t1" + entry), {}},
        {"folder outside",
         journal("undo", here + "folder\tZ:" + outside.root() + "\n", "file\t1\tad.pdf\t\t\n"),
         {}},
    };
    outside.write("ad.pdf", "outside");
    for (const auto& c : cases) {
        std::filesystem::remove_all(m_temp.root());
        std::filesystem::create_directory(m_temp.root());
        for (const auto& [name, content] : before)
            if (name.ends_with('/'))
                std::filesystem::create_directory(m_temp.at(name));
            else
                m_temp.write(name, content);
        m_temp.write(kJournalName, c.journal);
        {
            ZEPFileTransaction files;
            WriteStaged(files, File("items.bin"), "items");
            files.Commit();
        }
        auto after = FolderContents(m_temp.root());
        EXPECT_EQ(after["items.bin"], "items") << c.name;
        after.erase("items.bin");
        if (!c.after.empty()) {
            EXPECT_EQ(after, c.after) << c.name;
            continue;
        }
        const auto aside = std::find_if(after.begin(), after.end(), [](const auto& file) {
            return std::regex_match(file.first, std::regex("~zep-export\\.journal\\.[0-9A-F]{16}"));
        });
        ASSERT_NE(aside, after.end()) << c.name;
        EXPECT_EQ(aside->second, c.journal) << c.name;
        after.erase(aside);
        EXPECT_EQ(after, before) << c.name;
        EXPECT_EQ(outside.read("ad.pdf"), "outside") << c.name;
    }
    std::istringstream records(log.text());
    std::size_t setAside = 0;
    for (std::string line; std::getline(records, line);)
        setAside += line.find("[ERROR]") != std::string::npos &&
                    line.find("set aside as") != std::string::npos;
    EXPECT_EQ(setAside, 8u) << log.text();
}
