#include "utils/ustring.h"

#include "support/Test.h"
#include "support/Throws.h"

#include <cstring>

using namespace std::string_literals;

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

// Up to 22 bytes live inline (capacity 22); more take a heap buffer by the capacity rule. An
// empty string is three zero words, so one in static storage is valid before it is constructed.
TEST(Ustring, KeepsTwentyTwoBytesInlineAndMoreInAHeapBufferByTheCapacityRule) {
    EXPECT_EQ(wordsOf(ustring()), (std::vector<std::uint64_t>{0, 0, 0}));
    const std::pair<std::size_t, std::size_t> rule[] = {{0, 22},  {22, 22}, {23, 31},
                                                        {31, 31}, {32, 47}, {100, 111}};
    for (const auto& [request, capacity] : rule) {
        EXPECT_EQ(ustring::capacityFor(request), capacity) << request;
        ustring s;
        s.reserve(request);
        EXPECT_EQ(s.capacity(), capacity) << request;
        const ustring made(std::string(request, 'x'));
        EXPECT_EQ(made.capacity(), capacity) << request;
        EXPECT_EQ(made.c_str()[request], '\0');
    }
}

TEST(Ustring, GrowsGeometricallyAndShrinksOnlyThroughReserve) {
    ustring full(std::string(31, 'a'));
    full.push_back('b');
    EXPECT_EQ(std::pair(full.capacity(), bytesOf(full)),
              std::pair(63ul, std::string(31, 'a') + "b"));
    ustring shortFull(std::string(22, 'a'));
    shortFull.append("cd", 2);
    EXPECT_EQ(shortFull.capacity(), 47u);
    ustring big(std::string(40, 'a'));
    big.append(std::string(100, 'b'));
    EXPECT_EQ(big.capacity(), ustring::capacityFor(140)); // the needed length beats doubling
    ustring s;
    s.reserve(100);
    const char* buffer = s.data();
    s.append(std::string(100, 'x'));
    s.insert(0, "ab", 2);
    s.erase(0, 50);
    s.replace(3, 2, "12345", 5);
    EXPECT_EQ(s.data(), buffer); // edits that fit never reallocate
    s.erase(5);
    s.reserve(0);
    EXPECT_EQ(std::pair(s.capacity(), bytesOf(s)), std::pair(22ul, std::string("xxx12")));
    ustring longer(std::string(30, 'a'));
    longer.reserve(10); // never below the length
    EXPECT_EQ(longer.capacity(), 31u);
    ustring reserved("abc");
    reserved.reserve(500);
    EXPECT_EQ(ustring(reserved).capacity(), 22u); // a copy's capacity follows the length
    const ustring moved(std::move(reserved));
    EXPECT_EQ(moved.capacity(), 511u);
    EXPECT_EQ(wordsOf(reserved), (std::vector<std::uint64_t>{0, 0, 0})); // NOLINT(use-after-move)
}

TEST(Ustring, AcceptsLengthsUpToTheLimitsAndThrowsBeyond) {
    EXPECT_EQ(ustring(ustring::kMaxLength, 'x').size(), 0xFFFFFEu);
    expectThrowsWithText<std::length_error>([] { ustring s(0xFFFFFF, 'x'); }, "ustring");
    const std::string source(0xFFFFFF, 'y');
    expectThrowsWithText<std::length_error>([&] { ustring s(source.data(), source.size()); },
                                            "ustring");
    expectThrowsWithText<std::length_error>([] { ustring().reserve(0xFFFFFF); }, "ustring");
    ustring grown(0xFFFFFC, 'x');
    grown.push_back('y'); // 0xFFFFFD: the largest grown length
    EXPECT_EQ(grown.capacity(), 0xFFFFFFu);
    expectThrowsWithText<std::length_error>([&] { grown.push_back('z'); }, "ustring");
    EXPECT_EQ(std::pair(grown.size(), grown[grown.size() - 1]), std::pair(0xFFFFFDul, 'y'));
}

