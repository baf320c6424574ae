// The stream parser base: encoding detection, UTF-8 delivery with push-back and line
// counting, and the lexical pieces shared by the tokenizers.
#include "utils/UAbstractParser.h"

#include "encoding/ConvertUTF.h"
#include "utils/TextUtils.h"

#include <stdexcept>
#include <string>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

// The UTF-8 form of `count` UTF-16 units (one character) in `out`; 0 when they do not form
// a character (a lone or misordered surrogate).
std::size_t utf16ToUtf8(const char16_t* units, std::size_t count, UTF8 (&out)[4]) {
    const UTF16* source = units;
    UTF8* target = out;
    if (ConvertUTF16toUTF8(&source, units + count, &target, out + 4, strictConversion) !=
        conversionOK) {
        return 0;
    }
    return static_cast<std::size_t>(target - out);
}

} // namespace

UAbstractParserBase::UAbstractParserBase(std::istream& stream, const ustring& name)
    : m_stream(&stream), m_name(name) {
    if (stream.fail()) {
        throw std::runtime_error("invalid stream");
    }
    detectEncoding();
}

// The first two bytes decide: a UTF-16 byte-order mark, a UTF-8 byte-order mark (or 8-bit text
// whenever the first byte is EF), a zero byte in either place (UTF-16 without a mark), or else
// 8-bit text. Bytes that are text are pushed back and line-counted when they are delivered.
void UAbstractParserBase::detectEncoding() {
    char bytes[2] = {0, 0};
    m_stream->read(bytes, 2);
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if (b0 == 0xFE && b1 == 0xFF) {
        m_encoding = utf16BigEndian;
    } else if (b0 == 0xFF && b1 == 0xFE) {
        m_encoding = utf16LittleEndian;
    } else if (b0 == 0xEF) {
        char third = 0;
        if (b1 == 0xBB) {
            m_stream->read(&third, 1);
        }
        if (b1 != 0xBB || static_cast<unsigned char>(third) != 0xBF) {
            ungetChar(third);
            ungetChar(bytes[1]);
            ungetChar(bytes[0]);
        }
    } else if (b0 == 0) {
        m_encoding = utf16BigEndian;
        const char16_t unit = b1;
        pushUtf16(&unit, 1);
    } else if (b1 == 0) {
        m_encoding = utf16LittleEndian;
        const char16_t unit = b0;
        pushUtf16(&unit, 1);
    } else {
        ungetChar(bytes[1]);
        ungetChar(bytes[0]);
    }
    m_uncountedBytes = m_pushBack.size();
}

bool UAbstractParserBase::readUtf16Unit(char16_t& unit) {
    char bytes[2];
    if (!m_stream->read(bytes, 2)) {
        return false;
    }
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    unit = m_encoding == utf16BigEndian ? static_cast<char16_t>((b0 << 8) | b1)
                                        : static_cast<char16_t>((b1 << 8) | b0);
    return true;
}

// Pushes the UTF-8 bytes of one character given as UTF-16 units so that its first byte is
// delivered first; false when the units are no character.
bool UAbstractParserBase::pushUtf16(const char16_t* units, std::size_t count) {
    UTF8 utf8[4];
    const std::size_t n = utf16ToUtf8(units, count, utf8);
    for (std::size_t i = n; i-- > 0;) {
        ungetChar(static_cast<char>(utf8[i]));
    }
    return n > 0;
}

bool UAbstractParserBase::getCharSlowly(char& c) {
    if (!m_pushBack.empty()) {
        c = m_pushBack.back();
        m_pushBack.pop_back();
        if (m_pushBack.size() < m_uncountedBytes) {
            --m_uncountedBytes;
            countLine(c);
        }
        return true;
    }
    if (m_ended || m_stream->fail()) {
        return false;
    }
    if (m_encoding == utf8) {
        if (!readStreamByte(c)) {
            return false;
        }
        countLine(c);
        return true;
    }
    // A surrogate pair is combined into one character; an unpaired surrogate ends the input.
    char16_t units[2];
    std::size_t count = 1;
    if (!readUtf16Unit(units[0])) {
        return false;
    }
    if (isHighSurrogate(units[0]) && readUtf16Unit(units[1])) {
        count = 2;
    }
    UTF8 bytes[4];
    const std::size_t n = utf16ToUtf8(units, count, bytes);
    if (n == 0) {
        m_ended = true;
        return false;
    }
    for (std::size_t i = n; i-- > 1;) {
        m_pushBack.push_back(static_cast<char>(bytes[i]));
    }
    c = static_cast<char>(bytes[0]);
    countLine(c);
    return true;
}

