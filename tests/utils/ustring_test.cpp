// Tests of ustring: the storage forms and limits, editing (also with sources inside the
// string), search, comparison, and the UTF-16 and byte-buffer conversions.
#include "utils/ustring.h"

#include "encoding/ConvertUTF.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string bytesOf(const ustring& s) {
    return {s.data(), s.size()};
}

// The three 64-bit words of the value, as laid out in memory.
std::vector<std::uint64_t> wordsOf(const ustring& s) {
    std::vector<std::uint64_t> w(3);
    std::memcpy(w.data(), &s, 24);
    return w;
}

bool isInline(const ustring& s) {
    const auto* self = reinterpret_cast<const char*>(&s);
    return s.data() >= self && s.data() < self + sizeof s;
}

template <typename Exception, typename F>
void expectThrowsWithText(F&& f) {
    try {
        f();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "ustring");
    }
}

} // namespace

// --- storage -------------------------------------------------------------------------------

TEST(Ustring, DefaultIsThreeZeroWords) {
    const ustring s;
    EXPECT_EQ(wordsOf(s), (std::vector<std::uint64_t>{0, 0, 0}));
    EXPECT_EQ(s.size(), 0u);
    EXPECT_STREQ(s.c_str(), "");
}

TEST(Ustring, KeepsTwentyTwoBytesInlineAndAllocatesFor23) {
    const ustring s22(std::string(22, 'x'));
    EXPECT_TRUE(isInline(s22));
    EXPECT_EQ(s22.capacity(), 22u);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&s22)[0], 44); // 2 x length
    EXPECT_EQ(s22.c_str()[22], '\0');

    const ustring s23(std::string(23, 'x'));
    EXPECT_FALSE(isInline(s23));
    EXPECT_EQ(s23.capacity(), 31u);
    const auto w = wordsOf(s23);
    EXPECT_EQ(w[0], 32u | 1u); // allocation size with the long-form bit
    EXPECT_EQ(w[1], 23u);
    EXPECT_EQ(bytesOf(s23), std::string(23, 'x'));
}

TEST(Ustring, CapacityRuleMatchesExamples) {
    const std::pair<std::size_t, std::size_t> cases[] = {{0, 22},  {22, 22}, {23, 31},
                                                         {31, 31}, {32, 47}, {100, 111}};
    for (const auto& [request, capacity] : cases) {
        EXPECT_EQ(ustring::capacityFor(request), capacity) << request;
        ustring s;
        s.reserve(request);
        EXPECT_EQ(s.capacity(), capacity) << request;
    }
}

TEST(Ustring, GrowsGeometricallyFromAFullString) {
    ustring s(std::string(31, 'a'));
    ASSERT_EQ(s.capacity(), 31u);
    s.push_back('b');
    EXPECT_EQ(s.capacity(), 63u);
    EXPECT_EQ(bytesOf(s), std::string(31, 'a') + "b");

    ustring shortFull(std::string(22, 'a'));
    shortFull.append("cd", 2);
    EXPECT_EQ(shortFull.capacity(), 47u);

    ustring big(std::string(40, 'a'));
    big.append(std::string(100, 'b'));
    EXPECT_EQ(big.capacity(), ustring::capacityFor(140)); // the needed length beats doubling
}

TEST(Ustring, EditsThatFitNeverReallocate) {
    ustring s;
    s.reserve(100);
    const char* buffer = s.data();
    for (int i = 0; i < 100; ++i) {
        s.push_back('x');
    }
    s.insert(0, "ab", 2);
    s.erase(0, 50);
    s.replace(3, 2, "12345", 5);
    EXPECT_EQ(s.data(), buffer);
    EXPECT_EQ(s.capacity(), 111u);
}

