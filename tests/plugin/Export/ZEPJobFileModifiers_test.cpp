// Tests of the job-file modifiers: what a selection export changes and that the document, its
// value pair and the selection come back after success and after a failure at each step; the
// bleed test, the guard of an empty selection; colour management switched on for the export;
// the modifiers' sequences undone innermost first.
#include "Export/ZEPJobFileModifiers.h"

#include "Plugin/ZEPPluginPrefs.h"
#include "host/sdk/DocumentSetup.h"
#include "host/sdk/Errors.h"
#include "host/standin/ColorManagement.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "host/standin/ItemCommands.h"
#include "host/standin/Selection.h"
#include "support/ExportRunFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <optional>

namespace {

// The host answers these tests rely on: a page resize leaves the items where they are; the
// group command's group and the transform command's moves, like the setup, margins, delete and
// layer-lock commands, are rolled back by an abort; the value pair set outside a command is not.
class JobFileModifiers : public ExportRunTest {
protected:
    void SetUp() override {
        ExportRunTest::SetUp();
        SetSelectionBasedExports(true);
        host::SelectLayoutItems(List({20, 21}));
        m_owner.Prepare(nullptr, &m_job);
    }

    ZEPExportHelper m_owner;
};

TEST_F(JobFileModifiers, ASelectionExportPutsTheSelectionOnAPageOfItsSizeUntilItEnds) {
    const std::string before = Dump();
    {
        ZEPExportJobFileHelper helper(m_owner);
        const host::Layout& layout = m_document->layout;
        ASSERT_NE(helper.GetModifier(ZEPExportJobFileHelper::kSelectionSlot), nullptr);
        EXPECT_EQ(layout.spreadData.at(UID(10)).items.size(), 1u);
        EXPECT_FALSE(layout.items.contains(UID(24)));
        EXPECT_FALSE(layout.layerData.at(UID(4)).locked);
        for (UID page : {UID(11), UID(12)})
            EXPECT_EQ(std::pair(layout.pages.at(page).width, layout.pages.at(page).height),
                      std::pair(140.0, 120.0));
        EXPECT_EQ(*layout.SpreadCoordinateBounds(UID(20), kPathBounds), PMRect(0, 0, 100, 50));
        EXPECT_EQ(layout.valuePair, std::pair(99999.0, 99999.0));
        EXPECT_EQ(m_job.GetAbsoluteRuns().front().firstPage, 1);
    }
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(Selection(), List({20, 21}));
    EXPECT_EQ(host::OpenSequenceCount(), 0);
}

TEST_F(JobFileModifiers, AFailureAtAnyStepRestoresDocumentValuesAndSelection) {
    using host::Faults;
    const ClassID setup = kDocSetupCmdBoss;
    const struct {
        std::function<void()> fault;
        std::string thrown;
    } cases[] = {
        {[] { Faults::Instance().FailAbortableSequences(); },
         "0x52E1E (mCmdSeq = CmdUtils::BeginAbortableCmdSeq()) == NULL"},
        {[] { Faults::Instance().FailProcessCommand(kDeleteCmdBoss, ErrorCode(7)); }, "0x7 "},
        {[] { Faults::Instance().FailCreateCommand(kGroupCmdBoss); },
         "0x52E1E (mGroupCmd) == NULL"},
        {[] { Faults::Instance().FailProcessCommand(kGroupCmdBoss, ErrorCode(8)); }, "0x8 "},
        {[] { Faults::Instance().FailProcessCommand(kMarginCmdBoss, ErrorCode(9)); }, "0x9 "},
        {[=] { Faults::Instance().FailCreateCommand(setup); }, "0x52E1E (mDocSetupCmd) == NULL"},
        {[=] { Faults::Instance().FailProcessCommand(setup, ErrorCode(10)); }, "0xA "},
        {[] { Faults::Instance().HideInterface(host::kUtilsBoss, ITransformUtils::kDefaultIID); },
         "0x52E1E (iTransformUtils) == NULL"},
        {[] { Faults::Instance().FailProcessCommand(host::kTransformCmdBoss, ErrorCode(11)); },
         "0xB "},
    };
    const std::string before = Dump();
    for (const auto& c : cases) {
        Faults::Instance().Reset();
        c.fault();
        EXPECT_EQ(Thrown([&] { ZEPExportJobFileHelper helper(m_owner); }), c.thrown);
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
        EXPECT_EQ(Dump(), before) << c.thrown;
        EXPECT_EQ(Selection(), List({20, 21})) << c.thrown;
        EXPECT_EQ(host::OpenSequenceCount(), 0) << c.thrown;
    }
    // A throw that is no CZEPException rolls back as well.
    Faults::Instance().Reset();
    Faults::Instance().ThrowFromProcessCommand(kGroupCmdBoss);
    EXPECT_THROW(ZEPExportJobFileHelper helper(m_owner), std::bad_alloc);
    EXPECT_EQ(Dump(), before);
}

// The front view shows the master spread, so the export keeps the job's pages, and its first
// page lies past the document's two: with no bounds for that page the selection has no place to
// go, and the failed measure's code ends the modifier before the move.
TEST_F(JobFileModifiers, AnExportPageWithoutBoundsFailsBeforeTheMoveAndChangesNothing) {
    m_document->layout.view = host::View{UID(40), UID(41)};
    m_job.GetAbsoluteRuns().Clear();
    m_job.GetAbsoluteRuns().AddRun(3, 1);
    const std::string before = Dump();
    EXPECT_EQ(Thrown([&] { ZEPExportJobFileHelper helper(m_owner); }), "0x52E1E ");
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(Selection(), List({20, 21}));
    EXPECT_EQ(host::OpenSequenceCount(), 0);
}

TEST_F(JobFileModifiers, TheBleedMustStayBelowTheSelectionsWidthAndHeight) {
    const struct {
        double horizontal, vertical; // per side
        double width;                // of the selected item
        std::string thrown;
    } cases[] = {
        {3.0, 0, 3.0, "0x52E2B "},
        {2.9, 0, 3.0, "nothing"},
        {0, 0, 3.0, "nothing"},
        {0, 1.0, 0, "0x52E2B "},
    };
    for (const auto& c : cases) {
        m_document->layout.items.at(UID(20)).bounds = PMRect(20, 20, 20 + c.width, 70);
        host::SelectLayoutItems(List({20}));
        m_job.trimBox = {0, 0, 100, 100};
        m_job.bleedBox = {0, 0, 100 + 2 * c.horizontal, 100 + 2 * c.vertical};
        const std::string before = Dump();
        EXPECT_EQ(Thrown([&] { ZEPExportJobFileHelper helper(m_owner); }), c.thrown) << c.width;
        EXPECT_EQ(Dump(), before);
    }
}

TEST_F(JobFileModifiers, NothingSelectedIsRefusedBeforeAnyChange) {
    host::SelectLayoutItems(List({20}));
    host::DeleteItems(*m_document, {UID(20)}); // the selected item goes, the selection stays
    const std::string before = Dump();
    EXPECT_EQ(Thrown([&] { ZEPExportJobFileHelper helper(m_owner); }),
              "0x52E1E (theFirstItemHierarchy) == NULL");
    EXPECT_EQ(Dump(), before);
}

// With the selection's modifier too: the selection's sequence holds the colour-management one,
// which goes first.
TEST_F(JobFileModifiers, ColourManagementIsSwitchedOnForTheExportAndTheModifiersGoInnermostFirst) {
    BGroup* group = m_job.GetGroups().AddGroup();
    group->SetSelected(true);
    group->CreateDestination()->SetStyle(1);
    const std::string before = Dump();
    const std::vector<std::string> selectionOnly{"begin abortable",
                                                 "abort ZEPExportJobFileModifier"};
    for (bool on : {true, false}) {
        host::SetColorManagementOn(on);
        host::Recorder::Instance().Clear(host::Channel::Sequences);
        {
            ZEPExportJobFileHelper helper(m_owner);
            EXPECT_TRUE(helper.IsCMSWanted());
            const auto* modifier = static_cast<const ZEPExportCMSOnOffHelper*>(
                helper.GetModifier(ZEPExportJobFileHelper::kColorManagementSlot));
            ASSERT_NE(modifier, nullptr);
            EXPECT_EQ(modifier->IsSwitchNeeded(), !on);
            EXPECT_TRUE(host::ColorManagementOn());
        }
        EXPECT_EQ(host::ColorManagementOn(), on);
        EXPECT_EQ(Log(host::Channel::Sequences),
                  on ? selectionOnly
                     : (std::vector<std::string>{"begin abortable", "begin abortable",
                                                 "abort ZEPExportJobFileModifier",
                                                 "abort ZEPExportJobFileModifier"}));
        EXPECT_EQ(Dump(), before);
        EXPECT_EQ(Selection(), List({20, 21}));
    }
}

// Swatch 40 is the paper (white RGB), 41 a CMYK colour; ink 50 is a process ink, 51 a spot ink, 52
// a spot ink converted to process, 53 one converted to process but aliased to 51.
constexpr const char* kColorsLayout = R"({
  "kind": "document", "name": "Colours.indd",
  "colors": [{"id": 40, "space": 5, "values": [1, 1, 1], "paper": true},
             {"id": 41, "space": 6, "values": [0, 1, 0, 0]}],
  "inks": [{"id": 50, "name": "Cyan", "process": true}, {"id": 51, "name": "Spot A"},
           {"id": 52, "name": "Spot B", "convertToProcess": true},
           {"id": 53, "name": "Spot C", "convertToProcess": true, "alias": 51}],
  "swatches": [41, 40],
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "pages": [{"id": 11, "width": 300, "height": 400}]}],
  "view": {"spread": 10, "page": 11}
})";

