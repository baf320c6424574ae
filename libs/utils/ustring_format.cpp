// The text-building operations of ustring: numbered-marker substitution, the printf-style
// engine with positional arguments, and number text with trimmed decimals.
#include "utils/ustring.h"

#include "utils/ScratchBuffer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace {

// --- marker substitution ------------------------------------------------------------------

// The position of the lowest marker of `source`, npos when it has none.
ustring::size_type lowestMarker(const ustring& source) {
    ustring::size_type markers[10];
    source.findArgMarkers(markers);
    return markers[0];
}

// A copy of `source` with the two characters of the marker at `marker` replaced by `text`.
ustring substituteMarker(const ustring& source, ustring::size_type marker, const ustring& text) {
    ustring result(source);
    result.replace(marker, 2, text);
    return result;
}

// `text` with `fill` before it up to `fieldWidth` characters; as it is when it is that long
// already or fieldWidth is 0 or less. The padding is built in the string itself: a width past
// the string limit throws std::length_error("ustring").
ustring padOnLeft(std::string_view text, int fieldWidth, char fill) {
    const auto width = static_cast<ustring::size_type>(std::max(fieldWidth, 0));
    if (text.size() >= width)
        return ustring(text);
    ustring padded(width - text.size(), fill);
    padded += text;
    return padded;
}

void applyBase(std::ostringstream& out, int base) {
    if (base == 8)
        out << std::oct;
    else if (base == 16)
        out << std::hex;
}

// The number's text comes from the stream; the padding does not, as the stream pads in a stack
// buffer as large as the width.
template <typename T>
ustring argNumber(const ustring& source, T value, int fieldWidth, int base, char fill) {
    const ustring::size_type marker = lowestMarker(source);
    if (marker == ustring::npos)
        return source;
    std::ostringstream out;
    applyBase(out, base);
    out << value;
    return substituteMarker(source, marker, padOnLeft(out.view(), fieldWidth, fill));
}

// --- the format engine ----------------------------------------------------------------------

enum Kind : std::uint16_t {
    kIncomplete = 0,
    kLiteral = 32,
    kInteger = 33,
    kDouble = 34,
    kPointer = 35,
    kString = 39,
};

enum Size : std::uint16_t { kSizeInt = 0, kSizeChar = 1, kSize16 = 2, kSizeLong = 3, kSize64 = 4 };

enum Flag : std::uint32_t {
    kZeroPad = 1,
    kLeft = 2,
    kSign = 4,
    kBlank = 8,
    kAlternate = 16, // '#', handed on to the runtime formatter
};

// Argument indices are wider than the 8-bit positions a format can write ("N$", 1 to 254), so
// that a long format's automatic numbering never wraps.
constexpr std::uint32_t kNoArgument = 0xFFFFFFFF;
constexpr std::uint32_t kUnnumbered = 0xFFFFFFFE; // a '*' whose argument is not yet numbered
constexpr int kMaxPosition = 254;
constexpr std::size_t kInlineCount = 61;
// Longest number text that is formatted without measuring first.
constexpr std::size_t kNumberBuffer = 512;

// One literal run or conversion of the format text. Plain data: the per-call arrays of them
// are not initialised up front.
struct Directive {
    std::uint16_t size;
    std::uint16_t kind;
    std::uint32_t start;
    std::uint32_t length;
    std::int32_t width;     // -1 when none was written
    std::int32_t precision; // -1 when none was written
    std::uint32_t flags;
    std::uint32_t valueArgument;
    std::uint32_t precisionArgument;
    std::uint32_t widthArgument;
    char conversion;  // the conversion character the value is written by
    bool badPosition; // an "N$" outside 1..254
};

Directive emptyDirective(std::uint16_t kind) {
    return Directive{kSizeInt, kind,        0,           0,           -1, -1,
                     0,        kNoArgument, kNoArgument, kNoArgument, 0,  false};
}

// One argument, read once from the argument list.
struct Slot {
    std::uint16_t kind;
    std::uint16_t size;
    union {
        std::int64_t integer;
        double real;
        const void* pointer;
    };
};

