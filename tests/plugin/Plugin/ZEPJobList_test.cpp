// Tests of the job list: its text forms, reads that fail without touching the job, the parts a
// copy carries, which operations mark it dirty, the group summary, the document record in its
// versions, damaged ones and ones whose job does not read, and the trim-margin test. Whether a job
// list is stored is tested with the save-details command, on a document's job list.
#include "Plugin/ZEPJobList.h"

#include "host/standin/Stream.h"
#include "support/HexBytes.h"
#include "support/JobSamples.h"
#include "support/LogCapture.h"
#include "support/PluginFixture.h"
#include "support/SampleLayout.h"

#include <cstring>
#include <functional>
#include <stdexcept>

namespace {

class JobList : public PluginTest {};

std::string asString(IZEPJobList& job, bool summaryOnly = false) {
    std::string text;
    job.GetAsString(text, summaryOnly);
    return text;
}

ZEPJobList& impl(const InterfacePtr<IZEPJobList>& job) {
    return static_cast<ZEPJobList&>(*job);
}

// A stored job-list record, built the way the host stream writes numbers.
class Record {
public:
    Record& version(std::int16_t value) {
        return put([&](IPMStream& out) { out.XferInt16(value); });
    }
    Record& number(std::int32_t value) {
        return put([&](IPMStream& out) { out.XferInt32(value); });
    }
    Record& bytes(std::string bytes) {
        return put([&](IPMStream& out) { out.XferBytes(bytes.data(), bytes.size()); });
    }
    Record& job(const std::string& bytes) {
        return number(static_cast<std::int32_t>(bytes.size())).bytes(bytes);
    }
    std::unique_ptr<MemoryStream> reader() const { return MemoryStream::Reader(m_bytes); }
    const std::vector<std::uint8_t>& written() const { return m_bytes; }

private:
    Record& put(const std::function<void(IPMStream&)>& write) {
        auto out = MemoryStream::Writer();
        write(*out);
        m_bytes.insert(m_bytes.end(), out->Bytes().begin(), out->Bytes().end());
        return *this;
    }

