// The job's road through the library, end to end: the sample job file read with its ticket, the
// check settings that decide the export, and the exported job sent back as Base64 inside the
// compact JSON of an event message.
#include "model/BCheckSettingList.h"
#include "model/BDestinationList.h"
#include "model/BJobFile.h"
#include "model/JobFilePart.h"
#include "model/KeyStrings.h"
#include "support/CheckSettingTest.h"
#include "utils/TextUtils.h"
#include "utils/umessage.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>

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

TEST_F(JobRoad, TheExportedJobTravelsBackAsBase64InCompactJson) {
    BJobFile job;
    readSample(job);
    ASSERT_NE(job.GetGroups().GetSelectedGroup(), nullptr);

    std::ostringstream exported;
    job.WriteExported(exported);
    const std::string bytes = exported.str();
    ASSERT_FALSE(bytes.empty());

    umessage event;
    event.setWhat("exported");
    event.add<ustring>("v", umessage_details::type_string,
                       base64Encode(bytes.data(), bytes.size()));
    std::ostringstream json;
    event.write(json);

    // What the companion application receives reads back to the same bytes.
    std::istringstream received(json.str());
    umessage decoded;
    ASSERT_TRUE(decoded.read(received));
    EXPECT_EQ(decoded.what(), "exported");
    EXPECT_EQ(decoded.value<ustring>("v"), base64Encode(bytes.data(), bytes.size()));

    // The exported job holds the selected group's unexported destinations; the job in memory
    // marks them exported as it writes them, so no group is left to select.
    BJobFile sent;
    std::istringstream in(bytes);
    sent.Read(in, kJobFilePartFull);
    ASSERT_EQ(sent.GetGroups().size(), 1u);
    const BGroup& group = sent.GetGroups()[0];
    ASSERT_EQ(group.size(), 2u);
    EXPECT_EQ(group[0].GetName(), "Daily Courier");
    EXPECT_EQ(group[1].GetName(), "Weekend Courier");
    for (std::size_t i = 0; i < job.GetGroups().size(); ++i)
        EXPECT_FALSE(job.GetGroups()[i].HasUnexported()) << "group " << i;
}

} // namespace
