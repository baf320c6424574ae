#include "Export/ZEPPageGeometry.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/Errors.h"
#include "host/standin/Faults.h"
#include "host/standin/Selection.h"
#include "model/BJobFile.h"
#include "support/SampleLayoutFixture.h"
#include "support/Thrown.h"

namespace {

// The sample layout (support/SampleLayout.h) and a job with bleed 5 (horizontal) and 10
// (vertical) per side and type indents of the same sizes.
class PageGeometryTest : public SampleLayoutTest {
protected:
    void SetUp() override {
        SampleLayoutTest::SetUp();
        m_job.bleedBox = {0, 0, 110, 220};
        m_job.trimBox = {0, 0, 100, 200};
        m_job.typeArea = {0, 0, 90, 180};
    }
    void Select(const std::vector<std::uint32_t>& uids) const {
        host::SelectLayoutItems(List(uids));
    }
    static std::uint32_t GlobalError() { return ErrorUtils::PMGetGlobalErrorCode().Get(); }

    BJobFile m_job;
};

TEST_F(PageGeometryTest, PageRectanglesComeInSpreadOrPasteboardCoordinatesGrownByTheBleed) {
    const struct {
        bool pasteboard;
        std::int32_t index;
        bool withJob;
        PMRect page;
        PMRect bleed;
    } cases[] = {
        {false, 0, true, {0, 0, 200, 300}, {-5, -10, 205, 310}},
        {false, 1, false, {200, 0, 300, 300}, {200, 0, 300, 300}},
        {false, 2, true, {0, 0, 400, 200}, {-5, -10, 405, 210}},
        {true, 0, true, {100, 1000, 300, 1300}, {95, 990, 305, 1310}},
        {true, 2, false, {-50, 2000, 350, 2200}, {-50, 2000, 350, 2200}},
    };
    for (const auto& c : cases) {
        PMRect page;
        PMRect bleed;
        const BJobFile* job = c.withJob ? &m_job : nullptr;
        const std::int32_t code =
            c.pasteboard ? GetPasteboardPageBleedRects(nullptr, job, c.index, page, bleed, false)
                         : GetPageBleedRects(m_document->Get(), job, c.index, page, bleed);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(page, c.page) << c.pasteboard << " " << c.index;
        EXPECT_EQ(bleed, c.bleed) << c.pasteboard << " " << c.index;
    }
    PMRect bounds;
    EXPECT_EQ(GetPageBounds(nullptr, 1, bounds), 0);
    EXPECT_EQ(bounds, PMRect(200, 0, 300, 300));
}

TEST_F(PageGeometryTest, AFailureIsReturnedAndLeftAsTheGlobalErrorWithZeroRectangles) {
    PMRect page(1, 1, 1, 1);
    PMRect bleed(1, 1, 1, 1);
    EXPECT_EQ(GetPageBleedRects(nullptr, &m_job, 3, page, bleed), 0x52E1E); // "(pageGeom) == NULL"
    EXPECT_EQ(GlobalError(), 0x52E1Eu);
    EXPECT_EQ(page, PMRect());
    EXPECT_EQ(bleed, PMRect());
    ClearGlobalError();
    host::Faults::Instance().HideInterface(host::kSpreadBoss, ISpread::kDefaultIID);
    EXPECT_EQ(GetPasteboardPageBleedRects(nullptr, &m_job, 0, page, bleed, true), 0x52E1E);
    PMRect bounds(1, 1, 1, 1);
    EXPECT_EQ(GetPageBounds(m_document->Get(), 0, bounds), 0x52E1E);
    EXPECT_EQ(bounds, PMRect());
    ClearGlobalError();

    host::CloseAllDocuments();
    EXPECT_EQ(GetPageBleedRects(nullptr, nullptr, 0, page, bleed), 0x52E1E); // "(result) == NULL"
    ClearGlobalError();
    EXPECT_EQ(GetPageBounds(nullptr, 0, bounds), 0); // no front document: nothing to measure
    EXPECT_EQ(GlobalError(), 0u);
}

TEST_F(PageGeometryTest, SelectionGuideRectanglesAreInsetFromTheSelectedItemsBounds) {
    const struct {
        const char* selection;
        std::vector<std::uint32_t> items;
        PMRect bleed;
        PMRect trim;
        PMRect typeArea;
    } cases[] = {
        {"nothing", {}, {0, 0, 0, 0}, {5, 10, -5, -10}, {10, 20, -10, -20}},
        {"a group's members", {22, 23}, {50, 10, 250, 110}, {55, 20, 245, 100}, {60, 30, 240, 90}},
        {"a stroked frame", {20}, {9, 19, 61, 81}, {14, 29, 56, 71}, {19, 39, 51, 61}},
    };
    for (const auto& c : cases) {
        Select(c.items);
        PMRect trim;
        PMRect bleed;
        PMRect typeArea;
        EXPECT_EQ(GetSelectionGuideRects(nullptr, m_job, trim, bleed, typeArea), 0) << c.selection;
        EXPECT_EQ(bleed, c.bleed) << c.selection;
        EXPECT_EQ(trim, c.trim) << c.selection;
        EXPECT_EQ(typeArea, c.typeArea) << c.selection;
    }
}

TEST_F(PageGeometryTest, AFailedSelectionMeasureReturnsItsCode) {
    Select({20});
    host::Faults::Instance().HideInterface(kSelectionManagerBoss, IID_IZEPSELECTIONJOBSUITE);
    PMRect trim;
    PMRect bleed;
    PMRect typeArea;
    EXPECT_EQ(GetSelectionGuideRects(nullptr, m_job, trim, bleed, typeArea), 0x52E1E);
    EXPECT_EQ(GlobalError(), 0x52E1Eu); // "(iZEPSelectionJobSuite) == NULL"
    EXPECT_EQ(trim, PMRect());
    EXPECT_EQ(typeArea, PMRect());
    PMRect bounds(1, 1, 1, 1);
    EXPECT_EQ(GetSelectedItemsBounds(nullptr, bounds), 0x52E1E);
    EXPECT_EQ(bounds, PMRect());
}

TEST_F(PageGeometryTest, MarginsGoToThePagesOfThePageListAndOfTheMasterSpreads) {
    SetDocumentMargins(m_document->Get(), 5, 10, 5, 10, true);
    EXPECT_EQ(Log(host::Channel::Calls), std::vector<std::string>{"SetMargins 5 10 5 10 true"});
    const auto& pages = m_document->layout.pages;
    for (std::uint32_t page : {11u, 12u, 31u, 41u})
        EXPECT_EQ(pages.at(UID(page)).margins, (host::Sides{5, 10, 5, 10})) << page;
    ClearDocumentMargins(m_document->Get());
    EXPECT_EQ(pages.at(UID(41)).margins, host::Sides{});

    host::Document& bare = host::OpenDocumentDescription(
        R"({"kind": "document", "name": "Bare", "spreads": [{"id": 3, "pages": [{"id": 4,
            "width": 10, "height": 10}]}]})");
    SetDocumentMargins(bare.Get(), 1, 2, 3, 4, true);
    EXPECT_EQ(bare.layout.pages.at(UID(4)).margins, (host::Sides{1, 2, 3, 4}));

    host::Faults::Instance().FailProcessCommand(kMarginCmdBoss, ErrorCode{7});
    EXPECT_EQ(Thrown([&] { ClearDocumentMargins(bare.Get()); }), "0x7 ");
    ClearGlobalError();
    host::Faults::Instance().FailCreateCommand(kMarginCmdBoss);
    EXPECT_EQ(Thrown([&] { ClearDocumentMargins(bare.Get()); }),
              "0x52E1E (marginSetupCmd) == NULL");
}

TEST(PageRectConversions, SizeAPageAndPutTheOriginAtTheLeftBottomCorner) {
    EXPECT_EQ(BoxSizeToPageRect({7, 8, -200, 100}), PMRect(0, 0, 200, 100));
    const zeu::Rect2D box = PageRectToRect2D({10, 20, 110, 70});
    EXPECT_EQ(box.x, 10);
    EXPECT_EQ(box.y, 70);
    EXPECT_EQ(box.width, 100);
    EXPECT_EQ(box.height, 50);
}

} // namespace
