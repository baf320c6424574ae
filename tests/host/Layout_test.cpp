#include "host/standin/Layout.h"

#include "host/sdk/Errors.h"
#include "host/sdk/Fonts.h"
#include "host/standin/Command.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/Fonts.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

#include <algorithm>

namespace {

class LayoutTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        m_document = &host::OpenDocumentDescription(kSampleLayout);
    }

    UIDRef Ref(std::uint32_t uid) const { return RefIn(*m_document, uid); }
    static PMRect Bounds(const UIDRef& ref, std::int32_t kind = kPathBounds) {
        InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
        return utils->GetItemBounds(ref, {}, kind);
    }
    template <typename I>
    InterfacePtr<I> Facet(std::uint32_t uid) const {
        return InterfacePtr<I>(Ref(uid), UseDefaultIID{});
    }

    host::Document* m_document = nullptr;
};

TEST_F(LayoutTest, PagesLieInARowOnTheirSpread) {
    InterfacePtr<IPageList> pages(m_document->Get(), UseDefaultIID{});
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->GetPageCount(), 3); // master pages are not in the list
    EXPECT_EQ(pages->GetNthPageUID(2), UID(31));
    EXPECT_EQ(pages->GetNthPageUID(3), kInvalidUID);
    EXPECT_EQ(pages->GetPageIndex(UID(12)), 1);
    EXPECT_EQ(pages->GetPageIndex(UID(41)), -1);
    EXPECT_EQ(Facet<ISpread>(10)->GetNthPageUID(1), UID(12));
    // A spread added after the list was asked for (as a document is built) is in it from then on.
    host::Layout& layout = m_document->layout;
    const UID spread = m_document->db->NewObject(host::kSpreadBoss);
    const UID page = m_document->db->NewObject(host::kPageBoss);
    layout.spreads.push_back(spread);
    layout.spreadData[spread].pages.push_back(page);
    layout.pages[page] = {spread, 50, 50, {}};
    EXPECT_EQ(pages->GetPageCount(), 4);
    EXPECT_EQ(pages->GetPageIndex(page), 3);
    EXPECT_EQ(Facet<IGeometry>(12)->GetBoundingBox(), PMRect(200, 0, 300, 300));
    // Pasteboard = spread + offset.
    EXPECT_EQ(Bounds(Ref(12)), PMRect(300, 1000, 400, 1300));
    EXPECT_EQ(Bounds(Ref(10)), PMRect(100, 1000, 400, 1300));  // the row of pages
    EXPECT_EQ(Bounds(Ref(30)), PMRect(-150, 1900, 450, 2300)); // its pasteboard
}

TEST_F(LayoutTest, AResizedPageMovesThePagesAfterItAndNoItem) {
    host::SetPageSize(*m_document, UID(11), 250, 100);
    EXPECT_EQ(Bounds(Ref(11)), PMRect(100, 1000, 350, 1100));
    EXPECT_EQ(Bounds(Ref(12)), PMRect(350, 1000, 450, 1300));
    EXPECT_EQ(Bounds(Ref(22)), PMRect(250, 1010, 350, 1110));
}