void UAbstractParserBase::ungetChar(char c) {
    if (c != 0) {
        m_pushBack.push_back(c);
    }
}

bool UAbstractParserBase::getNonSpace(char& c) {
    while (getChar(c)) {
        if (!isSpace(c)) {
            return true;
        }
    }
    return false;
}

bool UAbstractParserBase::peekNonSpace(char& c) {
    while (peekChar(c)) {
        if (!isSpace(c)) {
            return true;
        }
        static_cast<void>(getChar(c)); // takes the space just seen
    }
    return false;
}

namespace {

// Bytes gathered on the stack and appended to a text in runs: a push_back per byte cost more
// than reading the byte. The owner flushes the last run.
class TextRun {
public:
    explicit TextRun(ustring& text) : m_text(text) {}
    TextRun(const TextRun&) = delete;
    TextRun& operator=(const TextRun&) = delete;

    void push(char c) {
        if (m_size == sizeof m_bytes) {
            flush();
        }
        m_bytes[m_size++] = c;
    }
    // Appends the bytes gathered so far; needed before the text is changed another way.
    void flush() {
        if (m_size != 0) {
            m_text.append(m_bytes, m_size);
            m_size = 0;
        }
    }

private:
    ustring& m_text;
    char m_bytes[128];
    std::size_t m_size = 0;
};

} // namespace

// Strings, names and numbers mostly come in runs of bytes that need no more than appending: a
// loop over the stream buffer without getChar's checks and line counting per byte takes them.
template <class Run, class Accept>
void UAbstractParserBase::takeDirectly(Run& run, Accept accept) {
    if (!m_pushBack.empty() || m_encoding != utf8 || m_ended || m_stream->fail()) {
        return;
    }
    std::streambuf& buffer = *m_stream->rdbuf();
    for (int byte = buffer.sgetc();
         byte != std::char_traits<char>::eof() && accept(static_cast<char>(byte));
         byte = buffer.snextc()) {
        run.push(static_cast<char>(byte));
        m_previous = static_cast<char>(byte); // as countLine, for a byte that is no line break
    }
}

bool UAbstractParserBase::readQuotedString(ustring& text) {
    text.clear();
    char c;
    if (!getNonSpace(c)) {
        return false;
    }
    if (c != '"') {
        ungetChar(c);
        return false;
    }
    readQuotedRest(text);
    return true;
}

void UAbstractParserBase::readQuotedRest(ustring& text) {
    text.clear();
    TextRun run(text);
    const auto plain = [](char c) { return c != '"' && c != '\\' && c != '\r' && c != '\n'; };
    char c;
    for (;;) {
        takeDirectly(run, plain);
        if (!getChar(c)) {
            break;
        }
        if (c == '\\') {
            if (!getChar(c)) {
                break;
            }
            if (c == 'u') {
                run.flush();
                appendEscape(text);
                continue;
            }
            switch (c) {
            case 'n':
                c = '\n';
                break;
            case 'r':
                c = '\r';
                break;
            case 't':
                c = '\t';
                break;
            case 'b':
                c = '\b';
                break;
            case 'f':
                c = '\f';
                break;
            default:
                break;
            }
            run.push(c);
        } else if (c == '"') {
            // Adjacent quoted parts are one string.
            if (!peekNonSpace(c) || c != '"') {
                break;
            }
            static_cast<void>(getChar(c)); // takes the quote just seen
        } else {
            run.push(c);
        }
    }
    run.flush();
}

char32_t UAbstractParserBase::readHexEscape() {
    char32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        char c;
        if (!getChar(c)) {
            throwUnexpected();
        }
        const int digit = hexValue(c);
        if (digit < 0) {
            throwUnexpected();
        }
        value = (value << 4) | static_cast<char32_t>(digit);
    }
    return value;
}