// Per-call arrays of the engine: small formats stay on the stack.
template <typename T>
using CallArray = ScratchBuffer<T, kInlineCount>;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal number at `text[pos]`, saturating at INT_MAX.
int readNumber(const char* text, std::size_t& pos) {
    long long value = 0;
    while (isDigit(text[pos])) {
        value = std::min<long long>(value * 10 + (text[pos] - '0'), INT_MAX);
        ++pos;
    }
    return static_cast<int>(value);
}

// The conversion ended by `conversion`, read as `kind` at `size`.
Directive ended(Directive directive, Kind kind, std::uint16_t size, char conversion) {
    directive.kind = kind;
    directive.size = size;
    directive.conversion = conversion;
    return directive;
}

// Parses the conversion that starts after the '%' at `text[pos - 1]`; leaves `pos` after the
// last character read. The result's kind is kIncomplete when the text ends inside it and
// kLiteral when an invalid character ends it.
Directive parseConversion(const char* text, std::size_t& pos) {
    Directive directive = emptyDirective(kIncomplete);
    bool inPrecision = false;
    bool widthWritten = false;
    for (;;) {
        const char c = text[pos];
        if (c == '\0')
            return directive;
        if (isDigit(c) && !(c == '0' && !inPrecision && !widthWritten)) {
            const int number = readNumber(text, pos);
            if (text[pos] == '$') {
                ++pos;
                const bool fits = number >= 1 && number <= kMaxPosition;
                directive.badPosition |= !fits;
                const auto index = static_cast<std::uint32_t>(fits ? number - 1 : 0);
                if (directive.precisionArgument == kUnnumbered)
                    directive.precisionArgument = index;
                else if (directive.widthArgument == kUnnumbered)
                    directive.widthArgument = index;
                else
                    directive.valueArgument = index;
            } else if (inPrecision) {
                directive.precision = number;
            } else {
                directive.width = number;
                widthWritten = true;
            }
            continue;
        }
        ++pos;
        switch (c) {
        case ' ':
            if (!(directive.flags & kSign))
                directive.flags |= kBlank;
            break;
        case '#':
            directive.flags |= kAlternate;
            break;
        case '+':
            directive.flags = (directive.flags | kSign) & ~kBlank;
            break;
        case '-':
            directive.flags = (directive.flags | kLeft) & ~kZeroPad;
            break;
        case '0':
            if (!(directive.flags & kLeft))
                directive.flags |= kZeroPad;
            break;
        case '*':
            directive.widthArgument = kUnnumbered;
            break;
        case '.':
            inPrecision = true;
            // A '.' without digits is precision 0, as for the runtime formatter.
            directive.precision = 0;
            if (text[pos] == '*') {
                directive.precisionArgument = kUnnumbered;
                directive.precision = -1;
                ++pos;
            }
            break;
        case 'h':
            directive.size = kSize16;
            break;
        case 'l':
            directive.size = kSizeLong;
            if (text[pos] == 'l') {
                directive.size = kSize64;
                ++pos;
            }
            break;
        case 'q':
            directive.size = kSize64;
            break;
        case 'd':
        case 'i':
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            return ended(directive, kInteger, directive.size, c);
        case 'D':
        case 'O':
        case 'U':
            // Old spellings of the long conversions; printed as their lower-case forms.
            return ended(directive, kInteger, directive.size, static_cast<char>(c - 'A' + 'a'));
        case 'c':
            return ended(directive, kInteger, kSizeChar, c);
        case 'e':
        case 'E':
        case 'f':
        case 'g':
        case 'G':
            return ended(directive, kDouble, kSize64, c);
        case 'p':
            return ended(directive, kPointer, kSizeLong, c);
        case 's':
            return ended(directive, kString, kSizeLong, c);
        default:
            directive.kind = kLiteral;
            return directive;
        }
    }
}

bool takesArguments(const Directive& directive) {
    return directive.kind == kInteger || directive.kind == kDouble || directive.kind == kPointer ||
           directive.kind == kString;
}

// Claims `slot` for a value of this kind and size; false when the format already uses the
// same argument as something else.
bool claim(Slot& slot, std::uint16_t kind, std::uint16_t size) {
    if (slot.kind != kIncomplete && (slot.kind != kind || slot.size != size))
        return false;
    slot.kind = kind;
    slot.size = size;
    return true;
}