// Construction accepts 0xFFFFFE bytes, one more than any lengthening may reach. Each way of
// lengthening a string, from the longest string there is as from shorter ones, either reaches at
// most 0xFFFFFD bytes or throws and leaves the string as it was; edits that do not lengthen the
// string always work.
TEST(Ustring, LengtheningStopsAtTheGrownLimitFromAnyLength) {
    struct Lengthening {
        const char* what;
        std::size_t added;
        std::function<void(ustring&)> apply;
    };
    const Lengthening operations[] = {
        {"push_back", 1, [](ustring& s) { s.push_back('y'); }},
        {"append 1", 1, [](ustring& s) { s.append("y", 1); }},
        {"append 2", 2, [](ustring& s) { s.append("yz", 2); }},
        {"append of its own bytes", 2, [](ustring& s) { s.append(s.data(), 2); }},
        {"appendFill", 2, [](ustring& s) { s.appendFill(2, 'y'); }},
        {"insert", 1, [](ustring& s) { s.insert(1, "y", 1); }},
        {"insertChar", 1, [](ustring& s) { s.insertChar(s.data(), 'y'); }},
        {"replace 1 by 2", 1, [](ustring& s) { s.replace(1, 1, "yz", 2); }},
        {"replace 1 by 1", 0, [](ustring& s) { s.replace(1, 1, "y", 1); }},
        {"resize", 1, [](ustring& s) { s.resize(s.size() + 1, 'y'); }},
        {"+= string", 2, [](ustring& s) { s += ustring("yz"); }},
        {"+= char", 1, [](ustring& s) { s += 'y'; }},
        {"+ char", 1, [](ustring& s) { s = s + 'y'; }},
        {"UTF-16 one unit longer", 1,
         [](ustring& s) { s.assignWString(std::u16string(s.size() + 1, u'y')); }},
    };
    for (const std::size_t start : {0xFFFFFEul, 0xFFFFFDul, 0xFFFFFCul, 0xFFFFFBul}) {
        std::string bytes(start, 'x');
        bytes.back() = 'e';
        const ustring original(bytes);
        for (const auto& [what, added, apply] : operations) {
            ustring s(original);
            if (added == 0 || start + added <= 0xFFFFFD) {
                apply(s);
                EXPECT_EQ(s.size(), start + added) << what << " from " << start;
                EXPECT_EQ(s.c_str()[s.size()], '\0') << what << " from " << start;
                continue;
            }
            expectThrowsWithText<std::length_error>([&] { apply(s); }, "ustring");
            EXPECT_TRUE(s == original && s.capacity() == original.capacity() &&
                        s.c_str()[start] == '\0')
                << what << " from " << start;
        }
    }
    // Near the limit a full buffer grows straight to the largest one, up to the limit.
    ustring full(0xFFFFEF, 'x');
    EXPECT_EQ(full.capacity(), 0xFFFFEFu);
    expectThrowsWithText<std::length_error>([&] { full.appendFill(15, 'y'); }, "ustring");
    EXPECT_EQ(std::pair(full.size(), full.capacity()), std::pair(0xFFFFEFul, 0xFFFFEFul));
    full.appendFill(14, 'y');
    EXPECT_EQ(std::pair(full.size(), full.capacity()), std::pair(0xFFFFFDul, 0xFFFFFFul));
}

TEST(Ustring, MisplacedPositionsThrowOutOfRangeAndChangeNothing) {
    ustring s("hello"), empty;
    char buffer[8];
    for (const std::function<void()>& misplaced : std::initializer_list<std::function<void()>>{
             [&] { s.erase(6); }, [&] { s.insert(6, "x", 1); }, [&] { s.replace(6, 1, "x", 1); },
             [&] { (void)s.at(5); }, [&] { (void)s.substr(6); },
             [&] { s.appendSub(ustring("ab"), 3); },
             [&] { (void)s.compare(0, 5, "x", ustring::npos); },
             [&] { (void)s.compare(6, 1, "x", 1); }, [&] { (void)s.copy(buffer, 1, 6); },
             [&] { empty.pop_back(); }, [&] { (void)empty.back(); }})
        expectThrowsWithText<std::out_of_range>(misplaced, "ustring");
    EXPECT_EQ(s.erase(5), "hello"); // unchanged; the end itself is a valid position
    EXPECT_EQ(*s.at(4), 'o');
}

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
    *s.back() = ',';
    s.pop_back();
    EXPECT_STREQ(s.c_str(), "zzzd!!!.");
    ustring filled(std::string(22, 'a'));
    const char* at = filled.insertChar(filled.data() + 5, 'Z');
    EXPECT_EQ(at, filled.data() + 5); // in the new buffer
    EXPECT_EQ(bytesOf(filled), "aaaaaZ" + std::string(17, 'a'));
}

