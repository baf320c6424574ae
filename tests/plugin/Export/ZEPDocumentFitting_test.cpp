// Tests of fitting a document to its job, on the example document examples/single_page.json
// (page 11 of 210 x 297 with margins 10, bleed 3, layer 3 unlocked and layer 4 locked).
#include "Export/ZEPDocumentFitting.h"

#include "Export/ZEPGuideLayer.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "host/sdk/DocumentSetup.h"
#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/Selection.h"
#include "model/BJobFile.h"
#include "support/PluginFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <fstream>

namespace {

constexpr const char* kSequence = "0x52E00kStringZEPAdjustFrameCmdKey";

class DocumentFittingTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        Open();
    }
    void Open() {
        host::CloseAllDocuments();
        host::Recorder::Instance().Reset();
        std::ifstream file(ZEP_EXAMPLES_DIR "/single_page.json");
        std::stringstream text;
        text << file.rdbuf();
        m_document = &host::OpenDocumentDescription(text.str());
        m_job =
            InterfacePtr<IZEPJobList>(m_document->WorkspaceRef(), UseDefaultIID{})->GetJobFile();
    }
    // Books a destination of the size with the bleed and the type indents in a group of its own.
    void Book(double width, double height, double bleed = 0, double indentH = 0, double indentV = 0,
              bool selected = true) const {
        BGroup* group = m_job->GetGroups().AddGroup();
        group->SetSelected(selected);
        BDestination* destination = group->CreateDestination();
        destination->SetSize(width, height);
        destination->SetBleeds(bleed, bleed, bleed, bleed);
        destination->SetTypeIndents(indentH, indentH, indentV, indentV);
    }
    const host::Page& Page() const { return m_document->layout.pages.at(UID(11)); }

    host::Document* m_document = nullptr;
    BJobFile* m_job = nullptr;
};

TEST_F(DocumentFittingTest, PageSizeBleedAndMarginsFollowTheJobAndLockedLayersStayLocked) {
    const struct {
        double width, height, bleed, indentH, indentV;
        host::Sides margins;
    } cases[] = {
        {100, 200, 3, 5, 10, {5, 10, 5, 10}},
        {100, 200, 0, 0, 0, {0, 0, 0, 0}}, // no type area
        {150, 100, 2, 0, 0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        Open();
        Book(c.width, c.height, c.bleed, c.indentH, c.indentV);
        AdjustDocumentToJob(nullptr);
        EXPECT_EQ(Page().width, c.width);
        EXPECT_EQ(Page().height, c.height);
        EXPECT_EQ(Page().margins, c.margins);
        EXPECT_EQ(m_document->layout.pageSetup->bleed,
                  (host::Sides{c.bleed, c.bleed, c.bleed, c.bleed}));
        EXPECT_FALSE(m_document->layout.layerData.at(UID(3)).locked);
        EXPECT_TRUE(m_document->layout.layerData.at(UID(4)).locked);
        EXPECT_EQ(host::UndoStepNames().back(), kSequence);
    }
    EXPECT_EQ(
        Log(host::Channel::Commands),
        (std::vector<std::string>{"Lock Layers 0x307 -> 0x0", "Margins 0x50C -> 0x0",
                                  "Document Setup 0x512 -> 0x0", "Lock Layers 0x307 -> 0x0"}));
    EXPECT_EQ(Log(host::Channel::Sequences),
              (std::vector<std::string>{"begin", std::string("end ") + kSequence}));
    EXPECT_EQ(Log(host::Channel::Redraws),
              std::vector<std::string>{"invalidate Half-page ad.indd"});
}

TEST_F(DocumentFittingTest, TheDocumentSetupGetsItsValuesInTheFixedOrder) {
    const struct {
        double width;
        bool withPrefs;
        std::vector<std::string> calls;
    } cases[] = {
        {100,
         true,
         {"SetTargetDocument 1", "SetBleed 3 3 3 3", "SetBleedOption false", "SetValue 0",
          "SetSwitch false", "SetPageSize 100 100", "SetWide false", "SetFlag false",
          "SetPageCount 1"}},
        {100 + 2e-8,
         false,
         {"SetTargetDocument 1", "SetBleed 3 3 3 3", "SetBleedOption false",
          "SetPageSize 100.00000002 100", "SetWide true", "SetFlag true", "SetPageCount 1"}},
    };
    for (const auto& c : cases) {
        Open();
        Book(c.width, 100, 3);
        if (!c.withPrefs)
            host::Faults::Instance().HideInterface(kDocWorkspaceBoss, IPageSetupPrefs::kDefaultIID);
        AdjustDocumentToJob(m_document->Get());
        std::vector<std::string> calls = Log(host::Channel::Calls);
        calls.erase(calls.begin()); // the margins
        EXPECT_EQ(calls, c.calls);
    }
}

TEST_F(DocumentFittingTest, AJobWithoutATrimSizeGivesAnAlertAndChangesNothing) {
    SetCommonSizing(true);
    for (const bool zeroWidth : {false, true}) {
        Open();
        if (zeroWidth)
            Book(0, 100);
        AdjustDocumentToJob(nullptr);
        EXPECT_EQ(
            Log(host::Channel::Alerts),
            std::vector<std::string>{"The job has no page size: the document cannot be fitted."});
        EXPECT_TRUE(Log(host::Channel::Commands).empty());
        EXPECT_TRUE(Log(host::Channel::Sequences).empty());
        EXPECT_TRUE(m_job->commonSizing); // what the page rectangle stored stays
        EXPECT_EQ(m_job->trimBox.height, zeroWidth ? 100 : 0);
    }
}

// A job whose size is nothing because none of its groups is selected says so after the alert's
// own text; with common sizing, or without any group, the selection is not the reason.
TEST_F(DocumentFittingTest, AJobWithGroupsButNoneSelectedSaysSoInItsAlert) {
    const std::string alert = "The job has no page size: the document cannot be fitted.";
    const std::string noGroup = alert + " No group of destinations is selected.";
    const struct {
        const char* name;
        int groups; // each with one destination of 100 x 200
        bool selected, commonSizing;
        std::string alert; // empty: fitted
    } cases[] = {
        {"groups, none selected", 2, false, false, noGroup},
        {"no group", 0, false, false, alert},
        {"groups, none selected, common sizing", 2, false, true, ""},
        {"no group, common sizing", 0, false, true, alert},
        {"a group selected", 1, true, false, ""},
    };
    for (const auto& c : cases) {
        Open();
        SetCommonSizing(c.commonSizing);
        for (int i = 0; i < c.groups; ++i)
            Book(100, 200, 0, 0, 0, c.selected);
        AdjustDocumentToJob(nullptr);
        EXPECT_EQ(Log(host::Channel::Alerts),
                  c.alert.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.alert})
            << c.name;
        EXPECT_EQ(Page().width, c.alert.empty() ? 100 : 210) << c.name;
    }
    SetCommonSizing(false);
}