// Numbers the arguments of the conversions and marks the slots they use. False when an index
// reaches the slot count or an argument is used as two types: the format is abandoned.
bool numberArguments(Directive* directives, std::size_t directiveCount, Slot* slots,
                     std::size_t slotCount) {
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < directiveCount; ++i) {
        Directive& directive = directives[i];
        if (!takesArguments(directive))
            continue;
        if (directive.badPosition)
            return false;
        for (const std::uint32_t index :
             {directive.valueArgument, directive.precisionArgument, directive.widthArgument}) {
            if (index < kUnnumbered && index >= slotCount)
                return false;
        }
        if (directive.widthArgument == kUnnumbered)
            directive.widthArgument = next++;
        if (directive.precisionArgument == kUnnumbered)
            directive.precisionArgument = next++;
        if (directive.valueArgument == kNoArgument)
            directive.valueArgument = next++;
        if (!claim(slots[directive.valueArgument], directive.kind, directive.size))
            return false;
        if (directive.widthArgument != kNoArgument &&
            !claim(slots[directive.widthArgument], kInteger, 0))
            return false;
        if (directive.precisionArgument != kNoArgument &&
            !claim(slots[directive.precisionArgument], kInteger, 0))
            return false;
    }
    return true;
}

// Reads the argument of a slot in use from `args`.
void readArgument(Slot& slot, std::va_list& args) {
    switch (slot.kind) {
    case kInteger:
        switch (slot.size) {
        case kSizeChar:
            slot.integer = static_cast<std::int8_t>(va_arg(args, int));
            break;
        case kSize16:
            slot.integer = static_cast<std::int16_t>(va_arg(args, int));
            break;
        case kSizeLong:
            slot.integer = va_arg(args, long);
            break;
        case kSize64:
            slot.integer = va_arg(args, long long);
            break;
        default:
            slot.integer = va_arg(args, int);
            break;
        }
        break;
    case kDouble:
        slot.real = va_arg(args, double);
        break;
    case kPointer:
    case kString:
        slot.pointer = va_arg(args, const void*);
        break;
    default:
        break;
    }
}

// Reads the used slots in ascending order, so the arguments fill them in that order.
void readArguments(Slot* slots, std::size_t slotCount, std::va_list& args) {
    for (std::size_t i = 0; i < slotCount; ++i)
        readArgument(slots[i], args);
}

[[noreturn]] void throwTooLong() {
    throw std::length_error("ustring");
}

// Collects the output of one call in a stack buffer, so the target grows a few times per call
// rather than once per piece. The caller flushes at the end.
class Output {
public:
    explicit Output(ustring& target) : m_target(target) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void append(std::string_view text) { append(text.data(), text.size()); }
    void append(const char* p, std::size_t n) {
        if (n == 0)
            return;
        if (n > sizeof m_buffer - m_used) {
            flush();
            if (n > sizeof m_buffer) {
                m_target.append(p, n);
                return;
            }
        }
        std::memcpy(m_buffer + m_used, p, n);
        m_used += n;
    }
    void appendFill(std::size_t count, char ch) {
        if (count == 0)
            return;
        if (count > sizeof m_buffer - m_used) {
            flush();
            m_target.appendFill(count, ch);
            return;
        }
        std::memset(m_buffer + m_used, ch, count);
        m_used += count;
    }
    // Room for `n` more characters at the end of the target, to be written in place.
    char* grow(std::size_t n) {
        flush();
        const std::size_t old = m_target.size();
        m_target.resize(old + n);
        return m_target.data() + old;
    }
    // Characters that may still be added before the string limit.
    std::size_t roomLeft() const { return ustring::growthRoom(m_target.size() + m_used); }
    void flush() {
        if (m_used == 0)
            return;
        // An empty target (every format call) takes the text whole, sized once.
        if (m_target.empty())
            m_target = ustring(m_buffer, m_used);
        else
            m_target.append(m_buffer, m_used);
        m_used = 0;
    }

private:
    ustring& m_target;
    std::size_t m_used = 0;
    char m_buffer[256];
};

// The width or precision in force: the argument's value, replaced by a written one.
int effective(std::int32_t written, std::uint32_t argument, const Slot* slots) {
    if (written >= 0)
        return written;
    if (argument != kNoArgument)
        return static_cast<std::int32_t>(slots[argument].integer);
    return -1;
}

