// Tests of the export run's helpers: the preparation of the job, the export scope, the page that
// holds a selection, the choice between PDF and EPS and the modifiers' sequence.
#include "Export/ZEPExportHelper.h"

#include "Plugin/ZEPID.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "host/standin/Faults.h"
#include "host/standin/Selection.h"
#include "model/BCheckSettingList.h"
#include "model/KeyStrings.h"
#include "support/ExportRunFixture.h"
#include "support/JsonMessage.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <limits>
#include <string>

namespace {

// The host answers these tests rely on: the workspace of an open document carries the plug-in's
// stored job list, and the layout view shows the spread its description names.
using ExportHelper = ExportRunTest;

TEST_F(ExportHelper, PreparesTheBleedsOfTheJobUnlessRefused) {
    const struct {
        bool flagSE;
        const char* jobFolder;
        std::string thrown;
        double horizontal, vertical;
    } cases[] = {
        // The bleed rectangle holds top, left, bottom and right in its left, top, right, bottom.
        {false, nullptr, "nothing", 2, 3},
        {true, nullptr, "nothing", 7, 8},
        {false, "", "0x52E1F !(jobs->jobFolder.is_absolute())", 7, 8},
        {false, "jobs/ad", "0x52E1F !(jobs->jobFolder.is_absolute())", 7, 8},
    };
    for (const auto& c : cases) {
        m_job.flagSE = c.flagSE;
        if (c.jobFolder)
            m_job.jobFolder.assign(ustring(c.jobFolder));
        m_job.layoutHorizontalBleed = 7;
        m_job.layoutVerticalBleed = 8;
        ZEPExportHelper helper;
        EXPECT_EQ(Thrown([&] { helper.Prepare(nullptr, &m_job); }), c.thrown) << c.jobFolder;
        EXPECT_EQ(m_job.layoutHorizontalBleed, c.horizontal);
        EXPECT_EQ(m_job.layoutVerticalBleed, c.vertical);
    }
    EXPECT_EQ(Thrown([] { ZEPExportHelper().Prepare(nullptr, nullptr); }),
              "0x52E1E (jobs) == NULL");
}

TEST_F(ExportHelper, DecidesTheScopeAndThePageOfASelection) {
    ZEPExportHelper owner;
    owner.Prepare(nullptr, &m_job);
    ZEPExportJobFileHelper helper(owner);
    ASSERT_EQ(helper.GetExportScope(), ZEPExportJobFileHelper::kWholeDocument);
    const struct {
        bool selectionBased;
        std::vector<std::pair<int, int>> runs; // first page, count
        std::vector<std::uint32_t> selection;
        std::uint32_t shownSpread;
        std::uint32_t scope;
        std::pair<int, int> firstRun;
    } cases[] = {
        {false, {{1, 1}, {2, 1}}, {}, 10, 0, {1, 1}},
        {false, {{1, 1}, {2, 0}, {2, -3}}, {}, 10, 1, {1, 1}},
        {true, {{1, 2}}, {20}, 10, 2, {1, 1}},
        // The page of a selection is picked by its left edge only when its top lies on the
        // pages' bottom edge; on page 12 it is the spread's first page.
        {true, {{1, 2}}, {22}, 10, 2, {1, 1}},
        {true, {{2, 1}}, {}, 10, 2, {2, 1}},
        {true, {{2, 1}}, {20}, 40, 2, {2, 1}},
    };
    for (const auto& c : cases) {
        SetSelectionBasedExports(c.selectionBased);
        m_job.GetAbsoluteRuns().Clear();
        for (const auto& [first, count] : c.runs)
            m_job.GetAbsoluteRuns().Append(
                std::make_unique<BPageRange>(ustring(), first, count, kPageRangeStyleAbsolute));
        host::SelectLayoutItems(List(c.selection));
        m_document->layout.view = host::View{UID(c.shownSpread), UID(c.shownSpread + 1)};
        helper.DetermineExportScope();
        EXPECT_EQ(helper.GetExportScope(), c.scope) << c.runs.size();
        const BPageRange& run = m_job.GetAbsoluteRuns().front();
        EXPECT_EQ(std::pair(run.firstPage, run.pageCount), c.firstRun) << c.runs.size();
        EXPECT_EQ(run.style, kPageRangeStyleAbsolute);
    }
    // A job list that is not stored asks for no selection-based export.
    host::Faults::Instance().HideInterface(kDocWorkspaceBoss, IID_IZEPJOBLIST);
    helper.DetermineExportScope();
    EXPECT_EQ(helper.GetExportScope(), ZEPExportJobFileHelper::kSinglePage);
}

TEST_F(ExportHelper, ThePageOfASelectionIsOneOfTheSpreadsPages) {
    const PMRect pages(0, 0, 300, 400);
    const struct {
        PMRect selection, pages;
        std::int32_t page;
    } cases[] = {
        {{450, 400, 500, 450}, pages, 1},   {{950, 400, 990, 450}, pages, 1},
        {{-450, 400, -400, 450}, pages, 0}, {{450, 400, 500, 450}, {0, 0, 0.5, 400}, 0},
        {{450, 500, 500, 550}, pages, 0},   {{450, 100, 500, 150}, pages, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SelectionPageOfSpread(c.selection, c.pages, 2), c.page) << c.selection.Left();
}

TEST_F(ExportHelper, ChoosesEPSForColourManagementOrWhatTheChecksForbid) {
    const char* cid2Fault = R"({"settings": [{"problem": "CIDType2FontUsed",
        "type": "eSettingType_Boolean", "severity": "eProblemSeverity_Fault"}]})";
    const struct {
        bool pdfAllowed; // the job model's flag, as a job's 'BP' record sets it
        int style;       // the first destination's 'St'; 0: no destination
        const char* settings;
        bool pdf;
    } cases[] = {
        {false, 0, nullptr, false}, {true, 0, nullptr, true},    {true, 1, nullptr, false},
        {true, 2, nullptr, true},   {true, 0, cid2Fault, false},
    };
    ZEPExportHelper helper;
    helper.Prepare(nullptr, &m_job);
    auto item = std::make_shared<BPageItem>();
    item->AddProblem(keystr::OpenTypeCIDFontUsedInLayout);
    m_job.GetPageSet(kAnalysedPageSet).items.Append(item);
    for (const auto& c : cases) {
        SetForceEPSExport(!c.pdfAllowed);
        m_job.GetGroups().Clear();
        if (c.style != 0) {
            BGroup* group = m_job.GetGroups().AddGroup();
            group->SetSelected(true);
            group->CreateDestination()->SetStyle(c.style);
        }
        m_job.GetCheckSettings().Clear();
        if (c.settings)
            m_job.GetCheckSettings().Load(readJson(c.settings));
        EXPECT_EQ(helper.ShouldExportPDF(), c.pdf) << c.style;
    }
}