TEST(Ustring, EditsWithASourceInsideTheStringActOnACopy) {
    using Edit = void (*)(ustring&, const char* source, std::size_t n);
    const std::string shortText = "0123456789";
    std::string mixed(31, 'a'); // forces reallocation on growth
    mixed[3] = 'X';
    mixed[30] = 'Y';
    const std::tuple<const char*, std::string, std::size_t, std::size_t, Edit> cases[] = {
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
    for (const auto& [name, text, from, count, edit] : cases) {
        ustring aliased(text);
        edit(aliased, aliased.data() + from, count);
        ustring expected(text);
        const std::string copy(text.c_str() + from, count);
        edit(expected, copy.data(), copy.size());
        EXPECT_EQ(bytesOf(aliased), bytesOf(expected)) << name;
        EXPECT_EQ(aliased.c_str()[aliased.size()], '\0') << name;
    }
    ustring s("abc");
    const ustring& same = s;
    s = same;
    s += same;
    s.appendSub(same, 1, 2);
    s.insertSub(0, same, 6);
    EXPECT_EQ(s, "bcabcabcbc");
}

TEST(Ustring, ConcatenationSizesTheBufferOnce) {
    const ustring ab = ustring(std::string(20, 'a')) + ustring(std::string(30, 'b'));
    EXPECT_EQ(std::pair(ab.capacity(), bytesOf(ab)),
              std::pair(ustring::capacityFor(50), std::string(20, 'a') + std::string(30, 'b')));
    EXPECT_EQ('<' + ("pre" + ustring("x") + "post") + '>', "<prexpost>");
}

TEST(Ustring, FindsForwardsAndBackwards) {
    const ustring s("abcabc");
    const std::pair<std::size_t, std::size_t> cases[] = {
        {s.find("bc", 2), 4},
        {s.find("bc", 5), ustring::npos},
        {s.find("", 6), 6}, // an empty needle at the end
        {s.find("", 7), ustring::npos},
        {s.findChar('c', 3), 5},
        {s.findFirstOf("", 0), ustring::npos},
        {s.findFirstOf("cb"), 1},
        {s.findFirstNotOf("ab"), 2},
        {s.findFirstNotOf("", 3), 3},
        {s.rfind("bc"), 4}, // npos: the last occurrence
        {s.rfind("abc", ustring::npos - 1), 3},
        {s.rfind(""), 6},
        {s.rfind("", 2), 2},
        {s.rfind("abcabcd"), ustring::npos},
        {s.rfindChar('c', 4), 2},
        {ustring().rfindChar('a'), ustring::npos},
        {s.findLastOf("ab"), 4},
        {s.findLastOf("", 3), ustring::npos},
        {s.findLastNotOf("c"), 4},
        {s.findLastNotOf("", 2), 2},
        {ustring().findLastNotOf("", 0), ustring::npos},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

TEST(Ustring, ComparesBytesUnsignedThenShorterFirst) {
    EXPECT_EQ(ustring("abc").compareCStr("abcd"), -1);
    EXPECT_GT(ustring("b").compareCStr("abc"), 0);
    EXPECT_EQ(ustring("abcd").compareTo(ustring("abc")), 1);
    EXPECT_GT(ustring("\x80").compareTo(ustring("\x7F")), 0);
    EXPECT_EQ(ustring("xbcx").compareRangeCStr(1, 2, "bc"), 0);
    EXPECT_EQ(ustring("xbcx").compareSub(1, 2, ustring("abcd"), 1, 2), 0);
    EXPECT_TRUE(ustring("\x80") > "\x7F");
    EXPECT_FALSE(ustring("a\0b", 3) == "a");
}

TEST(Ustring, ComparesNaturallyAndWithoutCaseOnUtf16) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"file9", "file12", -1}, {"file12a", "file12b", -1},
        {"a", "a1", -1},         {"file12", "file12", 0},
        {"x10y", "x9y", 1},      {"abc", "abd", -1},
        {"a2b", "a10", -1},      {"ab", "a", 1},
    };
    for (const auto& [a, b, sign] : cases) {
        const int r = ustring(a).compareNatural(ustring(b));
        EXPECT_EQ((r > 0) - (r < 0), sign) << a << " vs " << b;
    }
    EXPECT_EQ(ustring("a").compareNatural(ustring("a1")), -1);
    EXPECT_EQ(ustring("File9").compareNaturalNoCase(ustring("file9")), 0);
    EXPECT_LT(ustring("FILE9").compareNaturalNoCase(ustring("file12")), 0);
    EXPECT_NE(ustring("File9").compareNatural(ustring("file9")), 0);
    // Digit runs beyond 32 bits: atoi's values decide, and their difference cannot overflow.
    EXPECT_NE(ustring("a3000000000").compareNatural(ustring("a2147483647")), 0);
    EXPECT_EQ(ustring("\xC3\x84\x42\x43").compareNoCase(ustring("\xC3\xA4\x62\x63")),
              0);                                            // ÄBC, äbc
    EXPECT_LT(ustring("a").compareCollate(ustring("A")), 0); // the orders are textcompare's
    EXPECT_EQ(ustring("Ab").compareCollateNoCase(ustring("aB")), 0);
}

