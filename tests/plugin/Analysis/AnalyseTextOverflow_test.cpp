#include "Analysis/ZEPPageItemInfo.h"

#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/Fonts.h"
#include "host/standin/Text.h"
#include "support/PluginFixture.h"
#include "support/ProblemTags.h"
#include "support/Test.h"

#include <set>

namespace {

// Page 11 lies at (1000, 0, 1600, 800) on the pasteboard. Story 50 threads frames 30 and 31 and
// overflows 31; stories 52 to 58 hold one frame each that shows "Hello" followed by white space
// (52), a space, a surrogate pair and a space (54), one "!" (56) or nothing (58, frame 35 with
// 0xCA13 only); 36 and 37 show one and no character; 38 (0xCA12 only) lies in a damaged frame
// list; 39 shows story 64's composed lines; 40 is a frame that no story threads.
constexpr const char* kTextLayout = R"({"kind": "document", "name": "Text.indd",
  "layers": [{"id": 3, "name": "Layer 1"}],
  "spreads": [{"id": 10, "offset": [1000, 0], "pages": [{"id": 11, "width": 600, "height": 800}],
    "items": [
      {"id": 30, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 5}},
      {"id": 31, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 5, "span": 3}},
      {"id": 32, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 5}},
      {"id": 33, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 5}},
      {"id": 34, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 5}},
      {"id": 35, "layer": 3, "bounds": [0, 0, 9, 9],
       "textFrame": {"interfaces": ["0xCA13"], "start": 0, "span": 5}},
      {"id": 36, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 1}},
      {"id": 37, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 1, "span": 0}},
      {"id": 38, "layer": 3, "bounds": [0, 0, 9, 9],
       "textFrame": {"interfaces": ["0xCA12"], "start": 0, "span": 5}},
      {"id": 39, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 13}},
      {"id": 40, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 4}}]}],
  "stories": [
    {"id": 50, "frameList": 51, "text": "Hello world", "frames": [30, 31]},
    {"id": 52, "frameList": 53, "text": "Hello \t\r\n\u00a0\u2029\u3000 ", "frames": [32]},
    {"id": 54, "frameList": 55, "text": "Hello \ud83d\ude00 ", "frames": [33]},
    {"id": 56, "frameList": 57, "text": "Hello!", "frames": [34]},
    {"id": 58, "frameList": 59, "text": "Hello", "frames": [35]},
    {"id": 60, "frameList": 61, "text": "Ab", "frames": [36, 37]},
    {"id": 62, "frameList": 63, "text": "Hello world", "frames": [38], "damaged": 0},
    {"id": 64, "frameList": 65, "text": "Hi  there you", "frames": [39],
     "attributes": [{"span": 4, "font": "Known"}, {"span": 9, "font": "Faux"}],
     "lines": [
       {"y": 100, "count": 4, "runs": [
         {"start": 0, "span": 2, "width": 20, "height": 10, "matrix": [1, 0, 0, 1, 1050, 0]},
         {"start": 2, "span": 2, "width": 8, "height": 10}]},
       {"y": 112, "count": 9, "runs": [
         {"start": 4, "span": 5, "width": 40, "height": 10, "matrix": [1, 0, 0, 1, 1050, 0]},
         {"start": 9, "span": 4, "width": 30, "height": 10, "matrix": [1, 0, 0, 1, 1100, 0]}]}]}]
})";

// Runs the text analysis alone, as the analysis of page 3 at the bounds of page 11.
class TextInfo final : public ZEPPageItemInfo {
public:
    void AnalyseText(IPMUnknown* item) {
        Prepare(item);
        AnalyseTextOverflow(item);
    }
    void Prepare(IPMUnknown* item) {
        SetItem(item);
        m_pageBounds = {1000, 0, 1600, 800};
        m_pageNumber = 3;
    }
};

struct TextRunRecord {
    std::vector<double> matrix;
    std::set<std::string> tags;
    bool operator==(const TextRunRecord&) const = default;
};

std::vector<TextRunRecord> Runs(const ZEPPageItemInfo& info) {
    std::vector<TextRunRecord> runs;
    if (const BPageItemList* list = info.GetTextRuns())
        for (std::size_t i = 0; i < list->size(); ++i) {
            const auto run = (*list)[i];
            EXPECT_EQ(run->kind, BPageItem::kTextRun);
            EXPECT_EQ(run->page, 3);
            runs.push_back({{run->GetMatrix(0), run->GetMatrix(0) + 6}, Tags(run.get())});
        }
    return runs;
}

class AnalyseTextOverflowTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_document = &host::OpenDocumentDescription(kTextLayout);
        host::SetFonts({{"Known", 0, 6, 0}, {"Faux", 0x11, 1, 0}});
    }
    InterfacePtr<IPMUnknown> Item(std::uint32_t uid) const { return ObjectIn(*m_document, uid); }

    host::Document* m_document = nullptr;
};

TEST_F(AnalyseTextOverflowTest, OnlyVisibleTextBeyondTheLastFrameOfAThreadOverflows) {
    const std::set<std::string> overflowed = {"TextBoxOverflowed"};
    const struct {
        std::uint32_t item;
        bool textItem;
        std::set<std::string> tags;
    } cases[] = {
        {30, true, {}},         // not the last frame of its thread
        {31, true, overflowed}, // "rld" beyond it
        {32, true, {}},         // white space only beyond it
        {33, true, overflowed}, // a surrogate pair among spaces
        {34, true, overflowed}, // one character beyond it
        {35, true, {}},         // the text fits
        {36, false, {}},        // one character: no text item
        {37, false, {}},        // none
        {38, true, overflowed}, // recomposed first
        {40, true, {}},         // no story
    };
    for (const auto& c : cases) {
        TextInfo info;
        info.AnalyseText(Item(c.item).get());
        EXPECT_EQ(info.IsTextItem(), c.textItem) << c.item;
        EXPECT_EQ(info.GetPageItem() != nullptr, c.textItem) << c.item;
        EXPECT_EQ(Tags(info.GetPageItem()), c.tags) << c.item;
        EXPECT_FALSE(info.GetTextRuns()) << c.item;
    }
    EXPECT_EQ(Log(host::Channel::Calls), std::vector<std::string>{"recompose 63"});
}

TEST_F(AnalyseTextOverflowTest, EachVisibleRunBecomesARecordPlacedOnThePageWithItsFontTags) {
    TextInfo info;
    info.AnalyseText(Item(39).get());
    EXPECT_TRUE(Tags(info.GetPageItem()).empty());
    const std::set<std::string> faux = {"FontStatusNotAvailable", "FontStatusFauxed",
                                        "TrueTypeFontUsedInLayout"};
    EXPECT_EQ(Runs(info), (std::vector<TextRunRecord>{
                              {{20, 0, 0, 10, 50, 710}, {"OpenTypeCFFFontUsedInLayout"}},
                              {{40, 0, 0, 10, 50, 698}, faux},
                              {{30, 0, 0, 10, 100, 698}, faux}}));
    InterfacePtr<ITextFrameColumn> frame(Item(39), UseDefaultIID{});
    InterfacePtr<ITextModel> model(frame->QueryTextModel());
    for (const auto& [length, count] : {std::pair(4, 1u), std::pair(5, 3u)}) {
        TextInfo walk;
        walk.Prepare(Item(39).get());
        walk.CollectTextRuns(model.get(), 0, length);
        EXPECT_EQ(walk.GetTextRuns()->size(), count) << length;
    }
}

TEST_F(AnalyseTextOverflowTest, FontStatusIsTestedByMaskAndTypeByTable) {
    const std::string na = "FontStatusNotAvailable";
    const struct {
        std::uint32_t status;
        std::int32_t type;
        std::set<std::string> tags;
    } cases[] = {
        {0x11, 5, {na, "FontStatusFauxed"}},
        {0x12, 3, {na, "FontStatusSubstituted", "UnknownFontTypeUsedInLayout"}},
        {0x13, 0, {na, "FontStatusFauxed", "FontStatusSubstituted", "Type1FontUsedInLayout"}},
        {0x01, 2, {"CIDFontUsedInLayout"}},
        {0x02, 4, {"BitmapFontUsedInLayout"}},
        {0x10, 7, {na, "OpenTypeCIDFontUsedInLayout"}},
        {0x00, 8, {"OpenTypeTrueTypeFontUsedInLayout"}},
        {0x00, 9, {"UnknownFontTypeUsedInLayout"}},
        {0x00, -1, {"UnknownFontTypeUsedInLayout"}},
    };
    InterfacePtr<ITextFrameColumn> frame(Item(39), UseDefaultIID{});
    InterfacePtr<ITextModel> model(frame->QueryTextModel());
    for (const auto& c : cases) {
        host::SetFonts({{"Known", c.status, c.type, 0}});
        TextInfo info;
        info.Prepare(Item(39).get());
        info.CollectTextRuns(model.get(), 0, 1);
        EXPECT_EQ(Runs(info).at(0).tags, c.tags) << c.status << " " << c.type;
    }
    // The host answers relied on: text in a font the session does not know has the missing
    // font's object (status 0x12, type 3); with no font object the run has no font tags.
    host::SetFonts({});
    const std::set<std::string> missing = {na, "FontStatusSubstituted",
                                           "UnknownFontTypeUsedInLayout"};
    for (const bool fontObject : {true, false}) {
        if (!fontObject)
            host::Faults::Instance().HideInterface(host::kFontBoss, IFont::kDefaultIID);
        TextInfo info;
        info.Prepare(Item(39).get());
        info.CollectTextRuns(model.get(), 0, 1);
        EXPECT_EQ(Runs(info).at(0).tags, fontObject ? missing : std::set<std::string>{});
    }
}