// A modifier that begins its sequence twice.
class TwiceBegun final : public ZEPExportJobFileModifier {
public:
    explicit TwiceBegun(ZEPExportJobFileHelper& owner) : ZEPExportJobFileModifier(owner) {
        Modify();
    }
    void Modify() override {
        BeginModify();
        BeginModify();
    }
};

TEST_F(ExportHelper, AModifierBeginsOneNamedSequenceAndAbortsItWhenItGoes) {
    ZEPExportHelper owner;
    owner.Prepare(nullptr, &m_job);
    ZEPExportJobFileHelper helper(owner);
    host::Recorder::Instance().Clear(host::Channel::Sequences);
    { TwiceBegun modifier(helper); }
    EXPECT_EQ(Log(host::Channel::Sequences),
              (std::vector<std::string>{"begin abortable", "abort ZEPExportJobFileModifier"}));
    host::Faults::Instance().FailAbortableSequences();
    EXPECT_EQ(Thrown([&] { TwiceBegun modifier(helper); }),
              "0x52E1E (mCmdSeq = CmdUtils::BeginAbortableCmdSeq()) == NULL");
}

TEST(CheckPrintableDestinations, RefusesTheFirstDestinationOfTheCurrentGroupThatCannotBePrinted) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::string refused = "0x52E40 The destination ";
    const struct {
        const char* name;
        double width, height, left, right, top, bottom;
        std::string thrown;
    } cases[] = {
        {"City Magazine", 280, 400, 8.5, 8.5, 8.5, 8.5, "nothing"},
        {"City Magazine", 280, 400, 0, 0, 0, 0, "nothing"},
        {"City Magazine", -595.28, 842, 0, 0, 0, 0,
         refused + "\"City Magazine\" (2) cannot be printed: its width is -595.28 points."},
        {"", 595.28, 0, 0, 0, 0, 0, refused + "2 cannot be printed: its height is 0 points."},
        {"C", 1, nan, 0, 0, 0, 0,
         refused + "\"C\" (2) cannot be printed: its height is not a number."},
        {"C", inf, 1, 0, 0, 0, 0,
         refused + "\"C\" (2) cannot be printed: its width is inf points."},
        {"C", 1, 1, -3, 0, 0, 0,
         refused + "\"C\" (2) cannot be printed: its left bleed is -3 points."},
        {"C", 1, 1, 0, 0, -inf, 0,
         refused + "\"C\" (2) cannot be printed: its top bleed is -inf points."},
        {"C", 1, 1, 0, nan, 0, 0,
         refused + "\"C\" (2) cannot be printed: its right bleed is not a number."},
        {"C", 1, 1, 0, 0, 0, -0.5,
         refused + "\"C\" (2) cannot be printed: its bottom bleed is -0.5 points."},
    };
    for (const auto& c : cases) {
        BJobFile job;
        BGroup* selected = job.GetGroups().AddGroup();
        selected->SetSelected(true);
        BDestination* first = selected->CreateDestination();
        first->SetIdentifier("1");
        first->SetSize(100, 100);
        BDestination* second = selected->CreateDestination();
        second->SetIdentifier("2");
        second->SetName(c.name);
        second->SetSize(c.width, c.height);
        second->SetBleeds(c.left, c.right, c.top, c.bottom);
        // Another group's destination is no part of the export.
        job.GetGroups().AddGroup()->CreateDestination()->SetSize(-1, -1);
        EXPECT_EQ(Thrown([&] { CheckPrintableDestinations(job); }), c.thrown) << c.thrown;
    }
    EXPECT_EQ(Thrown([] { CheckPrintableDestinations(BJobFile()); }), "nothing");
}

} // namespace