TEST(Ustring, ReserveMovesBackToTheShortForm) {
    ustring s(std::string(40, 'a'));
    s.erase(5);
    ASSERT_EQ(s.capacity(), 47u);
    s.reserve(0);
    EXPECT_TRUE(isInline(s));
    EXPECT_EQ(s.capacity(), 22u);
    EXPECT_EQ(bytesOf(s), "aaaaa");
    EXPECT_EQ(wordsOf(s)[0] & 0xFF, 10u);

    ustring longer(std::string(30, 'a'));
    longer.reserve(10); // never below the length
    EXPECT_EQ(longer.capacity(), 31u);
    longer.reserve(200);
    EXPECT_EQ(longer.capacity(), 207u);
    EXPECT_EQ(bytesOf(longer), std::string(30, 'a'));
}

TEST(Ustring, CopyCapacityFollowsTheLength) {
    ustring s("abc");
    s.reserve(500);
    const ustring copy(s);
    EXPECT_EQ(copy.capacity(), 22u);
    EXPECT_EQ(copy, "abc");

    ustring moved(std::move(s));
    EXPECT_EQ(moved.capacity(), 511u);
    EXPECT_EQ(wordsOf(s), (std::vector<std::uint64_t>{0, 0, 0})); // NOLINT(bugprone-use-after-move)
}

TEST(Ustring, AcceptsLengthsUpToTheLimits) {
    const ustring biggest(ustring::kMaxLength, 'x');
    EXPECT_EQ(biggest.size(), 0xFFFFFEu);
    expectThrowsWithText<std::length_error>([] { ustring s(0xFFFFFF, 'x'); });
    const std::string source(0xFFFFFF, 'y');
    expectThrowsWithText<std::length_error>([&] { ustring s(source.data(), source.size()); });
    expectThrowsWithText<std::length_error>([] { ustring().reserve(0xFFFFFF); });

    ustring grown(0xFFFFFC, 'x');
    grown.push_back('y'); // 0xFFFFFD: the largest grown length
    EXPECT_EQ(grown.size(), 0xFFFFFDu);
    EXPECT_EQ(grown.capacity(), 0xFFFFFFu);
    expectThrowsWithText<std::length_error>([&] { grown.push_back('z'); });
    EXPECT_EQ(grown.size(), 0xFFFFFDu);
    EXPECT_EQ(grown[grown.size() - 1], 'y');
}

TEST(Ustring, MisplacedPositionsThrowOutOfRangeAndChangeNothing) {
    ustring s("hello");
    expectThrowsWithText<std::out_of_range>([&] { s.erase(6); });
    expectThrowsWithText<std::out_of_range>([&] { s.insert(6, "x", 1); });
    expectThrowsWithText<std::out_of_range>([&] { s.replace(6, 1, "x", 1); });
    expectThrowsWithText<std::out_of_range>([&] { (void)s.at(5); });
    expectThrowsWithText<std::out_of_range>([&] { (void)s.substr(6); });
    expectThrowsWithText<std::out_of_range>([&] { s.appendSub(ustring("ab"), 3); });
    expectThrowsWithText<std::out_of_range>([&] { (void)s.compare(0, 5, "x", ustring::npos); });
    expectThrowsWithText<std::out_of_range>([&] { (void)s.compare(6, 1, "x", 1); });
    char buffer[8];
    expectThrowsWithText<std::out_of_range>([&] { (void)s.copy(buffer, 1, 6); });
    EXPECT_EQ(s, "hello");
    EXPECT_EQ(s.erase(5), "hello"); // the end itself is a valid position
    EXPECT_EQ(*s.at(4), 'o');
}

// --- editing -------------------------------------------------------------------------------

TEST(Ustring, EditsKeepTheTerminatingNul) {
    ustring s("abcdef");
    s.erase(1, 2);
    EXPECT_STREQ(s.c_str(), "adef");
    s.resize(2);
    EXPECT_STREQ(s.c_str(), "ad");
    s.resize(5, '!');
    EXPECT_STREQ(s.c_str(), "ad!!!");
    s.replaceFill(0, 1, 3, 'z');
    EXPECT_STREQ(s.c_str(), "zzzd!!!");
    s.insertFill(7, 2, '.');
    EXPECT_STREQ(s.c_str(), "zzzd!!!..");
    s.replaceCStr(0, ustring::npos, "x");
    EXPECT_STREQ(s.c_str(), "x");
}

