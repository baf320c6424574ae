// Tests of fitting the selected frame to the job: resize or scale by the item-list tests, the
// symmetric pasteboard, the failures before the sequence and the rollback of a failure inside it.
#include "Export/ZEPFrameFitting.h"

#include "Export/ZEPDocumentFitting.h"
#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/IZEPSelectionJobSuite.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/Errors.h"
#include "host/sdk/LayerCommands.h"
#include "host/sdk/Transform.h"
#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/Selection.h"
#include "model/BJobFile.h"
#include "support/PluginFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <optional>

namespace {

constexpr const char* kSequence = "0x52E00kStringZEPAdjustFrameCmdKey";

// Spread 10 at offset (100, 1000) with the pasteboard (-400, -300, 400, 300) in its own
// coordinates; frames 20 to 25 with the item-list tests that hold for them.
constexpr const char* kFrames = R"({
  "kind": "document", "name": "Frames.indd",
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "offset": [100, 1000], "pasteboard": [-400, -300, 400, 300],
    "pages": [{"id": 11, "width": 300, "height": 300}],
    "items": [{"id": 20, "layer": 3, "bounds": [0, 0, 50, 50]},
              {"id": 21, "layer": 3, "bounds": [575, -25, 625, 25]},
              {"id": 22, "layer": 3, "bounds": [-25, 325, 25, 375]},
              {"id": 23, "layer": 3, "bounds": [0, 0, 20, 50], "tests": "AB"},
              {"id": 24, "layer": 3, "bounds": [0, 0, 30, 40], "tests": "A"},
              {"id": 25, "layer": 3, "bounds": [0, 0, 50, 20], "tests": "AD"}]}],
  "view": {"spread": 10, "page": 11}
})";

class FrameFittingTest : public PluginTest {
protected:
    // A fresh document whose job books one destination of the size, with the frame selected.
    void Open(std::uint32_t frame, double width, double height, double bleed = 0) {
        host::CloseAllDocuments();
        host::Recorder::Instance().Reset();
        m_document = &host::OpenDocumentDescription(kFrames);
        m_job =
            InterfacePtr<IZEPJobList>(m_document->WorkspaceRef(), UseDefaultIID{})->GetJobFile();
        BGroup* group = m_job->GetGroups().AddGroup();
        group->SetSelected(true);
        BDestination* destination = group->CreateDestination();
        destination->SetSize(width, height);
        destination->SetBleeds(bleed, bleed, bleed, bleed);
        host::SelectLayoutItems(UIDList({m_document->db.get(), UID(frame)}));
    }
    PMRect Bounds(std::uint32_t frame) const {
        return *m_document->layout.SpreadCoordinateBounds(UID(frame), kPathBounds);
    }
    PMRect Pasteboard() const { return *m_document->layout.spreadData.at(UID(10)).pasteboard; }

    host::Document* m_document = nullptr;
    BJobFile* m_job = nullptr;
};

TEST_F(FrameFittingTest, TheFrameTakesTheJobSizeAndThePasteboardGrowsSymmetrically) {
    const PMRect unchanged(-400, -300, 400, 300);
    const std::string resized =
        "Resize 2 identity 0 | 0 identity 2 0 0.5 0.5 0 0 1 0 | 2 identity 0 0 0 0 1 100 200 | 0";
    const std::string scaled =
        "Resize 2 identity 0 | 0 identity 0 1 110 1025 0 0 0 0 | 2 identity 2 1 1 0 1 4 4 | 0";
    const struct {
        std::uint32_t frame;
        double width, height, bleed;
        PMRect bounds, pasteboard;
        std::optional<std::string> resize;
    } cases[] = {
        // A false: resized to W x H about the centre of its bounds.
        {20, 100, 200, 0, {-25, -75, 75, 125}, unchanged, resized},
        {20, 94, 194, 3, {-25, -75, 75, 125}, unchanged, {}}, // the bleed size
        // The frame plus 50 reaches x = 700, y = 500: the shorter side follows the longer.
        {21, 100, 200, 0, {550, -100, 650, 100}, {-700, -300, 700, 300}, {}},
        {22, 100, 200, 0, {-50, 250, 50, 450}, {-400, -500, 400, 500}, {}},
        // A and B: scaled by H / 50 = 4 about the centre, a pasteboard point.
        {23, 100, 200, 0, {-30, -75, 50, 125}, unchanged, scaled},
        {24, 60, 80, 0, {-15, -20, 45, 60}, unchanged, {}},   // A alone: diagonals 100 / 50
        {25, 100, 200, 0, {-25, -10, 75, 30}, unchanged, {}}, // A and D: W / 50
    };
    for (const auto& c : cases) {
        Open(c.frame, c.width, c.height, c.bleed);
        AdjustSelectedFrameToJob(nullptr);
        EXPECT_EQ(Bounds(c.frame), c.bounds) << c.frame;
        EXPECT_EQ(Pasteboard(), c.pasteboard) << c.frame;
        if (c.resize) {
            EXPECT_EQ(Log(host::Channel::Calls).front(), *c.resize);
        }
        EXPECT_EQ(Log(host::Channel::Sequences),
                  (std::vector<std::string>{"begin abortable", std::string("end ") + kSequence}));
        EXPECT_EQ(Log(host::Channel::Redraws).back(), "invalidate Frames.indd");
        EXPECT_EQ(host::UndoStepNames().back(), kSequence);
    }
}

