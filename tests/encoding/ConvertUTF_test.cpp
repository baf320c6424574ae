// Tests of the UTF converter family: round trips through every pair of forms, ill-formed input
// in both modes (result code and units consumed), exhausted targets, and the legality test.
#include "encoding/ConvertUTF.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<UTF8>;
using Units = std::vector<UTF16>;
using Values = std::vector<UTF32>;

template <typename From, typename To>
using Converter = ConversionResult (*)(const From**, const From*, To**, To*, ConversionFlags);

template <typename To>
struct Outcome {
    ConversionResult result;
    std::ptrdiff_t consumed;
    std::vector<To> produced;
};

// Runs `convert` over all of `source` into a target of exactly `targetSize` elements (a heap
// block of that size, so the sanitizer sees any write past it).
template <typename From, typename To>
Outcome<To> run(Converter<From, To> convert, const std::vector<From>& source,
                std::size_t targetSize, ConversionFlags flags = strictConversion) {
    std::vector<To> target(targetSize);
    const From* in = source.data();
    To* out = target.data();
    const ConversionResult result =
        convert(&in, source.data() + source.size(), &out, target.data() + target.size(), flags);
    target.resize(static_cast<std::size_t>(out - target.data()));
    return {result, in - source.data(), target};
}

// Converts with room for any output; every form needs at most 4 target units per source unit.
template <typename From, typename To>
Outcome<To> runRoomy(Converter<From, To> convert, const std::vector<From>& source,
                     ConversionFlags flags = strictConversion) {
    return run(convert, source, source.size() * 4, flags);
}

std::string hex(const Bytes& bytes) {
    std::string text;
    for (UTF8 b : bytes) {
        text += "0123456789ABCDEF"[b >> 4];
        text += "0123456789ABCDEF"[b & 15];
        text += ' ';
    }
    return text;
}

const char* modeName(ConversionFlags flags) {
    return flags == strictConversion ? "strict" : "lenient";
}

Values allScalarValues() {
    Values values;
    for (UTF32 v = 0; v <= 0x10FFFF; ++v) {
        if (v < 0xD800 || v > 0xDFFF) {
            values.push_back(v);
        }
    }
    return values;
}

TEST(ConvertUTF, EveryScalarValueRoundTripsThroughEveryPairOfForms) {
    const Values values = allScalarValues();

    const auto utf8 = runRoomy(ConvertUTF32toUTF8, values);
    const auto utf16 = runRoomy(ConvertUTF32toUTF16, values);
    ASSERT_EQ(utf8.result, conversionOK);
    ASSERT_EQ(utf16.result, conversionOK);

    const auto utf16From8 = runRoomy(ConvertUTF8toUTF16, utf8.produced);
    const auto utf32From8 = runRoomy(ConvertUTF8toUTF32, utf8.produced);
    const auto utf8From16 = runRoomy(ConvertUTF16toUTF8, utf16.produced);
    const auto utf32From16 = runRoomy(ConvertUTF16toUTF32, utf16.produced);
    for (auto result :
         {utf16From8.result, utf32From8.result, utf8From16.result, utf32From16.result}) {
        EXPECT_EQ(result, conversionOK);
    }
    EXPECT_TRUE(utf16From8.produced == utf16.produced);
    EXPECT_TRUE(utf32From8.produced == values);
    EXPECT_TRUE(utf8From16.produced == utf8.produced);
    EXPECT_TRUE(utf32From16.produced == values);
    // 128 one-byte, 1920 two-byte, 61440 three-byte and 1048576 four-byte values.
    EXPECT_EQ(utf8.produced.size(), 128u + 1920u * 2 + 61440u * 3 + 1048576u * 4);
    EXPECT_EQ(utf16.produced.size(), 63488u + 1048576u * 2);
}

