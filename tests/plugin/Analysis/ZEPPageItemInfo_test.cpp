#include "Analysis/ZEPPageItemInfo.h"

#include "host/standin/Faults.h"
#include "model/KeyStrings.h"
#include "support/AnalysisFixture.h"
#include "support/ProblemTags.h"
#include "support/Thrown.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<double> MatrixOf(const BPageItem& record) {
    const double* values = record.GetMatrix(0);
    return values ? std::vector<double>(values, values + 6) : std::vector<double>{};
}

// Records the analyses in the order they run; its text-overflow analysis finds a text item when
// asked to. Its colour summary can be set.
class OrderRecorder final : public ZEPPageItemInfo {
public:
    explicit OrderRecorder(bool textItem = false) : m_findsText(textItem) {}
    ItemStateFlags& ColorSummary() { return m_colorSummary; }
    void SetTextItem() { m_textItem = true; }

    void AnalyseTextOverflow(IPMUnknown*) override {
        Ran("TextOverflow");
        m_textItem = m_findsText;
    }
    void AnalysePlacedFileFormat(IPMUnknown*) override { Ran("PlacedFileFormat"); }
    void AnalyseLinkInfo(IPMUnknown*) override { Ran("LinkInfo"); }
    void ClassifyByImageData(IPMUnknown*) override { Ran("ImageData"); }
    void ClassifyByImageObject(IPMUnknown*) override { Ran("ImageObject"); }
    void ClassifyByGraphicClass(IPMUnknown*) override { Ran("GraphicClass"); }
    void ClassifyByPDFData(IPMUnknown*) override { Ran("PDFData"); }
    void AnalyseColorProfile(IPMUnknown*) override { Ran("ColorProfile"); }
    void AnalyseDocumentInks(IPMUnknown*) override { Ran("DocumentInks"); }
    void AnalyseFonts(IPMUnknown*) override { Ran("Fonts"); }
    void AnalyseColors(IPMUnknown*) override { Ran("Colors"); }
    void AnalyseTable(IPMUnknown*) override { Ran("Table"); }
    void AnalyseTransparencyEffects(IPMUnknown*) override { Ran("TransparencyEffects"); }
    void AnalyseNonPrinting(IPMUnknown*) override { Ran("NonPrinting"); }
    void AnalyseColorComponents(IPMUnknown*) override { Ran("ColorComponents"); }

    std::vector<std::string> m_ran;

private:
    void Ran(const char* analysis) { m_ran.emplace_back(analysis); }
    bool m_findsText;
};

using Setter = void (ZEPPageItemInfo::*)();

TEST(ZEPPageItemInfo, EachTagIsRecordedOnceAndFeatherBlocksTheObjectTag) {
    using I = ZEPPageItemInfo;
    const struct {
        std::vector<Setter> calls;
        std::set<std::string> tags;
    } cases[] = {
        {{&I::SetSoftMaskUsedOnImage, &I::SetSoftMaskUsedOnImage}, {"SoftMaskUsedOnImage"}},
        {{&I::SetFeatherTransparency, &I::SetTransparencyAppliedToObject,
          &I::SetOpacityTransparency},
         {"FeatherTransparencyAppliedToObject", "OpacityTransparencyAppliedToObject"}},
        {{&I::SetOpacityTransparency, &I::SetBlendModeTransparency, &I::SetOpacityTransparency,
          &I::SetDropShadowTransparency},
         {"OpacityTransparencyAppliedToObject", "BlendModeTransparencyAppliedToObject",
          "DropShadowTransparencyAppliedToObject", "TransparencyAppliedToObject"}},
        {{&I::SetPlacedPDFHasTransparency, &I::SetPlacedPDFHasTransparency},
         {"PlacedPDFHasTransparentElements", "TransparencyAppliedToObject"}},
        {{&I::SetBlendSpaceRGB, &I::SetBlendSpaceCMYK, &I::SetFlattenedByGlobalFlattener,
          &I::SetFlattenedBySpreadFlattener, &I::SetTransparencyDisabledOnPage,
          &I::SetTransparentObjectsOverlapTextFrame, &I::SetPrintoutSuppressed,
          &I::SetPrintoutSuppressed},
         {"TransparencyBlendSpaceSetToRGB", "TransparencyBlendSpaceSetToCMYK",
          "TransparencyOnPageFlattenedUsingGlobalFlattener",
          "TransparencyOnPageFlattenedUsingSpreadFlattener",
          "TransparencyOnPageButIsDisabledOnPage", "TransparentObjectsOverlapTextFrame",
          "PrintoutSuppressed"}},
    };
    for (const auto& c : cases) {
        ZEPPageItemInfo info;
        for (Setter call : c.calls)
            (info.*call)();
        EXPECT_EQ(Tags(info.GetPageItem()), c.tags) << *c.tags.begin();
        EXPECT_EQ(info.GetPageItem()->kind, c.tags.contains("PlacedPDFHasTransparentElements")
                                                ? BPageItem::kPlacedGraphic
                                                : BPageItem::kPageItem);
    }
    ZEPPageItemInfo feathered;
    feathered.SetFeatherTransparency();
    EXPECT_TRUE(feathered.IsTransparencyRecorded() && feathered.IsTransparencyOnObject());
}

