#include "CallReport.h"

#include "PDFSummary.h"
#include "PageItemReport.h"
#include "host/sdk/PMString.h"
#include "host/standin/Description.h"
#include "host/standin/Document.h"
#include "host/standin/Recorder.h"
#include "model/BJobFile.h"
#include "platform/files.h"

#include <qpdf/QPDFCryptoImpl.hh>
#include <qpdf/QPDFCryptoProvider.hh>

#include <cerrno>
#include <exception>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

namespace {

// The most of a page-item file that the report reads: 128 MiB. An export of 10,000 pages of the
// example ad (examples/spring_sale.json: three items and one or two text runs a page) writes
// 7.4 MiB, about 770 bytes a page, so this leaves room for some 17 times as many records; a
// larger file (a sparse file, say) is refused before any of it is read.
constexpr std::uint64_t kMaxPageItemFileBytes = 128u << 20;

// The SHA-256 digest of the front document's dump (of the empty text without one): equal
// digests are equal dumps, and a digest costs 32 bytes where a large document's dump costs
// megabytes, which a report kept twice during the call.
std::string FrontDocumentDigest() {
    const host::Document* front = host::FrontDocument();
    const std::string dump = front ? host::DumpDocument(*front) : std::string();
    const std::shared_ptr<QPDFCryptoImpl> crypto = QPDFCryptoProvider::getImpl();
    crypto->SHA2_init(256);
    crypto->SHA2_update(reinterpret_cast<const unsigned char*>(dump.data()), dump.size());
    crypto->SHA2_finalize();
    return crypto->SHA2_digest();
}

// The POSIX path of a path in the host's form; empty when it names nothing.
std::string PosixPath(const std::string& path) {
    return platform::toPosixPath(PMString(path).GetUTF16()).value_or(std::string());
}

// Why a page-item file that is too large is not read: "has N bytes, more than ...".
std::string TooLarge(const platform::RegularFileRead& file) {
    return "has " + std::to_string(file.stamp.size) + " bytes, more than the " +
           std::to_string(kMaxPageItemFileBytes) + " (128 MiB) that zephost reads";
}

// Where the files the export commands wrote stand now: an export hands the host a temporary of
// its own, which takes the output's name once the export stands, the file keeping its identity.
// Each folder is listed once, so that a report on thousands of pages costs one listing.
class OutputNames {
public:
    // The path in the host's form under which the file of `identity` ("<device>:<inode>"),
    // written to `written`, stands now in the folder it was written in; nothing when it is gone.
    std::optional<std::string> NameOf(const std::string& written, const std::string& identity) {
        const std::size_t slash = written.find_last_of("/\\");
        const std::string folder = slash == std::string::npos ? "" : written.substr(0, slash + 1);
        auto known = m_folders.find(folder);
        if (known == m_folders.end())
            known = m_folders.emplace(folder, List(folder)).first;
        const auto name = known->second.find(identity);
        if (name == known->second.end())
            return std::nullopt;
        return folder + name->second;
    }

private:
    // The folder's entries by identity; a temporary's name gives way to a final name.
    static std::map<std::string, std::string> List(const std::string& folder) {
        std::map<std::string, std::string> names;
        platform::HeldFolder held;
        if (held.open(PMString(folder.empty() ? "." : folder).GetUTF16(), true) != 0)
            return names;
        for (const std::u16string& name : held.names().value_or(std::vector<std::u16string>{})) {
            const auto status = held.status(name);
            if (!status || status->kind != platform::EntryStatus::Kind::kFile)
                continue;
            const std::string identity = std::to_string(status->identity.device) + ":" +
                                         std::to_string(status->identity.inode);
            auto [entry, added] = names.emplace(identity, PMString(name).GetUTF8String());
            if (!added && platform::isTemporaryName(PMString(entry->second).GetUTF16()))
                entry->second = PMString(name).GetUTF8String();
        }
        return names;
    }