// The colours' document open, the job exporting its one page.
class ColorModifiers : public ExportRunTest {
protected:
    void OpenColorsForItsPage() {
        Open(kColorsLayout);
        m_job.GetAbsoluteRuns().Clear();
        m_job.GetAbsoluteRuns().AddRun(1, 1);
    }
};

TEST_F(ColorModifiers, ThePaperAndSpotModifiersChangeTheColoursUntilTheyGo) {
    OpenColorsForItsPage();
    ZEPExportHelper owner;
    owner.Prepare(nullptr, &m_job);
    ZEPExportJobFileHelper helper(owner);
    const std::string before = Dump();
    {
        ZEPExportPaperHelper paper(helper);
        ZEPExportSpotToProcessHelper spots(helper);
        const host::Colors& colors = m_document->colors;
        EXPECT_EQ(colors.colors.at(UID(40)).space, 6);
        EXPECT_EQ(colors.colors.at(UID(40)).values, (std::vector<PMReal>{0, 0, 0, 0}));
        const std::pair<bool, UID> converted{true, kInvalidUID};
        for (const auto& [ink, expected] :
             std::vector<std::pair<std::uint32_t, std::pair<bool, UID>>>{
                 {50, {false, kInvalidUID}}, {51, converted}, {52, converted}, {53, converted}}) {
            const host::Ink& data = colors.inkData.at(UID(ink));
            EXPECT_EQ(std::pair(data.convertToProcess, data.alias), expected) << ink;
        }
        EXPECT_EQ(colors.inkData.at(UID(53)).name, "Spot C");
    }
    EXPECT_EQ(Dump(), before);
    // Without a paper swatch or an ink to convert, no sequence begins.
    m_document->colors.swatches = {UID(41)};
    for (UID ink : {UID(51), UID(53)})
        m_document->colors.inkData.at(ink).process = true;
    host::Recorder::Instance().Clear(host::Channel::Sequences);
    {
        ZEPExportPaperHelper paper(helper);
        ZEPExportSpotToProcessHelper spots(helper);
    }
    EXPECT_TRUE(Log(host::Channel::Sequences).empty());
}