// The flags, width and precision that apply to one value. As for the runtime formatter, a
// negative width from an argument left-justifies and a negative precision counts as none.
struct Layout {
    std::uint32_t flags;
    long long width; // 0 when none
    int precision;   // -1 when none

    bool left() const { return (flags & kLeft) != 0; }
};

Layout layoutOf(const Directive& directive, const Slot* slots) {
    Layout layout{directive.flags, effective(directive.width, directive.widthArgument, slots),
                  effective(directive.precision, directive.precisionArgument, slots)};
    if (directive.width < 0 && directive.widthArgument == kNoArgument) {
        layout.width = 0;
    } else if (layout.width < 0) {
        layout.flags = (layout.flags | kLeft) & ~kZeroPad;
        layout.width = -layout.width;
    }
    layout.precision = std::max(layout.precision, -1);
    return layout;
}

// Writes `sign` (a sign or radix prefix), `zeros` zero digits and `digits`, filled to the width
// with blanks (before, or after when left-justified) or, when `zeroFill`, with zeros after the
// sign.
void appendPadded(Output& target, const Layout& layout, std::string_view sign, std::size_t zeros,
                  std::string_view digits, bool zeroFill) {
    const std::size_t length = sign.size() + zeros + digits.size();
    const auto width = static_cast<unsigned long long>(layout.width);
    const std::size_t fill = width > length ? static_cast<std::size_t>(width - length) : 0;
    if (fill > target.roomLeft())
        throwTooLong();
    if (zeroFill && !layout.left()) {
        zeros += fill;
    } else if (!layout.left()) {
        target.appendFill(fill, ' ');
    }
    target.append(sign);
    target.appendFill(zeros, '0');
    target.append(digits);
    if (layout.left())
        target.appendFill(fill, ' ');
}

// The value of an integer slot as the unsigned type of its width.
std::uint64_t unsignedAtWidth(const Slot& value) {
    switch (value.size) {
    case kSize16:
        return static_cast<std::uint16_t>(value.integer);
    case kSizeLong:
    case kSize64:
        return static_cast<std::uint64_t>(value.integer);
    default:
        return static_cast<std::uint32_t>(value.integer);
    }
}

// "diouxX" by the runtime formatter's rules: the precision is the least number of digits (a
// zero value with precision 0 has none), '#' gives octal a leading zero and non-zero
// hexadecimal its "0x", a sign or blank goes to signed conversions only, and the zero flag
// counts only without a precision.
void appendInteger(Output& target, const Layout& layout, char conversion, const Slot& value) {
    const bool isSigned = conversion == 'd' || conversion == 'i';
    const bool negative = isSigned && value.integer < 0;
    const std::uint64_t magnitude = !isSigned  ? unsignedAtWidth(value)
                                    : negative ? 0 - static_cast<std::uint64_t>(value.integer)
                                               : static_cast<std::uint64_t>(value.integer);
    char sign[2];
    std::size_t signLength = 0;
    if (negative)
        sign[signLength++] = '-';
    else if (isSigned && (layout.flags & kSign))
        sign[signLength++] = '+';
    else if (isSigned && (layout.flags & kBlank))
        sign[signLength++] = ' ';

    char digits[24];
    std::size_t length = 0;
    if (layout.precision != 0 || magnitude != 0) {
        const int base = conversion == 'o' ? 8 : conversion == 'x' || conversion == 'X' ? 16 : 10;
        length = static_cast<std::size_t>(
            std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr - digits);
        if (conversion == 'X')
            std::transform(digits, digits + length, digits,
                           [](char c) { return c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c; });
    }
    const auto precision = static_cast<std::size_t>(std::max(layout.precision, 0));
    std::size_t zeros = precision > length ? precision - length : 0;
    if (layout.flags & kAlternate) {
        if (conversion == 'o' && zeros == 0 && (length == 0 || digits[0] != '0'))
            zeros = 1;
        if ((conversion == 'x' || conversion == 'X') && magnitude != 0) {
            sign[signLength++] = '0';
            sign[signLength++] = conversion;
        }
    }
    appendPadded(target, layout, {sign, signLength}, zeros, {digits, length},
                 layout.precision < 0 && (layout.flags & kZeroPad));
}