    std::map<std::string, std::map<std::string, std::string>> m_folders;
};

void PrintPDF(const std::string& posixPath) {
    const PDFSummary pdf = ReadPDFSummary(posixPath);
    std::cout << ": PDF " << pdf.version << ", " << pdf.pages.size()
              << (pdf.pages.size() == 1 ? " page\n" : " pages\n");
    for (std::size_t i = 0; i < pdf.pages.size(); ++i)
        std::cout << "    page " << i + 1 << ": MediaBox " << pdf.pages[i].media << ", BleedBox "
                  << pdf.pages[i].bleed << ", TrimBox " << pdf.pages[i].trim << "\n";
}

// An EPS file's %%BoundingBox comment, looked for among its first lines.
void PrintEPS(std::istream& in) {
    std::string line;
    for (int i = 0; i < 50 && std::getline(in, line); ++i)
        if (line.starts_with("%%BoundingBox:")) {
            std::cout << ": EPS, " << line << "\n";
            return;
        }
    std::cout << ": no PDF, no EPS\n";
}

} // namespace

void CallReport::Begin(const std::string& method, const std::string& job, bool fitted) {
    m_method = method;
    m_job = ReadJobText(job);
    m_fitted = fitted;
    m_pageItemFile = m_job ? m_job->pageItemFile.path().toWString() : std::u16string();
    m_pageItemFileBefore = Stamp(ReadPageItemFile());
    m_firstOutput = host::Recorder::Instance().Log(host::Channel::Outputs).size();
    m_firstSequenceEnded = false;
    m_afterFirstSequence.reset();
    m_beforeLastCommand.reset();
    m_lastCommand.clear();
    m_lastDigest.reset();
    host::SetCommandObserver(
        {[this](ICommand& command) { CommandRuns(command); },
         [this](const ICommandSequence&, bool kept, int open) { SequenceEnded(kept, open); }});
}

void CallReport::CommandRuns(ICommand& command) {
    if (!m_afterFirstSequence)
        return;
    m_beforeLastCommand = DocumentDigest();
    m_lastCommand = command.CreateName().GetUTF8String();
}

void CallReport::SequenceEnded(bool kept, int openSequences) {
    if (m_firstSequenceEnded || openSequences != 0)
        return;
    m_firstSequenceEnded = true;
    if (kept)
        m_afterFirstSequence = DocumentDigest();
}

std::string CallReport::DocumentDigest() {
    const host::Document* front = host::FrontDocument();
    const std::uint64_t changes = host::ModelChangeCount();
    std::string facets = front ? host::DumpWorkspaceFacets(*front) : std::string();
    if (!m_lastDigest || m_lastDigest->changes != changes || m_lastDigest->facets != facets)
        m_lastDigest = Digest{changes, std::move(facets), FrontDocumentDigest()};
    return m_lastDigest->digest;
}

bool CallReport::Print() const {
    if (m_method.empty())
        return false;
    std::cout << "report on " << m_method << "\n";
    PrintOutputs();
    PrintPageItemFile();
    PrintDocument();
    return true;
}

CallReport::FileStamp CallReport::Stamp(const platform::RegularFileRead& file) {
    using Outcome = platform::RegularFileRead::Outcome;
    if (file.outcome != Outcome::kRead && file.outcome != Outcome::kTooLarge)
        return {};
    return {true, file.stamp, std::hash<std::string>()(file.bytes)};
}

platform::RegularFileRead CallReport::ReadPageItemFile() const {
    if (m_pageItemFile.empty())
        return {};
    return platform::readRegularFile(m_pageItemFile, kMaxPageItemFileBytes);
}

bool CallReport::WrittenByCall(const platform::RegularFileRead& file) const {
    const FileStamp now = Stamp(file);
    return now.regular && now != m_pageItemFileBefore;
}

std::optional<std::string> CallReport::Preflight() const {
    const platform::RegularFileRead file = ReadPageItemFile();
    if (!WrittenByCall(file))
        return std::nullopt;
    if (file.outcome != platform::RegularFileRead::Outcome::kRead)
        return "preflight: not counted: the page-item file " + TooLarge(file);
    std::istringstream in(file.bytes);
    std::ostream discarded(nullptr);
    int faults = 0;
    try {
        // The tags alone count: no record's item is looked up in the document.
        const SeverityCounts counts = PrintPageItems(in, *m_job, nullptr, discarded);
        const auto found = counts.find("fault");
        faults = found == counts.end() ? 0 : found->second;
    } catch (const std::exception& error) {
        return "preflight: " + std::string(error.what());
    }
    return "preflight: " + std::to_string(faults) + (faults == 1 ? " fault" : " faults");
}