// The fifteen attributes of an ink, in the order of its getters, as text.
std::vector<std::string> Attributes(const host::Ink& ink) {
    return {ink.name,
            std::to_string(ink.process),
            std::to_string(ink.color.Get()),
            std::to_string(ink.type),
            std::to_string(ink.neutralDensity),
            std::to_string(ink.customDensity),
            std::to_string(ink.trapSequence),
            std::to_string(ink.screenFrequency),
            std::to_string(ink.screenAngle),
            std::to_string(ink.dotShape),
            std::to_string(ink.printed),
            std::to_string(ink.inkOrder),
            std::to_string(ink.locked),
            std::to_string(ink.convertToProcess),
            std::to_string(ink.alias.Get())};
}

// Spot ink 51 has every attribute off its start value (aliased to ink 50, not converted): the
// spot modifier hands the first thirteen on as they are, then converted and aliased to none.
TEST_F(ColorModifiers, TheSpotModifierCopiesEveryInkAttributeAndItsAbortPutsThemBack) {
    OpenColorsForItsPage();
    ZEPExportHelper owner;
    owner.Prepare(nullptr, &m_job);
    ZEPExportJobFileHelper helper(owner);
    host::Ink& ink = m_document->colors.inkData.at(UID(51));
    ink = {.name = "Spot A",
           .color = UID(41),
           .type = 2,
           .neutralDensity = 1.25,
           .customDensity = true,
           .trapSequence = 3,
           .screenFrequency = 150,
           .screenAngle = 45,
           .dotShape = 4,
           .printed = false,
           .inkOrder = 7,
           .locked = true,
           .alias = UID(50)};
    const host::Ink before = ink;
    {
        ZEPExportSpotToProcessHelper spots(helper);
        EXPECT_EQ(
            Attributes(m_document->colors.inkData.at(UID(51))),
            (std::vector<std::string>{"Spot A", "0", "41", "2", "1.250000", "1", "3", "150.000000",
                                      "45.000000", "4", "0", "7", "1", "1", "0"}));
    }
    EXPECT_EQ(m_document->colors.inkData.at(UID(51)), before);
}

} // namespace
