#include "utils/ustring.h"

#include "support/Test.h"
#include "support/Throws.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

TEST(UstringArg, ReplacesTheLowestDigitsLastMarkerWithPaddedOrCutText) {
    const std::pair<ustring, const char*> cases[] = {
        {ustring("%1 and %0").arg("a"), "%1 and a"},
        {ustring("x%0y%0").arg("a"), "x%0ya"},
        {ustring("plain").arg("a"), "plain"},
        {ustring("end%").arg("a"), "end%"},
        {ustring("%a%").arg("a"), "%a%"},
        {ustring("%9%5").arg("a"), "%9a"},
        {ustring("%%0").arg("a"), "%a"},               // "%0" after a '%' that is no marker
        {ustring("%0%1").arg("%1").arg("b"), "%1b"},   // a marker the text brought in is not used
        {ustring("%1-%2").arg("%0").arg("z"), "z-%2"}, // unless it is now the lowest
        {ustring("%0").arg("7", 3, '0'), "007"},
        {ustring("%0").arg("12345", 2), "12"},
        {ustring("[%0]").arg("ab", -4), "[ab]"},
        {ustring("%0").argChar('q'), "q"},
        {ustring("%0").argInt(12345, 2), "12345"}, // numbers are padded, never cut
        {ustring("%0").argInt(255, 0, 16), "ff"},
        {ustring("%0").argInt(255, 0, 7), "255"},
        {ustring("%0").argInt(8, 0, 8), "10"},
        {ustring("%0").argInt(42, 5, 10, '*'), "***42"},
        {ustring("%0").argInt(-5, 4, 10, '0'), "00-5"},
        {ustring("%0").argShort(-1, 0, 16), "ffff"},
        {ustring("%0").argUShort(65535), "65535"},
        {ustring("%0").argUInt(4294967295u), "4294967295"},
        {ustring("%0").argLong(-4000000000L), "-4000000000"},
        {ustring("%0").argULong(0x1234567890UL, 0, 16), "1234567890"},
        {ustring("%0").argInt64(INT64_MIN), "-9223372036854775808"},
        {ustring("%0").argUInt64(UINT64_MAX), "18446744073709551615"},
        {ustring("no marker").argInt(1), "no marker"},
        {ustring("%0").argDouble(3.14159, 2, 'f'), "3.14"},
        {ustring("%0").argDouble(1234.5, 2, 'e'), "1.23e+03"},
        {ustring("%0").argDouble(1234.5, 2, 'g'), "1.2e+03"},
        {ustring("%0").argDouble(0.5), "0.5"},
        {ustring("%0").argDouble(2.5, -1, 'f', 10, '_'), "__2.500000"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

// The numbers are padded in the string as text is and as the format engine pads "%*d": up to the
// string limit, and a wider field throws as format does (the stream would pad on the stack).
TEST(UstringArg, PadsNumbersUpToTheStringLimitAndThrowsBeyondAsFormatDoes) {
    const ustring marker("%0");
    for (const int width : {9'000'000, static_cast<int>(ustring::kMaxGrownLength)}) {
        SCOPED_TRACE(width);
        const ustring padded = ustring::format("%*d", width, 7);
        ASSERT_EQ(padded.size(), static_cast<std::size_t>(width));
        EXPECT_TRUE(marker.argInt(7, width) == padded);
        EXPECT_TRUE(marker.arg("7", width) == padded);
        EXPECT_TRUE(marker.argUInt64(7, width) == padded);
        EXPECT_TRUE(marker.argDouble(7.0, 0, 'f', width) == padded);
        const ustring zeros = marker.argInt(-5, width, 10, '0');
        EXPECT_TRUE(zeros == ustring(static_cast<std::size_t>(width) - 2, '0') + "-5");
    }
    const int past = static_cast<int>(ustring::kMaxGrownLength) + 1;
    for (const auto& tooLong : std::initializer_list<std::function<void()>>{
             [&] { marker.argInt(7, past); }, [&] { marker.argInt(7, INT_MAX); },
             [&] { marker.argShort(7, INT_MAX, 16); }, [&] { marker.argUInt64(7, past); },
             [&] { marker.argDouble(7.0, -1, 'g', past); },
             [&] { ustring("ab%0").argInt(7, past - 2); }, [&] { marker.arg("7", past); },
             [&] { ustring::format("%*d", past, 7); }})
        expectThrowsWithText<std::length_error>(tooLong, "ustring");
}

// argDouble's text is printf's for its precision, written in the string whatever its length.
TEST(UstringArg, DoublesTakeAnyPrecisionUpToTheStringLimit) {
    const ustring marker("%0");
    const ustring fixed = marker.argDouble(1.0, 9'000'000, 'f');
    ASSERT_EQ(fixed.size(), 9'000'002u);
    EXPECT_TRUE(fixed == ustring::format("%.*f", 9'000'000, 1.0));
    EXPECT_EQ(marker.argDouble(1.5, 9'000'000, 'g'), "1.5");
    EXPECT_EQ(marker.argDouble(1.0, -5, 'e'), "1.000000e+00"); // a negative precision is 6
    EXPECT_EQ(marker.argDouble(-INFINITY, 3, 'f', 6), "  -inf");
    expectThrowsWithText<std::length_error>([&] { marker.argDouble(1.0, INT_MAX, 'e'); },
                                            "ustring");
}

// --- the format engine ------------------------------------------------------------------------

// The format goes through a variable so the compiler does not check it against printf's rules.
template <typename... Args>
ustring fmt(const char* format, Args... args) {
    return ustring::format(format, args...);
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

// Conversions the engine gives its own meaning, or reads beyond the C library's rules. A format
// that names an argument beyond its 3 x ('%' count) + 1 slots, or uses one argument as two
// types, appends nothing.
TEST(UstringFormat, FormatsLiteralsLengthsStringsAndPositionsByItsOwnRules) {
    std::string repeated, sevens; // 70 conversions spill the per-call arrays to the heap
    for (int i = 0; i < 70; ++i) {
        repeated += "%1$d,";
        sevens += "7,";
    }
    const std::string percents(180, '%'); // 90 "%%": 271 slots
    const std::pair<ustring, std::string> cases[] = {
        {fmt("%d%%", 5), "5%"},
        {fmt("%y"), "y"}, // the character after '%'; the rest of the conversion drops
        {fmt("%-5y|"), "-|"},
        {fmt("%zd", 1), "zd"},
        {fmt("%Lf", 1.0), "Lf"},
        {fmt("%n"), "n"},
        {fmt("abc%"), "abc"},
        {fmt("abc%12"), "abc"},
        {fmt("abc%."), "abc"},
        {fmt("abc%-0 +#"), "abc"},
        {fmt("abc%ll"), "abc"},
        {fmt("%D|%O|%U", -3, 8, 7), "-3|10|7"},
        {fmt("%c", 0x141), "A"},            // the low 8 bits
        {fmt("a%cb", 0), "ab"},             // the text ends at the NUL character
        {fmt("[%3c|%-3c]", 0, 0), "[  |]"}, // and so does the padding after it
        {fmt("%ld", 1L << 40), "1099511627776"},
        {fmt("%lu", ULONG_MAX), "18446744073709551615"},
        {fmt("%qd", -1LL), "-1"},
        {fmt("%d %ld %d", 1, 2L, 3), "1 2 3"},
        {fmt("%lf", 1.5), "1.500000"},
        {fmt("%*.*f|", 8, 2, 3.14159), "    3.14|"},
        {fmt("%p", static_cast<void*>(nullptr)), "(nil)"},
        {fmt("%p", reinterpret_cast<void*>(0x10)), "0x10"},
        {fmt("%5s|%-5s|", "ab", "cd"), "   ab|cd   |"},
        {fmt("%05s", "ab"), "   ab"},
        {fmt("%.2s", "abcdef"), "ab"},
        {fmt("%.0s|", "abc"), "|"},
        {fmt("%.10s", "abc"), "abc"},
        {fmt("%.*s", 3, "abcdef"), "abc"},
        {fmt("%s", static_cast<const char*>(nullptr)), "(null)"},
        {fmt("%10s", static_cast<const char*>(nullptr)), "(null)"},
        {fmt("%*d|", -5, 42), "42   |"}, // a negative star width left-justifies
        {fmt("%0*d|", -5, 42), "42   |"},
        {fmt("%*s|", -4, "ab"), "ab  |"},
        {fmt("%.*d|", -3, 42), "42|"}, // a negative precision counts as none
        {fmt("%.*s|", -1, "abc"), "abc|"},
        {fmt("%2$s-%1$d", 7, "x"), "x-7"},
        {fmt("%1$s %1$s", "a"), "a a"},
        {fmt("%3$d", 9), "9"}, // slots 0 and 1 stay unused
        {fmt("%2$*1$d|", 5, 42), "   42|"},
        {fmt("%1$.*2$f", 3.14159, 2), "3.14"},
        {fmt("%*3$d|", 7, 4), "   7|"}, // width from the 3rd slot, value numbered next
        {fmt("%4$d", 1), "1"},          // one '%': four slots, index 3 accepted
        {fmt("%5$d", 1), ""},           // index 4 abandons the call
        {fmt("a%0$db", 1), "a0db"},     // "0" is the zero flag, "$" an invalid character
        {fmt((percents + "%254$d").c_str(), 6), std::string(90, '%') + "6"},
        {fmt((percents + "%255$d").c_str(), 6), ""}, // above the 8-bit positions
        {fmt("%1$d %1$s", 5), ""},
        {fmt("%1$d %1$ld", 5L), ""},
        {fmt(repeated.c_str(), 7), sevens},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first.toStdString(), cases[i].second) << "case " << i;
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
    for (const auto& tooLong : std::initializer_list<std::function<void()>>{
             [] { fmt("%*d", INT_MIN, 1); }, [] { fmt("%*d", INT_MAX, 1); },
             [] { fmt("%99999999999d", 1); }, [] { fmt("%.*f", INT_MAX, 1.0); },
             [] { fmt("%.2000000000g", 1.0); }, [] { fmt("%*s", 0x1000000, "x"); },
             [] { fmt("%*s", INT_MIN, "x"); }})
        expectThrowsWithText<std::length_error>(tooLong, "ustring");
}

// --- number text ------------------------------------------------------------------------------

TEST(UstringNumber, TrimsTrailingZerosAndThePoint) {
    const std::tuple<double, int, const char*, bool> cases[] = {
        {2.5, 3, "2.5", true}, {0.0004, 3, "0", false},      {-0.0001, 2, "0", false},
        {1.5, 0, "2", true},   {123.456, 2, "123.46", true}, {-2.5, 2, "-2.5", true},
        {0.0, 0, "0", false},  {1000.0, 3, "1000", true},    {0.05, 1, "0.1", true},
    };
    for (const auto& [value, decimals, expected, nonZero] : cases) {
        ustring text("old");
        EXPECT_EQ(text.setNumber(value, decimals), nonZero) << value;
        EXPECT_EQ(text, expected) << value << " " << decimals;
        EXPECT_EQ(ustring::number(value, decimals), expected);
    }
}

} // namespace
