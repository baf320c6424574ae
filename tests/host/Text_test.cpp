#include "host/sdk/Text.h"

#include "host/sdk/Tables.h"
#include "host/standin/Description.h"
#include "support/HostFixture.h"
#include "support/TableAd.h"
#include "support/Test.h"

namespace {

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

using TextOfTables = HostTest;

// A story that holds a table (its own text "\u0016\r", then its cells' text, each cell's on a line
// of its own): its total length counts the own text and the end-of-story character, and a walk
// over its lines stays on the text of the line it starts at.
TEST_F(TextOfTables, TheOwnTextsLengthAndLinesLeaveTheCellsOut) {
    const host::Document& ad = host::OpenDocumentDescription(TableAd(TableShape::AnchorAndReturn));
    InterfacePtr<ITextModel> story(RefIn(ad, 62), UseDefaultIID{});
    EXPECT_EQ(story->TotalLength(), 3);
    InterfacePtr<ILineSource> lines(
        static_cast<ILineSource*>(story->QueryStrand(kFrameListBoss, ILineSource::kDefaultIID)));
    ASSERT_TRUE(lines);
    const struct {
        std::int32_t position;
        std::vector<std::int32_t> counts; // of the lines the walk gives
    } cases[] = {
        {0, {2}},  // the own text
        {1, {2}},  // the return
        {2, {3}},  // "Day", the first cell
        {14, {7}}, // inside "Evening"
        {100, {}}, // past every line
    };
    for (const auto& c : cases) {
        const std::unique_ptr<ILineWalker> walker = lines->NewLineWalker(0);
        std::vector<std::int32_t> counts;
        for (const IComposedLine* line = walker->FirstLine(c.position, 0); line;
             line = walker->NextLine())
            counts.push_back(line->GetCharCount());
        EXPECT_EQ(counts, c.counts) << c.position;
    }
    // The cells' text is reached through the table's text ranges.
    InterfacePtr<ITableText> table(RefIn(ad, 60), UseDefaultIID{});
    std::int32_t position = 0;
    EXPECT_EQ(table->GetNextTextRange({0, 0, 3, 4}, position), 3);
    EXPECT_EQ(position, 2);
}

} // namespace
