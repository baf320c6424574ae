#include "model/JobText.h"

#include "support/Test.h"

#include <string>

using namespace std::string_literals;

// Digits outside '0'-'9' and 'A'-'F' give the bytes of the system's digit rules, not errors: the
// job text's rule takes a digit's whole value and keeps the pair to 8 bits, the 'DisT' rule keeps
// each digit to its low 4 bits.
TEST(JobText, DecodesHexPairsByEitherDigitRule) {
    const struct {
        std::string text;
        std::string wholeValue;
        std::string lowNibble;
    } cases[] = {
        {"00FF4B53", "\x00\xFF\x4B\x53"s, "\x00\xFF\x4B\x53"s},
        {"4b53", "\x6B\x53", "\x4B\x53"},
        {"7a", "\x9A", "\x7A"},
        {"Gz", "\x43", "\x03"},
        {" !", "\xF1", "\x01"},
        {"ABC", "\xAB", "\xAB"}, // an odd last character is ignored
        {"A", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeHexPairs(c.text, HexDigitRule::kWholeValue), c.wholeValue) << c.text;
        EXPECT_EQ(DecodeHexPairs(c.text, HexDigitRule::kLowNibble), c.lowNibble) << c.text;
    }
}

TEST(JobText, TakesTextFromTheStreamKeyOnAsRawBytesAndWritesUpperCasePairs) {
    const std::string bytes = "KS\xFF\x00\x7F"s;
    EXPECT_EQ(DecodeJobText(bytes), bytes);
    EXPECT_EQ(DecodeJobText("KSzz"), "KSzz");
    EXPECT_EQ(DecodeJobText("4B53FF007F"), bytes);
    EXPECT_EQ(DecodeJobText("4b53"), "\x6B\x53"); // the plug-in's rule: lower case is no job
    EXPECT_EQ(DecodeJobText("K"), "");
    EXPECT_EQ(EncodeJobText(bytes), "4B53FF007F");
}
