#include "utils/TextUtils.h"

#include "support/HexBytes.h"
#include "support/Test.h"
#include "support/Throws.h"

using namespace std::string_literals;

namespace {

ustring u8(const std::u16string& wide) {
    return ustring::fromWString(wide);
}

// Each vector also decodes back; the 48 bytes whose text is the whole alphabet, in order, hold
// every symbol of the table.
TEST(Base64, EncodesAndDecodesTheRfc4648VectorsAndEverySymbolInBothFormsAndRefusesMalformedText) {
    const std::string alphabet =
        fromHex("00108310518720928B30D38F41149351559761969B71D79F8218A39259A7"
                "A29AABB2DBAFC31CB3D35DB7E39EBBF3DFBF");
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"a\0b"s, "YQBi"},
        {alphabet, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"},
    };
    ustring reused(alphabet.data(), alphabet.size());
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(base64Encode(bytes.data(), bytes.size()).view(), text);
        base64Encode(bytes.data(), bytes.size(), reused);
        EXPECT_EQ(reused.view(), text);
        std::string decoded = "old";
        EXPECT_TRUE(base64Decode(text, decoded)) << text;
        EXPECT_EQ(decoded, bytes);
    }
    const unsigned char high[] = {0xFB, 0xFF, 0xBF, 0x61};
    EXPECT_EQ(base64Encode(high, sizeof high), "+/+/YQ==");
    EXPECT_EQ(base64UrlEncode(high, sizeof high), "-_-_YQ");
    EXPECT_EQ(base64UrlEncode("fo", 2), "Zm8");
    EXPECT_EQ(base64Encode(ustring("a\0b", 3)), "YQBi");
    EXPECT_EQ(base64UrlEncode(alphabet.data(), alphabet.size()).toStdString().substr(62), "-_");
    // Not a multiple of 4, Base64url's symbol, padding inside a group or before the last one.
    for (const char* text : {"Zm8", "Zm9-", "Z=8=", "Zg==Zm8=", "===="}) {
        std::string bytes = "old";
        EXPECT_FALSE(base64Decode(text, bytes)) << text;
        EXPECT_EQ(bytes, "") << text;
    }
}

TEST(TextUtils, WritesHexTrimsAndTellsTrimAndSeparatorCharacters) {
    const unsigned char bytes[] = {0x00, 0xAB, 0x7F};
    EXPECT_EQ(toHex(bytes, sizeof bytes), "00AB7F");
    EXPECT_EQ(trim("\t a b \r\n"), "a b");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trimUnicode(u8(u"\u3000\u200Bab c\u205F\u200B")), "ab c");
    EXPECT_EQ(trimUnicode(u8(u"\u00A0a\u00A0")), u8(u"\u00A0a\u00A0"));
    EXPECT_EQ(trimUnicode(u8(u" \u2000\u200F\u202F ")), "");
    EXPECT_TRUE(isBlank(ustring()) && isBlank(u8(u" \t\r\n\u3000\u200D")));
    EXPECT_FALSE(isBlank(u8(u"\u00A0")) || isBlank(u8(u" x ")));
    EXPECT_TRUE(isTrimChar(0x2000) && isTrimChar(0x200F));
    EXPECT_FALSE(isTrimChar(0x2010) || isTrimChar(0x1FFF));
    EXPECT_TRUE(isListSeparator(u',') && isListSeparator(0x3001));
    EXPECT_FALSE(isListSeparator(u';') || isListSeparator(0xFF0C));
    EXPECT_EQ(toLower("AbZ[@\xC3\x89"), "abz[@\xC3\x89");
}

TEST(TextUtils, SplitStringLeavesOutEmptyPieces) {
    const std::pair<const char*, std::vector<ustring>> cases[] = {
        {"/a//b/", {"a", "b"}}, {"a", {"a"}}, {"", {}}, {"///", {}}, {"x/y\\z", {"x", "y\\z"}},
    };
    for (const auto& [text, pieces] : cases)
        EXPECT_EQ(splitString(text, '/'), pieces) << text;
}

TEST(TextUtils, PercentDecodeHandlesEscapesAndLeavesBadOnesAlone) {
    const std::pair<const char*, std::string> cases[] = {
        {"a%20b", "a b"},
        {"%00x", "\0x"s},
        {"%ff%FE", "\xFF\xFE"},
        {"%u20AC", "\xE2\x82\xAC"},
        {"%u0041%U00e9", "A\xC3\xA9"},
        {"%%41", "%A"},
        {"%uD83D%uDE00", "\xF0\x9F\x98\x80"},
    };
    for (const auto& [in, expected] : cases)
        EXPECT_EQ(percentDecode(in).view(), expected) << in;
    for (const char* bad :
         {"100%", "% 20", "%4", "%4g", "%g4", "%+1", "%u004", "%u00zz1", "%uD83Dx", "%uDE00"})
        EXPECT_EQ(percentDecode(bad).view(), bad);
}

TEST(TextUtils, FoldsFullWidthFormsAndWritesKanjiNumeralRunsInDecimal) {
    EXPECT_EQ(toHalfWidth(u8(u"\uFF21\uFF01\uFF5E\uFF10")), "A!~0");
    EXPECT_EQ(toHalfWidth(u8(u"\u3000\uFF5F\uFF00a")), u8(u"\u3000\uFF5F\uFF00a"));
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\u4E8C\u5341\u4E09", u"23"},
        {u"\u5341", u"10"},
        {u"\u767E\u4E8C", u"102"},
        {u"\u4E8C\u767E\u4E09\u5341\u56DB\u4E07\u4E94\u5343\u516D\u767E\u4E03\u5341\u516B",
         u"2345678"},
        {u"\u5341\u767E", u"\u5341\u767E"}, // malformed runs stay as they are
        {u"\u4E00\u4E8C", u"\u4E00\u4E8C"},
        {u"\u7B2C\u4E09\u7AE0 p\u4E5D", u"\u7B2C3\u7AE0 p9"},
        {u"\u4E8C\u5343\u4E07", u"20000000"},
        {u"\u4E5D\u5343\u4E5D\u767E\u4E5D\u5341\u4E5D\u4E07\u4E5D\u5343\u4E5D\u767E\u4E5D\u5341"
         u"\u4E5D",
         u"99999999"},
    };
    for (const auto& [in, expected] : cases)
        EXPECT_EQ(replaceKanjiNumbers(u8(in)), u8(expected));
    for (const std::u16string run :
         {u"\u5341\u767E", u"\u4E00\u4E8C", u"\u4E8C\u5341\u5343", u"\u4E07\u4E07", u""}) {
        expectThrowsWithText<std::out_of_range>([&] { kanjiToNumber(run); },
                                                "invalid kanji number");
    }
    EXPECT_TRUE(isKanjiDigit(0x4E07));
    EXPECT_FALSE(isKanjiDigit(0x96F6));
}

} // namespace
