#include "Analysis/ZEPLayerMasks.h"

#include "host/standin/Faults.h"
#include "host/standin/PMString.h"
#include "support/AnalysisFixture.h"

#include <vector>

namespace {

class LayerMasksTest : public AnalysisTest {
protected:
    void SetUp() override {
        AnalysisTest::SetUp();
        host::StringTable::Instance().Add("0x52E00ZEPGuideLayer", "Zephrin Guides");
    }
    // The layers (3 to 7) the mask skips.
    std::vector<std::uint32_t> Masked(const LayerMask& mask) const {
        std::vector<std::uint32_t> masked;
        for (std::uint32_t layer = 3; layer <= 7; ++layer)
            if (mask.IsMasked(Object(layer).get()))
                masked.push_back(layer);
        return masked;
    }
};

TEST_F(LayerMasksTest, TheMasksLetThroughTheGuideLayersOrThePrintingLayers) {
    const struct {
        std::optional<PMIID> hidden;
        std::vector<std::uint32_t> guideMasked;
        std::vector<std::uint32_t> printMasked;
    } cases[] = {
        {std::nullopt, {3, 6, 7}, {6, 7}},
        {ISpreadLayer::kDefaultIID, {3, 6, 7}, {7}}, // judged by printing alone
        {IDocumentLayer::kDefaultIID, {}, {6}},      // no name; judged by visibility alone
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        if (c.hidden)
            host::Faults::Instance().HideInterface(host::kDocumentLayerBoss, *c.hidden);
        EXPECT_EQ(Masked(ZEPGuideLayermask()), c.guideMasked);
        EXPECT_EQ(Masked(ZEPPrintLayermask()), c.printMasked);
    }
    host::Faults::Instance().HideInterface(host::kDocumentLayerBoss, ISpreadLayer::kDefaultIID);
    host::Faults::Instance().HideInterface(host::kDocumentLayerBoss, IDocumentLayer::kDefaultIID);
    EXPECT_TRUE(Masked(ZEPPrintLayermask()).empty());
}

TEST_F(LayerMasksTest, TheGuideWalkCollectsOnlyTheGuidesOnTheGuideLayer) {
    UIDList guides(m_document->db.get());
    ZEPAddGuidesIterator iterator(&guides);
    InterfacePtr<ISpread>(Ref(10), UseDefaultIID{})->WalkItems(iterator, ZEPGuideLayermask());
    EXPECT_EQ(guides.UIDs(), std::vector<UID>{UID(25)}); // not frame 26, not guide 27
}

} // namespace
