#include "model/BCheckSettingList.h"
#include "model/BDestinationList.h"
#include "model/BJobFile.h"
#include "model/JobFilePart.h"
#include "model/KeyStrings.h"
#include "support/CheckSettingTest.h"
#include "support/Test.h"

#include <fstream>

namespace {

using JobRoad = CheckSettingTest; // starts and ends with the process-wide settings state reset

TEST_F(JobRoad, TheSampleJobReadsAsDescribedAndItsTicketDecidesTheExportFormat) {
    std::ifstream in(ZEP_TEST_DATA_DIR "/sample_job.job5", std::ios::binary);
    ASSERT_TRUE(in.is_open());
    BJobFile job;
    job.Read(in, kJobFilePartFull);
    EXPECT_EQ(job.identifier, "5A1E0B7C-0D2E-4F31-9A6B-2C4D6E8F0A1B");
    EXPECT_EQ(job.jobName + "|" + job.outputFile.path(),
              "Spring sale|Z:/tmp/zephrin-sample-job/spring-sale.pdf");
    EXPECT_EQ(job.GetAbsoluteRuns().GetPageCount(), 2);
    ASSERT_EQ(job.GetGroups().size(), 2u);
    EXPECT_EQ(job.GetCurrentGroup().size(), 2u);
    EXPECT_EQ(std::tuple(job.trimBox.x, job.trimBox.y, job.bleedBox.width, job.bleedBox.height),
              std::tuple(-90, -50, 186, 126));
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

} // namespace
