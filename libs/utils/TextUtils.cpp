// Text helpers beside ustring: Base64, hex, trimming, percent decoding, full-width folding and
// kanji numerals.
#include "utils/TextUtils.h"

#include "encoding/ConvertUTF.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <stdexcept>

namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kBase64UrlAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Encodes into `out`, sized once: four characters per group of three bytes, the last group
// padded with '=' when `pad` is set and cut short otherwise.
void encodeBase64(const unsigned char* in, std::size_t length, const char* alphabet, bool pad,
                  ustring& out) {
    const std::size_t full = length / 3;
    const std::size_t rest = length % 3;
    const std::size_t tail = rest == 0 ? 0 : (pad ? 4 : rest + 1);
    out.resize(full * 4 + tail, '\0');
    char* p = out.data();
    for (std::size_t g = 0; g < full; ++g, in += 3) {
        const unsigned v = (unsigned{in[0]} << 16) | (unsigned{in[1]} << 8) | in[2];
        p[0] = alphabet[v >> 18];
        p[1] = alphabet[(v >> 12) & 63];
        p[2] = alphabet[(v >> 6) & 63];
        p[3] = alphabet[v & 63];
        p += 4;
    }
    if (rest != 0) {
        const unsigned b0 = in[0];
        const unsigned b1 = rest == 2 ? in[1] : 0;
        *p++ = alphabet[b0 >> 2];
        *p++ = alphabet[((b0 & 3) << 4) | (b1 >> 4)];
        if (rest == 2)
            *p++ = alphabet[(b1 & 15) << 2];
        else if (pad)
            *p++ = '=';
        if (pad)
            *p++ = '=';
    }
}

ustring encodeBase64(const unsigned char* in, std::size_t length, const char* alphabet, bool pad) {
    ustring out;
    encodeBase64(in, length, alphabet, pad, out);
    return out;
}

// The set of trim(): CR, LF, TAB and blank.
constexpr std::string_view kAsciiTrimSet = "\r\n\t ";

// Value of the `count` hex digits at `p`, or -1 when one of them is not a hex digit.
long hexDigits(const char* p, int count) {
    long value = 0;
    for (int i = 0; i < count; ++i) {
        const int digit = hexValue(p[i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// Appends the UTF-8 form of `cp`, a scalar value.
void appendUtf8(ustring& out, UTF32 cp) {
    const UTF32* source = &cp;
    UTF8 bytes[4];
    UTF8* target = bytes;
    // A scalar value always converts, and four bytes hold any.
    static_cast<void>(
        ConvertUTF32toUTF8(&source, source + 1, &target, bytes + 4, strictConversion));
    out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(target - bytes));
}

// The unit of a "%uXXXX" escape at `i` (i + 5 inside the text), or -1 when it is not one.
long unicodeEscapeAt(const char* s, std::size_t size, std::size_t i) {
    if (i + 5 >= size || s[i] != '%' || (s[i + 1] != 'u' && s[i + 1] != 'U'))
        return -1;
    return hexDigits(s + i + 2, 4);
}

struct KanjiNumeral {
    char16_t unit;
    int value;
};

constexpr std::array<KanjiNumeral, 13> kKanjiNumerals = {{{u'\u4E00', 1},
                                                          {u'\u4E8C', 2},
                                                          {u'\u4E09', 3},
                                                          {u'\u56DB', 4},
                                                          {u'\u4E94', 5},
                                                          {u'\u516D', 6},
                                                          {u'\u4E03', 7},
                                                          {u'\u516B', 8},
                                                          {u'\u4E5D', 9},
                                                          {u'\u5341', 10},
                                                          {u'\u767E', 100},
                                                          {u'\u5343', 1000},
                                                          {u'\u4E07', 10000}}};

// The multipliers in the order kanjiToNumber takes them.
constexpr std::array<KanjiNumeral, 4> kKanjiMultipliers = {
    {{u'\u4E07', 10000}, {u'\u5343', 1000}, {u'\u767E', 100}, {u'\u5341', 10}}};

int kanjiDigitValue(char16_t unit) {
    for (std::size_t i = 0; i < 9; ++i)
        if (kKanjiNumerals[i].unit == unit)
            return kKanjiNumerals[i].value;
    return 0;
}

[[noreturn]] void throwInvalidKanji() {
    throw std::out_of_range("invalid kanji number");
}

void appendDecimal(std::u16string& out, int value) {
    char buf[16];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, end);
}

} // namespace

ustring base64Encode(const void* bytes, std::size_t length) {
    return encodeBase64(static_cast<const unsigned char*>(bytes), length, kBase64Alphabet, true);
}

ustring base64Encode(const ustring& bytes) {
    return base64Encode(bytes.c_str(), bytes.size());
}

void base64Encode(const void* bytes, std::size_t length, ustring& text) {
    encodeBase64(static_cast<const unsigned char*>(bytes), length, kBase64Alphabet, true, text);
}

bool base64Decode(std::string_view text, std::string& bytes) {
    bytes.clear();
    if (text.size() % 4 != 0)
        return false;
    const std::string_view alphabet(kBase64Alphabet);
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t at = 0; at < text.size(); at += 4) {
        const bool last = at + 4 == text.size();
        const std::size_t padding = last ? (text[at + 3] == '=') + (text[at + 2] == '=') : 0;
        if (padding == 1 && text[at + 2] == '=')
            return false;
        unsigned group = 0;
        for (std::size_t i = 0; i < 4 - padding; ++i) {
            const std::size_t value = alphabet.find(text[at + i]);
            if (value == std::string_view::npos)
                return false;
            group = group << 6 | static_cast<unsigned>(value);
        }
        group <<= 6 * padding;
        const char decoded[] = {static_cast<char>(group >> 16), static_cast<char>(group >> 8),
                                static_cast<char>(group)};
        out.append(decoded, 3 - padding);
    }
    bytes = std::move(out);
    return true;
}

