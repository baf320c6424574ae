#include "platform/textcompare.h"

#include "support/Test.h"

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(TextCompare, FoldsCapitalsToSmallLetters) {
    const std::pair<char16_t, char16_t> cases[] = {
        {u'A', u'a'},           {u'Z', u'z'},           {u'a', u'a'},
        {u'[', u'['},           {u'\u00C0', u'\u00E0'}, {u'\u00DE', u'\u00FE'},
        {u'\u00D7', u'\u00D7'}, // times
        {u'\u00DF', u'\u00DF'}, {u'\u0100', u'\u0101'}, {u'\u0101', u'\u0101'},
        {u'\u0130', u'i'},      {u'\u0131', u'\u0131'}, {u'\u0139', u'\u013A'},
        {u'\u0141', u'\u0142'}, {u'\u014A', u'\u014B'}, {u'\u0178', u'\u00FF'},
        {u'\u017D', u'\u017E'}, {u'\u017F', u's'},      {u'\u0391', u'\u03B1'},
        {u'\u03A3', u'\u03C3'}, {u'\u03C2', u'\u03C3'}, {u'\u0401', u'\u0451'},
        {u'\u042F', u'\u044F'}, {u'\u4E00', u'\u4E00'},
    };
    for (const auto& [unit, folded] : cases)
        EXPECT_EQ(platform::foldCase16(unit), folded) << std::hex << int(unit);
}

// (a, b, sign without case, sign of the collating order)
TEST(TextCompare, ComparesWithoutCaseAndCollatesLettersBeforeCaseSmallLetterFirst) {
    const std::tuple<const char16_t*, const char16_t*, int, int> cases[] = {
        {u"abc", u"ABC", 0, -1},
        {u"\u00C4rger", u"\u00E4RGER", 0, 1},
        {u"\u0141\u00F3d\u017A", u"\u0142\u00D3D\u0179", 0, 1},
        {u"abc", u"abd", -1, -1},
        {u"ab", u"ABC", -1, -1},
        {u"_", u"A", -1, -1}, // folded to small letters, as the runtime does: '_' < 'a'
        {u"\u00E9", u"f", 1, 1},
        {u"", u"", 0, 0},
        {u"A", u"b", -1, -1},
        {u"Ab", u"aC", -1, -1},
        {u"aB", u"ab", 0, 1},
        {u"Zeta", u"alpha", 1, 1},
    };
    for (const auto& [a, b, noCase, collated] : cases) {
        EXPECT_EQ(sign(platform::compareNoCase16(a, b)), noCase);
        EXPECT_EQ(sign(platform::compareNoCase16(b, a)), -noCase);
        EXPECT_EQ(sign(platform::collateNoCase16(a, b)), noCase);
        EXPECT_EQ(sign(platform::collate16(a, b)), collated);
        EXPECT_EQ(sign(platform::collate16(b, a)), -collated);
    }
}

} // namespace
