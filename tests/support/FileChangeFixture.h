// Test aid for the export's change of the file system (Plugin/ZEPFileTransaction.h): a folder of
// the test's own, the files of a change written as the plug-in and as the host write them, and
// changes that die or fail on the way, in a child process where they die.
#pragma once

#include "Plugin/ZEPFileTransaction.h"
#include "platform/files.h"
#include "support/ChildProcess.h"
#include "support/FileOperationSeam.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <csignal>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

class FileChangeFixture : public ::testing::Test {
protected:
    // The system's name of an entry of the test's folder.
    UFileSpecCore File(const std::string& name) const {
        return UFileSpecCore(ustring(m_temp.systemPath(name)), nullptr);
    }
    // Writes the expected file as the host's export command does, where the change tells it to
    // (a temporary of the change's): under a temporary name beside that, renamed over it.
    void WriteAsTheHost(const ZEPFileTransaction& files, const std::string& name,
                        const std::string& content) const {
        const std::u16string path = files.HostFile(File(name)).wide_path();
        const std::u16string part = platform::temporarySibling(path);
        platform::OutputFileStream out;
        if (!out.open(part) || !(out << content) || !out.close() ||
            !platform::replaceFile(part, path))
            throw std::runtime_error("cannot write " + name);
    }
    // Writes the file the change staged for `file`.
    static void WriteStaged(ZEPFileTransaction& files, const UFileSpecCore& file,
                            const std::string& content) {
        platform::OutputFileStream& out = files.Stage(file);
        if (!(out << content) || !out.close())
            throw std::runtime_error("cannot stage");
    }
    // A change from the job folder `job` into `output`: `job`/items.bin staged and
    // `output`/ad.pdf written by the host, both with `content`, not yet in place.
    void ExportInto(ZEPFileTransaction& files, const std::string& job, const std::string& output,
                    const std::string& content) const {
        files.Begin(File(job), {File(output)});
        WriteStaged(files, File(job + "/items.bin"), content);
        files.Expect(File(output + "/ad.pdf"));
        WriteAsTheHost(files, output + "/ad.pdf", content);
    }
    // A change that stages `job`/next.bin and commits: the next export from that folder.
    void Touch(const std::string& job) const {
        ZEPFileTransaction files;
        files.Begin(File(job), {});
        WriteStaged(files, File(job + "/next.bin"), "next");
        files.Commit();
    }
    // The identity of an entry as a journal writes it, "<device>:<inode>".
    std::string Id(const std::string& name) const {
        struct stat info {};
        ::lstat(m_temp.at(name).c_str(), &info);
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }

    const FileOperationSeam m_seam;
    TempFolder m_temp;
};

// Runs `change` in a child process (as `user`, when given) that kills itself where the change
// leaves off, the change still running.
inline void KilledChange(const std::function<void(ZEPFileTransaction&)>& change,
                         std::optional<unsigned> user = std::nullopt) {
    ChildProcess child(
        [&] {
            ZEPFileTransaction files;
            change(files);
            std::raise(SIGKILL);
        },
        user);
    ASSERT_TRUE(child.KilledBySigkill());
}

// A change that fails: it is rolled back when it goes.
inline void FailedChangeOf(const std::function<void(ZEPFileTransaction&)>& change) {
    ZEPFileTransaction files;
    change(files);
}