ustring base64UrlEncode(const void* bytes, std::size_t length) {
    return encodeBase64(static_cast<const unsigned char*>(bytes), length, kBase64UrlAlphabet,
                        false);
}

ustring toHex(const void* bytes, std::size_t length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto* in = static_cast<const unsigned char*>(bytes);
    ustring out;
    out.resize(length * 2, '\0');
    char* p = out.data();
    for (std::size_t i = 0; i < length; ++i) {
        *p++ = kDigits[in[i] >> 4];
        *p++ = kDigits[in[i] & 15];
    }
    return out;
}

std::string trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kAsciiTrimSet);
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kAsciiTrimSet);
    return text.substr(first, last - first + 1);
}

std::vector<ustring> splitString(const ustring& text, char separator) {
    std::vector<ustring> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.findChar(separator, start);
        if (end == ustring::npos)
            end = text.size();
        if (end > start)
            pieces.emplace_back(text.data() + start, end - start);
        start = end + 1;
    }
    return pieces;
}

bool isTrimChar(char16_t unit) {
    return unit == u'\r' || unit == u'\n' || unit == u'\t' || unit == u' ' ||
           (unit >= 0x2000 && unit <= 0x200F) || unit == 0x202F || unit == 0x205F || unit == 0x3000;
}

ustring trimUnicode(const ustring& text) {
    const std::u16string wide = text.toWString();
    const auto first = std::find_if_not(wide.begin(), wide.end(), isTrimChar);
    const auto last = std::find_if_not(wide.rbegin(), wide.rend(), isTrimChar).base();
    if (first >= last)
        return ustring();
    return ustring::fromWString(std::u16string(first, last));
}

bool isBlank(const ustring& text) {
    const std::u16string wide = text.toWString();
    return std::all_of(wide.begin(), wide.end(), isTrimChar);
}

bool isListSeparator(char16_t unit) {
    return unit == u',' || unit == 0x3001;
}

ustring percentDecode(const ustring& text) {
    const char* s = text.c_str();
    const std::size_t size = text.size();
    ustring out;
    out.reserve(size);
    std::size_t i = 0;
    while (i < size) {
        if (s[i] != '%') {
            out.push_back(s[i++]);
            continue;
        }
        if (i + 5 < size && (s[i + 1] == 'u' || s[i + 1] == 'U')) {
            const long unit = unicodeEscapeAt(s, size, i);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                const long low = unicodeEscapeAt(s, size, i + 6);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                    i += 12;
                    continue;
                }
            } else if (unit >= 0 && (unit < 0xDC00 || unit > 0xDFFF)) {
                appendUtf8(out, static_cast<UTF32>(unit));
                i += 6;
                continue;
            }
            out.push_back(s[i++]);
            continue;
        }
        const long byte = i + 2 < size ? hexDigits(s + i + 1, 2) : -1;
        if (byte >= 0) {
            out.push_back(static_cast<char>(byte));
            i += 3;
        } else {
            out.push_back(s[i++]);
        }
    }
    return out;
}

ustring toHalfWidth(const ustring& text) {
    std::u16string wide = text.toWString();
    for (char16_t& unit : wide)
        if (unit >= 0xFF01 && unit <= 0xFF5E)
            unit = static_cast<char16_t>(unit - 0xFEE0);
    return ustring::fromWString(wide);
}

bool isKanjiDigit(char16_t unit) {
    return std::any_of(kKanjiNumerals.begin(), kKanjiNumerals.end(),
                       [unit](const KanjiNumeral& k) { return k.unit == unit; });
}

int kanjiToNumber(std::u16string_view run) {
    if (run.empty())
        throwInvalidKanji();
    int total = 0;
    for (const KanjiNumeral& multiplier : kKanjiMultipliers) {
        const std::size_t at = run.find(multiplier.unit);
        if (at == std::u16string_view::npos)
            continue;
        const int factor = at == 0 ? 1 : kanjiToNumber(run.substr(0, at));
        if (multiplier.value < 10000 && factor >= 10)
            throwInvalidKanji();
        total += factor * multiplier.value;
        run.remove_prefix(at + 1);
    }
    if (!run.empty()) {
        const int digit = run.size() == 1 ? kanjiDigitValue(run[0]) : 0;
        if (digit == 0)
            throwInvalidKanji();
        total += digit;
    }
    return total;
}

ustring replaceKanjiNumbers(const ustring& text) {
    const std::u16string wide = text.toWString();
    std::u16string out;
    out.reserve(wide.size());
    std::size_t runStart = 0;
    auto flushRun = [&](std::size_t end) {
        if (runStart == end)
            return;
        const std::u16string_view run(wide.data() + runStart, end - runStart);
        try {
            appendDecimal(out, kanjiToNumber(run));
        } catch (const std::exception&) {
            out.append(run);
        }
    };
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (isKanjiDigit(wide[i]))
            continue;
        flushRun(i);
        out.push_back(wide[i]);
        runStart = i + 1;
    }
    flushRun(wide.size());
    return ustring::fromWString(out);
}

std::string toLower(const std::string& text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
