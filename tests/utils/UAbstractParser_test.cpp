#include "utils/UAbstractParser.h"

#include "support/HexBytes.h"
#include "support/Test.h"
#include "support/Throws.h"

namespace {

// Everything getChar delivers until the end of input.
std::string drain(UAbstractParserBase& parser) {
    std::string out;
    char c;
    while (parser.getChar(c)) {
        out.push_back(c);
    }
    return out;
}

TEST(UAbstractParser, DetectsTheEncodingFromTheFirstBytes) {
    using E = UAbstractParserBase::Encoding;
    const std::tuple<const char*, const char*, E, const char*> cases[] = {
        {"UTF-16LE mark", "FF FE 7B 00", E::utf16LittleEndian, "7B"},
        {"UTF-16BE mark", "FE FF 00 7B", E::utf16BigEndian, "7B"},
        {"UTF-8 mark", "EF BB BF 7B 7D", E::utf8, "7B 7D"},
        {"no mark", "7B 7D", E::utf8, "7B 7D"},
        {"UTF-16BE without mark", "00 7B 00 7D", E::utf16BigEndian, "7B 7D"},
        {"UTF-16LE without mark", "7B 00 7D 00", E::utf16LittleEndian, "7B 7D"},
        {"half a UTF-8 mark", "EF BB 41", E::utf8, "EF BB 41"},
        {"EF then text", "EF 41 42", E::utf8, "EF 41 42"},
        {"EF then zero", "EF 00 41", E::utf8, "EF 41"},
        {"FE then text", "FE 41", E::utf8, "FE 41"},
        {"FF then text", "FF 41", E::utf8, "FF 41"},
        {"U+00E9 in UTF-16BE", "FE FF 00 E9", E::utf16BigEndian, "C3 A9"},
        {"U+00E9 first, UTF-16LE without mark", "E9 00 61 00", E::utf16LittleEndian, "C3 A9 61"},
        {"U+00FE first, UTF-16LE without mark", "FE 00 61 00", E::utf16LittleEndian, "C3 BE 61"},
        {"surrogate pair", "FF FE 3D D8 00 DE 21 00", E::utf16LittleEndian, "F0 9F 98 80 21"},
        {"unpaired low surrogate", "FF FE 61 00 00 DC 62 00", E::utf16LittleEndian, "61"},
        {"high surrogate without its pair", "FF FE 61 00 3D D8 62 00", E::utf16LittleEndian, "61"},
    };
    for (const auto& [what, bytes, encoding, delivered] : cases) {
        std::istringstream in(fromHex(bytes));
        UAbstractParserBase parser(in, "t");
        EXPECT_EQ(parser.encoding(), encoding) << what;
        EXPECT_EQ(drain(parser), fromHex(delivered)) << what;
    }
}

TEST(UAbstractParser, CountsEveryLineEndingOnce) {
    const std::tuple<std::string, std::uint64_t> cases[] = {
        {"a\nb", 2}, {"a\r\nb", 2}, {"a\n\rb", 3},  {"\r\n", 2}, {"ab\r\n\r\ncd\ref\ngh", 5},
        {"", 1},     {"\r\r", 3},   {"x\n\r\n", 3},
    };
    for (const auto& [text, line] : cases) {
        std::istringstream in(text);
        UAbstractParserBase parser(in, "t");
        drain(parser);
        EXPECT_EQ(parser.line(), line) << '"' << text << '"';
    }
}

TEST(UAbstractParser, DeliversPushedBackBytesLastFirstWithoutCountingThemAndReadsLines) {
    std::istringstream in("\nxy\r\n  \n def");
    UAbstractParserBase parser(in, "t");
    char c;
    ASSERT_TRUE(parser.getChar(c));
    EXPECT_EQ(parser.line(), 2u);
    parser.ungetChar('b');
    parser.ungetChar('\0');
    parser.ungetChar('\n');
    EXPECT_EQ(parser.readToEndOfLine().toStdString(), "");
    ASSERT_TRUE(parser.getChar(c) && c == '\n');
    EXPECT_EQ(parser.readToEndOfLine().toStdString(), "bxy");
    ASSERT_TRUE(parser.getChar(c) && c == '\r');
    parser.skipLine();
    EXPECT_EQ(drain(parser), "def");
    EXPECT_EQ(parser.line(), 4u);
}

TEST(UAbstractParser, ReadsQuotedStringsAndRefusesMalformedUnicodeEscapes) {
    const std::tuple<std::string, bool, std::string, std::string> cases[] = {
        {"  \"ab\\\"c\" \"d\"z", true, "ab\"cd", "z"},
        {"x\"a\"", false, "", "x\"a\""},
        {"  ", false, "", ""},
        {R"("\n\r\t\b\f")", true, "\n\r\t\b\f", ""},
        {R"("\"\'\/\\")", true, "\"'/\\", ""},
        {R"("\q\1")", true, "q1", ""},
        {R"("\u0041\u00e9\u20AC")", true, "A\xC3\xA9\xE2\x82\xAC", ""},
        {R"("\uD83D\uDE00")", true, "\xF0\x9F\x98\x80", ""},
        {R"("\u0000")", true, std::string(1, '\0'), ""},
        {"\"unterminated", true, "unterminated", ""},
        {"\"ends in a backslash\\", true, "ends in a backslash", ""},
        {"\"" + std::string(200, 'x') + "\r\ny\"", true, std::string(200, 'x') + "\r\ny", ""},
    };
    for (const auto& [input, ok, expected, rest] : cases) {
        std::istringstream in(input);
        UAbstractParserBase parser(in, "t");
        ustring text("old");
        EXPECT_EQ(parser.readQuotedString(text), ok) << input;
        EXPECT_EQ(text.toStdString(), expected) << input;
        EXPECT_EQ(drain(parser), rest) << input;
    }
    // Malformed Unicode escapes are refused.
    for (const char* quoted : {R"("\u12G4")", R"("\u12")", R"("\uD800x")", R"("\uD800\u0041")",
                               R"("\uDC00")", R"("\uD800\n")"}) {
        std::istringstream in(quoted);
        UAbstractParserBase parser(in, "");
        ustring text;
        expectThrowsWithText([&] { static_cast<void>(parser.readQuotedString(text)); },
                             "unexpected element in stream at line 1");
    }
}