// "%c", padded with blanks only. The runtime's text is taken up to its NUL, so a NUL character
// contributes nothing, and neither does padding after it.
void appendCharacter(Output& target, const Layout& layout, const Slot& value) {
    const char ch = static_cast<char>(value.integer);
    if (ch != '\0')
        appendPadded(target, layout, {}, 0, {&ch, 1}, false);
    else if (!layout.left() && layout.width > 1)
        target.appendFill(static_cast<std::size_t>(layout.width - 1), ' ');
}

// "eEfgG" through std::to_chars, whose text for a precision is the runtime formatter's; signs
// and padding as for integers, the zero flag also with a precision. False for what is left to
// the runtime formatter: infinities and NaN, the '#' flag, and texts longer than the buffer.
bool appendDouble(Output& target, const Layout& layout, char conversion, double value) {
    if (!std::isfinite(value) || (layout.flags & kAlternate))
        return false;
    const std::chars_format style = conversion == 'f' ? std::chars_format::fixed
                                    : conversion == 'e' || conversion == 'E'
                                        ? std::chars_format::scientific
                                        : std::chars_format::general;
    char text[kNumberBuffer];
    const auto result = std::to_chars(text, text + sizeof text, value, style,
                                      layout.precision < 0 ? 6 : layout.precision);
    if (result.ec != std::errc())
        return false;
    if (conversion == 'E' || conversion == 'G')
        std::replace(text, result.ptr, 'e', 'E');
    std::string_view digits(text, static_cast<std::size_t>(result.ptr - text));
    std::string_view sign;
    if (digits.front() == '-') {
        sign = "-";
        digits.remove_prefix(1);
    } else if (layout.flags & kSign) {
        sign = "+";
    } else if (layout.flags & kBlank) {
        sign = " ";
    }
    appendPadded(target, layout, sign, 0, digits, (layout.flags & kZeroPad) != 0);
    return true;
}

// Pointers and the doubles that appendDouble leaves: the conversion text is rebuilt from the
// parsed fields with the width and precision as arguments, and the text is measured before
// it is written.
void appendThroughRuntime(Output& target, const Layout& layout, char conversion, const Slot& value,
                          bool isDouble) {
    char format[16];
    std::size_t n = 0;
    format[n++] = '%';
    for (const auto& [bit, c] :
         {std::pair{kLeft, '-'}, std::pair{kSign, '+'}, std::pair{kBlank, ' '},
          std::pair{kAlternate, '#'}, std::pair{kZeroPad, '0'}}) {
        if (layout.flags & bit)
            format[n++] = c;
    }
    format[n++] = '*';
    format[n++] = '.';
    format[n++] = '*';
    format[n++] = conversion;
    format[n] = '\0';

    const int width = static_cast<int>(layout.width);
    auto print = [&](char* out, std::size_t room) {
        return isDouble ? std::snprintf(out, room, format, width, layout.precision, value.real)
                        : std::snprintf(out, room, format, width, layout.precision, value.pointer);
    };
    char buffer[kNumberBuffer];
    const int length = print(buffer, sizeof buffer);
    if (length < 0)
        return;
    const auto count = static_cast<std::size_t>(length);
    if (count < sizeof buffer) {
        target.append(buffer, count);
        return;
    }
    if (count > target.roomLeft())
        throwTooLong();
    // Too long for the stack buffer: format straight into the grown target; the runtime's
    // terminating NUL lands on the string's own.
    print(target.grow(count), count + 1);
}

void appendNumber(Output& target, const Directive& directive, const Slot* slots) {
    const Layout layout = layoutOf(directive, slots);
    if (static_cast<unsigned long long>(layout.width) > target.roomLeft() ||
        (layout.precision > 0 && static_cast<std::size_t>(layout.precision) > target.roomLeft()))
        throwTooLong();
    const Slot& value = slots[directive.valueArgument];
    if (directive.conversion == 'c')
        appendCharacter(target, layout, value);
    else if (directive.kind == kInteger)
        appendInteger(target, layout, directive.conversion, value);
    else if (directive.kind == kPointer ||
             !appendDouble(target, layout, directive.conversion, value.real))
        appendThroughRuntime(target, layout, directive.conversion, value,
                             directive.kind == kDouble);
}