TEST(Ustring, ConvertsToAndFromUtf16) {
    const std::pair<ustring, std::u16string> toUtf16[] = {
        {ustring("ab\0cd", 5), u"ab"}, // NUL in the ASCII run ends it
        {ustring("a\xC3\xA9\0b", 5), u"a\u00E9\0b"s},
        {ustring("a\xC3", 2), u"a"}, // cut sequence
        {"\xF0\x9F\x98\x80!", u"\U0001F600!"},
        {"a\xF4\x90\x80\x80", u"a"}, // above U+10FFFF
    };
    for (const auto& [text, units] : toUtf16)
        EXPECT_EQ(text.toWString(), units) << text.c_str();
    EXPECT_EQ(ustring("x\xE2\x82\xAC").toUtf16BEBytes(), "\xFE\xFF\0x\x20\xAC"s);
    EXPECT_EQ(ustring::fromWide(u"a\u00E9\u20AC\U0001F600"),
              "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(ustring::fromUtf16(u"abc\xDC00", 4), ""); // unpaired low surrogate
    EXPECT_EQ(ustring::fromUtf16(u"abc\xD800", 4), ""); // high surrogate last
    ustring s("old");
    s.assignUtf16(u"", 0);
    EXPECT_TRUE(s.empty());
}

// Only the 512-byte chunks completed before the one holding an illegal unit or a final high
// surrogate are kept; into a roomy string the chunks are written in place. (fuzz_stored_text
// compares the conversions with the plain converter loops on any input.)
TEST(Ustring, Utf16ConversionKeepsTheChunksBeforeTheOneThatFails) {
    const std::string a510(510, 'a'), a512(512, 'a');
    const std::pair<std::u16string, std::string> cases[] = {
        {std::u16string(511, u'a') + u"\xDC00", ""},
        {std::u16string(512, u'a') + u"\xDC00", ""}, // reported before the full chunk
        {std::u16string(513, u'a') + u"\xDC00", a512},
        {std::u16string(513, u'a') + u"\xD800", a512},
        {std::u16string(510, u'a') + u"\u20AC\xDC00", a510}, // the euro sign ends the chunk early
        {std::u16string(510, u'a') + u"\U0001F600", a510 + "\xF0\x9F\x98\x80"},
        {std::u16string(1100, u'a') + u"\xDC00", std::string(1024, 'a')},
    };
    for (const auto& [units, bytes] : cases) {
        EXPECT_EQ(bytesOf(ustring::fromWString(units)), bytes) << units.size();
        ustring roomy;
        roomy.reserve(1500);
        roomy.assignWString(units);
        EXPECT_EQ(bytesOf(roomy), bytes) << units.size();
        EXPECT_TRUE(roomy.c_str()[bytes.size()] == '\0' &&
                    roomy.capacity() == ustring::capacityFor(1500));
    }
}

TEST(Ustring, DecodesByteBuffersByTheirMarks) {
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"UTF-16LE mark", "\xFF\xFE\x61\0"s, "a"},
        {"UTF-16LE unmarked", "a\0b\0"s, "ab"},
        {"UTF-16BE mark", "\xFE\xFF\0a\0\xE9"s, "a\xC3\xA9"},
        {"UTF-16BE unmarked, odd byte ignored", "\0a\0b\0"s, "ab"},
        {"UTF-8 mark", "\xEF\xBB\xBF\x61", "a"},
        {"UTF-8 unmarked", "plain \xC3\xA9", "plain \xC3\xA9"},
        {"UTF-32BE mark", "\0\0\xFE\xFF\0\x01\xF6\0"s, "\xF0\x9F\x98\x80"},
        {"UTF-32LE mark", "\xFF\xFE\0\0\x61\0\0\0"s, "a"},
        {"UTF-32LE unmarked, tail ignored", "a\0\0\0b\0\0\0c"s, "ab"},
        {"UTF-32BE unmarked", "\0\0\0a"s, "a"},
        {"UTF-32 above U+10FFFF", "\0\0\0a\0\x11\0\0"s, ""},
        {"UTF-16 unpaired surrogate", "a\0\0\xDC"s, ""},
        {"one byte", "x", "x"},
        {"empty", "", ""},
    };
    for (const auto& [name, bytes, text] : cases)
        EXPECT_EQ(bytesOf(ustring::fromBytes(bytes)), text) << name;
}

TEST(Ustring, MapsCaseOfPrintableAsciiAndReadsNumbersLikeTheRuntime) {
    const ustring s("\x41\x42\x43\x7E \x1F\xC3\x89z");
    EXPECT_EQ(bytesOf(s.toLower()), "\x61\x62\x63\x7E \x1F\xC3\x89z");
    EXPECT_EQ(bytesOf(s.toUpper()), "\x41\x42\x43\x7E \x1F\xC3\x89Z");
    EXPECT_EQ(std::tuple(ustring("  -42xyz").toInt(), ustring("abc").toInt(),
                         ustring("2.5e1").toDouble()),
              std::tuple(-42, 0, 25.0));
}

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

} // namespace