TEST(ConvertUTF, EncodesTheBoundaryValuesOfEachLength) {
    struct Case {
        UTF32 value;
        Bytes utf8;
        Units utf16;
    };
    const Case cases[] = {
        {0x0000, {0x00}, {0x0000}},
        {0x007F, {0x7F}, {0x007F}},
        {0x0080, {0xC2, 0x80}, {0x0080}},
        {0x07FF, {0xDF, 0xBF}, {0x07FF}},
        {0x0800, {0xE0, 0xA0, 0x80}, {0x0800}},
        {0xD7FF, {0xED, 0x9F, 0xBF}, {0xD7FF}},
        {0xE000, {0xEE, 0x80, 0x80}, {0xE000}},
        {0xFFFF, {0xEF, 0xBF, 0xBF}, {0xFFFF}},
        {0x10000, {0xF0, 0x90, 0x80, 0x80}, {0xD800, 0xDC00}},
        {0x1F600, {0xF0, 0x9F, 0x98, 0x80}, {0xD83D, 0xDE00}},
        {0x10FFFF, {0xF4, 0x8F, 0xBF, 0xBF}, {0xDBFF, 0xDFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(runRoomy(ConvertUTF32toUTF8, Values{c.value}).produced, c.utf8);
        EXPECT_EQ(runRoomy(ConvertUTF32toUTF16, Values{c.value}).produced, c.utf16);
    }
}

// Ill-formed UTF-8 stops both UTF-8 decoders the same way in both modes: the legality test runs
// before anything is written. (case, input, result, bytes consumed, units produced)
TEST(ConvertUTF, StopsBothUtf8DecodersAtIllFormedInputInBothModes) {
    struct Case {
        const char* what;
        Bytes input;
        ConversionResult result;
        std::ptrdiff_t consumed;
        Units produced;
    };
    const Case cases[] = {
        // overlong forms, and the obsolete five- and six-byte forms
        {"NUL in two bytes", {0xC0, 0x80}, sourceIllegal, 0, {}},
        {"7F in two bytes", {0xC1, 0xBF}, sourceIllegal, 0, {}},
        {"NUL in three bytes", {0xE0, 0x80, 0x80}, sourceIllegal, 0, {}},
        {"7FF in three bytes", {0xE0, 0x9F, 0xBF}, sourceIllegal, 0, {}},
        {"FFFF in four bytes", {0xF0, 0x8F, 0xBF, 0xBF}, sourceIllegal, 0, {}},
        {"overlong after a letter", {0x41, 0xC0, 0xAF, 0x42}, sourceIllegal, 1, {0x41}},
        {"five-byte form", {0xF8, 0x88, 0x80, 0x80, 0x80}, sourceIllegal, 0, {}},
        {"six-byte form", {0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}, sourceIllegal, 0, {}},
        // surrogates encoded in UTF-8
        {"first high surrogate", {0xED, 0xA0, 0x80}, sourceIllegal, 0, {}},
        {"last low surrogate", {0xED, 0xBF, 0xBF}, sourceIllegal, 0, {}},
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
        {"letter as last byte", {0xE2, 0x82, 0x41}, sourceIllegal, 0, {}},
        // ED and F4 bound their second byte from above only in the classic table; it must
        // still be a continuation byte, or the letter would vanish into a wrong value.
        {"letter after ED", {0xED, 0x41, 0x80}, sourceIllegal, 0, {}},
        {"letter after F4", {0xF4, 0x41, 0x80, 0x80}, sourceIllegal, 0, {}},
    };
    for (const Case& c : cases) {
        for (ConversionFlags flags : {strictConversion, lenientConversion}) {
            SCOPED_TRACE(std::string(c.what) + ": " + hex(c.input) + modeName(flags));
            const auto to16 = runRoomy(ConvertUTF8toUTF16, c.input, flags);
            EXPECT_EQ(to16.result, c.result);
            EXPECT_EQ(to16.consumed, c.consumed);
            EXPECT_EQ(to16.produced, c.produced);
            const auto to32 = runRoomy(ConvertUTF8toUTF32, c.input, flags);
            EXPECT_EQ(to32.result, c.result);
            EXPECT_EQ(to32.consumed, c.consumed);
            EXPECT_EQ(to32.produced, Values(c.produced.begin(), c.produced.end()));
        }
    }
}

// Checks one converter's outcome against the expected result, units consumed and output.
template <typename To>
void expectOutcome(const Outcome<To>& got, ConversionResult result, std::ptrdiff_t consumed,
                   const std::vector<To>& produced) {
    EXPECT_EQ(got.result, result);
    EXPECT_EQ(got.consumed, consumed);
    EXPECT_EQ(got.produced, produced);
}

TEST(ConvertUTF, HandlesIllFormedUtf16PerMode) {
    constexpr ConversionFlags strict = strictConversion;
    constexpr ConversionFlags lenient = lenientConversion;
    // (input, mode, result, units consumed, UTF-8 output, UTF-32 output)
    struct Case {
        Units input;
        ConversionFlags flags;
        ConversionResult result;
        std::ptrdiff_t consumed;
        Bytes utf8;
        Values utf32;
    };
    const Case cases[] = {
        {{0xD800, 0x41}, strict, sourceIllegal, 0, {}, {}},
        {{0xD800, 0x41}, lenient, conversionOK, 2, {0xED, 0xA0, 0x80, 0x41}, {0xD800, 0x41}},
        {{0xD800, 0xDC00}, strict, conversionOK, 2, {0xF0, 0x90, 0x80, 0x80}, {0x10000}},
        {{0xD800, 0xD800, 0xDC00},
         lenient,
         conversionOK,
         3,
         {0xED, 0xA0, 0x80, 0xF0, 0x90, 0x80, 0x80},
         {0xD800, 0x10000}},
        {{0x41, 0xDC00, 0x42}, strict, sourceIllegal, 1, {0x41}, {0x41}},
        {{0x41, 0xDC00, 0x42},
         lenient,
         conversionOK,
         3,
         {0x41, 0xED, 0xB0, 0x80, 0x42},
         {0x41, 0xDC00, 0x42}},
        {{0x41, 0xD800}, strict, sourceExhausted, 1, {0x41}, {0x41}},
        {{0x41, 0xD800}, lenient, sourceExhausted, 1, {0x41}, {0x41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.input[0]) + " " + std::to_string(c.input[1]) + " " +
                     modeName(c.flags));
        expectOutcome(runRoomy(ConvertUTF16toUTF8, c.input, c.flags), c.result, c.consumed, c.utf8);
        expectOutcome(runRoomy(ConvertUTF16toUTF32, c.input, c.flags), c.result, c.consumed,
                      c.utf32);
    }
}

TEST(ConvertUTF, HandlesSurrogatesAndValuesAbove10FFFFInUtf32PerMode) {
    constexpr ConversionFlags strict = strictConversion;
    constexpr ConversionFlags lenient = lenientConversion;
    // (input, mode, then result, values consumed and output for UTF-8 and for UTF-16). A value
    // above U+10FFFF never stops the conversion: UTF-8 gets U+FFFD either way, UTF-16 skips it
    // in strict mode.
    struct Case {
        Values input;
        ConversionFlags flags;
        ConversionResult result8;
        std::ptrdiff_t consumed8;
        Bytes utf8;
        ConversionResult result16;
        std::ptrdiff_t consumed16;
        Units utf16;
    };
    const Case cases[] = {
        {{0x110000, 0x41},
         strict,
         sourceIllegal,
         2,
         {0xEF, 0xBF, 0xBD, 0x41},
         sourceIllegal,
         2,
         {0x41}},
        {{0x110000, 0x41},
         lenient,
         sourceIllegal,
         2,
         {0xEF, 0xBF, 0xBD, 0x41},
         conversionOK,
         2,
         {0xFFFD, 0x41}},
        {{0xFFFFFFFF}, strict, sourceIllegal, 1, {0xEF, 0xBF, 0xBD}, sourceIllegal, 1, {}},
        {{0x41, 0xD800, 0x42}, strict, sourceIllegal, 1, {0x41}, sourceIllegal, 1, {0x41}},
        {{0x41, 0xD800, 0x42},
         lenient,
         conversionOK,
         3,
         {0x41, 0xED, 0xA0, 0x80, 0x42},
         conversionOK,
         3,
         {0x41, 0xFFFD, 0x42}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.input[0]) + " " + modeName(c.flags));
        expectOutcome(runRoomy(ConvertUTF32toUTF8, c.input, c.flags), c.result8, c.consumed8,
                      c.utf8);
        expectOutcome(runRoomy(ConvertUTF32toUTF16, c.input, c.flags), c.result16, c.consumed16,
                      c.utf16);
    }
}

// Converts "A" followed by `value` with a target one unit short of the whole output: the letter
// is converted, the source stops at `value`; with the exact size everything is converted.
template <typename From, typename To>
void expectExhaustedByOneUnit(Converter<From, To> convert, const std::vector<From>& source,
                              std::ptrdiff_t letterUnits) {
    const auto whole = runRoomy(convert, source);
    ASSERT_EQ(whole.result, conversionOK);
    const auto shortOfOne = run(convert, source, whole.produced.size() - 1);
    EXPECT_EQ(shortOfOne.result, targetExhausted);
    EXPECT_EQ(shortOfOne.consumed, letterUnits);
    EXPECT_EQ(shortOfOne.produced,
              std::vector<To>(whole.produced.begin(), whole.produced.begin() + letterUnits));
    const auto exact = run(convert, source, whole.produced.size());
    EXPECT_EQ(exact.result, conversionOK);
    EXPECT_EQ(exact.produced, whole.produced);
}

TEST(ConvertUTF, ReportsTargetExhaustedWhenOneUnitIsMissing) {
    for (UTF32 value : {0x42u, 0xE9u, 0x20ACu, 0x1F600u}) {
        SCOPED_TRACE(value);
        const Values utf32{0x41, value};
        const Bytes utf8 = runRoomy(ConvertUTF32toUTF8, utf32).produced;
        const Units utf16 = runRoomy(ConvertUTF32toUTF16, utf32).produced;
        expectExhaustedByOneUnit(ConvertUTF8toUTF16, utf8, 1);
        expectExhaustedByOneUnit(ConvertUTF8toUTF32, utf8, 1);
        expectExhaustedByOneUnit(ConvertUTF16toUTF8, utf16, 1);
        expectExhaustedByOneUnit(ConvertUTF16toUTF32, utf16, 1);
        expectExhaustedByOneUnit(ConvertUTF32toUTF8, utf32, 1);
        expectExhaustedByOneUnit(ConvertUTF32toUTF16, utf32, 1);
    }
}

TEST(ConvertUTF, WritesNothingIntoAnEmptyTarget) {
    const Bytes utf8{0x41};
    const Units utf16{0x41};
    const Values utf32{0x41};
    for (const ConversionResult r :
         {run(ConvertUTF8toUTF16, utf8, 0).result, run(ConvertUTF8toUTF32, utf8, 0).result,
          run(ConvertUTF16toUTF8, utf16, 0).result, run(ConvertUTF16toUTF32, utf16, 0).result,
          run(ConvertUTF32toUTF8, utf32, 0).result, run(ConvertUTF32toUTF16, utf32, 0).result}) {
        EXPECT_EQ(r, targetExhausted);
    }
    EXPECT_EQ(run(ConvertUTF8toUTF16, Bytes{}, 0).result, conversionOK); // empty source
}

TEST(ConvertUTF, SplitsAPairOnlyWhenBothUnitsFit) {
    const Bytes emoji{0xF0, 0x9F, 0x98, 0x80};
    expectOutcome(run(ConvertUTF8toUTF16, emoji, 1), targetExhausted, 0, Units{});
    expectOutcome(run(ConvertUTF8toUTF16, emoji, 2), conversionOK, 4, Units{0xD83D, 0xDE00});
}

TEST(ConvertUTF, AsciiRunsStopAtTheTargetEndAndAtTheFirstOtherByte) {
    // Runs long enough for the eight-byte steps, cut at every length.
    Bytes text(37, 'a');
    for (std::size_t size = 0; size <= text.size(); ++size) {
        const auto out = run(ConvertUTF8toUTF16, text, size);
        EXPECT_EQ(out.result, size < text.size() ? targetExhausted : conversionOK) << size;
        EXPECT_EQ(out.consumed, static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(out.produced, Units(size, u'a'));
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        Bytes broken = text;
        broken[at] = 0x80;
        const auto out = runRoomy(ConvertUTF8toUTF16, broken);
        EXPECT_EQ(out.result, sourceIllegal) << at;
        EXPECT_EQ(out.consumed, static_cast<std::ptrdiff_t>(at));
        Bytes accented = text;
        accented.insert(accented.begin() + static_cast<std::ptrdiff_t>(at), {0xC3, 0xA9});
        Units expected(text.size(), u'a');
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), u'\u00E9');
        EXPECT_EQ(runRoomy(ConvertUTF8toUTF16, accented).produced, expected) << at;
    }
}

