#include "host/Layout.h"

#include "host/Command.h"
#include "host/Faults.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

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
    EXPECT_EQ(Facet<IGeometry>(12)->GetBoundingBox(), PMRect(200, 0, 300, 300));
    // Pasteboard = spread + offset.
    EXPECT_EQ(Bounds(Ref(11)), PMRect(100, 1000, 300, 1300));
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
    const struct {
        std::uint32_t item;
        std::int32_t kind;
        PMRect pasteboard;
    } cases[] = {
        {20, kPathBounds, {110, 1020, 160, 1080}},
        {20, kOuterStrokeBounds, {109, 1019, 161, 1081}},
        {23, kPathBounds, {150, 1050, 170, 1070}},
        {21, kPathBounds, {150, 1010, 350, 1110}}, // the group: its members' union
        {24, kPathBounds, {130, 1030, 130, 1060}},
        {32, kPathBounds, {-45, 2005, -35, 2015}},
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

TEST_F(LayoutTest, LayersSectionsViewAndPreferencesShowTheDescription) {
    InterfacePtr<ILayerList> layers(m_document->Get(), UseDefaultIID{});
    ASSERT_EQ(layers->GetCount(), 2);
    InterfacePtr<IDocumentLayer> first(layers->QueryLayer(0));
    EXPECT_EQ(first->GetName(), PMString("Layer 1"));
    EXPECT_EQ(GetUIDRef(first.get()), Ref(3));
    InterfacePtr<IDocumentLayer> back(layers->QueryLayer(1));
    EXPECT_TRUE(back->IsLocked());
    EXPECT_FALSE(back->IsVisible() || back->IsPrintable());
    EXPECT_FALSE(InterfacePtr<IDocumentLayer>(layers->QueryLayer(2)));
    EXPECT_EQ(layers->FindByName(PMString("Back")), UID(4));
    EXPECT_EQ(layers->FindByName(PMString("Front")), kInvalidUID);

    InterfacePtr<ISectionList> sections(m_document->Get(), UseDefaultIID{});
    ASSERT_EQ(sections->GetSectionCount(), 2);
    EXPECT_EQ(sections->GetName(1), PMString("B"));
    EXPECT_EQ(sections->GetStartPage(1), UID(31));
    EXPECT_EQ(sections->GetStartPageNumber(0), 1);
    EXPECT_EQ(sections->GetStartPageNumber(1), 3) << "pages 11 and 12 come first";
    EXPECT_EQ(sections->GetPageCount(0), 2);
    EXPECT_EQ(sections->GetNumberingStyle(1), ClassID(0x4C18));

    InterfacePtr<ILayoutUtils> utils(UtilsBoss::QueryUtils<ILayoutUtils>());
    InterfacePtr<ILayoutControlData> view(utils->QueryFrontLayoutData());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetSpreadRef(), Ref(10));
    EXPECT_EQ(view->GetPage(), UID(12));
    EXPECT_EQ(view->GetDocument(), m_document->Get());

    InterfacePtr<IPageSetupPrefs> setup(QueryPreferences<IPageSetupPrefs>(m_document->Get()));
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->GetDocumentBleed(), PMRect(1, 2, 3, 4)); // top, left, bottom, right
    EXPECT_TRUE(setup->GetFlag());
    EXPECT_EQ(setup->GetValue(), 2);
    InterfacePtr<IValuePairPrefs> pair(QueryPreferences<IValuePairPrefs>(m_document->Get()));
    pair->SetValues(99999.0, 99999.0);
    EXPECT_EQ(pair->GetSecond(), 99999.0);

    InterfacePtr<ISpreadList> masters(m_document->Get(), IID_IMASTERSPREADLIST);
    ASSERT_TRUE(masters);
    EXPECT_EQ(masters->GetNthSpreadUID(0), UID(40));
}

TEST_F(LayoutTest, AFacetTheDescriptionDoesNotGiveIsNull) {
    host::Document& bare = host::OpenDocumentDescription(
        R"({"kind": "document", "name": "Bare", "spreads": [{"id": 3, "pages": [{"id": 4,
            "width": 10, "height": 10}]}]})");
    EXPECT_FALSE(InterfacePtr<IPageSetupPrefs>(QueryPreferences<IPageSetupPrefs>(bare.Get())));
    EXPECT_FALSE(InterfacePtr<IValuePairPrefs>(QueryPreferences<IValuePairPrefs>(bare.Get())));
    EXPECT_FALSE(InterfacePtr<ISpreadList>(bare.Get(), IID_IMASTERSPREADLIST));
    InterfacePtr<ILayoutUtils> utils(UtilsBoss::QueryUtils<ILayoutUtils>());
    EXPECT_FALSE(InterfacePtr<ILayoutControlData>(utils->QueryFrontLayoutData()));
    host::Faults::Instance().HideInterface(host::kPageBoss, IGeometry::kDefaultIID);
    EXPECT_FALSE(Facet<IGeometry>(11));
    EXPECT_TRUE(Facet<IGeometry>(20));
}

TEST_F(LayoutTest, TheMarginCommandSetsThePagesOfItsListAndUndoRestoresThem) {
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kMarginCmdBoss));
    UIDList items(m_document->db.get());
    for (std::uint32_t uid : {11u, 41u, 20u})
        items.Append(UID(uid));
    command->SetItemList(items);
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

} // namespace