// The character of a \uXXXX escape (the "\u" already read), a high surrogate taking the
// \uXXXX of its low surrogate with it, appended as UTF-8.
void UAbstractParserBase::appendEscape(ustring& text) {
    char16_t units[2] = {static_cast<char16_t>(readHexEscape()), 0};
    std::size_t count = 1;
    if (isHighSurrogate(units[0])) {
        char backslash;
        char u;
        if (!getChar(backslash) || backslash != '\\' || !getChar(u) || u != 'u') {
            throwUnexpected();
        }
        units[1] = static_cast<char16_t>(readHexEscape());
        count = 2;
    }
    UTF8 bytes[4];
    const std::size_t n = utf16ToUtf8(units, count, bytes);
    if (n == 0) {
        throwUnexpected();
    }
    text.append(reinterpret_cast<const char*>(bytes), n);
}

bool UAbstractParserBase::readNumber(ustring& text, bool& isFloat) {
    text = ustring();
    isFloat = false;
    char c;
    return getNonSpace(c) && readNumberAt(c, text, isFloat);
}

bool UAbstractParserBase::readNumberFrom(char first, ustring& text, bool& isFloat) {
    // A 0 byte counts for nothing, as ungetChar drops it: the number is looked for after it.
    return first == 0 ? readNumber(text, isFloat) : readNumberAt(first, text, isFloat);
}

bool UAbstractParserBase::readNumberAt(char c, ustring& text, bool& isFloat) {
    text.clear();
    isFloat = false;
    char sign = 0;
    if (c == '+' || c == '-') {
        sign = c;
        if (!getChar(c)) {
            ungetChar(sign);
            return false;
        }
    }
    if (!isDigit(c)) {
        ungetChar(c);
        ungetChar(sign);
        return false;
    }
    TextRun run(text);
    if (sign != 0) {
        run.push(sign);
    }
    run.push(c);
    // `c` holds the byte after the text so far, seen but not taken; `more` is false at the end.
    // Each byte is looked at once, as the number's end is taken and pushed back once.
    bool more = peekChar(c);
    const auto take = [&] {
        static_cast<void>(getChar(c)); // the byte seen
        run.push(c);
        more = peekChar(c);
    };
    const auto takeDigits = [&] {
        if (more && isDigit(c)) {
            takeDirectly(run, [](char digit) { return isDigit(digit); });
            more = peekChar(c);
        }
        while (more && isDigit(c)) {
            take();
        }
    };
    takeDigits();
    if (more && c == '.') {
        isFloat = true;
        take();
        takeDigits();
    }
    if (more && (c == 'e' || c == 'E')) {
        isFloat = true;
        take();
        if (more && (c == '+' || c == '-')) {
            take();
        }
        takeDigits();
    }
    run.flush();
    return true;
}

ustring UAbstractParserBase::readToEndOfLine() {
    ustring text;
    char c;
    while (getChar(c)) {
        if (c == '\r' || c == '\n') {
            ungetChar(c);
            break;
        }
        text.push_back(c);
    }
    return text;
}

void UAbstractParserBase::skipLine() {
    readToEndOfLine();
    char c;
    if (getNonSpace(c)) {
        ungetChar(c);
    }
}

void UAbstractParserBase::throwUnexpected() const {
    std::string text = "unexpected element in ";
    if (m_name.size() == 0) {
        text += "stream";
    } else {
        text.append(m_name.c_str(), m_name.size());
    }
    text += " at line ";
    text += std::to_string(m_line);
    throw std::runtime_error(text);
}

ULineParser::ULineParser(std::istream& stream) : UAbstractParser(stream, ustring()) {}

bool ULineParser::nextToken(Token& token) {
    token = Token();
    char c;
    if (!getNonSpace(c)) {
        return false;
    }
    const std::uint64_t start = line();
    token.text.push_back(c);
    while (line() == start && getChar(c)) {
        token.text.push_back(c);
    }
    token.valid = true;
    token.kind = LineText;
    return true;
}
