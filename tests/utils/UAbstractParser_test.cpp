// Tests of the stream parser base: encoding detection, line counting, quoted strings, numbers,
// the error text, and the token stack through the line tokenizer.
#include "UAbstractParser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

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

std::string str(const ustring& s) {
    return s.toStdString();
}

struct EncodingCase {
    const char* what;
    std::string bytes;
    UAbstractParserBase::Encoding encoding;
    std::string text;
};

TEST(UAbstractParser, DetectsTheEncodingFromTheFirstBytes) {
    using E = UAbstractParserBase::Encoding;
    const std::vector<EncodingCase> cases = {
        {"UTF-16LE mark", std::string("\xFF\xFE{\0", 4), E::utf16LittleEndian, "{"},
        {"UTF-16BE mark", std::string("\xFE\xFF\0{", 4), E::utf16BigEndian, "{"},
        {"UTF-8 mark", "\xEF\xBB\xBF{}", E::utf8, "{}"},
        {"no mark", "{}", E::utf8, "{}"},
        {"UTF-16BE without mark", std::string("\0{\0}", 4), E::utf16BigEndian, "{}"},
        {"UTF-16LE without mark", std::string("{\0}\0", 4), E::utf16LittleEndian, "{}"},
        {"half a UTF-8 mark",
         "\xEF\xBB"
         "A",
         E::utf8,
         "\xEF\xBB"
         "A"},
        {"EF alone",
         "\xEF"
         "AB",
         E::utf8,
         "\xEF"
         "AB"},
        {"FE then text",
         "\xFE"
         "A",
         E::utf8,
         "\xFE"
         "A"},
        {"FF then text",
         "\xFF"
         "A",
         E::utf8,
         "\xFF"
         "A"},
        {"U+00E9 in UTF-16BE", std::string("\xFE\xFF\0\xE9", 4), E::utf16BigEndian, "\xC3\xA9"},
        {"U+00E9 first, UTF-16LE without mark", std::string("\xE9\0a\0", 4), E::utf16LittleEndian,
         "\xC3\xA9"
         "a"},
        {"U+00FE first, UTF-16LE without mark", std::string("\xFE\0a\0", 4), E::utf16LittleEndian,
         "\xC3\xBE"
         "a"},
        {"surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE!\0", 8), E::utf16LittleEndian,
         "\xF0\x9F\x98\x80!"},
        {"unpaired low surrogate ends the input",
         std::string("\xFF\xFE"
                     "a\0\x00\xDC"
                     "b\0",
                     8),
         E::utf16LittleEndian, "a"},
        {"high surrogate without its pair ends the input",
         std::string("\xFF\xFE"
                     "a\0\x3D\xD8"
                     "b\0",
                     8),
         E::utf16LittleEndian, "a"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.bytes);
        UAbstractParserBase parser(in, "t");
        EXPECT_EQ(parser.encoding(), c.encoding) << c.what;
        EXPECT_EQ(drain(parser), c.text) << c.what;
    }
}

TEST(UAbstractParser, CountsEveryLineEndingOnce) {
    const struct {
        std::string text;
        std::uint64_t line;
    } cases[] = {
        {"a\nb", 2}, {"a\rb", 2},   {"a\r\nb", 2}, {"a\n\rb", 3},
        {"\n", 2},   {"\r\n", 2},   {"\n\n", 3},   {"ab\r\n\r\ncd\ref\ngh", 5},
        {"", 1},     {"no end", 1}, {"\r\r", 3},   {"x\n\r\n", 3},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        UAbstractParserBase parser(in, "t");
        drain(parser);
        EXPECT_EQ(parser.line(), c.line) << '"' << c.text << '"';
    }
}

TEST(UAbstractParser, DoesNotCountPushedBackBytesTwice) {
    std::istringstream in("a\nb");
    UAbstractParserBase parser(in, "t");
    char c;
    parser.getChar(c);
    parser.getChar(c);
    EXPECT_EQ(parser.line(), 2u);
    parser.ungetChar('\n');
    parser.getChar(c);
    EXPECT_EQ(c, '\n');
    EXPECT_EQ(parser.line(), 2u);
}

TEST(UAbstractParser, DeliversPushedBackBytesLastFirstAndDropsZero) {
    std::istringstream in("xy");
    UAbstractParserBase parser(in, "t");
    parser.ungetChar('b');
    parser.ungetChar('\0');
    parser.ungetChar('a');
    EXPECT_EQ(drain(parser), "abxy");
}