TEST(UAbstractParser, ReadsNumbers) {
    const std::tuple<std::string, bool, std::string, bool, std::string> cases[] = {
        {"-12.5e+3,", true, "-12.5e+3", true, ","},
        {" +7 ", true, "+7", false, " "},
        {"42", true, "42", false, ""},
        {"1.", true, "1.", true, ""},
        {"1e", true, "1e", true, ""},
        {"1.x", true, "1.", true, "x"},
        {"3E-2]", true, "3E-2", true, "]"},
        {"0012a", true, "0012", false, "a"},
        {"-x", false, "", false, "-x"},
        {".5", false, "", false, ".5"},
        {"-", false, "", false, "-"},
        {"", false, "", false, ""},
    };
    for (const auto& [input, ok, expected, expectFloat, rest] : cases) {
        std::istringstream in(input);
        UAbstractParserBase parser(in, "t");
        ustring text;
        bool isFloat = !expectFloat;
        EXPECT_EQ(parser.readNumber(text, isFloat), ok) << input;
        EXPECT_EQ(text.toStdString(), expected) << input;
        EXPECT_EQ(isFloat, expectFloat) << input;
        EXPECT_EQ(drain(parser), rest) << input;
    }
}

TEST(ULineParser, GivesOneTokenPerNonBlankLineAndPushedBackTokensFirst) {
    std::istringstream in("a\nb\n\n   first\r\n\r\nsecond\rlast");
    ULineParser parser(in);
    std::vector<std::string> lines;
    ULineParser::Token token;
    ASSERT_TRUE(parser.getToken(token));
    parser.ungetToken(token);
    parser.ungetToken(ULineParser::Token()); // an invalid token is dropped
    EXPECT_FALSE(parser.acceptToken(token, LineEnd));
    parser.expectToken(token, LineText);
    do {
        EXPECT_TRUE(token.valid && token.kind == LineText);
        lines.push_back(token.text.toStdString());
    } while (parser.getToken(token));
    EXPECT_FALSE(token.valid);
    EXPECT_EQ(lines, (std::vector<std::string>{"a\n", "b\n", "first\r", "second\r", "last"}));
    expectThrowsWithText([&] { parser.expectToken(token, LineText); },
                         "unexpected element in stream at line 7");
}

} // namespace