TEST(UstringBack, GivesAndRemovesTheLastCharacter) {
    ustring s("ab");
    EXPECT_EQ(*s.back(), 'b');
    *s.back() = 'c';
    s.pop_back();
    EXPECT_EQ(s, "a");
    EXPECT_EQ(s.c_str()[1], '\0');
    s.pop_back();
    EXPECT_TRUE(s.empty());
    EXPECT_THROW(s.pop_back(), std::out_of_range);
    EXPECT_THROW(s.back(), std::out_of_range);
}

TEST(Ustring, InsertCharReturnsThePlaceInTheNewBuffer) {
    ustring s(std::string(22, 'a'));
    char* at = s.insertChar(s.data() + 5, 'Z');
    EXPECT_FALSE(isInline(s));
    EXPECT_EQ(at, s.data() + 5);
    EXPECT_EQ(*at, 'Z');
    EXPECT_EQ(s.size(), 23u);
}

TEST(Ustring, EditsWithASourceInsideTheStringActOnACopy) {
    // (initial text, edit applied with a source inside the string, the same edit's source
    // copied out first)
    using Edit = void (*)(ustring&, const char* source, std::size_t n);
    struct Case {
        const char* name;
        std::string text;
        std::size_t from, n;
        Edit edit;
    };
    const std::string shortText = "0123456789";
    const std::string fullText(31, 'a'); // forces reallocation on growth
    std::string mixed = fullText;
    mixed[3] = 'X';
    mixed[30] = 'Y';
    const Case cases[] = {
        {"insert at the front", shortText, 2, 5,
         [](ustring& s, const char* p, std::size_t n) { s.insert(0, p, n); }},
        {"insert inside the source", shortText, 2, 5,
         [](ustring& s, const char* p, std::size_t n) { s.insert(4, p, n); }},
        {"insert while reallocating", mixed, 0, 31,
         [](ustring& s, const char* p, std::size_t n) { s.insert(10, p, n); }},
        {"replace overlapping", shortText, 3, 6,
         [](ustring& s, const char* p, std::size_t n) { s.replace(1, 2, p, n); }},
        {"replace shrinking", shortText, 5, 5,
         [](ustring& s, const char* p, std::size_t n) { s.replace(0, 8, p, n); }},
        {"replace while reallocating", mixed, 1, 30,
         [](ustring& s, const char* p, std::size_t n) { s.replace(2, 1, p, n); }},
        {"assign a tail", shortText, 4, 6,
         [](ustring& s, const char* p, std::size_t n) { s.assign(p, n); }},
        {"append itself", mixed, 0, 31,
         [](ustring& s, const char* p, std::size_t n) { s.append(p, n); }},
        {"append with the NUL", shortText, 8, 3,
         [](ustring& s, const char* p, std::size_t n) { s.append(p, n); }},
    };
    for (const Case& c : cases) {
        ustring aliased(c.text);
        c.edit(aliased, aliased.data() + c.from, c.n);

        ustring expected(c.text);
        const std::string copy(c.text.c_str() + c.from, c.n);
        c.edit(expected, copy.data(), copy.size());

        EXPECT_EQ(bytesOf(aliased), bytesOf(expected)) << c.name;
        EXPECT_EQ(aliased.c_str()[aliased.size()], '\0') << c.name;
    }
}

TEST(Ustring, SelfAssignmentAndSelfAppendKeepTheText) {
    ustring s("abc");
    ustring& same = s;
    s = same;
    EXPECT_EQ(s, "abc");
    s += same;
    EXPECT_EQ(s, "abcabc");
    s.appendSub(same, 1, 2);
    EXPECT_EQ(s, "abcabcbc");
    s.insertSub(0, same, 6);
    EXPECT_EQ(s, "bcabcabcbc");
}