// Records the font type of each run of attributes it is told of.
class VisibleTextRecorder final : public ZEPPageItemInfo {
public:
    void OnVisibleText(IPMUnknown* object) override {
        InterfacePtr<ITextAttributes> attributes(object, UseDefaultIID{});
        InterfacePtr<IFont> font(attributes ? attributes->QueryFont() : nullptr);
        m_fontTypes.push_back(font ? font->GetFontType() : -1);
    }
    std::vector<std::int32_t> m_fontTypes;
};

// The host answers this test relies on: the compose scanner gives the attribute run at a
// position with the characters left in it, and none beyond the last run.
TEST_F(AnalyseTextOverflowTest, ScanTextTellsOfEachRunThatShowsACharacterOnce) {
    // Runs of fonts typed 0 to 3: "Ab", tab, return and U+FFFC, "  c", "\u0007" and "d"; the
    // last character "e" lies in no run.
    host::SetFonts({{"T0", 0, 0, 0}, {"T1", 0, 1, 0}, {"T2", 0, 2, 0}, {"T3", 0, 3, 0}});
    host::Document& document = host::OpenDocumentDescription(R"({"kind": "document",
      "name": "Scan.indd", "layers": [{"id": 3, "name": "L"}],
      "spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}], "items": [
        {"id": 30, "layer": 3, "bounds": [0, 0, 9, 9], "textFrame": {"start": 0, "span": 10}}]}],
      "stories": [{"id": 50, "frameList": 51, "text": "Ab\t\r\ufffc  c\u0007de", "frames": [30],
        "attributes": [{"span": 2, "font": "T0"}, {"span": 3, "font": "T1"},
                       {"span": 3, "font": "T2"}, {"span": 2, "font": "T3"}]}]})");
    InterfacePtr<ITextFrameColumn> frame(ObjectIn(document, 30), UseDefaultIID{});
    InterfacePtr<ITextModel> model(frame->QueryTextModel());
    const struct {
        std::int32_t start;
        std::int32_t length;
        std::vector<std::int32_t> told;
    } cases[] = {
        {0, 11, {0, 2, 3}}, // through the run-less "e" and beyond
        {1, 4, {0}},        // from the middle of a run; the second run shows nothing
        {6, 1, {2}},        // a space shows
        {8, 1, {}},         // the control character alone
        {10, 5, {}},        // in no run
        {0, 0, {}},
    };
    for (const auto& c : cases) {
        VisibleTextRecorder info;
        info.ScanText(model.get(), c.start, c.length);
        EXPECT_EQ(info.m_fontTypes, c.told) << c.start << " " << c.length;
    }
}

TEST_F(AnalyseTextOverflowTest, TheTextRunsAreHandedOverOnce) {
    TextInfo info;
    info.AnalyseText(Item(39).get());
    const std::unique_ptr<BPageItemList> runs = info.ReleaseTextRuns();
    ASSERT_TRUE(runs);
    EXPECT_EQ(runs->size(), 3u);
    EXPECT_FALSE(info.GetTextRuns());
    EXPECT_FALSE(info.ReleaseTextRuns());
}

// A frame's record made at once is the record its analyses make when they need one.
TEST_F(AnalyseTextOverflowTest, ARecordMadeAtOnceIsTheOneTheAnalysesMake) {
    for (const std::uint32_t uid : {30u, 35u, 38u, 39u, 36u, 37u}) {
        TextInfo analysed;
        analysed.AnalyseText(Item(uid).get());
        TextInfo created;
        created.Prepare(Item(uid).get());
        created.CreateRecord(Item(uid).get());
        EXPECT_EQ(created.IsTextItem(), analysed.IsTextItem()) << uid;
        ASSERT_TRUE(created.GetPageItem()) << uid;
        EXPECT_EQ(created.GetPageItem()->kind, BPageItem::kPageItem) << uid;
        if (analysed.GetPageItem())
            EXPECT_EQ(analysed.GetPageItem()->kind, BPageItem::kPageItem) << uid;
        else
            EXPECT_FALSE(created.IsTextItem()) << uid;
    }
}

} // namespace
