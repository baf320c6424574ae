// Tests of marker substitution, the printf-style engine and number text.
#include "utils/ustring.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

// --- markers ----------------------------------------------------------------------------------

TEST(UstringArg, FindsTheLastMarkerOfEachDigitInDigitOrder) {
    ustring::size_type markers[10];
    ustring("%3a%1b%3%%0%").findArgMarkers(markers);
    EXPECT_EQ(markers[0], 9u); // "%0" after a '%' that is no marker
    EXPECT_EQ(markers[1], 3u);
    EXPECT_EQ(markers[2], 6u); // the later "%3" wins
    EXPECT_EQ(markers[3], ustring::npos);
    EXPECT_EQ(markers[9], ustring::npos);
}

TEST(UstringArg, ReplacesTheLowestDigitsLastMarker) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"%1 and %0", "%1 and a"},
        {"x%0y%0", "x%0ya"},
        {"plain", "plain"},
        {"end%", "end%"},
        {"%a%", "%a%"},
        {"ze%0", "zea"},
        {"%9%5", "%9a"},
        {"userFields/%0", "userFields/a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ustring(c.text).arg("a"), c.expected) << c.text;
}

TEST(UstringArg, ChainedCallsSubstituteMarkersThatEarlierTextBroughtIn) {
    EXPECT_EQ(ustring("%0%1").arg("x").arg("y"), "xy");
    EXPECT_EQ(ustring("%0%1").arg("%1").arg("b"), "%1b");
    EXPECT_EQ(ustring("%1-%2").arg("%0").arg("z"), "z-%2"); // "%0" is now the lowest marker
}

TEST(UstringArg, FieldWidthPadsOnTheLeftAndCutsText) {
    EXPECT_EQ(ustring("%0").arg("7", 3, '0'), "007");
    EXPECT_EQ(ustring("%0").arg("12345", 2), "12");
    EXPECT_EQ(ustring("[%0]").arg("ab", 2), "[ab]");
    EXPECT_EQ(ustring("[%0]").arg("ab", -4), "[ab]");
    EXPECT_EQ(ustring("%0").argChar('q'), "q");
}