// "%s": a null pointer gives "(null)" without padding; the precision limits the bytes read.
void appendString(Output& target, const Directive& directive, const Slot* slots) {
    const char* text = static_cast<const char*>(slots[directive.valueArgument].pointer);
    if (!text) {
        target.append("(null)", 6);
        return;
    }
    const Layout layout = layoutOf(directive, slots);
    const std::size_t length = layout.precision >= 0
                                   ? strnlen(text, static_cast<std::size_t>(layout.precision))
                                   : std::strlen(text);
    appendPadded(target, layout, {}, 0, {text, length}, false);
}

// Writes a format whose conversions take their arguments in the order they come, as one
// without "N$" positions does: each conversion reads its arguments (a '*' width, a '*'
// precision, the value, in the order the positional engine numbers them) and is written in
// turn, without the arrays and numbering that positions need. The output is the same.
void appendInOrder(Output& out, const char* fmt, std::size_t n, std::va_list& args) {
    for (std::size_t pos = 0; pos < n;) {
        if (fmt[pos] != '%') {
            const char* next = static_cast<const char*>(std::memchr(fmt + pos, '%', n - pos));
            const std::size_t end = next ? static_cast<std::size_t>(next - fmt) : n;
            out.append(fmt + pos, end - pos);
            pos = end;
            continue;
        }
        const std::size_t percent = pos++;
        Directive directive = parseConversion(fmt, pos);
        if (directive.kind == kLiteral) {
            // An invalid conversion gives the one character after the '%' ("%%" gives "%").
            out.append(fmt + percent + 1, 1);
            continue;
        }
        if (!takesArguments(directive))
            continue;
        Slot arguments[3];
        std::uint32_t count = 0;
        const auto take = [&](std::uint16_t kind, std::uint16_t size) {
            Slot& slot = arguments[count];
            slot.kind = kind;
            slot.size = size;
            readArgument(slot, args);
            return count++;
        };
        if (directive.widthArgument == kUnnumbered)
            directive.widthArgument = take(kInteger, kSizeInt);
        if (directive.precisionArgument == kUnnumbered)
            directive.precisionArgument = take(kInteger, kSizeInt);
        directive.valueArgument = take(directive.kind, directive.size);
        if (directive.kind == kString)
            appendString(out, directive, arguments);
        else
            appendNumber(out, directive, arguments);
    }
}

} // namespace

void ustring::findArgMarkers(size_type (&markers)[10]) const {
    size_type found[10];
    std::fill(std::begin(found), std::end(found), npos);
    const char* text = data();
    const size_type n = size();
    for (size_type i = 0; i + 1 < n;) {
        if (text[i] == '%' && isDigit(text[i + 1])) {
            found[text[i + 1] - '0'] = i;
            i += 2;
        } else {
            ++i;
        }
    }
    std::size_t count = 0;
    for (const size_type position : found) {
        if (position != npos)
            markers[count++] = position;
    }
    std::fill(markers + count, markers + 10, npos);
}

ustring ustring::arg(const ustring& text, int fieldWidth, char fill) const {
    const size_type marker = lowestMarker(*this);
    if (marker == npos)
        return *this;
    const auto width = static_cast<size_type>(fieldWidth);
    if (fieldWidth <= 0 || text.size() == width)
        return substituteMarker(*this, marker, text);
    if (text.size() > width)
        return substituteMarker(*this, marker, text.substr(0, width));
    return substituteMarker(*this, marker, padOnLeft(text.view(), fieldWidth, fill));
}

ustring ustring::argChar(char ch) const {
    const size_type marker = lowestMarker(*this);
    if (marker == npos)
        return *this;
    return substituteMarker(*this, marker, ustring(1, ch));
}

