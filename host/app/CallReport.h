// zephost's report on the last script call: the files its export commands wrote (a PDF's
// version and each page's boxes, an EPS file's bounding box), the page-item file of the call's
// job (host/app/PageItemReport.h) when the call wrote it, and how the front document compares
// with its state when the call's first command sequence ended. Of the page-item file it reads
// only a regular file of at most 128 MiB, opened without waiting, and otherwise says why not:
// an export that fails puts back whatever stood under that name, a FIFO too.
//
// For 'expY' the first sequence stores the job and, with 'Zerp', fits the document to it; the
// export then makes its temporary changes inside a sequence of its own and undoes them, and the
// call's last command stores the job again with its exported marks. So a sound export leaves
// the document as it was after the job was stored and fitted until that last command.
#pragma once

#include "host/standin/Command.h"
#include "platform/regularfile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class BJobFile;

class CallReport {
public:
    CallReport() = default;
    ~CallReport() { host::SetCommandObserver({}); }
    CallReport(const CallReport&) = delete;
    CallReport& operator=(const CallReport&) = delete;

    // Follows the command processor for the call that is about to run: `method` its four
    // characters, `job` its 'Zemp' text (raw job-file bytes or their hex form; may be empty),
    // `fitted` whether it asks for fitting.
    void Begin(const std::string& method, const std::string& job, bool fitted);
    // Prints the report on standard output; false when no call was followed.
    [[nodiscard]] bool Print() const;
    // When the call wrote its job's page-item file: "preflight: N faults", the number of its
    // check tags of the severity "fault" (PageItemReport.h); else nothing.
    [[nodiscard]] std::optional<std::string> Preflight() const;

private:
    void CommandRuns(ICommand& command);
    void SequenceEnded(bool kept, int openSequences);
    // The digest of the front document's dump, as FrontDocumentDigest in CallReport.cpp takes it;
    // the one taken last when neither the model's change count nor the workspace's persistent
    // facets have changed since (host/standin/Command.h), so that a call that runs a command for
    // every page digests its document only when something has changed it.
    std::string DocumentDigest();
    void PrintOutputs() const;
    void PrintPageItemFile() const;
    void PrintDocument() const;

    // What tells whether the page-item file was written: whether a regular file stands under its
    // name, what the open file's status tells of it (platform/regularfile.h) and a hash of its
    // bytes (0 when it is too large to be read).
    struct FileStamp {
        bool regular = false;
        platform::FileStamp stamp;
        std::size_t hash = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp Stamp(const platform::RegularFileRead& file);
    // The job's page-item file as the report may read it: a regular file of at most
    // kMaxPageItemFileBytes (CallReport.cpp), opened without waiting.
    [[nodiscard]] platform::RegularFileRead ReadPageItemFile() const;
    // Whether the file was written since the call began: a regular file whose stamp differs
    // from the one taken then.
    [[nodiscard]] bool WrittenByCall(const platform::RegularFileRead& file) const;

    std::string m_method;
    std::shared_ptr<const BJobFile> m_job; // the job the call's 'Zemp' holds; null for none
    bool m_fitted = false;
    std::u16string m_pageItemFile; // the job's page-item file in the host's form; empty for none
    FileStamp m_pageItemFileBefore;
    std::size_t m_firstOutput = 0; // the call's first entry on Channel::Outputs
    // Whether the call's first outermost sequence ended, and the digest of the front document's
    // dump then, if the sequence was kept.
    bool m_firstSequenceEnded = false;
    std::optional<std::string> m_afterFirstSequence;
    // After that: the digest of the dump before the last command that ran, and that command's
    // name.
    std::optional<std::string> m_beforeLastCommand;
    std::string m_lastCommand;
    // The digest DocumentDigest took last, with the change count and the workspace's facets then.
    struct Digest {
        std::uint64_t changes = 0;
        std::string facets;
        std::string digest;
    };
    std::optional<Digest> m_lastDigest;
};