TEST(Ustring, ConcatenationSizesTheBufferOnce) {
    const ustring a(std::string(20, 'a'));
    const ustring b(std::string(30, 'b'));
    const ustring ab = a + b;
    EXPECT_EQ(ab.capacity(), ustring::capacityFor(50));
    EXPECT_EQ(bytesOf(ab), std::string(20, 'a') + std::string(30, 'b'));
    EXPECT_EQ(ustring("x") + 'y', "xy");
    EXPECT_EQ('y' + ustring("x"), "yx");
    EXPECT_EQ("pre" + ustring("x") + "post", "prexpost");
}

// --- search --------------------------------------------------------------------------------

TEST(Ustring, FindsForwards) {
    const ustring s("abcabc");
    EXPECT_EQ(s.find("bc"), 1u);
    EXPECT_EQ(s.find("bc", 2), 4u);
    EXPECT_EQ(s.find("bc", 5), ustring::npos);
    EXPECT_EQ(s.find("", 6), 6u); // an empty needle at the end
    EXPECT_EQ(s.find("", 7), ustring::npos);
    EXPECT_EQ(s.findChar('c', 3), 5u);
    EXPECT_EQ(s.findChar('c', 6), ustring::npos);
    EXPECT_EQ(s.findFirstOf("", 0), ustring::npos);
    EXPECT_EQ(s.findFirstOf("cb"), 1u);
    EXPECT_EQ(s.findFirstNotOf("ab"), 2u);
    EXPECT_EQ(s.findFirstNotOf("", 3), 3u);
    EXPECT_EQ(s.findFirstNotOf("abc"), ustring::npos);
}

TEST(Ustring, FindsBackwardsFromTheDefaultPosition) {
    const ustring s("abcabc");
    EXPECT_EQ(s.rfind("bc"), 4u); // npos: the last occurrence
    EXPECT_EQ(s.rfind("bc", 3), 1u);
    EXPECT_EQ(s.rfind("bc", 4), 4u);
    EXPECT_EQ(s.rfind("abc", ustring::npos - 1), 3u);
    EXPECT_EQ(s.rfind(""), 6u);
    EXPECT_EQ(s.rfind("", 2), 2u);
    EXPECT_EQ(s.rfind("abcabcd"), ustring::npos);
    EXPECT_EQ(s.rfindChar('a'), 3u);
    EXPECT_EQ(s.rfindChar('c', 4), 2u);
    EXPECT_EQ(ustring().rfindChar('a'), ustring::npos);
    EXPECT_EQ(s.findLastOf("ab"), 4u);
    EXPECT_EQ(s.findLastOf("", 3), ustring::npos);
    EXPECT_EQ(s.findLastNotOf("c"), 4u);
    EXPECT_EQ(s.findLastNotOf("", ustring::npos), 5u);
    EXPECT_EQ(s.findLastNotOf("", 2), 2u);
    EXPECT_EQ(ustring().findLastNotOf("", 0), ustring::npos);
}

// --- comparison ----------------------------------------------------------------------------

TEST(Ustring, ComparesBytesUnsignedThenShorterFirst) {
    EXPECT_EQ(ustring("abc").compareCStr("abcd"), -1);
    EXPECT_GT(ustring("b").compareCStr("abc"), 0);
    EXPECT_EQ(ustring("abcd").compareCStr("abc"), 1);
    EXPECT_GT(ustring("\x80").compareTo(ustring("\x7F")), 0);
    EXPECT_EQ(ustring("abc").compareTo(ustring("abcd")), -1);
    EXPECT_EQ(ustring("abcd").compareTo(ustring("abc")), 1);
    EXPECT_EQ(ustring("xbcx").compareRangeCStr(1, 2, "bc"), 0);
    EXPECT_EQ(ustring("xbcx").compareSub(1, 2, ustring("abcd"), 1, 2), 0);
    EXPECT_TRUE(ustring("a") < ustring("b"));
    EXPECT_TRUE(ustring("\x80") > "\x7F");
    EXPECT_TRUE(ustring("a\0b", 3) == ustring("a\0b", 3));
    EXPECT_FALSE(ustring("a\0b", 3) == "a");
}