TEST_F(LayoutTest, ItemBoundsGoThroughTheirMatrixAndTheSpreadOffset) {
    // Frames 20 and 32 and the stroke are measured through the plug-in's page bounds.
    const struct {
        std::uint32_t item;
        std::int32_t kind;
        PMRect pasteboard;
    } cases[] = {
        {23, kPathBounds, {150, 1050, 170, 1070}},
        {21, kPathBounds, {150, 1010, 350, 1110}}, // the group: its members' union
        {24, kPathBounds, {130, 1030, 130, 1060}},
        {99, kPathBounds, {0, 0, 0, 0}}, // nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(Bounds(Ref(c.item), c.kind), c.pasteboard) << c.item << " kind " << c.kind;

    // The offset round trip: the inner bounds through the item's inner-to-pasteboard matrix,
    // less the spread's offset, are the item's spread bounds.
    InterfacePtr<IGeometry> geometry = Facet<IGeometry>(23);
    EXPECT_EQ(geometry->GetBoundingBox(), PMRect(0, 0, 10, 10));
    PMRect back = geometry->GetBoundingBox(InnerToPasteboardMatrix(geometry.get()));
    EXPECT_EQ(back, PMRect(150, 1050, 170, 1070));
    const PMPoint offset = Facet<ISpread>(10)->GetOffsetPoint();
    back.MoveRel(-offset.X(), -offset.Y());
    EXPECT_EQ(back, PMRect(50, 50, 70, 70));
    PMRect inner(150, 1050, 170, 1070); // and back into the item's and the spread's coordinates
    TransformPasteboardRectToInner(geometry.get(), &inner);
    EXPECT_EQ(inner, PMRect(0, 0, 10, 10));
    inner = PMRect(150, 1050, 170, 1070);
    TransformPasteboardRectToInner(Facet<ISpread>(10).get(), &inner);
    EXPECT_EQ(inner, PMRect(50, 50, 70, 70));

    UIDList list(m_document->db.get());
    list.Append(UID(20));
    list.Append(UID(22));
    InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
    EXPECT_EQ(utils->GetItemsBounds(list, {}, kPathBounds), PMRect(110, 1010, 350, 1110));
    EXPECT_EQ(utils->GetItemsBounds(UIDList(m_document->db.get()), {}, kPathBounds), PMRect());
    EXPECT_EQ(utils->GetItemBounds(Ref(20), {0, PMMatrix(1, 0, 0, 1, -110, -1020)}, kPathBounds),
              PMRect(0, 0, 50, 60));
}

TEST_F(LayoutTest, HierarchyNamesTheSpreadThatHoldsTheObject) {
    EXPECT_EQ(Facet<IHierarchy>(23)->GetSpreadUID(), UID(10)); // inside a group
    EXPECT_EQ(Facet<IHierarchy>(31)->GetSpreadUID(), UID(30));
    EXPECT_EQ(Facet<IHierarchy>(30)->GetSpreadUID(), UID(30));
    EXPECT_EQ(Facet<IHierarchy>(41)->GetSpreadUID(), UID(40));
}

TEST_F(LayoutTest, AFacetTheDescriptionDoesNotGiveIsNull) {
    host::Document& bare = host::OpenDocumentDescription(
        R"({"kind": "document", "name": "Bare", "spreads": [{"id": 3, "pages": [{"id": 4,
            "width": 10, "height": 10}]}]})");
    EXPECT_FALSE(InterfacePtr<IPageSetupPrefs>(QueryPreferences<IPageSetupPrefs>(bare.Get())));
    EXPECT_FALSE(InterfacePtr<IValuePairPrefs>(QueryPreferences<IValuePairPrefs>(bare.Get())));
    EXPECT_FALSE(InterfacePtr<ISpreadList>(bare.Get(), IID_IMASTERSPREADLIST));
    EXPECT_FALSE(InterfacePtr<IMasterSpread>(RefIn(bare, 3), UseDefaultIID{}));
    EXPECT_TRUE(Facet<IMasterSpread>(40));
    InterfacePtr<ILayoutUtils> utils(UtilsBoss::QueryUtils<ILayoutUtils>());
    EXPECT_FALSE(InterfacePtr<ILayoutControlData>(utils->QueryFrontLayoutData()));
    host::Faults::Instance().HideInterface(host::kPageBoss, IGeometry::kDefaultIID);
    EXPECT_FALSE(Facet<IGeometry>(11));
    EXPECT_TRUE(Facet<IGeometry>(20));
}

TEST_F(LayoutTest, TheMarginCommandSetsThePagesOfItsListAndUndoRestoresThem) {
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kMarginCmdBoss));
    command->SetItemList(ListIn(*m_document, {11, 41, 20}));
    InterfacePtr<IMarginData>(command.get(), UseDefaultIID{})->SetMargins(5, 6, 7, 8.5, true);
    ASSERT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    const auto& pages = m_document->layout.pages;
    EXPECT_EQ(pages.at(UID(11)).margins, (host::Sides{5, 6, 7, 8.5}));
    EXPECT_EQ(pages.at(UID(41)).margins, (host::Sides{5, 6, 7, 8.5}));
    EXPECT_EQ(pages.at(UID(12)).margins, (host::Sides{1, 2, 3, 4}));
    EXPECT_EQ(Log(host::Channel::Calls), std::vector<std::string>{"SetMargins 5 6 7 8.5 true"});
    ASSERT_TRUE(host::Undo());
    EXPECT_EQ(pages.at(UID(11)).margins, host::Sides{});
    EXPECT_EQ(pages.at(UID(41)).margins, host::Sides{});
}

// Collects the UIDs the spread walk reaches, and stops after `m_limit` of them.
class Collector final : public ItemManipulator {
public:
    explicit Collector(std::size_t limit = 100) : m_limit(limit) {}
    bool ManipulateItem(IPMUnknown* item) override {
        m_uids.push_back(GetUIDRef(item).GetUID().Get());
        return m_uids.size() < m_limit;
    }
    std::vector<std::uint32_t> m_uids;

private:
    std::size_t m_limit;
};

class MaskLayer final : public LayerMask {
public:
    explicit MaskLayer(std::uint32_t masked) : m_masked(masked) {}
    bool IsMasked(IPMUnknown* layer) const override {
        return GetUIDRef(layer).GetUID() == UID(m_masked);
    }

private:
    std::uint32_t m_masked;
};

