#include "Analysis/ZEPColorAnalysis.h"

#include "host/standin/Colors.h"
#include "host/standin/Faults.h"
#include "host/standin/Tables.h"
#include "support/AnalysisFixture.h"
#include "support/Thrown.h"

#include <set>
#include <string>
#include <vector>

namespace {

// Colours: 40 RGB, 41 the cyan swatch, 42 Lab, 43 to 45 named of ink kind 0, 1 and 2, 46 mixed of
// a process and a spot ink, 47 mixed claiming three inks with one in its list, 48 CMYK made of
// 40 and 42, 49 and 55 a cycle, 56 of the tested class with tint 40, 57 and 58 made of tested
// colours only and not only, 59 the paper (an unknown space). Inks: 50 process, 51 spot. Items
// on page 11: 20 non-printing, 21 and 26 with a colour test that passes and fails, 22 and 25 with
// ink lists, 23 with a table, 27 a placed PDF using colour 40.
constexpr const char* kColorLayout = R"({
  "kind": "document", "name": "Colours.indd",
  "colors": [{"id": 40, "space": 5}, {"id": 41, "space": 6, "values": [1, 0, 0, 0]},
    {"id": 42, "space": 7}, {"id": 43, "space": 8, "ink": {"kind": 0}},
    {"id": 44, "space": 8, "ink": {"kind": 1}}, {"id": 45, "space": 8, "ink": {"kind": 2}},
    {"id": 46, "space": 9, "ink": {"inks": [50, 51]}},
    {"id": 47, "space": 9, "ink": {"inks": [50], "count": 3}},
    {"id": 48, "space": 6, "components": [40, 42]},
    {"id": 49, "space": 5, "components": [55]}, {"id": 55, "space": 7, "components": [49]},
    {"id": 56, "class": "0x6E0B", "space": 6, "tint": 40},
    {"id": 57, "class": "0x6E0B", "components": [56, 56]}, {"id": 58, "components": [56, 40]},
    {"id": 59, "space": 3, "paper": true}],
  "inks": [{"id": 50, "name": "Process Cyan", "process": true, "color": 41},
           {"id": 51, "name": "PANTONE 185 C", "color": 44}],
  "swatches": [59, 41],
  "tables": [{"id": 60, "rows": 1, "columns": 1,
              "cells": [{"row": 0, "column": 0, "fill": {"color": 40}}]}],
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}], "items": [
    {"id": 20, "layer": 3, "bounds": [0, 0, 10, 10],
     "graphics": {"fill": 46, "stroke": 48, "nonPrinting": true}},
    {"id": 21, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 43}, "colorTest": true},
    {"id": 22, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 57}, "colorTest": true,
     "inks": ["PANTONE 185 C", "Cyan", "cyan"]},
    {"id": 23, "layer": 3, "bounds": [0, 0, 10, 10], "table": {"model": 60, "areas": [[0, 0, 1, 1]]}},
    {"id": 25, "layer": 3, "bounds": [0, 0, 10, 10], "inks": ["cyan", "PANTONE 185 C"]},
    {"id": 26, "layer": 3, "bounds": [0, 0, 10, 10], "graphics": {"fill": 43}, "colorTest": false},
    {"id": 27, "layer": 3, "bounds": [0, 0, 10, 10], "placed": {"pdf": {"colors": [40]}}}]}]
})";

class ColorAnalysisTest : public AnalysisTest {
protected:
    std::string Description() const override { return kColorLayout; }
    InterfacePtr<IColorObject> Color(std::uint32_t uid) const {
        return InterfacePtr<IColorObject>(Ref(uid), UseDefaultIID{});
    }
    std::string Flags(std::uint32_t color) const {
        ItemStateFlags summary;
        CollectColorSpaces(Color(color).get(), summary);
        return FlagsOf(summary);
    }
    static std::string FlagsOf(const ItemStateFlags& summary) {
        std::string flags;
        for (const auto& [set, name] : {std::pair{summary.rgb, "RGB "},
                                        {summary.cmyk, "CMYK "},
                                        {summary.lab, "Lab "},
                                        {summary.spots, "Spots "}})
            flags += set ? name : "";
        return flags;
    }
};

// Its image-data classification finds a grey image.
class GreyImage final : public ZEPPageItemInfo {
    void ClassifyByImageData(IPMUnknown*) override { m_colorSummary.grayscale = true; }
};

TEST_F(ColorAnalysisTest, EachColourKindSetsItsFlagAndComponentsAddTheirs) {
    const std::pair<std::uint32_t, std::string> cases[] = {
        {40, "RGB "},
        {41, "CMYK "},
        {42, "Lab "},
        {43, "CMYK "},
        {44, "Spots "},
        {45, ""},
        {46, "CMYK Spots "},
        {47, "CMYK "}, // a count beyond the ink list reads the list only
        {48, "RGB CMYK Lab "},
        {49, "RGB Lab "}, // a cycle ends
        {59, ""},
    };
    for (const auto& [color, flags] : cases)
        EXPECT_EQ(Flags(color), flags) << color;
}