TEST_F(FrameFittingTest, FailuresBeforeTheSequenceChangeNothing) {
    const struct {
        std::function<void()> fault;
        std::string thrown;
    } cases[] = {
        {[] { host::ClearSelection(); }, "0x52E1E (theLayoutTarget) == NULL"},
        {[this] { // the selected frame is deleted: an empty selection
             InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kDeleteCmdBoss));
             command->SetItemList(UIDList({m_document->db.get(), UID(20)}));
             EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
         },
         "0x52E1E (iHierarchy) == NULL"},
        {[] {
             host::Faults::Instance().HideInterface(kSelectionManagerBoss,
                                                    IID_IZEPSELECTIONJOBSUITE);
         },
         "0x52E1E (iZEPSelectionJobSuite) == NULL"},
        {[] { host::Faults::Instance().FailAbortableSequences(); }, "0x52E1E (theCmdSeq) == NULL"},
        {[] { host::CloseAllDocuments(); }, "0x52E1E (result) == NULL"},
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        Open(20, 100, 200);
        c.fault();
        host::Recorder::Instance().Reset();
        EXPECT_EQ(Thrown([] { AdjustSelectedFrameToJob(nullptr); }), c.thrown);
        EXPECT_TRUE(Log(host::Channel::Sequences).empty()) << c.thrown;
        EXPECT_TRUE(Log(host::Channel::Commands).empty()) << c.thrown;
    }
}

TEST_F(FrameFittingTest, AFailureInsideTheSequenceAbortsItAndRollsTheDocumentBack) {
    Open(21, 100, 200); // the pasteboard grows, the frame is resized, the guide layer is made
    GetJobPageRect(*m_job, true); // what the fitting stores in the job before its sequence
    const std::string before = host::DumpDocument(*m_document);
    const struct {
        std::function<void(host::Faults&)> fault;
        std::string raised;
        std::uint32_t code;
    } cases[] = {
        {[](host::Faults& f) { f.FailProcessCommand(kNewGuideCmdBoss, ErrorCode{9}); }, "0x9 ", 9},
        {[](host::Faults& f) { f.ThrowFromProcessCommand(kNewGuideCmdBoss); }, "std::bad_alloc", 1},
        {[](host::Faults& f) { f.FailCreateCommand(kZEPInvalidateCmdBoss); },
         "0x52E1E (iInvalidateCmd) == NULL", 0x52E1E},
        {[](host::Faults& f) {
             f.HideInterface(kSelectionManagerBoss, IGeometrySuite::kDefaultIID);
         },
         "0x52E1E (theGeometrySuite) == NULL", 0x52E1E},
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        c.fault(host::Faults::Instance());
        m_job->layoutWidth = 0; // a direct change, which the fitting stores again
        EXPECT_EQ(Raised([] { AdjustSelectedFrameToJob(nullptr); }), c.raised);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode().Get(), c.code);
        EXPECT_EQ(Log(host::Channel::Sequences).back(), std::string("abort ") + kSequence);
        EXPECT_EQ(host::OpenSequenceCount(), 0);
        EXPECT_EQ(m_job->layoutWidth, 100);
        EXPECT_EQ(host::DumpDocument(*m_document), before) << c.raised;
        ClearGlobalError();
    }
}

} // namespace