TEST(ConvertUTF, Utf16ToUtf8StopsAtEveryTargetSizeAndAtEveryLoneSurrogate) {
    // Characters of every UTF-8 length, with ASCII runs long enough for the four-unit steps.
    struct Character {
        Units units;
        Bytes utf8;
    };
    std::vector<Character> text;
    for (char c : std::string("abcdefghij")) {
        text.push_back({{static_cast<UTF16>(c)}, {static_cast<UTF8>(c)}});
    }
    text.push_back({{0xE9}, {0xC3, 0xA9}});
    text.push_back({{0x20AC}, {0xE2, 0x82, 0xAC}});
    text.push_back({{0xD83D, 0xDE00}, {0xF0, 0x9F, 0x98, 0x80}});
    for (char c : std::string("klmnop")) {
        text.push_back({{static_cast<UTF16>(c)}, {static_cast<UTF8>(c)}});
    }
    const auto join = [](const std::vector<Character>& characters) {
        Character out;
        for (const Character& c : characters) {
            out.units.insert(out.units.end(), c.units.begin(), c.units.end());
            out.utf8.insert(out.utf8.end(), c.utf8.begin(), c.utf8.end());
        }
        return out;
    };
    const auto head = [&](std::size_t count) {
        return join({text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count)});
    };
    const Character whole = join(text);
    std::size_t fitting = 0;
    for (std::size_t size = 0; size <= whole.utf8.size(); ++size) {
        while (fitting < text.size() && head(fitting + 1).utf8.size() <= size) {
            ++fitting;
        }
        const Character done = head(fitting);
        expectOutcome(run(ConvertUTF16toUTF8, whole.units, size),
                      size < whole.utf8.size() ? targetExhausted : conversionOK,
                      static_cast<std::ptrdiff_t>(done.units.size()), done.utf8);
    }
    const Character lowAlone{{0xDC00}, {0xED, 0xB0, 0x80}};
    const Character highBeforeLetter{{0xD800, 0x71}, {0xED, 0xA0, 0x80, 0x71}};
    for (std::size_t at = 0; at <= text.size(); ++at) {
        SCOPED_TRACE(at);
        const Character before = head(at);
        const auto consumed = static_cast<std::ptrdiff_t>(before.units.size());
        for (const Character& lone : {lowAlone, highBeforeLetter}) {
            std::vector<Character> characters = text;
            characters.insert(characters.begin() + static_cast<std::ptrdiff_t>(at), lone);
            const Character broken = join(characters);
            expectOutcome(runRoomy(ConvertUTF16toUTF8, broken.units), sourceIllegal, consumed,
                          before.utf8);
            expectOutcome(runRoomy(ConvertUTF16toUTF8, broken.units, lenientConversion),
                          conversionOK, static_cast<std::ptrdiff_t>(broken.units.size()),
                          broken.utf8);
        }
        Units cut = before.units;
        cut.push_back(0xD800);
        for (const ConversionFlags flags : {strictConversion, lenientConversion}) {
            expectOutcome(runRoomy(ConvertUTF16toUTF8, cut, flags), sourceExhausted, consumed,
                          before.utf8);
        }
    }
}