TEST_F(DocumentFittingTest, AFailureInsideTheSequenceRollsTheDocumentBackAndIsThrownOn) {
    Book(100, 200, 3, 5, 10);
    AddGuidesForRect(nullptr, {m_document->db.get(), UID(10)}, {10, 10, 50, 50}, kAllEdges,
                     kTrimGuideIndex);
    GetJobPageRect(*m_job, false); // what the fitting stores in the job before its sequence
    const std::string before = host::DumpDocument(*m_document);
    const struct {
        std::function<void(host::Faults&)> fault;
        std::string raised;
        std::uint32_t code;
    } cases[] = {
        {[](host::Faults& f) { f.FailProcessCommand(kDocSetupCmdBoss, ErrorCode{7}); }, "0x7 ", 7},
        {[](host::Faults& f) { f.HideInterface(host::kDocBoss, IPageList::kDefaultIID); },
         "0x52E1E (iPageList) == NULL", 0x52E1E},
        {[](host::Faults& f) { f.ThrowFromProcessCommand(kDocSetupCmdBoss); }, "std::bad_alloc", 1},
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        c.fault(host::Faults::Instance());
        EXPECT_EQ(Raised([] { AdjustDocumentToJob(nullptr); }), c.raised);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode().Get(), c.code);
        EXPECT_EQ(Log(host::Channel::Sequences).back(), std::string("fail ") + kSequence);
        EXPECT_EQ(host::OpenSequenceCount(), 0);
        EXPECT_EQ(host::DumpDocument(*m_document), before) << c.raised;
        ClearGlobalError();
    }
}

TEST_F(DocumentFittingTest, TheFrameIsFittedOnlyWithASelectionAndTheSelectionPreference) {
    Book(100, 200);
    const struct {
        std::vector<std::uint32_t> selected;
        bool selectionBased;
        std::string sequence; // the frame fitting's is abortable
    } cases[] = {
        {{}, true, "begin"},
        {{21}, false, "begin"},
        {{21}, true, "begin abortable"},
    };
    for (const auto& c : cases) {
        host::SelectLayoutItems(ListIn(*m_document, c.selected));
        SetSelectionBasedExports(c.selectionBased);
        EXPECT_EQ(HasActiveSelection(), !c.selected.empty());
        host::Recorder::Instance().Clear(host::Channel::Sequences);
        AdjustToJob(nullptr);
        EXPECT_EQ(Log(host::Channel::Sequences).front(), c.sequence);
    }
    host::CloseAllDocuments();
    EXPECT_EQ(Thrown([] { AdjustToJob(nullptr); }), "0x52E1E (result) == NULL");
}

TEST_F(DocumentFittingTest, TheJobPageRectangleIsTheTrimOrBleedSizeAndIsStoredInTheJob) {
    Book(100, 200, 3);
    Book(150, 100, 0, 0, 0, false);
    const struct {
        bool commonSizing, useBleed;
        PMRect page;
        double bleedH, bleedV;
    } cases[] = {
        {false, false, {0, 0, 100, 200}, 3, 3},
        {false, true, {0, 0, 106, 206}, 3, 3},
        {true, false, {0, 0, 100, 100}, 25, 53}, // the smallest trim, the largest bleed size
    };
    for (const auto& c : cases) {
        SetCommonSizing(c.commonSizing);
        EXPECT_EQ(GetJobPageRect(*m_job, c.useBleed), c.page);
        EXPECT_EQ(m_job->commonSizing, c.commonSizing);
        EXPECT_EQ(m_job->layoutWidth, c.page.Width());
        EXPECT_EQ(m_job->layoutDepth, c.page.Height());
        EXPECT_EQ(m_job->layoutHorizontalBleed, c.bleedH);
        EXPECT_EQ(m_job->layoutVerticalBleed, c.bleedV);
    }
}

} // namespace
