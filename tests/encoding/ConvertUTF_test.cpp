#include "encoding/ConvertUTF.h"

#include "support/Test.h"
#include "support/UtfConversion.h"

namespace {

using Bytes = std::vector<UTF8>;
using Units = std::vector<UTF16>;
using Values = std::vector<UTF32>;

template <typename Unit, typename Text>
std::vector<Unit> unitsOf(Text text) {
    return std::vector<Unit>(text.begin(), text.end());
}

// Checks a conversion's result, units consumed and output, and that it broke no rule.
template <typename To>
void expectConversion(const Conversion<To>& got, ConversionResult result, std::size_t consumed,
                      const std::vector<To>& produced) {
    EXPECT_EQ(got.fault, nullptr);
    EXPECT_EQ(got.result, result);
    EXPECT_EQ(got.consumed, consumed);
    EXPECT_EQ(got.produced, produced);
}

// The values at the edges of each encoded length, one by one out of UTF-32 and all together
// between the other forms. (fuzz_convert round-trips arbitrary well-formed text.)
TEST(ConvertUTF, ConvertsTheBoundaryValuesOfEachLengthBetweenEveryPairOfForms) {
    const std::tuple<UTF32, std::string_view, std::u16string_view> cases[] = {
        {0x0000, {"", 1}, {u"", 1}},
        {0x007F, "\x7F", u"\x7F"},
        {0x0080, "\xC2\x80", u"\x80"},
        {0x07FF, "\xDF\xBF", u"\x7FF"},
        {0x0800, "\xE0\xA0\x80", u"\x800"},
        {0xD7FF, "\xED\x9F\xBF", u"\xD7FF"},
        {0xE000, "\xEE\x80\x80", u"\xE000"},
        {0xFFFF, "\xEF\xBF\xBF", u"\xFFFF"},
        {0x10000, "\xF0\x90\x80\x80", u"\xD800\xDC00"},
        {0x1F600, "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
    };
    Values values;
    Bytes utf8;
    Units utf16;
    for (const auto& [value, bytes, units] : cases) {
        SCOPED_TRACE(value);
        expectConversion(convertRoomy(ConvertUTF32toUTF8, Values{value}), conversionOK, 1,
                         unitsOf<UTF8>(bytes));
        expectConversion(convertRoomy(ConvertUTF32toUTF16, Values{value}), conversionOK, 1,
                         unitsOf<UTF16>(units));
        const Bytes sequence = unitsOf<UTF8>(bytes);
        EXPECT_TRUE(isLegalUTF8(sequence.data(), static_cast<int>(sequence.size())));
        values.push_back(value);
        utf8.insert(utf8.end(), bytes.begin(), bytes.end());
        utf16.insert(utf16.end(), units.begin(), units.end());
    }
    expectConversion(convertRoomy(ConvertUTF8toUTF16, utf8), conversionOK, utf8.size(), utf16);
    expectConversion(convertRoomy(ConvertUTF8toUTF32, utf8), conversionOK, utf8.size(), values);
    expectConversion(convertRoomy(ConvertUTF16toUTF8, utf16), conversionOK, utf16.size(), utf8);
    expectConversion(convertRoomy(ConvertUTF16toUTF32, utf16), conversionOK, utf16.size(), values);
}

// Ill-formed UTF-8 stops both UTF-8 decoders the same way in both modes: the legality test runs
// before anything is written. (case, input, result, bytes consumed, units produced)
TEST(ConvertUTF, StopsBothUtf8DecodersAtIllFormedInputInBothModes) {
    const std::tuple<const char*, Bytes, ConversionResult, std::size_t, Units> cases[] = {
        // overlong forms at their upper edge, and the obsolete five-byte form
        {"7F in two bytes", {0xC1, 0xBF}, sourceIllegal, 0, {}},
        {"7FF in three bytes", {0xE0, 0x9F, 0xBF}, sourceIllegal, 0, {}},
        {"FFFF in four bytes", {0xF0, 0x8F, 0xBF, 0xBF}, sourceIllegal, 0, {}},
        {"overlong after a letter", {0x41, 0xC0, 0xAF, 0x42}, sourceIllegal, 1, {0x41}},
        {"five-byte form", {0xF8, 0x88, 0x80, 0x80, 0x80}, sourceIllegal, 0, {}},
        // surrogates encoded in UTF-8
        {"first surrogate", {0xED, 0xA0, 0x80}, sourceIllegal, 0, {}},
        {"surrogate after a letter", {0x41, 0xED, 0xB0, 0x80}, sourceIllegal, 1, {0x41}},
        // values above U+10FFFF
        {"110000", {0xF4, 0x90, 0x80, 0x80}, sourceIllegal, 0, {}},
        {"lead F5", {0xF5, 0x80, 0x80, 0x80}, sourceIllegal, 0, {}},
        {"110000 after a letter", {0x41, 0xF4, 0x90, 0x80, 0x80}, sourceIllegal, 1, {0x41}},
        // truncated sequences: the length check comes first, so a truncated sequence is
        // sourceExhausted even when its bytes so far are already ill-formed
        {"lead byte alone", {0xC3}, sourceExhausted, 0, {}},
        {"emoji missing a byte", {0x41, 0xF0, 0x9F, 0x98}, sourceExhausted, 1, {0x41}},
        {"overlong start", {0xE0, 0x80}, sourceExhausted, 0, {}},
        {"lead FF", {0x41, 0xFF}, sourceExhausted, 1, {0x41}},
        {"complete then truncated", {0xC3, 0xA9, 0xE2}, sourceExhausted, 2, {0xE9}},
        // broken continuations
        {"stray continuation byte", {0x80}, sourceIllegal, 0, {}},
        {"stray after a letter", {0x41, 0xBF, 0x42}, sourceIllegal, 1, {0x41}},
        {"letter in place of a continuation", {0xC3, 0x41}, sourceIllegal, 0, {}},
        {"lead byte in place of a continuation", {0xC2, 0xC0}, sourceIllegal, 0, {}},
        {"letter as last byte", {0xE2, 0x82, 0x41}, sourceIllegal, 0, {}},
        // ED and F4 bound their second byte from above only in the classic table; it must
        // still be a continuation byte, or the letter would vanish into a wrong value.
        {"letter after ED", {0xED, 0x41, 0x80}, sourceIllegal, 0, {}},
        {"letter after F4", {0xF4, 0x41, 0x80, 0x80}, sourceIllegal, 0, {}},
    };
    for (const auto& [what, input, result, consumed, produced] : cases) {
        for (ConversionFlags flags : {strictConversion, lenientConversion}) {
            SCOPED_TRACE(std::string(what) + (flags == strictConversion ? " strict" : " lenient"));
            expectConversion(convertRoomy(ConvertUTF8toUTF16, input, flags), result, consumed,
                             produced);
            expectConversion(convertRoomy(ConvertUTF8toUTF32, input, flags), result, consumed,
                             Values(produced.begin(), produced.end()));
        }
        // The legality test refuses the sequence where the decoders stopped.
        const UTF8* stop = input.data() + consumed;
        EXPECT_FALSE(isLegalUTF8Sequence(stop, input.data() + input.size())) << what;
    }
    // A length other than 1 to 4, or a range that ends early or is empty, is refused too.
    const Bytes euro{0xE2, 0x82, 0xAC};
    EXPECT_TRUE(isLegalUTF8Sequence(euro.data(), euro.data() + 3));
    EXPECT_FALSE(isLegalUTF8(euro.data(), 0) || isLegalUTF8(euro.data(), 5));
    EXPECT_FALSE(isLegalUTF8Sequence(euro.data(), euro.data() + 2) ||
                 isLegalUTF8Sequence(euro.data(), euro.data()));
}

// (input, mode, result, units consumed, UTF-8 output, UTF-32 output)
TEST(ConvertUTF, HandlesIllFormedUtf16PerMode) {
    constexpr ConversionFlags strict = strictConversion, lenient = lenientConversion;
    const std::tuple<std::u16string_view, ConversionFlags, ConversionResult, std::size_t,
                     std::string_view, std::u32string_view>
        cases[] = {
            {u"\xD800\x41", strict, sourceIllegal, 0, "", U""},
            {u"\xD800\x41", lenient, conversionOK, 2, "\xED\xA0\x80\x41", U"\xD800\x41"},
            {u"\xD800\xDC00", strict, conversionOK, 2, "\xF0\x90\x80\x80", U"\x10000"},
            {u"\xD800\xD800\xDC00", lenient, conversionOK, 3, "\xED\xA0\x80\xF0\x90\x80\x80",
             U"\xD800\x10000"},
            {u"\x41\xDC00\x42", strict, sourceIllegal, 1, "\x41", U"\x41"},
            {u"\x41\xDC00\x42", lenient, conversionOK, 3, "\x41\xED\xB0\x80\x42",
             U"\x41\xDC00\x42"},
            {u"\x41\xD800", strict, sourceExhausted, 1, "\x41", U"\x41"},
            {u"\x41\xD800", lenient, sourceExhausted, 1, "\x41", U"\x41"},
        };
    for (const auto& [text, flags, result, consumed, utf8, utf32] : cases) {
        const Units input = unitsOf<UTF16>(text);
        SCOPED_TRACE(std::to_string(input[0]) + " " + std::to_string(input[1]) + " " +
                     std::to_string(flags));
        expectConversion(convertRoomy(ConvertUTF16toUTF8, input, flags), result, consumed,
                         unitsOf<UTF8>(utf8));
        expectConversion(convertRoomy(ConvertUTF16toUTF32, input, flags), result, consumed,
                         unitsOf<UTF32>(utf32));
    }
}

// A value above U+10FFFF never stops the conversion: UTF-8 gets U+FFFD either way, UTF-16 skips
// it in strict mode. (input, mode, values consumed, then result and output for UTF-8 and UTF-16)
TEST(ConvertUTF, HandlesSurrogatesAndValuesAbove10FFFFInUtf32PerMode) {
    constexpr ConversionFlags strict = strictConversion, lenient = lenientConversion;
    const std::tuple<std::u32string_view, ConversionFlags, std::size_t, ConversionResult,
                     std::string_view, ConversionResult, std::u16string_view>
        cases[] = {
            {U"\x110000\x41", strict, 2, sourceIllegal, "\xEF\xBF\xBD\x41", sourceIllegal, u"\x41"},
            {U"\x110000\x41", lenient, 2, sourceIllegal, "\xEF\xBF\xBD\x41", conversionOK,
             u"\xFFFD\x41"},
            {U"\xFFFFFFFF", strict, 1, sourceIllegal, "\xEF\xBF\xBD", sourceIllegal, u""},
            {U"\x41\xD800\x42", strict, 1, sourceIllegal, "\x41", sourceIllegal, u"\x41"},
            {U"\x41\xD800\x42", lenient, 3, conversionOK, "\x41\xED\xA0\x80\x42", conversionOK,
             u"\x41\xFFFD\x42"},
        };
    for (const auto& [text, flags, consumed, result8, utf8, result16, utf16] : cases) {
        const Values input = unitsOf<UTF32>(text);
        SCOPED_TRACE(std::to_string(input[0]) + " " + std::to_string(flags));
        expectConversion(convertRoomy(ConvertUTF32toUTF8, input, flags), result8, consumed,
                         unitsOf<UTF8>(utf8));
        expectConversion(convertRoomy(ConvertUTF32toUTF16, input, flags), result16, consumed,
                         unitsOf<UTF16>(utf16));
    }
}

// Every target size, from one character's worth up: the converters stop before the character
// that does not fit (a pair is split only when both units fit) and resume there. The text has
// characters of every length between ASCII runs long enough for the eight-byte and four-unit
// steps.
TEST(ConvertUTF, ConversionsInSmallTargetWindowsAddUpToOneRoomyConversion) {
    Values text(21, U'a');
    text.insert(text.begin() + 10, {0xE9, 0x20AC, 0x1F600, 0x7F, 0x10FFFF});
    const Bytes utf8 = convertRoomy(ConvertUTF32toUTF8, text).produced;
    const Units utf16 = convertRoomy(ConvertUTF32toUTF16, text).produced;
    for (std::size_t window = 1; window < 12; ++window) {
        SCOPED_TRACE(window);
        if (window >= 2) {
            EXPECT_EQ(convertInWindows(ConvertUTF8toUTF16, utf8, window).fault, nullptr);
            EXPECT_EQ(convertInWindows(ConvertUTF32toUTF16, text, window).fault, nullptr);
        }
        if (window >= 4) {
            EXPECT_EQ(convertInWindows(ConvertUTF16toUTF8, utf16, window).fault, nullptr);
            EXPECT_EQ(convertInWindows(ConvertUTF32toUTF8, text, window).fault, nullptr);
        }
        EXPECT_EQ(convertInWindows(ConvertUTF8toUTF32, utf8, window).fault, nullptr);
        EXPECT_EQ(convertInWindows(ConvertUTF16toUTF32, utf16, window).fault, nullptr);
    }
    // An emoji needs both units: one unit of room takes nothing, and an empty target neither.
    expectConversion(convertInto(ConvertUTF32toUTF16, Values{0x1F600}, 1), targetExhausted, 0,
                     Units{});
    for (const ConversionResult r : {convertInto(ConvertUTF8toUTF16, Bytes{0x41}, 0).result,
                                     convertInto(ConvertUTF8toUTF32, Bytes{0x41}, 0).result,
                                     convertInto(ConvertUTF16toUTF8, Units{0x41}, 0).result,
                                     convertInto(ConvertUTF16toUTF32, Units{0x41}, 0).result,
                                     convertInto(ConvertUTF32toUTF8, Values{0x41}, 0).result,
                                     convertInto(ConvertUTF32toUTF16, Values{0x41}, 0).result}) {
        EXPECT_EQ(r, targetExhausted);
    }
    EXPECT_EQ(convertInto(ConvertUTF8toUTF16, Bytes{}, 0).result, conversionOK);
}

// The ASCII steps read ahead: another character, or an ill-formed unit, stops them exactly where
// it stands.
TEST(ConvertUTF, AsciiStepsStopAtTheFirstOtherUnitWhereverItStands) {
    const auto insertAt = [](auto units, std::size_t at, auto inserted) {
        units.insert(units.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(),
                     inserted.end());
        return units;
    };
    const Bytes ascii(37, 'a');
    const Units asciiUnits(37, u'a');
    for (std::size_t at = 0; at <= 37; ++at) {
        SCOPED_TRACE(at);
        const Bytes accented = insertAt(ascii, at, Bytes{0xC3, 0xA9});
        const Units accentedUnits = insertAt(asciiUnits, at, Units{0xE9});
        expectConversion(convertRoomy(ConvertUTF8toUTF16, accented), conversionOK, 39,
                         accentedUnits);
        expectConversion(convertRoomy(ConvertUTF16toUTF8, accentedUnits), conversionOK, 38,
                         accented);
        const Bytes stray = insertAt(ascii, at, Bytes{0x80});
        expectConversion(convertRoomy(ConvertUTF8toUTF16, stray), sourceIllegal, at,
                         Units(at, u'a'));
        expectConversion(convertRoomy(ConvertUTF8toUTF32, stray), sourceIllegal, at,
                         Values(at, U'a'));
        for (const Units& lone : {Units{0xDC00}, Units{0xD800, 0x71}}) {
            const Units units = insertAt(asciiUnits, at, lone);
            expectConversion(convertRoomy(ConvertUTF16toUTF8, units), sourceIllegal, at,
                             Bytes(at, 'a'));
            expectConversion(convertRoomy(ConvertUTF16toUTF32, units), sourceIllegal, at,
                             Values(at, U'a'));
        }
        const Units cut = insertAt(Units(at, u'a'), at, Units{0xD800});
        for (const ConversionFlags flags : {strictConversion, lenientConversion}) {
            expectConversion(convertRoomy(ConvertUTF16toUTF8, cut, flags), sourceExhausted, at,
                             Bytes(at, 'a'));
        }
    }
}

} // namespace
