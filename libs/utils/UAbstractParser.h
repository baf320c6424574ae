// The shared base of the library's text tokenizers: reads UTF-8, UTF-16BE or UTF-16LE text
// from a std::istream, delivers it as UTF-8 bytes with push-back and line counting, and offers
// the lexical pieces (quoted strings, numbers, rest of line) the tokenizers build on.
#pragma once

#include "utils/ustring.h"

#include <cstdint>
#include <deque>
#include <istream>
#include <string>

class UAbstractParserBase {
public:
    enum Encoding : std::int32_t { utf8 = 0, utf16BigEndian = 1, utf16LittleEndian = 2 };

    // Throws std::runtime_error("invalid stream") when `stream` has already failed; otherwise
    // detects the encoding from the first bytes, skipping a byte-order mark. The stream is not
    // owned and must outlive the parser. `name` is shown in the error text ("json").
    UAbstractParserBase(std::istream& stream, const ustring& name);
    virtual ~UAbstractParserBase() = default;

    UAbstractParserBase(const UAbstractParserBase&) = delete;
    UAbstractParserBase& operator=(const UAbstractParserBase&) = delete;

    // The next byte of UTF-8 text; false at end of input. A UTF-16 unit that cannot be
    // converted (an unpaired surrogate) ends the input for good.
    [[nodiscard]] bool getChar(char& c) {
        // Every byte of the text passes here: UTF-8 with nothing pushed back, the common case,
        // takes the byte from the stream buffer without a call.
        if (m_pushBack.empty() && m_encoding == utf8 && !m_ended && !m_stream->fail()) {
            if (!readStreamByte(c)) {
                return false;
            }
            countLine(c);
            return true;
        }
        return getCharSlowly(c);
    }
    // The next byte without taking it; false at end of input. The same as getChar followed by
    // ungetChar, line count included: a 0 byte is taken and dropped, as ungetChar drops it.
    [[nodiscard]] bool peekChar(char& c) {
        // UTF-8 with nothing pushed back looks at the stream buffer: taking the byte and pushing
        // it back cost a trip through the push-back stack for every token's end. A line break
        // is taken and pushed back all the same, so that it is counted when seen.
        if (m_pushBack.empty() && m_encoding == utf8 && !m_ended && !m_stream->fail()) {
            const int byte = m_stream->rdbuf()->sgetc();
            if (byte == std::char_traits<char>::eof()) {
                m_stream->setstate(std::ios::eofbit | std::ios::failbit);
                return false;
            }
            if (byte != 0 && byte != '\r' && byte != '\n') {
                c = static_cast<char>(byte);
                return true;
            }
        }
        if (!getChar(c))
            return false;
        ungetChar(c);
        return true;
    }
    // Pushes a byte to be delivered before anything else, last pushed first; 0 is dropped.
    void ungetChar(char c);
    // getChar until a byte that is not ASCII white space; false at end of input.
    [[nodiscard]] bool getNonSpace(char& c);
    // The same, leaving that byte to be read (as ungetChar after getNonSpace).
    [[nodiscard]] bool peekNonSpace(char& c);

    // A double-quoted string with backslash escapes (\n \r \t \b \f, \uXXXX decoded to UTF-8,
    // any other byte stands for itself); adjacent quoted strings are joined. False, with the
    // byte pushed back, when the next non-blank byte is not '"'. A malformed \u escape or an
    // unpaired surrogate escape raises the unexpected-element error.
    [[nodiscard]] bool readQuotedString(ustring& text);
    // readQuotedString after its opening quote has been taken.
    void readQuotedRest(ustring& text);
    // [+-]digits[.digits][(e|E)[+-]digits]; isFloat when '.' or an exponent was seen. False,
    // with everything pushed back, when no digit follows the optional sign.
    [[nodiscard]] bool readNumber(ustring& text, bool& isFloat);
    // readNumber after its first byte `first` has been taken (pushed back on false).
    [[nodiscard]] bool readNumberFrom(char first, ustring& text, bool& isFloat);
    // The bytes up to end of input, CR or LF; the CR or LF stays to be read.
    ustring readToEndOfLine();
    // Skips the rest of the line and the white space after it.
    void skipLine();