TEST(ZEPPageItemInfo, TextFrameTransparencyTagFollowsTheObjectAndTheOutliningOnce) {
    const struct {
        Setter before;
        bool textItem;
        bool outlined;
        std::set<std::string> tags;
    } cases[] = {
        {nullptr, false, true, {"TransparencyFlattenerWillCauseTextToBeConvertedToOutlines"}},
        {nullptr, false, false, {"TransparentObjectsOverlapTextFrame"}},
        {&ZEPPageItemInfo::SetBlendModeTransparency,
         false,
         true,
         {"BlendModeTransparencyAppliedToObject", "TransparencyAppliedToObject",
          "TransparencyAppliedToTextFrame"}},
        {&ZEPPageItemInfo::SetTransparencyAppliedToObject,
         true,
         false,
         {"TransparencyAppliedToObject", "TransparencyAppliedToTextFrame"}},
    };
    for (const auto& c : cases) {
        OrderRecorder info;
        if (c.textItem)
            info.SetTextItem();
        if (c.before)
            (info.*c.before)();
        info.SetTextFrameTransparency(c.outlined);
        info.SetTextFrameTransparency(!c.outlined);
        EXPECT_EQ(Tags(info.GetPageItem()), c.tags) << c.outlined;
    }
}

TEST(ZEPPageItemInfo, ColourSummaryStartsAtZeroOneZeroAndBecomesTagsInOrder) {
    OrderRecorder info;
    EXPECT_EQ(info.GetColorSummary().options, (std::array<std::uint8_t, 3>{0, 1, 0}));
    info.ColorSummary().rgb = info.ColorSummary().spots = info.ColorSummary().grayscale = true;
    info.ColorSpaceFlagsToTags();
    EXPECT_FALSE(info.GetPageItem()); // no record, no tags
    info.SetSoftMaskUsedOnImage();
    info.ColorSpaceFlagsToTags();
    EXPECT_EQ(Tags(info.GetPageItem()),
              (std::set<std::string>{"SoftMaskUsedOnImage", "PlacedGraphicIsRGB",
                                     "PlacedGraphicIsGrayscale", "PlacedGraphicContainsSpots"}));
    EXPECT_FALSE(info.GetPlacedGraphic()); // a plain record is no placed content
    EXPECT_TRUE(info.ReleasePageItem());
    EXPECT_FALSE(info.GetPageItem());
    EXPECT_TRUE(info.GetPlacedGraphic());
}

TEST(ZEPPageItemInfo, PMStringToUTF8EndsAtTheFirstNul) {
    EXPECT_EQ(PMStringToUTF8(PMString(std::u16string(u"Ab\u00E9\0cd", 6))), ustring("Ab\xC3\xA9"));
}

TEST_F(AnalysisTest, AnalysesRunInTheirFixedOrderAndTextItemsSkipTheContentAnalyses) {
    const std::vector<std::string> always = {"Colors", "Table", "TransparencyEffects",
                                             "NonPrinting", "ColorComponents"};
    std::vector<std::string> full = {
        "TextOverflow", "PlacedFileFormat", "LinkInfo",     "ImageData",    "ImageObject",
        "GraphicClass", "PDFData",          "ColorProfile", "DocumentInks", "Fonts"};
    full.insert(full.end(), always.begin(), always.end());
    std::vector<std::string> text = {"TextOverflow"};
    text.insert(text.end(), always.begin(), always.end());
    for (const bool textItem : {false, true}) {
        OrderRecorder info(textItem);
        info.Init(Object(20).get(), PageBounds(11), m_run, 2);
        EXPECT_EQ(info.m_ran, textItem ? text : full);
        EXPECT_FALSE(info.GetPageItem()); // nothing tagged: no record
        EXPECT_EQ(info.GetPageNumber(), 2u);
        EXPECT_TRUE(info.GetFontSummary().enabled);
        EXPECT_EQ(info.GetItemRef(), Ref(20));
        EXPECT_EQ(info.GetItemClass(), host::kFrameItemBoss);
    }
    // Init makes the job's placed-images folder, whatever the item.
    EXPECT_TRUE(std::filesystem::is_directory(m_temp.at("PlacedImages")));
}

TEST_F(AnalysisTest, GeometryMapsTheUnitSquareOntoTheBoxInPageSpace) {
    const struct {
        std::uint32_t item;
        std::uint32_t page;
        std::vector<double> matrix;
        PMRect pasteboard;
    } cases[] = {
        {20, 11, {100, 0, 0, 50, 50, 650}, {1050, 100, 1150, 150}},
        {21, 11, {200, 0, 0, 100, 20, 680}, {1020, 20, 1220, 120}},
        {12, 12, {600, 0, 0, 800, 0, 0}, {1600, 0, 2200, 800}}, // a page's own record
    };
    for (const auto& c : cases) {
        ZEPPageItemInfo info;
        InterfacePtr<IGeometry> geometry(Ref(c.item), UseDefaultIID{});
        info.InitWithoutAnalysis(geometry.get(), PageBounds(c.page), m_job, 2);
        EXPECT_EQ(MatrixOf(*info.GetPageItem()), c.matrix) << c.item;
        EXPECT_EQ(info.GetPasteboardBounds(), c.pasteboard) << c.item;
        EXPECT_EQ(info.GetPageNumber(), 2u);
        EXPECT_EQ(info.GetPageItem()->page, 2);
    }
}

TEST_F(AnalysisTest, AnItemThatIsNotStoredOrHasNoGeometryIsRefused) {
    ZEPPageItemInfo info;
    InterfacePtr<IPMUnknown> loose(CreateObject(host::kFrameItemBoss, IPMUnknown::kDefaultIID));
    EXPECT_EQ(Thrown([&] { info.Init(loose.get(), PageBounds(11), m_run, 1); }),
              "0x52E1F !(mPageItemRef)");
    host::Faults::Instance().HideInterface(host::kFrameItemBoss, IGeometry::kDefaultIID);
    EXPECT_EQ(Thrown([&] { info.Init(Object(20).get(), PageBounds(11), m_run, 1); }),
              "0x52E1E (theGeometry) == NULL");
}

} // namespace