TEST(Ustring, ComparesNaturally) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"file9", "file12", -1}, {"file12a", "file12b", -1},
        {"a", "a1", -1},         {"file12", "file12", 0},
        {"x10y", "x9y", 1},      {"abc", "abd", -1},
        {"a2b", "a10", -1},      {"ab", "a", 1},
    };
    for (const Case& c : cases) {
        const int r = ustring(c.a).compareNatural(ustring(c.b));
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    }
    EXPECT_EQ(ustring("a").compareNatural(ustring("a1")), -1);
    EXPECT_EQ(ustring("File9").compareNaturalNoCase(ustring("file9")), 0);
    EXPECT_LT(ustring("FILE9").compareNaturalNoCase(ustring("file12")), 0);
    EXPECT_NE(ustring("File9").compareNatural(ustring("file9")), 0);
    // Digit runs beyond 32 bits: atoi's values decide, and their difference cannot overflow.
    EXPECT_NE(ustring("a3000000000").compareNatural(ustring("a2147483647")), 0);
}

TEST(Ustring, ComparesWithoutCaseAndCollatesOnUtf16) {
    EXPECT_EQ(ustring("\xC3\x84"
                      "BC")
                  .compareNoCase(ustring("\xC3\xA4"
                                         "bc")),
              0); // Ä, ä
    EXPECT_LT(ustring("abc").compareNoCase(ustring("ABD")), 0);
    EXPECT_LT(ustring("a").compareCollate(ustring("A")), 0);
    EXPECT_LT(ustring("A").compareCollate(ustring("b")), 0);
    EXPECT_EQ(ustring("Ab").compareCollateNoCase(ustring("aB")), 0);
}

// --- conversions ---------------------------------------------------------------------------

TEST(Ustring, ConvertsToUtf16) {
    EXPECT_EQ(ustring("ab\0cd", 5).toWString(), u"ab"); // NUL in the ASCII run ends it
    EXPECT_EQ(ustring("a\xC3\xA9\0b", 5).toWString(), std::u16string(u"a\u00E9\0b", 4));
    EXPECT_EQ(ustring("a\xC3", 2).toWString(), u"a");                    // cut sequence
    EXPECT_EQ(ustring("ab\xE0\x80\x80z").toWString(), u"ab");            // overlong
    EXPECT_EQ(ustring("\xF0\x9F\x98\x80!").toWString(), u"\U0001F600!"); // surrogate pair
    EXPECT_EQ(ustring("a\xF4\x8F\xBF\xBF").toWString(), u"a\U0010FFFF");
    EXPECT_EQ(ustring("a\xF4\x90\x80\x80").toWString(), u"a"); // above U+10FFFF
    EXPECT_EQ(ustring("a\xF0\x8F\xBF\xBF").toWString(), u"a"); // overlong
    EXPECT_EQ(ustring("a\xED\xA0\x80"
                      "b")
                  .toWString(),
              u"a");                                                 // encoded surrogate
    EXPECT_EQ(ustring("a\xDF\xBF\xC1\xBF").toWString(), u"a\u07FF"); // overlong 2-byte
    EXPECT_EQ(ustring("x\xE2\x82\xAC").toUtf16BEBytes(), std::string("\xFE\xFF\0x\x20\xAC", 6));
}