TEST_F(ColorAnalysisTest, TheColourSpaceWalkAnswersFalseWhateverItFinds) {
    for (std::uint32_t color : {40u, 41u, 42u, 43u, 44u, 45u, 46u, 47u, 48u, 49u, 59u}) {
        ItemStateFlags summary;
        EXPECT_FALSE(CollectColorSpaces(Color(color).get(), summary)) << color;
    }
}

TEST_F(ColorAnalysisTest, MoreThan32767ComponentsAreAllRead) {
    auto& colors = m_document->colors.colors;
    for (std::uint32_t color : {48u, 57u}) {
        colors.at(UID(color)).components = std::vector<UID>(40000, UID(56));
        colors.at(UID(color)).components->back() = UID(color == 48 ? 42 : 40);
    }
    EXPECT_EQ(Flags(48), "CMYK Lab ");
    EXPECT_FALSE(HasOnlyColorsOfClass(Color(57).get()));
    colors.at(UID(57)).components->back() = UID(56);
    EXPECT_TRUE(HasOnlyColorsOfClass(Color(57).get()));
}

TEST_F(ColorAnalysisTest, ColourHelpersAnswerFromTintClassAndComponents) {
    EXPECT_EQ(GetColorTint(Color(56).get()), 40);
    EXPECT_EQ(GetColorTint(Color(40).get()), -1);
    const struct {
        std::uint32_t color;
        bool ofClass, onlyOfClass, paper;
    } cases[] = {{56, true, true, false},
                 {40, false, false, false},
                 {57, true, true, false},
                 {58, false, false, false},
                 {59, false, false, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsColorOfClass(Color(c.color).get()), c.ofClass) << c.color;
        EXPECT_EQ(IsColorOfClassRef(Ref(c.color)), c.ofClass) << c.color;
        EXPECT_EQ(HasOnlyColorsOfClass(Color(c.color).get()), c.onlyOfClass) << c.color;
        EXPECT_EQ(IsPaperSwatch(Color(c.color).get()), c.paper) << c.color;
    }
    EXPECT_FALSE(IsColorOfClassRef(Ref(999)));
    EXPECT_FALSE(IsPaperSwatch(nullptr));
}

TEST_F(ColorAnalysisTest, TheSummaryBecomesTagsBesideTheItemsOwnTags) {
    GreyImage info;
    info.Init(Object(20).get(), PageBounds(11), m_run, 1);
    EXPECT_EQ(info.GetPageItem()->problems,
              (std::set<ustring>{"PrintoutSuppressed", "PlacedGraphicIsRGB",
                                 "PlacedGraphicIsGrayscale", "PlacedGraphicIsCMYK",
                                 "PlacedGraphicIsLab", "PlacedGraphicContainsSpots"}));
    ZEPPageItemInfo pdf;
    pdf.Init(Object(27).get(), PageBounds(11), m_run, 1);
    EXPECT_TRUE(pdf.GetPageItem()->problems.contains("PlacedGraphicIsRGB"));
    ZEPPageItemInfo printing; // colours but no tag: no record
    printing.Init(Object(21).get(), PageBounds(11), m_run, 1);
    EXPECT_EQ(FlagsOf(printing.GetColorSummary()), "CMYK ");
    EXPECT_FALSE(printing.GetPageItem());
}

TEST_F(ColorAnalysisTest, AMissingListOrInkDropsTheItemAndOtherGapsAreSkipped) {
    const struct {
        std::uint32_t item;
        ClassID cls;
        PMIID iid;
        std::string thrown;
    } cases[] = {
        {23, host::kTableModelBoss, ITableModel::kDefaultIID, "0x52E1E (iTableModel) == NULL"},
        {22, kDocWorkspaceBoss, IInkList::kDefaultIID, "0x52E1E (theInkList) == NULL"},
        {22, kDocWorkspaceBoss, IWorkspace::kDefaultIID, "0x52E1E (iWorkspace) == NULL"},
        {22, kDocWorkspaceBoss, ISwatchList::kDefaultIID, "0x52E1E (iSwatchList) == NULL"},
        {20, host::kInkBoss, IInkInfo::kDefaultIID, "0x52E1E (theComponentInkBossData) == NULL"},
        {25, kDocWorkspaceBoss, IWorkspace::kDefaultIID, "nothing"}, // "cyan" is no "Cyan"
        {20, host::kUtilsBoss, IGraphicAttributeUtils::kDefaultIID, "nothing"},
    };
    for (const auto& c : cases) {
        host::Faults::Instance().Reset();
        host::Faults::Instance().HideInterface(c.cls, c.iid);
        ZEPPageItemInfo info;
        EXPECT_EQ(Thrown([&] { info.Init(Object(c.item).get(), PageBounds(11), m_run, 1); }),
                  c.thrown)
            << c.item << " " << host::Hex(c.iid.Get());
    }
}

TEST_F(ColorAnalysisTest, ColourComponentsFailWhenTheTestPassesAndTheFillIsOfAnotherClass) {
    const std::pair<std::uint32_t, bool> cases[] = {
        {21, true}, {22, false}, {26, false}, {20, false}};
    for (const auto& [item, failed] : cases) {
        ZEPPageItemInfo info;
        info.AnalyseColorComponents(Object(item).get());
        EXPECT_EQ(info.HasColorComponentsOfOtherClass(), failed) << item;
    }
}

} // namespace