    std::vector<std::uint8_t> m_bytes;
};

// The summary bytes of a job whose document name starts with `name`, padded (in two texts, each
// past the short length form) to exactly `size` bytes.
std::string summaryOfSize(const std::string& name, std::size_t size) {
    BJobFile job;
    fillSampleJob(job, name);
    job.documentName = (name + std::string(size / 2, 'x')).c_str();
    job.textSN = std::string(300, 'y').c_str();
    std::string bytes = jobBytes(job, kJobFilePartSummary);
    while (bytes.size() < size) {
        job.textSN += std::string(size - bytes.size(), 'y').c_str();
        bytes = jobBytes(job, kJobFilePartSummary);
    }
    return bytes;
}

TEST_F(JobList, RawAndHexTextLoadTheSameJob) {
    const std::string raw = sampleJobBytes("ad");
    for (const std::string& text : {raw, EncodeJobText(raw), EncodeJobText(raw) + "F"}) {
        auto job = newTransientJob();
        job->SetFromString(text, false);
        EXPECT_EQ(asString(*job), raw) << text.substr(0, 4);
    }
}

TEST_F(JobList, AFailedReadMarksDirtyAndLeavesTheJobWhole) {
    const std::string truncated = sampleJobBytes("new").substr(0, 60);
    const std::pair<std::string, const char*> cases[] = {
        {"not a job", "UKeyInStream: meta key mismatch"},
        {"4B5", "UKeyInStream: meta key mismatch"},
        {truncated, nullptr},
        {EncodeJobText(truncated), nullptr},
    };
    for (const auto& [text, error] : cases) {
        auto job = newTransientJob();
        job->SetFromString(sampleJobBytes("old"), false);
        const BJobFile* held = job->GetJobFile();
        const std::string before = asString(*job);
        host::Recorder::Instance().Clear(host::Channel::Dirty);
        try {
            job->SetFromString(text, false);
            ADD_FAILURE() << "no exception for " << text;
        } catch (const std::runtime_error& exception) {
            if (error) {
                EXPECT_STREQ(exception.what(), error);
            }
        }
        EXPECT_EQ(job->GetJobFile(), held);
        EXPECT_EQ(asString(*job), before);
        EXPECT_EQ(Log(host::Channel::Dirty), std::vector<std::string>{"0x52E20"});
    }
}

TEST_F(JobList, ASummaryCopyKeepsTheTargetsFullPart) {
    auto source = newTransientJob();
    source->SetFromString(sampleJobBytes("source"), false);
    source->GetJobFile()->pageCount = 5;
    struct Case {
        bool summaryOnly;
        const char* jobName; // 'DN' is written with every part but read only with the full part
        std::int32_t pageCount;
    };
    for (const Case& c : {Case{true, "target job", 3}, Case{false, "source job", 5}}) {
        auto target = newTransientJob();
        target->SetFromString(sampleJobBytes("target"), false);
        target->CopyFrom(source.get(), c.summaryOnly);
        BJobFile copied;
        fillSampleJob(copied, "target");
        source->CopyJobFileTo(copied, c.summaryOnly);
        for (const BJobFile* job : {target->GetJobFile(), &copied}) {
            EXPECT_EQ(job->documentName, "source");
            EXPECT_EQ(job->jobName, c.jobName);
            EXPECT_EQ(job->pageCount, c.pageCount);
        }
    }
}

TEST_F(JobList, MarksDirtyBeforeEveryChangeOnly) {
    auto other = newTransientJob();
    const Record stored = Record().version(4).job(sampleJobBytes("ad", kJobFilePartSummary));
    const std::pair<std::function<void(ZEPJobList&)>, std::size_t> cases[] = {
        {[&](ZEPJobList& job) { job.CopyFrom(other.get(), true); }, 1},
        {[](ZEPJobList& job) { job.CopyFrom(&job, true); }, 0},
        {[](ZEPJobList& job) { job.SetFromString(sampleJobBytes("ad"), true); }, 1},
        {[](ZEPJobList& job) { EXPECT_TRUE(job.DeselectDestinations({"17"})); }, 1},
        {[](ZEPJobList& job) { job.SelectAllDestinations(); }, 1},
        {[](ZEPJobList& job) { job.UpdateGroupSummary(); }, 0},
        {[&](ZEPJobList& job) { job.ReadWrite(stored.reader().get(), kZEPJobListImpl); }, 0},
    };
    int row = 0;
    for (const auto& [run, marks] : cases) {
        auto job = newTransientJob();
        host::Recorder::Instance().Clear(host::Channel::Dirty);
        run(impl(job));
        EXPECT_EQ(Log(host::Channel::Dirty).size(), marks) << "row " << row++;
    }
}

TEST_F(JobList, GroupSummaryAndDestinationsFollowTheSelectedGroup) {
    auto job = newTransientJob();
    bool hasDestinations = true, hasBleed = false;
    job->GetGroupSummaryFlags(hasDestinations, hasBleed);
    EXPECT_FALSE(hasDestinations);
    EXPECT_TRUE(hasBleed);
    EXPECT_FALSE(job->HasUnselectedDestination());

    job->SetFromString(sampleJobBytes("ad"), false);
    job->UpdateGroupSummary();
    job->GetGroupSummaryFlags(hasDestinations, hasBleed);
    EXPECT_TRUE(hasDestinations && hasBleed);
    EXPECT_TRUE(job->HasUnselectedDestination());
    job->SelectAllDestinations();
    EXPECT_FALSE(job->HasUnselectedDestination());
    job->DeselectDestinations({"17"});
    EXPECT_TRUE(job->HasUnselectedDestination());
}

TEST_F(JobList, DocumentRecordsOfEveryVersionLoadAndAWrittenOneIsVersion4) {
    const std::string summary = sampleJobBytes("stored", kJobFilePartSummary);
    // Version 1 stored no version: the low half of its length is read as one.
    const std::string v1 = summaryOfSize("v1", 0x10001);
    ASSERT_EQ(v1.size(), 0x10001u);
    const std::pair<Record, const char*> cases[] = {
        {Record().job(v1), "v1"},
        {Record().version(2).number(2).number(7).number(8).job(summary), "stored"},
        {Record().version(3).job(summary), "stored"},
        {Record().version(4).job(summary), "stored"},
    };
    for (const auto& [record, name] : cases) {
        auto job = newTransientJob();
        impl(job).ReadWrite(record.reader().get(), kZEPJobListImpl);
        EXPECT_EQ(job->GetJobFile()->documentName.view().substr(0, std::strlen(name)), name);

        auto out = MemoryStream::Writer();
        impl(job).ReadWrite(out.get(), kZEPJobListImpl);
        EXPECT_EQ(out->Bytes(), Record().version(4).job(asString(*job, true)).written());
    }
}

TEST_F(JobList, DamagedDocumentRecordsAreRefusedAndLeaveTheJob) {
    const std::string summary = sampleJobBytes("stored", kJobFilePartSummary);
    const auto size = static_cast<std::int32_t>(summary.size());
    const Record cases[] = {
        Record().version(4).number(-1).bytes(summary),
        Record().version(4).number(size + 1).bytes(summary),
        Record().version(4).number(0x7FFFFFFF).bytes(summary),
        Record().version(2).number(-1).job(summary),
        Record().version(2).number(0x7FFFFFFF).job(summary),
        Record().version(2).number(1),
        Record().bytes("\x04"),
    };
    int row = 0;
    for (const Record& record : cases) {
        auto job = newTransientJob();
        job->SetFromString(sampleJobBytes("old"), false);
        const std::string before = asString(*job);
        const LogCapture log;
        impl(job).ReadWrite(record.reader().get(), kZEPJobListImpl);
        EXPECT_EQ(asString(*job), before) << "row " << row;
        EXPECT_NE(log.text().find("[ERROR]"), std::string::npos) << "row " << row++;
    }
}

// A document whose stored record does not read opens without a job, and one ERROR record names
// it; a valid record opens with its job.
TEST_F(JobList, AStoredJobThatDoesNotReadOpensTheDocumentWithoutAJob) {
    const std::string summary = sampleJobBytes("stored", kJobFilePartSummary);
    const std::pair<Record, bool> cases[] = {
        {Record().version(4).job(""), false},
        {Record().version(4).job(summary.substr(0, 10)), false},
        {Record().version(4).job("\xDE\xAD\xBE\xEF job"), false},
        {Record().version(4).job(summary), true},
    };
    int row = 0;
    for (const auto& [record, reads] : cases) {
        const LogCapture log;
        const std::vector<std::uint8_t>& bytes = record.written();
        const std::string noFacets = "\"facets\": {}";
        std::string description = kSampleLayout;
        description.replace(
            description.find(noFacets), noFacets.size(),
            "\"facets\": {\"0x52E06\": \"" +
                hexText({reinterpret_cast<const char*>(bytes.data()), bytes.size()}) + "\"}");
        const host::Document& document = host::OpenDocumentDescription(description);
        InterfacePtr<IZEPJobList> jobs(document.WorkspaceRef(), UseDefaultIID{});
        EXPECT_EQ(jobs->GetJobFile()->documentName, reads ? "stored" : "") << "row " << row;
        const std::string errors = log.text();
        EXPECT_EQ(errors.find("[ERROR]") != std::string::npos, !reads) << "row " << row;
        EXPECT_EQ(errors.find("[ERROR]"), errors.rfind("[ERROR]")) << "row " << row;
        EXPECT_EQ(errors.find("document \"Sample.indd\"") != std::string::npos, !reads)
            << "row " << row++;
    }
}

TEST(HasTrimMargins, NeedsABleedInEitherDirection) {
    const std::pair<zeu::Rect2D, bool> cases[] = {{{0, 0, 186, 100}, true},
                                                  {{0, 0, 180, 106}, true},
                                                  {{0, 0, 180, 100}, false},
                                                  {zeu::Rect2D::unset, false}};
    for (const auto& [bleedBox, margins] : cases) {
        BJobFile job;
        job.bleedBox = bleedBox;
        job.trimBox = {0, 0, 180, 100};
        EXPECT_EQ(HasTrimMargins(job), margins) << bleedBox.width << "x" << bleedBox.height;
    }
}

} // namespace