TEST(Ustring, ConvertsFromUtf16) {
    EXPECT_EQ(ustring::fromWide(u"a\u00E9\u20AC\U0001F600"),
              "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(ustring::fromUtf16(u"abc\xDC00", 4), ""); // unpaired low surrogate
    EXPECT_EQ(ustring::fromUtf16(u"abc\xD800", 4), ""); // high surrogate last
    ustring s("old");
    s.assignUtf16(u"", 0);
    EXPECT_EQ(s, "");
}

TEST(Ustring, KeepsOnlyTheChunksBeforeAnIllegalUnit) {
    // 511 ASCII units and an e-acute do not fit one 512-byte chunk: the first chunk ends
    // after the ASCII run and is kept; the second holds the offending unit and is dropped.
    std::u16string units(511, u'a');
    units += u"\u00E9b\xDC00";
    EXPECT_EQ(bytesOf(ustring::fromWString(units)), std::string(511, 'a'));

    // A chunk filled exactly is still dropped when the next unit is illegal: the converter
    // reports the illegal unit before the full target.
    std::u16string full(512, u'a');
    full += u'\xDC00';
    EXPECT_EQ(ustring::fromWString(full), "");

    std::u16string legal(1000, u'z');
    legal += u"\u00E9";
    EXPECT_EQ(bytesOf(ustring::fromWString(legal)), std::string(1000, 'z') + "\xC3\xA9");
}

namespace {

// The conversions as the plain converter loops give them, without the ASCII shortcuts; the
// UTF-8 result is appended chunk by chunk to a string of the given reserved capacity.
ustring referenceFromUtf16(const std::u16string& units, std::size_t reserved = 0) {
    ustring result;
    result.reserve(reserved);
    const UTF16* source = units.data();
    const UTF16* const end = source + units.size();
    while (source != end) {
        UTF8 chunk[512];
        UTF8* target = chunk;
        const ConversionResult r =
            ConvertUTF16toUTF8(&source, end, &target, chunk + 512, strictConversion);
        if (r == sourceExhausted || r == sourceIllegal) {
            break;
        }
        result.append(reinterpret_cast<const char*>(chunk), target - chunk);
    }
    return result;
}

std::u16string referenceToUtf16(const std::string& bytes) {
    std::u16string result;
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] > 0) {
        result += static_cast<char16_t>(bytes[i++]);
    }
    if (i == bytes.size() || bytes[i] == 0) {
        return result;
    }
    const auto* source = reinterpret_cast<const UTF8*>(bytes.data() + i);
    const auto* const end = reinterpret_cast<const UTF8*>(bytes.data() + bytes.size());
    for (;;) {
        UTF16 chunk[512];
        UTF16* target = chunk;
        const ConversionResult r =
            ConvertUTF8toUTF16(&source, end, &target, chunk + 512, strictConversion);
        result.append(chunk, target);
        if (r != targetExhausted) {
            return result;
        }
    }
}

} // namespace

TEST(Ustring, Utf16ConversionsMatchThePlainConverterLoops) {
    std::mt19937 random(12345);
    const char16_t pieces[] = {u'a', u'~', 0x7F, 0x80, 0xE9, 0x20AC, 0xD83D, 0xDE00, 0, u'\n'};
    for (int round = 0; round < 300; ++round) {
        std::u16string units;
        const std::size_t length = random() % 1600;
        const bool withSurrogates = round % 3 == 0;
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t pick = random() % (withSurrogates ? 10 : 6);
            units += (pick < 6 || random() % 50 == 0) ? pieces[pick] : u'b';
        }
        const ustring converted = ustring::fromWString(units);
        ASSERT_EQ(bytesOf(converted), bytesOf(referenceFromUtf16(units))) << "round " << round;
        // Into a roomy string the chunks are written in place: same bytes, same capacity.
        const std::size_t room = random() % 5000;
        ustring roomy;
        roomy.reserve(room);
        const ustring expected = referenceFromUtf16(units, room);
        roomy.assignWString(units);
        ASSERT_EQ(bytesOf(roomy), bytesOf(expected)) << "round " << round;
        ASSERT_EQ(roomy.capacity(), expected.capacity()) << "round " << round;

        std::string bytes = bytesOf(converted);
        if (round % 4 == 0 && !bytes.empty()) {
            bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
        }
        ASSERT_EQ(ustring(bytes).toWString(), referenceToUtf16(bytes)) << "round " << round;
    }
}

