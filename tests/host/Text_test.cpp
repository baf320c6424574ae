#include "host/sdk/Text.h"

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

} // namespace