void CallReport::PrintOutputs() const {
    const auto& outputs = host::Recorder::Instance().Log(host::Channel::Outputs);
    if (m_firstOutput == outputs.size())
        std::cout << "  no output file written\n";
    OutputNames names;
    for (std::size_t i = m_firstOutput; i < outputs.size(); ++i) {
        const std::size_t space = outputs[i].find(' ');
        const std::string written = outputs[i].substr(space + 1);
        const std::optional<std::string> output =
            names.NameOf(written, outputs[i].substr(0, space));
        if (!output) {
            std::cout << "  output written to " << written
                      << ": gone: the export that wrote it did not stand\n";
            continue;
        }
        std::cout << "  output " << *output;
        const std::string path = PosixPath(*output);
        std::ifstream in(path, std::ios::binary);
        std::string head(5, '\0');
        if (!in.read(head.data(), 5)) {
            std::cout << ": cannot be read\n";
            continue;
        }
        try {
            if (head == "%PDF-")
                PrintPDF(path);
            else
                PrintEPS(in);
        } catch (const std::exception& error) {
            std::cout << ": " << error.what() << "\n";
        }
    }
}

void CallReport::PrintPageItemFile() const {
    using Outcome = platform::RegularFileRead::Outcome;
    const std::string file = m_job ? m_job->pageItemFile.path().toStdString() : std::string();
    if (file.empty())
        return;
    std::cout << "  page-item file " << file;
    const platform::RegularFileRead read = ReadPageItemFile();
    const bool regular = read.outcome == Outcome::kRead || read.outcome == Outcome::kTooLarge;
    if (regular && !WrittenByCall(read)) {
        std::cout << ": not written by this call; the file under that name is from before the "
                     "call and is not shown\n";
        return;
    }
    switch (read.outcome) {
    case Outcome::kRead:
        break;
    case Outcome::kNotOpened:
        if (read.error == ENOENT)
            std::cout << ": not written by this call; no file stands under that name\n";
        else
            std::cout
                << ": cannot be read: "
                << (read.error != 0
                        ? platform::errorText(read.error)
                        : platform::pathRefusal(m_pageItemFile).value_or("its path names no file"))
                << "\n";
        return;
    case Outcome::kSymbolicLink:
        std::cout << ": not shown: a symbolic link stands under that name, and the report does "
                     "not follow it\n";
        return;
    case Outcome::kNotRegular:
        std::cout << ": not shown: " << read.kind
                  << " stands under that name, not a regular file\n";
        return;
    case Outcome::kTooLarge:
        std::cout << ": not shown: it " << TooLarge(read) << "\n";
        return;
    case Outcome::kReadFailed:
        std::cout << ": cannot be read: " << platform::errorText(read.error) << "\n";
        return;
    }
    std::cout << "\n";
    std::istringstream in(read.bytes);
    try {
        static_cast<void>(PrintPageItems(in, *m_job, host::FrontDocument(), std::cout));
    } catch (const std::exception& error) {
        std::cout << "    " << error.what() << "\n";
    }
}

void CallReport::PrintDocument() const {
    const std::string state = m_fitted ? "stored and fitted" : "stored";
    if (!m_afterFirstSequence) {
        std::cout << "  document: the job was not " << state << "\n";
        return;
    }
    const std::string now = FrontDocumentDigest();
    if (now == *m_afterFirstSequence)
        std::cout << "  document: as after the job was " << state << "\n";
    else if (m_beforeLastCommand == m_afterFirstSequence)
        std::cout << "  document: as after the job was " << state << ", until the last command \""
                  << m_lastCommand << "\"\n";
    else
        std::cout << "  document: changed after the job was " << state << "\n";
}