TEST(UAbstractParser, JoinsAdjacentQuotedStrings) {
    std::istringstream in("  \"ab\\\"c\" \"d\"z");
    UAbstractParserBase parser(in, "t");
    ustring text;
    ASSERT_TRUE(parser.readQuotedString(text));
    EXPECT_EQ(str(text), "ab\"cd");
    EXPECT_EQ(drain(parser), "z");
}

TEST(UAbstractParser, LeavesAnUnquotedByteToBeRead) {
    std::istringstream in("x\"a\"");
    UAbstractParserBase parser(in, "t");
    ustring text;
    EXPECT_FALSE(parser.readQuotedString(text));
    EXPECT_EQ(drain(parser), "x\"a\"");
}

TEST(UAbstractParser, DecodesStringEscapes) {
    const struct {
        std::string quoted;
        std::string text;
    } cases[] = {
        {R"("\n\r\t\b\f")", "\n\r\t\b\f"},
        {R"("\"\'\/\\")", "\"'/\\"},
        {R"("\q\1")", "q1"},
        {R"("\u0041\u00e9\u20AC")", "A\xC3\xA9\xE2\x82\xAC"},
        {R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
        {R"("\u0000")", std::string("\0", 1)},
        {"\"unterminated", "unterminated"},
        {"\"ends in a backslash\\", "ends in a backslash"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.quoted);
        UAbstractParserBase parser(in, "t");
        ustring text;
        ASSERT_TRUE(parser.readQuotedString(text)) << c.quoted;
        EXPECT_EQ(str(text), c.text) << c.quoted;
    }
}

TEST(UAbstractParser, RefusesMalformedUnicodeEscapes) {
    for (const char* quoted : {R"("\u12G4")", R"("\u12")", R"("\uD800x")", R"("\uD800\u0041")",
                               R"("\uDC00")", R"("\uD800\n")"}) {
        std::istringstream in(quoted);
        UAbstractParserBase parser(in, "");
        ustring text;
        try {
            parser.readQuotedString(text);
            ADD_FAILURE() << quoted << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "unexpected element in stream at line 1") << quoted;
        }
    }
}

TEST(UAbstractParser, ReadsNumbers) {
    const struct {
        std::string input;
        bool ok;
        std::string text;
        bool isFloat;
        std::string rest;
    } cases[] = {
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
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        UAbstractParserBase parser(in, "t");
        ustring text;
        bool isFloat = !c.isFloat;
        EXPECT_EQ(parser.readNumber(text, isFloat), c.ok) << c.input;
        EXPECT_EQ(str(text), c.text) << c.input;
        EXPECT_EQ(isFloat, c.isFloat) << c.input;
        EXPECT_EQ(drain(parser), c.rest) << c.input;
    }
}

TEST(UAbstractParser, ReadsAndSkipsTheRestOfALine) {
    std::istringstream in("abc\r\n  \n def");
    UAbstractParserBase parser(in, "t");
    EXPECT_EQ(str(parser.readToEndOfLine()), "abc");
    char c;
    ASSERT_TRUE(parser.getChar(c));
    EXPECT_EQ(c, '\r');

    std::istringstream in2("// note\n\n  x");
    UAbstractParserBase skipper(in2, "t");
    skipper.skipLine();
    EXPECT_EQ(drain(skipper), "x");
    EXPECT_EQ(skipper.line(), 3u);
}

TEST(ULineParser, GivesOneTokenPerNonBlankLine) {
    std::istringstream in("a\nb\n\n   first\r\n\r\nsecond\rlast");
    ULineParser parser(in);
    std::vector<std::string> lines;
    ULineParser::Token token;
    while (parser.getToken(token)) {
        EXPECT_TRUE(token.valid);
        EXPECT_EQ(token.kind, LineText);
        lines.push_back(str(token.text));
    }
    EXPECT_FALSE(token.valid);
    EXPECT_EQ(lines, (std::vector<std::string>{"a\n", "b\n", "first\r", "second\r", "last"}));
}

TEST(ULineParser, ReturnsPushedBackTokensBeforeReadingOn) {
    std::istringstream in("one\ntwo\n");
    ULineParser parser(in);
    ULineParser::Token token;
    ASSERT_TRUE(parser.getToken(token));
    parser.ungetToken(token);
    parser.ungetToken(ULineParser::Token());
    EXPECT_TRUE(parser.acceptToken(token, LineText));
    EXPECT_EQ(str(token.text), "one\n");
    EXPECT_FALSE(parser.acceptToken(token, LineEnd));
    EXPECT_EQ(str(token.text), "two\n");
    parser.expectToken(token, LineText);
    EXPECT_EQ(str(token.text), "two\n");
    try {
        parser.expectToken(token, LineText);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "unexpected element in stream at line 3");
    }
}

} // namespace
