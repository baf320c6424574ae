// The job's road through the library, end to end: the sample job file read with its ticket, the
// check settings that decide the export, and the exported job.
#include "model/BCheckSettingList.h"
#include "model/BDestinationList.h"
#include "model/BJobFile.h"
#include "model/JobFilePart.h"
#include "model/KeyStrings.h"
#include "support/CheckSettingTest.h"
#include "support/Test.h"

#include <array>
#include <fstream>

namespace {

// Starts and ends with the process-wide settings state reset.
class JobRoad : public CheckSettingTest {
protected:
    static void readSample(BJobFile& job) {
        std::ifstream in(ZEP_TEST_DATA_DIR "/sample_job.job5", std::ios::binary);
        ASSERT_TRUE(in.is_open());
        job.Read(in, kJobFilePartFull);
    }
};

TEST_F(JobRoad, TheSampleJobReadsAsDescribedAndItsTicketDecidesTheExportFormat) {
    BJobFile job;
    readSample(job);
    EXPECT_EQ(job.identifier, "5A1E0B7C-0D2E-4F31-9A6B-2C4D6E8F0A1B");
    EXPECT_EQ(job.jobName, "Spring sale");
    EXPECT_EQ(job.outputFile.path(), "Z:/tmp/zephrin-sample-job/spring-sale.pdf");
    EXPECT_EQ(job.GetAbsoluteRuns().GetPageCount(), 2);
    ASSERT_EQ(job.GetGroups().size(), 2u);
    EXPECT_EQ(job.GetCurrentGroup().size(), 2u);
    const auto corners = [](const zeu::Rect2D& box) {
        return std::array{box.x, box.y, box.width, box.height};
    };
    EXPECT_EQ(corners(job.trimBox), (std::array<double, 4>{-90, -50, 180, 100}));
    EXPECT_EQ(corners(job.bleedBox), (std::array<double, 4>{-93, -63, 186, 126}));
    ASSERT_NE(job.GetProcessProfile(), nullptr);
    EXPECT_EQ(UFileSpecCore(*job.GetProcessProfile()).name(), "ISOcoated_v2_eci.icc");

    // The sample's 'BP' record lifts the process-wide ban on PDF; its ticket makes transparency
    // a fault, so a document with transparency still goes out as EPS.
    const BCheckSettingList& settings = job.GetCheckSettings();
    EXPECT_FALSE(GetForceEPSExport());
    EXPECT_EQ(settings.GetSeverity(keystr::Transparency), eProblemSeverity_Fault);
    EXPECT_FALSE(settings.AllowsPDFExport(true, false, false));
    EXPECT_TRUE(settings.AllowsPDFExport(false, false, false));
    EXPECT_EQ(settings.GetPDFVersion(), 1.4);
}

// The exported job holds the selected group's unexported destinations; the job in memory marks
// them exported as it writes them, so no group is left to select.
TEST_F(JobRoad, TheExportedJobHoldsTheSelectedGroupsUnexportedDestinations) {
    BJobFile job;
    readSample(job);
    ASSERT_NE(job.GetGroups().GetSelectedGroup(), nullptr);
    std::stringstream exported;
    job.WriteExported(exported);
    BJobFile sent;
    sent.Read(exported, kJobFilePartFull);
    ASSERT_EQ(sent.GetGroups().size(), 1u);
    const BGroup& group = sent.GetGroups()[0];
    ASSERT_EQ(group.size(), 2u);
    EXPECT_EQ(group[0].GetName() + "|" + group[1].GetName(), "Daily Courier|Weekend Courier");
    for (const BGroup& left : job.GetGroups())
        EXPECT_FALSE(left.HasUnexported());
}

} // namespace
