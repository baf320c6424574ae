#include "Analysis/ZEPFontLookup.h"

#include "Analysis/ZEPPageItemInfo.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/Fonts.h"
#include "host/standin/Session.h"
#include "support/PluginFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <array>

namespace {

using FontLookupTest = PluginTest;
using Kinds = std::array<bool, 6>;

TEST_F(FontLookupTest, TheFontsClassAndTypeSetTheirKindFlags) {
    const struct {
        std::int32_t fontClass;
        std::int32_t type;
        Kinds kinds;
    } cases[] = {
        {4, 6, {0, 0, 0, 0, 1, 1}}, {0, 5, {1, 0, 0, 0, 0, 0}}, {7, 3, {0, 0, 0, 0, 0, 1}},
        {3, 4, {0, 0, 0, 1, 0, 0}}, {2, 2, {0, 0, 1, 0, 0, 0}}, {1, 1, {0, 1, 0, 0, 0, 0}},
        {0, 0, {1, 0, 0, 0, 0, 0}}, {1, 7, {0, 1, 0, 0, 0, 1}}, {-1, 8, {0, 0, 0, 0, 0, 1}},
        {0, 9, {1, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        host::SetFonts({{"Minion", 0x10, c.type, c.fontClass}});
        FontSummary summary;
        FindMissingFont(PMString("Minion"), summary);
        FindMissingFont(PMString("Minion"), summary);
        EXPECT_EQ(summary.kinds, c.kinds) << c.fontClass << " " << c.type;
    }
}

// The host answers an unknown name with a font object that stands for the missing font (status
// 0x12, type 3, class 5): it is classified like any other. Without the font manager or a font
// object the lookup fails.
TEST_F(FontLookupTest, AMissingFontIsClassifiedAndAMissingManagerOrFontObjectIsAnError) {
    host::OpenDocumentDescription(R"({"kind": "document", "name": "Fonts.indd",
      "layers": [{"id": 3, "name": "Layer 1"}],
      "spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}], "items": [
        {"id": 20, "layer": 3, "bounds": [0, 0, 9, 9], "fonts": ["Missing", "Myriad"]}]}]})");
    host::SetFonts({{"Myriad", 0, 1, 4}});
    ZEPPageItemInfo info;
    InterfacePtr<IPMUnknown> item = ObjectIn(*host::FrontDocument(), 20);
    info.SetItem(item.get());
    EXPECT_EQ(Thrown([&] { info.AnalyseFonts(item.get()); }), "nothing");
    EXPECT_EQ(info.GetFontSummary().kinds, (Kinds{0, 1, 0, 0, 1, 1}));
    FontSummary summary;
    host::Faults::Instance().HideInterface(host::kFontBoss, IFont::kDefaultIID);
    EXPECT_EQ(Thrown([&] { FindMissingFont(PMString("Myriad"), summary); }),
              "0x52E1E (iFont) == NULL");
    host::Faults::Instance().HideInterface(host::kSessionBoss, IFontMgr::kDefaultIID);
    EXPECT_EQ(Thrown([&] { FindMissingFont(PMString("Myriad"), summary); }),
              "0x52E1E (iFontMgr) == NULL");
    EXPECT_EQ(summary.kinds, Kinds{});
}

TEST(FontSummary, EachSetterSetsItsFlagAndTheSummaryAndEachClassValueHasOneKind) {
    const struct {
        void (FontSummary::*set)();
        Kinds flags;
    } setters[] = {
        {&FontSummary::SetFlag1, {1, 0, 0, 0, 0, 0}}, {&FontSummary::SetFlag2, {0, 1, 0, 0, 0, 0}},
        {&FontSummary::SetFlag3, {0, 0, 1, 0, 0, 0}}, {&FontSummary::SetFlag4, {0, 0, 0, 1, 0, 0}},
        {&FontSummary::SetFlag5, {0, 0, 0, 0, 1, 0}}, {&FontSummary::SetFlag6, {0, 0, 0, 0, 0, 1}},
    };
    for (const auto& c : setters) {
        FontSummary summary;
        (summary.*c.set)();
        EXPECT_TRUE(summary.summary);
        EXPECT_EQ(summary.flags, c.flags);
        EXPECT_FALSE(summary.enabled);
        EXPECT_EQ(summary.kinds, Kinds{});
    }
    const std::pair<std::int32_t, std::int32_t> kinds[] = {
        {0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {-1, 6}, {0x7FFFFFFF, 6}};
    for (const auto& [classValue, kind] : kinds)
        EXPECT_EQ(FontKindOfClass(classValue), kind) << classValue;
}

} // namespace