TEST(ConvertUTF, IsLegalUtf8FollowsTheWellFormedTable) {
    struct Case {
        Bytes bytes;
        bool legal;
    };
    const Case cases[] = {
        {{0x00}, true},
        {{0x7F}, true},
        {{0x80}, false},
        {{0xC1}, false},
        {{0xC2, 0x80}, true},
        {{0xC2, 0xC0}, false},
        {{0xE0, 0x9F, 0x80}, false},
        {{0xE0, 0xA0, 0x80}, true},
        {{0xE1, 0x80, 0x7F}, false},
        {{0xED, 0x9F, 0xBF}, true},
        {{0xED, 0xA0, 0x80}, false},
        {{0xED, 0x7F, 0x80}, false},
        {{0xF0, 0x8F, 0x80, 0x80}, false},
        {{0xF0, 0x90, 0x80, 0x80}, true},
        {{0xF4, 0x8F, 0xBF, 0xBF}, true},
        {{0xF4, 0x90, 0x80, 0x80}, false},
        {{0xF4, 0x7F, 0x80, 0x80}, false},
        {{0xF5, 0x80, 0x80, 0x80}, false},
        {{0xF8, 0x88, 0x80, 0x80, 0x80}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isLegalUTF8(c.bytes.data(), static_cast<int>(c.bytes.size())), c.legal)
            << hex(c.bytes);
        EXPECT_EQ(isLegalUTF8Sequence(c.bytes.data(), c.bytes.data() + c.bytes.size()), c.legal)
            << hex(c.bytes);
    }
    const Bytes euro{0xE2, 0x82, 0xAC};
    EXPECT_FALSE(isLegalUTF8(euro.data(), 0));
    EXPECT_FALSE(isLegalUTF8Sequence(euro.data(), euro.data() + 2));
    EXPECT_FALSE(isLegalUTF8Sequence(euro.data(), euro.data()));
}

TEST(ReadBigEndian16, TakesTheFirstByteAsTheHighByteAtAnyAlignment) {
    const unsigned char bytes[] = {0x00, 0x12, 0x34, 0xFF, 0xFE};
    EXPECT_EQ(ReadBigEndian16(bytes + 1), 0x1234);
    EXPECT_EQ(ReadBigEndian16(bytes + 2), 0x34FF);
    EXPECT_EQ(ReadBigEndian16(bytes + 3), 0xFFFE);
}

} // namespace
