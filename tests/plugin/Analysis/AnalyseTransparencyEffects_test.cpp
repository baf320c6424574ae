#include "Analysis/ZEPPageItemInfo.h"

#include "host/standin/Description.h"
#include "support/PluginFixture.h"
#include "support/ProblemTags.h"
#include "support/Test.h"

#include <set>

namespace {

// Items 70 to 81 carry the transparency attributes listed; "transparent" is what the host's
// transparency tester answers for them. Group 82 is transparent and holds text frame 83 and
// frame 84; text frame 85 lies directly on the spread.
constexpr const char* kTransparencyLayout = R"({"kind": "document", "name": "Effects.indd",
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}], "items": [
    {"id": 70, "layer": 3, "bounds": [0, 0, 9, 9],
     "transparency": {"opacity": 100, "blendMode": 0, "feather": 0, "dropShadow": 0}},
    {"id": 71, "layer": 3, "bounds": [0, 0, 9, 9], "transparency": {"opacity": 99.999999995}},
    {"id": 72, "layer": 3, "bounds": [0, 0, 9, 9], "transparency": {"opacity": 100.000000005}},
    {"id": 73, "layer": 3, "bounds": [0, 0, 9, 9],
     "transparency": {"opacity": 99.9999999899999}},
    {"id": 74, "layer": 3, "bounds": [0, 0, 9, 9],
     "transparency": {"opacity": 100.0000000100001}},
    {"id": 75, "layer": 3, "bounds": [0, 0, 9, 9], "transparency": {"opacity": 99.9999}},
    {"id": 76, "layer": 3, "bounds": [0, 0, 9, 9],
     "transparency": {"opacity": 50, "blendMode": 3}},
    {"id": 77, "layer": 3, "bounds": [0, 0, 9, 9], "transparency": {"feather": 2},
     "transparent": true},
    {"id": 78, "layer": 3, "bounds": [0, 0, 9, 9], "transparency": {"dropShadow": 1}},
    {"id": 79, "layer": 3, "bounds": [0, 0, 9, 9],
     "transparency": {"opacity": 20, "blendMode": 1, "feather": 1, "dropShadow": 1}},
    {"id": 80, "layer": 3, "bounds": [0, 0, 9, 9], "transparent": true},
    {"id": 81, "layer": 3, "bounds": [0, 0, 9, 9], "transparency": {}},
    {"id": 82, "layer": 3, "transparent": true, "items": [
      {"id": 83, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 5}},
      {"id": 84, "bounds": [0, 0, 9, 9]}]},
    {"id": 85, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 5}}]}],
  "stories": [{"id": 90, "frameList": 91, "text": "Hello", "frames": [83]},
              {"id": 92, "frameList": 93, "text": "Hello", "frames": [85]}]
})";

using TransparencyEffectsTest = PluginTest;

class TransparencyInfo final : public ZEPPageItemInfo {
public:
    void AnalyseEffects(IPMUnknown* item) {
        SetItem(item);
        AnalyseTextOverflow(item);
        AnalyseTransparencyEffects(item);
        AnalyseTransparencyEffects(item);
    }
};

TEST_F(TransparencyEffectsTest, EachEffectIsTaggedOnceAndTextFramesAskTheObjectThatHoldsThem) {
    const host::Document& document = host::OpenDocumentDescription(kTransparencyLayout);
    const std::string object = "TransparencyAppliedToObject";
    const std::string opacity = "OpacityTransparencyAppliedToObject";
    const struct {
        std::uint32_t item;
        std::set<std::string> tags;
    } cases[] = {
        {70, {}},
        {71, {}},
        {72, {}},
        {73, {opacity, object}},
        {74, {opacity, object}},
        {75, {opacity, object}},
        {76, {opacity, "BlendModeTransparencyAppliedToObject", object}},
        {77, {"FeatherTransparencyAppliedToObject"}}, // the tester is not asked
        {78, {"DropShadowTransparencyAppliedToObject", object}},
        {79,
         {opacity, "BlendModeTransparencyAppliedToObject", "FeatherTransparencyAppliedToObject",
          "DropShadowTransparencyAppliedToObject", object}},
        {80, {object}},
        {81, {}},
        {83, {object, "TransparencyAppliedToTextFrame"}},
        {84, {}}, // not a text item: its group is not asked
        {85, {}},
    };
    for (const auto& c : cases) {
        TransparencyInfo info;
        info.AnalyseEffects(ObjectIn(document, c.item).get());
        EXPECT_EQ(Tags(info.GetPageItem()), c.tags) << c.item;
        EXPECT_EQ(info.IsTransparencyRecorded(), !c.tags.empty()) << c.item;
    }
}

} // namespace
