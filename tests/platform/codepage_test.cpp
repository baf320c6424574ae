#include "platform/codepage.h"

#include "support/Test.h"

namespace {

std::u16string toUtf16(const std::string& ansi) {
    const std::size_t count = platform::ansiToUtf16(ansi.data(), ansi.size(), nullptr, 0);
    std::u16string units(count, u'\0');
    EXPECT_EQ(platform::ansiToUtf16(ansi.data(), ansi.size(), units.data(), count), count);
    return units;
}

std::string toAnsi(const std::u16string& units) {
    const std::size_t count = platform::utf16ToAnsi(units.data(), units.size(), nullptr, 0);
    std::string bytes(count, '\0');
    EXPECT_EQ(platform::utf16ToAnsi(units.data(), units.size(), bytes.data(), count), count);
    return bytes;
}

// 0x80-0x9F are the Windows-1252 characters (the five undefined bytes their C1 controls); every
// other byte is the code point of its value.
TEST(Codepage, EveryByteRoundTripsAsOneUnit) {
    std::string bytes;
    for (int b = 0; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    std::u16string expected(bytes.begin(), bytes.end());
    for (char16_t& unit : expected)
        unit &= 0xFF;
    expected.replace(0x80, 32,
                     u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021"
                     u"\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F"
                     u"\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014"
                     u"\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178");
    EXPECT_EQ(toUtf16(bytes), expected);
    EXPECT_EQ(toAnsi(expected), bytes);
}

TEST(Codepage, WritesAQuestionMarkForEachCharacterWithoutAByte) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"a\u0100b", "a?b"},                    // no best fit to 'A'
        {u"\u0080\u009F", "??"},                 // C1 controls that 1252 gives other characters
        {u"e\u0301", "e?"},                      // a combining accent is not composed
        {u"x\U0001F600y", "x?y"},                // a surrogate pair is one character
        {std::u16string{u'\xD800', u'z'}, "?z"}, // a lone surrogate
        {std::u16string{u'z', u'\xDC00'}, "z?"},
    };
    for (const auto& [units, bytes] : cases)
        EXPECT_EQ(toAnsi(units), bytes) << bytes;
}

TEST(Codepage, CountsAndWritesNothingWhenTheTargetIsTooSmall) {
    const std::string bytes = "caf\xE9";
    char16_t units[4] = {u'-', u'-', u'-', u'-'};
    EXPECT_EQ(platform::ansiToUtf16(bytes.data(), bytes.size(), units, 3), 0u);
    EXPECT_EQ(std::u16string(units, 4), u"----");
    const std::u16string text = u"caf\u00E9\U0001F600";
    char out[5] = {'-', '-', '-', '-', '-'};
    EXPECT_EQ(platform::utf16ToAnsi(text.data(), text.size(), nullptr, 5), 5u);
    EXPECT_EQ(platform::utf16ToAnsi(text.data(), text.size(), out, 4), 0u);
    EXPECT_EQ(std::string(out, 5), "-----");
}

} // namespace