ustring ustring::argShort(short value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argUShort(unsigned short value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argInt(int value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argUInt(unsigned int value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argLong(long value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argULong(unsigned long value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argInt64(std::int64_t value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argUInt64(std::uint64_t value, int fieldWidth, int base, char fill) const {
    return argNumber(*this, value, fieldWidth, base, fill);
}

ustring ustring::argDouble(double value, int precision, char format, int fieldWidth,
                           char fill) const {
    const size_type marker = lowestMarker(*this);
    if (marker == npos)
        return *this;
    // The stream's text for these settings is printf's (a negative precision is the stream's
    // default of 6), but the stream builds it in a stack buffer as long as the text: the format
    // engine writes it into the string and throws past the string limit.
    const char* conversion = format == 'e' ? "%.*e" : format == 'f' ? "%.*f" : "%.*g";
    const ustring text = ustring::format(conversion, precision < 0 ? 6 : precision, value);
    return substituteMarker(*this, marker, padOnLeft(text.view(), fieldWidth, fill));
}

ustring ustring::format(const char* fmt, ...) {
    std::va_list args;
    va_start(args, fmt);
    ustring result;
    try {
        appendFormat(result, fmt, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
    return result;
}

ustring ustring::vformat(const char* fmt, std::va_list args) {
    ustring result;
    appendFormat(result, fmt, args);
    return result;
}

void ustring::appendFormat(ustring& target, const char* fmt, std::va_list args) {
    const size_type n = std::strlen(fmt);
    if (std::memchr(fmt, '$', n) == nullptr) {
        std::va_list copy;
        va_copy(copy, args);
        Output out(target);
        try {
            appendInOrder(out, fmt, n, copy);
        } catch (...) {
            va_end(copy);
            throw;
        }
        va_end(copy);
        out.flush();
        return;
    }
    const size_type percents = static_cast<size_type>(std::count(fmt, fmt + n, '%'));
    const size_type slotCount = 3 * percents + 1;

    // Pass 1: cut the text into literal runs and conversions.
    CallArray<Directive> directives(2 * percents + 1);
    size_type directiveCount = 0;
    for (size_type pos = 0; pos < n;) {
        if (fmt[pos] != '%') {
            const char* next = static_cast<const char*>(std::memchr(fmt + pos, '%', n - pos));
            const size_type end = next ? static_cast<size_type>(next - fmt) : n;
            Directive& literal = directives[directiveCount++];
            literal = emptyDirective(kLiteral);
            literal.start = static_cast<std::uint32_t>(pos);
            literal.length = static_cast<std::uint32_t>(end - pos);
            pos = end;
            continue;
        }
        const size_type percent = pos++;
        Directive directive = parseConversion(fmt, pos);
        if (directive.kind == kLiteral) {
            // An invalid conversion gives the one character after the '%' ("%%" gives "%").
            directive = emptyDirective(kLiteral);
            directive.start = static_cast<std::uint32_t>(percent + 1);
            directive.length = 1;
        } else {
            directive.start = static_cast<std::uint32_t>(percent);
            directive.length = static_cast<std::uint32_t>(pos - percent);
        }
        directives[directiveCount++] = directive;
    }

    // Pass 2: number the arguments and read them in slot order.
    CallArray<Slot> slots(slotCount);
    for (size_type i = 0; i < slotCount; ++i)
        slots[i] = Slot{};
    if (!numberArguments(&directives[0], directiveCount, &slots[0], slotCount))
        return;
    std::va_list copy;
    va_copy(copy, args);
    readArguments(&slots[0], slotCount, copy);
    va_end(copy);

    // Pass 3: output.
    Output out(target);
    for (size_type i = 0; i < directiveCount; ++i) {
        const Directive& directive = directives[i];
        switch (directive.kind) {
        case kLiteral:
            out.append(fmt + directive.start, directive.length);
            break;
        case kInteger:
        case kDouble:
        case kPointer:
            appendNumber(out, directive, &slots[0]);
            break;
        case kString:
            appendString(out, directive, &slots[0]);
            break;
        default:
            break;
        }
    }
    out.flush();
}

bool ustring::setNumber(double value, int decimals) {
    *this = format("%.*f", decimals, value);
    if (toDouble() == 0) {
        assignCStr("0");
        return false;
    }
    if (decimals < 1)
        return true;
    size_type length = size();
    while (length > 0 && (data()[length - 1] == '0' || data()[length - 1] == '.')) {
        const bool point = data()[length - 1] == '.';
        --length;
        if (point)
            break;
    }
    resize(length);
    return true;
}

ustring ustring::number(double value, int decimals) {
    ustring text;
    text.setNumber(value, decimals);
    return text;
}