    // Throws std::runtime_error("unexpected element in <name> at line <line>"), "stream"
    // standing in for an empty name.
    [[noreturn]] void throwUnexpected() const;

    std::uint64_t line() const { return m_line; }
    Encoding encoding() const { return m_encoding; }

private:
    void detectEncoding();
    // readNumber on its first byte `c`, taken (pushed back on false).
    bool readNumberAt(char c, ustring& text, bool& isFloat);
    // Pushes to `run` the bytes that `accept` takes, straight from the stream buffer while the
    // text is read there (UTF-8, nothing pushed back); the first byte refused stays to be read.
    // `accept` refuses CR and LF, which only getChar counts.
    template <class Run, class Accept>
    void takeDirectly(Run& run, Accept accept);
    bool readStreamByte(char& c) {
        // Straight from the stream buffer: istream::read per byte costs a sentry each time.
        const int byte = m_stream->rdbuf()->sbumpc();
        if (byte == std::char_traits<char>::eof()) {
            m_stream->setstate(std::ios::eofbit | std::ios::failbit);
            return false;
        }
        c = static_cast<char>(byte);
        return true;
    }
    bool readUtf16Unit(char16_t& unit);
    bool pushUtf16(const char16_t* units, std::size_t count);
    void countLine(char c) {
        if (c == '\r' || (c == '\n' && m_previous != '\r')) {
            ++m_line;
        }
        m_previous = c;
    }
    // getChar for pushed-back bytes and UTF-16 text.
    bool getCharSlowly(char& c);
    void appendEscape(ustring& text);
    char32_t readHexEscape();

    std::istream* m_stream;
    ustring m_name;
    std::uint64_t m_line = 1;
    std::string m_pushBack; // a stack: the last byte is delivered first
    // Bytes at the bottom of the push-back stack that came from the stream during encoding
    // detection and still have to be line-counted when they are delivered.
    std::size_t m_uncountedBytes = 0;
    Encoding m_encoding = utf8;
    char m_previous = 0;
    bool m_ended = false;
};

// A tokenizer over token kinds T: a token record, a token push-back stack and the
// tokenizer's own nextToken.
template <typename T>
class UAbstractParser : public UAbstractParserBase {
public:
    struct Token {
        bool valid = false; // false: no token
        T kind = T(0);
        ustring text;
    };

    using UAbstractParserBase::UAbstractParserBase;

    // Reads the next token into `token` (reset to the empty token first, its text's room kept);
    // false at the end.
    [[nodiscard]] virtual bool nextToken(Token& token) = 0;

    // The last pushed-back token, else nextToken.
    [[nodiscard]] bool getToken(Token& token) {
        if (!m_tokens.empty()) {
            token = std::move(m_tokens.back());
            m_tokens.pop_back();
            return true;
        }
        return nextToken(token);
    }
    // Pushes a valid token back; an invalid one is dropped.
    void ungetToken(const Token& token) {
        if (token.valid) {
            m_tokens.push_back(token);
        }
    }
    // True when the next token is of `kind`; otherwise it stays to be read.
    bool acceptToken(Token& token, T kind) {
        if (getToken(token) && token.kind == kind) {
            return true;
        }
        ungetToken(token);
        return false;
    }
    // acceptToken, raising the unexpected-element error when the token is not of `kind`.
    void expectToken(Token& token, T kind) {
        if (!acceptToken(token, kind)) {
            throwUnexpected();
        }
    }

private:
    std::deque<Token> m_tokens;
};

enum LineToken_t : std::int32_t { LineEnd = 0, LineText = 1 };

// One token per non-blank line: its text from the first non-blank byte through the CR or LF
// that ends it.
class ULineParser : public UAbstractParser<LineToken_t> {
public:
    explicit ULineParser(std::istream& stream);
    [[nodiscard]] bool nextToken(Token& token) override;
};
