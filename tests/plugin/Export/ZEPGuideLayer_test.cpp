// Tests of the guide layer: the job guides around the selected frame, clearing them, the guards,
// and the collection of unlocked layers.
#include "Export/ZEPGuideLayer.h"

#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/Errors.h"
#include "host/sdk/LayerCommands.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/PMString.h"
#include "host/standin/Selection.h"
#include "model/BJobFile.h"
#include "support/PluginFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

namespace {

// Frame 20 of 106 x 206 at the origin of spread 10 (offset 100, 1000); layer 5 is the guide
// layer by its translation, with guide 21 and frame 22; guide 23 lies on layer 3.
constexpr const char* kGuideLayout = R"({
  "kind": "document", "name": "Guides.indd",
  "layers": [{"id": 3, "name": "Layer 1"}, {"id": 4, "name": "Locked", "locked": true},
             {"id": 5, "name": "Zephrin Guides"}],
  "spreads": [{"id": 10, "offset": [100, 1000], "pages": [{"id": 11, "width": 300, "height": 300}],
    "items": [{"id": 20, "layer": 3, "bounds": [0, 0, 106, 206]},
              {"id": 21, "layer": 5, "guide": {"horizontal": true, "position": 7, "index": 15}},
              {"id": 22, "layer": 5, "bounds": [0, 0, 10, 10]},
              {"id": 23, "layer": 3, "guide": {"horizontal": false, "position": 9, "index": 15}}]}]
})";

class GuideLayerTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        host::StringTable::Instance().Add("0x52E00ZEPGuideLayer", "Zephrin Guides");
        m_document = &host::OpenDocumentDescription(kGuideLayout);
        m_job =
            InterfacePtr<IZEPJobList>(m_document->WorkspaceRef(), UseDefaultIID{})->GetJobFile();
    }
    void Select(const std::vector<std::uint32_t>& uids) const {
        host::SelectLayoutItems(ListIn(*m_document, uids));
    }
    // The guides on the layer, back to front: "h" or "v", the position, "/" and the index.
    std::string GuidesOn(UID layer) const {
        std::string guides;
        for (UID uid : m_document->layout.spreadData.at(UID(10)).items) {
            const host::Item& item = m_document->layout.items.at(uid);
            if (item.guide && item.layer == layer)
                guides += (item.guide->horizontal ? " h" : " v") +
                          host::Number(item.guide->position) + "/" +
                          std::to_string(item.guide->index);
        }
        return guides;
    }

    host::Document* m_document = nullptr;
    BJobFile* m_job = nullptr;
};

TEST_F(GuideLayerTest, JobGuidesSurroundTheSelectedFrameAndReplaceTheEarlierOnes) {
    Select({20});
    const struct {
        zeu::Rect2D bleed, typeArea;
        const char* guides;
    } cases[] = {
        {{0, 0, 106, 206},
         zeu::Rect2D::unset,
         " v0/10 h0/10 v106/10 h206/10 v3/15 h3/15 v103/15 h203/15"},
        // No bleed; type indents of 5e-9 count as none.
        {{0, 0, 100, 200}, {0, 0, 100 - 1e-8, 200 - 1e-8}, " v0/15 h0/15 v106/15 h206/15"},
        {{0, 0, 100, 200},
         {0, 0, 90, 180},
         " v0/15 h0/15 v106/15 h206/15 v5/16 h10/16 v101/16 h196/16"},
    };
    for (const auto& c : cases) {
        m_job->bleedBox = c.bleed;
        m_job->trimBox = {0, 0, 100, 200};
        m_job->typeArea = c.typeArea;
        AddJobGuides(nullptr);
        const UID layer = m_document->layout.layers.back();
        EXPECT_EQ(m_document->layout.layerData.at(layer).name, "0x52E00ZEPGuideLayer");
        EXPECT_EQ(GuidesOn(layer), c.guides);
    }
    EXPECT_EQ(m_document->layout.layers.size(), 4u); // created once
    EXPECT_EQ(Log(host::Channel::Calls).front(),
              "NewLayer 1 0x52E00ZEPGuideLayer true true true true 0 false true");
    EXPECT_EQ(Log(host::Channel::Calls).at(1), "NewGuide 24 0 0 10 0 0 10 0");
    EXPECT_EQ(Log(host::Channel::Redraws),
              (std::vector<std::string>{"panel 0x4820 invalidate", "panel 0x4820 redraw true"}));
    EXPECT_EQ(GuidesOn(UID(5)), "");
    EXPECT_EQ(GuidesOn(UID(3)), " v9/15");
    EXPECT_TRUE(m_document->layout.items.contains(UID(22)));
}

TEST_F(GuideLayerTest, ClearingDeletesOnlyTheGuidesOfAGuideLayerAndRunsAlsoWithNoneLeft) {
    host::Document& bare = host::OpenDocumentDescription(R"({"kind": "document", "name": "Bare"})");
    ClearGuideLayer(bare.Get());
    EXPECT_TRUE(Log(host::Channel::Commands).empty());
    ClearGuideLayer(m_document->Get());
    ClearGuideLayer(m_document->Get());
    EXPECT_EQ(Log(host::Channel::Commands),
              (std::vector<std::string>{"Delete 0xF02 -> 0x0", "Delete 0xF02 -> 0x0"}));
    EXPECT_FALSE(m_document->layout.items.contains(UID(21)));
    EXPECT_TRUE(m_document->layout.items.contains(UID(22)));
    EXPECT_TRUE(m_document->layout.items.contains(UID(23)));
}

TEST_F(GuideLayerTest, AnEmptySelectionOrAFailureIsThrownForTheCallersSequenceToRollBack) {
    const struct {
        std::function<void(host::Faults&)> fault;
        std::string thrown;
    } cases[] = {
        {[this](host::Faults&) { // the selected frame is deleted: an empty selection
             InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kDeleteCmdBoss));
             command->SetItemList(UIDList({m_document->db.get(), UID(20)}));
             EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
         },
         "0x52E1E (iHierarchy) == NULL"},
        {[](host::Faults& f) { f.FailCreateCommand(kNewLayerCmdBoss); },
         "0x52E1E (iNewLayerCmd) == NULL"},
        {[](host::Faults& f) { f.FailCreateCommand(kNewGuideCmdBoss); },
         "0x52E1E (theGuideCmd) == NULL"},
        {[](host::Faults& f) { f.FailProcessCommand(kDeleteCmdBoss, ErrorCode{9}); }, "0x9 "},
    };
    m_job->trimBox = {0, 0, 100, 200};
    const std::string before = host::DumpDocument(*m_document);
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        Select({20});
        IAbortableCmdSeq* sequence = CmdUtils::BeginAbortableCmdSeq();
        c.fault(host::Faults::Instance());
        EXPECT_EQ(Thrown([] { AddJobGuides(nullptr); }), c.thrown);
        CmdUtils::AbortCommandSequence(sequence);
        ClearGlobalError();
        EXPECT_EQ(host::DumpDocument(*m_document), before) << c.thrown;
    }
}

TEST_F(GuideLayerTest, UnlockedLayersAreCollectedInLayerOrder) {
    UIDList layers(m_document->db.get());
    CollectUnlockedLayers(nullptr, layers);
    EXPECT_EQ(layers.UIDs(), (std::vector<UID>{UID(3), UID(5)}));
    host::Faults::Instance().HideInterface(host::kDocBoss, ILayerList::kDefaultIID);
    UIDList none(m_document->db.get());
    CollectUnlockedLayers(m_document->Get(), none);
    EXPECT_TRUE(none.IsEmpty());
}

} // namespace