TEST_F(LayoutTest, TheSpreadWalkGoesLayerByLayerOverItsTopLevelItemsAndSkipsMaskedLayers) {
    const struct {
        std::uint32_t masked;
        std::size_t limit;
        std::vector<std::uint32_t> reached;
    } cases[] = {
        {0, 100, {20, 24, 21}}, // layer 3, then layer 4; the group's members are not reached
        {4, 100, {20, 24}},
        {3, 100, {21}},
        {0, 2, {20, 24}}, // a false answer ends the walk
    };
    for (const auto& c : cases) {
        Collector collector(c.limit);
        Facet<ISpread>(10)->WalkItems(collector, MaskLayer(c.masked));
        EXPECT_EQ(collector.m_uids, c.reached) << c.masked << " " << c.limit;
    }
}

TEST_F(LayoutTest, GuidesAreLinesAcrossTheirSpreadAndItemsListTheirFonts) {
    host::Document& document = host::OpenDocumentDescription(
        R"({"kind": "document", "name": "Guides", "layers": [{"id": 3, "name": "L"}],
            "spreads": [{"id": 4, "offset": [10, 0], "pages": [{"id": 5, "width": 100,
              "height": 50}], "items": [
              {"id": 6, "layer": 3, "guide": {"horizontal": true, "position": 20, "index": 15}},
              {"id": 7, "layer": 3, "guide": {"horizontal": false, "position": 30, "index": 10}},
              {"id": 8, "layer": 3, "bounds": [0, 0, 1, 1], "fonts": ["Minion Pro", "Myriad"]},
              {"id": 9, "layer": 3, "bounds": [0, 0, 1, 1], "fonts": []}]}]})");
    EXPECT_EQ(Bounds(RefIn(document, 6)), PMRect(10, 20, 110, 20));
    EXPECT_EQ(Bounds(RefIn(document, 7)), PMRect(40, 0, 40, 50));
    EXPECT_EQ(document.db->GetClass(UID(6)), host::kGuideItemBoss);
    EXPECT_TRUE(InterfacePtr<IGuide>(RefIn(document, 7), UseDefaultIID{}));
    EXPECT_FALSE(InterfacePtr<IGuide>(RefIn(document, 8), UseDefaultIID{}));
    // The used-font list is there when the description names fonts.
    EXPECT_EQ(InterfacePtr<IUsedFontList>(RefIn(document, 8), UseDefaultIID{})->GetFontNames(),
              (std::vector<PMString>{PMString("Minion Pro"), PMString("Myriad")}));
    EXPECT_FALSE(InterfacePtr<IUsedFontList>(RefIn(document, 9), UseDefaultIID{}));
}

TEST_F(LayoutTest, AnItemsMissingFontsAreThoseTheSessionDoesNotKnow) {
    host::Document& document = host::OpenDocumentDescription(
        R"({"kind": "document", "name": "Fonts", "layers": [{"id": 3, "name": "L"}],
            "spreads": [{"id": 4, "pages": [{"id": 5, "width": 100, "height": 50}], "items": [
              {"id": 8, "layer": 3, "bounds": [0, 0, 1, 1],
               "fonts": ["Minion Pro", "Myriad", "Arial"]}]}]})");
    host::SetFonts({{"Myriad", 0, 1, 4}});
    InterfacePtr<IUsedFontList> fonts(RefIn(document, 8), UseDefaultIID{});
    EXPECT_EQ(fonts->GetMissingFontNames(),
              (std::vector<PMString>{PMString("Minion Pro"), PMString("Arial")}));
    host::SetFonts({{"Minion Pro", 0, 1, 4}, {"Myriad", 0, 1, 4}, {"Arial", 0, 1, 4}});
    EXPECT_TRUE(fonts->GetMissingFontNames().empty());
}

TEST_F(LayoutTest, TheDeleteCommandDeletesItemsWithTheirMembersOrFailsOnANonItem) {
    const std::string before = host::DumpDocument(*m_document);
    const struct {
        std::vector<std::uint32_t> items;
        ErrorCode result;
        std::vector<std::uint32_t> gone;
    } cases[] = {
        {{}, kSuccess, {}},
        {{21, 22, 24}, kSuccess, {21, 22, 23, 24}}, // 22 went with its group
        {{20, 11}, kFailure, {}},                   // a page is no page item
    };
    for (const auto& c : cases) {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kDeleteCmdBoss));
        command->SetItemList(ListIn(*m_document, c.items));
        EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), c.result);
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
        for (std::uint32_t uid : {20u, 21u, 22u, 23u, 24u}) {
            const bool gone = std::ranges::find(c.gone, uid) != c.gone.end();
            EXPECT_EQ(m_document->layout.items.contains(UID(uid)), !gone) << uid;
            EXPECT_EQ(static_cast<bool>(Facet<IGeometry>(uid)), !gone) << uid;
        }
        if (!c.gone.empty()) {
            ASSERT_TRUE(host::Undo());
        }
        EXPECT_EQ(host::DumpDocument(*m_document), before);
    }
}

} // namespace
