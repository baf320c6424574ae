#include "host/Text.h"

#include "host/Description.h"
#include "host/Fonts.h"
#include "host/Layout.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"
#include "support/Test.h"

namespace {

TEST(UnicodeClass, WhiteSpaceIsExactlyTheUnicodeWhiteSpaceSet) {
    const std::vector<UTF32TextChar> white = {
        0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,   0x1680,
        0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
        0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
    std::vector<UTF32TextChar> found;
    for (UTF32TextChar c = 0; c <= 0x10FFFF; ++c)
        if (UnicodeClass::IsWhiteSpace(c))
            found.push_back(c);
    EXPECT_EQ(found, white);
}

TEST(TextIterator, StepsOverSurrogatePairsBothWaysAndReadsThemJoined) {
    const auto text = std::make_shared<const std::u16string>(u"a\U0001F600b\xD800"
                                                             u"c\r");
    std::vector<std::pair<std::int32_t, UTF32TextChar>> forward, backward;
    for (TextIterator it(text, 0); it.IsValid(); ++it)
        forward.emplace_back(it.Position(), it.GetUTF32TextChar());
    for (TextIterator it(text, 6); it.IsValid(); --it)
        backward.emplace_back(it.Position(), it.GetUTF32TextChar());
    const std::vector<std::pair<std::int32_t, UTF32TextChar>> characters = {
        {0, U'a'}, {1, 0x1F600}, {3, U'b'}, {4, 0xD800}, {5, U'c'}, {6, U'\r'}};
    EXPECT_EQ(forward, characters);
    EXPECT_EQ(backward, (decltype(characters){characters.rbegin(), characters.rend()}));
    TextIterator inside(text, 2); // the second half of the pair
    EXPECT_EQ(inside.GetUTF32TextChar(), 0x1F600u);
    EXPECT_EQ((++TextIterator(inside)).Position(), 3);
    EXPECT_EQ((--inside).Position(), 0);
    EXPECT_EQ(TextIterator(text, 7).GetUTF32TextChar(), 0u);
}

using TextStoryTest = HostTest;

TEST_F(TextStoryTest, FramesAttributesAndLinesShowTheDescription) {
    host::SetFonts({{"A", 0x10, 1, 2}});
    const host::Document& document = host::OpenDocumentDescription(
        R"({"kind": "document", "name": "Story", "layers": [{"id": 3, "name": "L"}],
            "spreads": [{"id": 4, "pages": [{"id": 5, "width": 100, "height": 50}], "items": [
              {"id": 6, "layer": 3, "bounds": [0, 0, 1, 1], "textFrame": {"start": 0, "span": 4}},
              {"id": 7, "layer": 3, "bounds": [0, 0, 1, 1],
               "textFrame": {"interfaces": ["0xCA13"], "start": 4, "span": 3}}]}],
            "stories": [{"id": 8, "frameList": 9, "text": "abcdefg", "frames": [6, 7],
              "damaged": 1, "attributes": [{"span": 3, "font": "A"}, {"span": 2, "font": "B"}],
              "lines": [{"y": 10, "count": 4, "runs": []},
                        {"y": 20, "count": 3, "runs": [{"start": 4, "span": 3, "width": 5,
                                                         "height": 6}]}]}]})");
    const auto ref = [&](std::uint32_t uid) { return RefIn(document, uid); };
    InterfacePtr<ITextFrameColumn> first(ref(6), UseDefaultIID{});
    InterfacePtr<IMultiColumnTextFrame> second(ref(7), UseDefaultIID{});
    EXPECT_FALSE(InterfacePtr<ITextFrameColumn>(ref(7), UseDefaultIID{}));
    EXPECT_EQ(std::pair(second->TextStart(), second->TextSpan()), std::pair(4, 3));
    InterfacePtr<IFrameList> frames(second->QueryFrameList());
    EXPECT_EQ(GetUIDRef(frames.get()), ref(9));
    EXPECT_EQ(std::tuple(frames->GetFrameIndex(UID(7)), frames->GetFrameIndex(UID(5)),
                         frames->GetFrameCount(), frames->GetFirstDamagedFrameIndex()),
              std::tuple(1, -1, 2, 1));
    InterfacePtr<IFrameListComposer>(frames, UseDefaultIID{})->Recompose();
    EXPECT_EQ(frames->GetFirstDamagedFrameIndex(), 2);
    EXPECT_EQ(Log(host::Channel::Calls), std::vector<std::string>{"recompose 9"});

    InterfacePtr<ITextModel> model(first->QueryTextModel());
    EXPECT_EQ(model->TotalLength(), 8);
    EXPECT_FALSE(model->QueryStrand(ClassID{0x229}, ILineSource::kDefaultIID));
    InterfacePtr<IComposeScanner> scanner(model, UseDefaultIID{});
    for (const auto& [position, span, status] :
         {std::tuple(1, 2, 0x10u), std::tuple(4, 1, 0u), std::tuple(5, 0, 0u)}) {
        std::int32_t runSpan = -1;
        InterfacePtr<ITextAttributes> attributes(scanner->QueryAttributesAt(position, &runSpan));
        EXPECT_EQ(runSpan, span) << position;
        InterfacePtr<IFont> font(attributes ? attributes->QueryFont() : nullptr);
        EXPECT_EQ(font ? font->GetStatus() : 0u, status) << position; // "B" is unknown
    }
    InterfacePtr<ILineSource> lines(
        static_cast<ILineSource*>(model->QueryStrand(kFrameListBoss, ILineSource::kDefaultIID)));
    const std::unique_ptr<ILineWalker> walker = lines->NewLineWalker(0);
    const IComposedLine* line = walker->FirstLine(5, 0);
    EXPECT_EQ(line->GetY(), 20);
    EXPECT_EQ(line->NewRuns(1)->First()->GetWidth(0), 5);
    EXPECT_FALSE(walker->NextLine());
    EXPECT_FALSE(walker->FirstLine(7, 0));
}

} // namespace