TEST(Ustring, Utf16ConversionMatchesTheConverterAtChunkBoundaries) {
    const std::u16string tails[] = {u"\xDC00",       u"\xD800",          u"\xD800x",
                                    u"\U0001F600",   u"\u00E9",          u"\u20AC\xDC00",
                                    u"\u00E9\xDC00", u"\U0001F600\xD800"};
    for (std::size_t ascii = 505; ascii <= 515; ++ascii) {
        for (const std::u16string& tail : tails) {
            const std::u16string units = std::u16string(ascii, u'a') + tail;
            EXPECT_EQ(bytesOf(ustring::fromWString(units)), bytesOf(referenceFromUtf16(units)))
                << ascii << " ASCII units, then tail of " << tail.size();
            ustring roomy(std::string(600, 'x'));
            roomy.assignWString(units);
            EXPECT_EQ(bytesOf(roomy), bytesOf(referenceFromUtf16(units)))
                << ascii << " ASCII units in place, then tail of " << tail.size();
            EXPECT_EQ(roomy.c_str()[roomy.size()], '\0');
        }
    }
}

TEST(Ustring, DecodesByteBuffersByTheirMarks) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"UTF-16LE mark",
         std::string("\xFF\xFE"
                     "a\0",
                     4),
         "a"},
        {"UTF-16LE unmarked", std::string("a\0b\0", 4), "ab"},
        {"UTF-16BE mark", std::string("\xFE\xFF\0a\0\xE9", 6), "a\xC3\xA9"},
        {"UTF-16BE unmarked, odd byte ignored", std::string("\0a\0b\0", 5), "ab"},
        {"UTF-8 mark",
         "\xEF\xBB\xBF"
         "a",
         "a"},
        {"UTF-8 unmarked", "plain \xC3\xA9", "plain \xC3\xA9"},
        {"UTF-32BE mark", std::string("\0\0\xFE\xFF\0\x01\xF6\0", 8), "\xF0\x9F\x98\x80"},
        {"UTF-32LE mark",
         std::string("\xFF\xFE\0\0"
                     "a\0\0\0",
                     8),
         "a"},
        {"UTF-32LE unmarked, tail ignored", std::string("a\0\0\0b\0\0\0c", 9), "ab"},
        {"UTF-32BE unmarked", std::string("\0\0\0a", 4), "a"},
        {"UTF-32 above U+10FFFF", std::string("\0\0\0a\0\x11\0\0", 8), ""},
        {"UTF-16 unpaired surrogate", std::string("a\0\0\xDC", 4), ""},
        {"one byte", "x", "x"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bytesOf(ustring::fromBytes(c.bytes)), c.text) << c.name;
    }
}

TEST(Ustring, MapsCaseOfPrintableAsciiOnly) {
    const ustring s("\x41\x42\x43\x7E \x1F\xC3\x89z", 9);
    EXPECT_EQ(bytesOf(s.toLower()), std::string("\x61\x62\x63\x7E \x1F\xC3\x89z", 9));
    EXPECT_EQ(bytesOf(s.toUpper()), std::string("\x41\x42\x43\x7E \x1F\xC3\x89Z", 9));
}

TEST(Ustring, ReadsNumbersLikeTheRuntime) {
    EXPECT_EQ(ustring("  -42xyz").toInt(), -42);
    EXPECT_EQ(ustring("abc").toInt(), 0);
    EXPECT_DOUBLE_EQ(ustring("2.5e1").toDouble(), 25.0);
}

// --- streams -------------------------------------------------------------------------------

TEST(Ustring, StreamsWordsLikeStdString) {
    std::istringstream in("  alpha beta\tgammadelta");
    ustring word("keep");
    in >> word;
    EXPECT_EQ(word, "alpha");
    in >> word;
    EXPECT_EQ(word, "beta");
    in.width(5);
    in >> word;
    EXPECT_EQ(word, "gamma");
    in >> word >> word;
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(word, "delta"); // nothing could start: the target stays as it was

    std::ostringstream out;
    out << ustring("ab\0cd", 5) << '|';
    EXPECT_EQ(out.str(), "ab|");
}