TEST(UstringArg, NumbersUseStreamInsertion) {
    EXPECT_EQ(ustring("%0").argInt(12345, 2), "12345");
    EXPECT_EQ(ustring("%0").argInt(255, 0, 16), "ff");
    EXPECT_EQ(ustring("%0").argInt(255, 0, 7), "255");
    EXPECT_EQ(ustring("%0").argInt(8, 0, 8), "10");
    EXPECT_EQ(ustring("%0").argInt(42, 5, 10, '*'), "***42");
    EXPECT_EQ(ustring("%0").argInt(-5, 4, 10, '0'), "00-5");
    EXPECT_EQ(ustring("%0").argShort(-1, 0, 16), "ffff");
    EXPECT_EQ(ustring("%0").argUShort(65535), "65535");
    EXPECT_EQ(ustring("%0").argUInt(4294967295u), "4294967295");
    EXPECT_EQ(ustring("%0").argLong(-4000000000L), "-4000000000");
    EXPECT_EQ(ustring("%0").argULong(0x1234567890UL, 0, 16), "1234567890");
    EXPECT_EQ(ustring("%0").argInt64(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(ustring("%0").argUInt64(UINT64_MAX), "18446744073709551615");
    EXPECT_EQ(ustring("no marker").argInt(1), "no marker");
}

TEST(UstringArg, DoublesTakePrecisionAndNotation) {
    EXPECT_EQ(ustring("%0").argDouble(3.14159, 2, 'f'), "3.14");
    EXPECT_EQ(ustring("%0").argDouble(1234.5, 2, 'e'), "1.23e+03");
    EXPECT_EQ(ustring("%0").argDouble(1234.5, 2, 'g'), "1.2e+03");
    EXPECT_EQ(ustring("%0").argDouble(0.5), "0.5");
    EXPECT_EQ(ustring("%0").argDouble(2.5, -1, 'f', 10, '_'), "__2.500000");
}

// --- the format engine ------------------------------------------------------------------------

// The format goes through a variable so the compiler does not check it against printf's rules.
template <typename... Args>
ustring fmt(const char* format, Args... args) {
    return ustring::format(format, args...);
}

TEST(UstringFormat, LiteralsAndInvalidConversions) {
    EXPECT_EQ(fmt("%d%%", 5), "5%");
    EXPECT_EQ(fmt("plain text"), "plain text");
    EXPECT_EQ(fmt(""), "");
    EXPECT_EQ(fmt("%y"), "y");
    EXPECT_EQ(fmt("a%Fb"), "aFb");
    EXPECT_EQ(fmt("%-5y|"), "-|"); // the character after '%'; the rest of the conversion drops
    EXPECT_EQ(fmt("%zd", 1), "zd");
    EXPECT_EQ(fmt("%Lf", 1.0), "Lf");
    EXPECT_EQ(fmt("%n"), "n");
    EXPECT_EQ(fmt("abc%"), "abc");
    EXPECT_EQ(fmt("abc%12"), "abc");
    EXPECT_EQ(fmt("abc%."), "abc");
    EXPECT_EQ(fmt("abc%-0 +#"), "abc");
    EXPECT_EQ(fmt("abc%ll"), "abc");
}

// The engine writes most numbers itself; every flag, width and precision must give the C
// library's text.
TEST(UstringFormat, NumbersReadAsTheRuntimeFormatterWritesThem) {
    const long long integers[] = {0, 1, -1, 42, INT_MIN, INT_MAX, LLONG_MIN, LLONG_MAX};
    const double doubles[] = {0.0,  -0.0,  0.5,     2.5,          -1e-5,    123456.789,
                              1e16, 1e300, DBL_MAX, DBL_TRUE_MIN, INFINITY, -NAN};
    char expected[1024];
    for (const char* flags : {"", "-", "+", " ", "#", "0", "+0", " 0", "#0", "-#"})
        for (const char* width : {"", "1", "9"})
            for (const char* precision : {"", ".", ".0", ".3", ".17"}) {
                const std::string head = std::string("%") + flags + width + precision;
                for (const char conversion : std::string("diouxXc")) {
                    for (const std::string size : {"", "h", "ll"}) {
                        if (conversion == 'c' && !size.empty())
                            continue;
                        const std::string format = head + size + conversion;
                        for (const long long value : integers) {
                            if (size == "ll") {
                                std::snprintf(expected, sizeof expected, format.c_str(), value);
                                EXPECT_EQ(fmt(format.c_str(), value), expected) << format << value;
                            } else {
                                const int narrow = static_cast<int>(value);
                                std::snprintf(expected, sizeof expected, format.c_str(), narrow);
                                EXPECT_EQ(fmt(format.c_str(), narrow), expected) << format << value;
                            }
                        }
                    }
                }
                for (const char conversion : std::string("eEfgG")) {
                    const std::string format = head + conversion;
                    for (const double value : doubles) {
                        std::snprintf(expected, sizeof expected, format.c_str(), value);
                        EXPECT_EQ(fmt(format.c_str(), value), expected) << format << value;
                    }
                }
            }
}

TEST(UstringFormat, IntegersBeyondTheRuntimeFormatter) {
    EXPECT_EQ(fmt("%D|%O|%U", -3, 8, 7), "-3|10|7");
    EXPECT_EQ(fmt("%c", 0x141), "A");            // the low 8 bits
    EXPECT_EQ(fmt("a%cb", 0), "ab");             // the text ends at the NUL character
    EXPECT_EQ(fmt("[%3c|%-3c]", 0, 0), "[  |]"); // and so does the padding after it
}

TEST(UstringFormat, LengthModifiersReadTheArgumentAtItsWidth) {
    EXPECT_EQ(fmt("%hd", 70000), "4464");
    EXPECT_EQ(fmt("%-6hd|", static_cast<short>(-12)), "-12   |");
    EXPECT_EQ(fmt("%ld", 1L << 40), "1099511627776");
    EXPECT_EQ(fmt("%lu", ULONG_MAX), "18446744073709551615");
    EXPECT_EQ(fmt("%qd", -1LL), "-1");
    EXPECT_EQ(fmt("%s#%ld", "EmbeddedGraphic", 12L), "EmbeddedGraphic#12");
    EXPECT_EQ(fmt("EmbeddedGraphic#%lu", 3000000000UL), "EmbeddedGraphic#3000000000");
    EXPECT_EQ(fmt("%d %ld %d", 1, 2L, 3), "1 2 3");
}

TEST(UstringFormat, DoublesAndPointers) {
    EXPECT_EQ(fmt("%lf", 1.5), "1.500000");
    EXPECT_EQ(fmt("%.*f", 2, 3.14159), "3.14");
    EXPECT_EQ(fmt("%*.*f|", 8, 2, 3.14159), "    3.14|");
    EXPECT_EQ(fmt("%p", static_cast<void*>(nullptr)), "(nil)");
    EXPECT_EQ(fmt("%p", reinterpret_cast<void*>(0x10)), "0x10");
    EXPECT_EQ(fmt(" (page %d)", 3), " (page 3)");
    EXPECT_EQ(fmt("alternateText%d", 0), "alternateText0");
}

TEST(UstringFormat, Strings) {
    EXPECT_EQ(fmt("%5s|%-5s|", "ab", "cd"), "   ab|cd   |");
    EXPECT_EQ(fmt("%05s", "ab"), "   ab");
    EXPECT_EQ(fmt("%.2s", "abcdef"), "ab");
    EXPECT_EQ(fmt("%.0s|", "abc"), "|");
    EXPECT_EQ(fmt("%.10s", "abc"), "abc");
    EXPECT_EQ(fmt("%.*s", 3, "abcdef"), "abc");
    EXPECT_EQ(fmt("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(fmt("%10s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(fmt("%*d", 4, 7), "   7");
}

TEST(UstringFormat, PositionalArgumentsFillUsedSlotsInOrder) {
    EXPECT_EQ(fmt("%2$s-%1$d", 7, "x"), "x-7");
    EXPECT_EQ(fmt("%1$s %1$s", "a"), "a a");
    EXPECT_EQ(fmt("%3$d", 9), "9"); // slots 0 and 1 stay unused
    EXPECT_EQ(fmt("%2$*1$d|", 5, 42), "   42|");
    EXPECT_EQ(fmt("%1$.*2$f", 3.14159, 2), "3.14");
    EXPECT_EQ(fmt("%*3$d|", 7, 4), "   7|"); // width from the 3rd slot, value numbered next
}

TEST(UstringFormat, PositionsAreLimitedByTheSlotCount) {
    EXPECT_EQ(fmt("%4$d", 1), "1");      // one '%': four slots, index 3 accepted
    EXPECT_EQ(fmt("%5$d", 1), "");       // index 4 abandons the call
    EXPECT_EQ(fmt("a%0$db", 1), "a0db"); // "0" is the zero flag, "$" an invalid character
    std::string percents;
    for (int i = 0; i < 90; ++i)
        percents += "%%";
    const std::string expected(90, '%');
    EXPECT_EQ(fmt((percents + "%254$d").c_str(), 6), (expected + "6").c_str());
    EXPECT_EQ(fmt((percents + "%255$d").c_str(), 6), ""); // above the 8-bit positions
}

TEST(UstringFormat, OneArgumentUsedAsTwoTypesAbandonsTheCall) {
    EXPECT_EQ(fmt("%1$d %1$s", 5), "");
    EXPECT_EQ(fmt("%1$d %1$ld", 5L), "");
}

void appendTo(ustring& target, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    ustring::appendFormat(target, format, args);
    va_end(args);
}

ustring viaVformat(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    ustring result = ustring::vformat(format, args);
    va_end(args);
    return result;
}

TEST(UstringFormat, AppendFormatAddsToTheTargetAndKeepsItWhenAbandoned) {
    ustring target("keep");
    appendTo(target, "%5$d", 1);
    EXPECT_EQ(target, "keep");
    appendTo(target, "-%d-%s", 1, "two");
    EXPECT_EQ(target, "keep-1-two");
    EXPECT_EQ(viaVformat("%s=%d", "k", 3), "k=3");
}

TEST(UstringFormat, ManyConversionsSpillToTheHeap) {
    std::string format;
    for (int i = 0; i < 70; ++i)
        format += "%1$d,";
    std::string expected;
    for (int i = 0; i < 70; ++i)
        expected += "7,";
    EXPECT_EQ(fmt(format.c_str(), 7), expected.c_str());
}

// --- unsafe inputs are measured before anything is written ---------------------------------

TEST(UstringFormat, NegativeStarWidthLeftJustifies) {
    EXPECT_EQ(fmt("%*d|", -5, 42), "42   |");
    EXPECT_EQ(fmt("%0*d|", -5, 42), "42   |");
    EXPECT_EQ(fmt("%*s|", -4, "ab"), "ab  |");
    EXPECT_EQ(fmt("%.*d|", -3, 42), "42|"); // a negative precision counts as none
    EXPECT_EQ(fmt("%.*s|", -1, "abc"), "abc|");
}

TEST(UstringFormat, LongResultsAreWrittenWholeBeyondTheStackBuffer) {
    const ustring padded = fmt("%600d", 1);
    EXPECT_EQ(padded.size(), 600u);
    EXPECT_EQ(padded, ustring(599, ' ') + "1");
    EXPECT_EQ(fmt("%-700s|", "x").size(), 701u);

    // 1e308 in fixed notation has 309 digits before the point.
    const ustring huge = fmt("%.300f", 1e308);
    ASSERT_EQ(huge.size(), 309u + 1u + 300u);
    EXPECT_EQ(huge.substr(0, 17), "10000000000000000");
    EXPECT_EQ(huge.substr(309).toStdString(), "." + std::string(300, '0'));
    EXPECT_EQ(fmt("%.*e", 1000, 1.0).size(), 2u + 1000u + 4u);
    EXPECT_EQ(fmt("x%*.*f", 900, 100, -1e300).size(), 1u + 900u);
}

TEST(UstringFormat, ResultsBeyondTheStringLimitThrow) {
    const auto tooLong = [](auto call) {
        try {
            call();
        } catch (const std::length_error& e) {
            return std::string(e.what()) == "ustring";
        }
        return false;
    };
    EXPECT_TRUE(tooLong([] { fmt("%*d", INT_MIN, 1); }));
    EXPECT_TRUE(tooLong([] { fmt("%*d", INT_MAX, 1); }));
    EXPECT_TRUE(tooLong([] { fmt("%99999999999d", 1); }));
    EXPECT_TRUE(tooLong([] { fmt("%.*f", INT_MAX, 1.0); }));
    EXPECT_TRUE(tooLong([] { fmt("%.2000000000g", 1.0); }));
    EXPECT_TRUE(tooLong([] { fmt("%*s", 0x1000000, "x"); }));
    EXPECT_TRUE(tooLong([] { fmt("%*s", INT_MIN, "x"); }));
}

// --- number text ------------------------------------------------------------------------------

TEST(UstringNumber, TrimsTrailingZerosAndThePoint) {
    struct Case {
        double value;
        int decimals;
        const char* expected;
        bool nonZero;
    } cases[] = {
        {2.5, 3, "2.5", true},   {2.0, 2, "2", true},          {10.0, 1, "10", true},
        {0.0004, 3, "0", false}, {-0.0001, 2, "0", false},     {1.5, 0, "2", true},
        {100.0, 0, "100", true}, {123.456, 2, "123.46", true}, {-2.5, 2, "-2.5", true},
        {0.0, 0, "0", false},    {1000.0, 3, "1000", true},    {0.05, 1, "0.1", true},
    };
    for (const Case& c : cases) {
        ustring text("old");
        EXPECT_EQ(text.setNumber(c.value, c.decimals), c.nonZero) << c.value;
        EXPECT_EQ(text, c.expected) << c.value << " " << c.decimals;
        EXPECT_EQ(ustring::number(c.value, c.decimals), c.expected);
    }
}

} // namespace
