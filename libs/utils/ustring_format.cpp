// The text-building operations of ustring: numbered-marker substitution, the printf-style
// engine with positional arguments, and number text with trimmed decimals.
#include "ustring.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

// --- marker substitution ------------------------------------------------------------------

// A copy of `source` with the two characters of its lowest marker replaced by `text`.
ustring substituteLowestMarker(const ustring& source, const ustring& text) {
    ustring::size_type markers[10];
    source.findArgMarkers(markers);
    ustring result(source);
    if (markers[0] != ustring::npos)
        result.replace(markers[0], 2, text);
    return result;
}

bool hasMarker(const ustring& source) {
    ustring::size_type markers[10];
    source.findArgMarkers(markers);
    return markers[0] != ustring::npos;
}

void applyBase(std::ostringstream& out, int base) {
    if (base == 8)
        out << std::oct;
    else if (base == 16)
        out << std::hex;
}

void applyWidth(std::ostringstream& out, int fieldWidth, char fill) {
    if (fieldWidth > 0)
        out << std::setw(fieldWidth) << std::setfill(fill);
}

template <typename T>
ustring argNumber(const ustring& source, T value, int fieldWidth, int base, char fill) {
    if (!hasMarker(source))
        return source;
    std::ostringstream out;
    applyBase(out, base);
    applyWidth(out, fieldWidth, fill);
    out << value;
    return substituteLowestMarker(source, ustring(out.view()));
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
struct Spec {
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
    char conversion;  // the conversion character handed to the runtime formatter
    bool badPosition; // an "N$" outside 1..254
};

Spec emptySpec(std::uint16_t kind) {
    return Spec{kSizeInt, kind, 0, 0, -1, -1, 0, kNoArgument, kNoArgument, kNoArgument, 0, false};
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

// Up to kInlineCount elements on the stack, more on the heap for one call.
template <typename T>
class CallArray {
public:
    explicit CallArray(std::size_t count) {
        if (count > kInlineCount) {
            heap_ = std::make_unique<T[]>(count);
            data_ = heap_.get();
        }
    }
    T& operator[](std::size_t i) { return data_[i]; }

private:
    T inline_[kInlineCount];
    std::unique_ptr<T[]> heap_;
    T* data_ = inline_;
};

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

// Parses the conversion that starts after the '%' at `text[pos - 1]`; leaves `pos` after the
// last character read. The result's kind is kIncomplete when the text ends inside it and
// kLiteral when an invalid character ends it.
Spec parseConversion(const char* text, std::size_t& pos) {
    Spec spec = emptySpec(kIncomplete);
    bool inPrecision = false;
    bool widthWritten = false;
    for (;;) {
        const char c = text[pos];
        if (c == '\0')
            return spec;
        if (isDigit(c) && !(c == '0' && !inPrecision && !widthWritten)) {
            const int number = readNumber(text, pos);
            if (text[pos] == '$') {
                ++pos;
                const bool fits = number >= 1 && number <= kMaxPosition;
                spec.badPosition |= !fits;
                const auto index = static_cast<std::uint32_t>(fits ? number - 1 : 0);
                if (spec.precisionArgument == kUnnumbered)
                    spec.precisionArgument = index;
                else if (spec.widthArgument == kUnnumbered)
                    spec.widthArgument = index;
                else
                    spec.valueArgument = index;
            } else if (inPrecision) {
                spec.precision = number;
            } else {
                spec.width = number;
                widthWritten = true;
            }
            continue;
        }
        ++pos;
        switch (c) {
        case ' ':
            if (!(spec.flags & kSign))
                spec.flags |= kBlank;
            break;
        case '#':
            spec.flags |= kAlternate;
            break;
        case '+':
            spec.flags = (spec.flags | kSign) & ~kBlank;
            break;
        case '-':
            spec.flags = (spec.flags | kLeft) & ~kZeroPad;
            break;
        case '0':
            if (!(spec.flags & kLeft))
                spec.flags |= kZeroPad;
            break;
        case '*':
            spec.widthArgument = kUnnumbered;
            break;
        case '.':
            inPrecision = true;
            // A '.' without digits is precision 0, as for the runtime formatter.
            spec.precision = 0;
            if (text[pos] == '*') {
                spec.precisionArgument = kUnnumbered;
                spec.precision = -1;
                ++pos;
            }
            break;
        case 'h':
            spec.size = kSize16;
            break;
        case 'l':
            spec.size = kSizeLong;
            if (text[pos] == 'l') {
                spec.size = kSize64;
                ++pos;
            }
            break;
        case 'q':
            spec.size = kSize64;
            break;
        case 'd':
        case 'i':
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            spec.kind = kInteger;
            spec.conversion = c;
            return spec;
        case 'D':
        case 'O':
        case 'U':
            // Old spellings of the long conversions; printed as their lower-case forms.
            spec.kind = kInteger;
            spec.conversion = static_cast<char>(c - 'A' + 'a');
            return spec;
        case 'c':
            spec.kind = kInteger;
            spec.size = kSizeChar;
            spec.conversion = c;
            return spec;
        case 'e':
        case 'E':
        case 'f':
        case 'g':
        case 'G':
            spec.kind = kDouble;
            spec.size = kSize64;
            spec.conversion = c;
            return spec;
        case 'p':
            spec.kind = kPointer;
            spec.size = kSizeLong;
            spec.conversion = c;
            return spec;
        case 's':
            spec.kind = kString;
            spec.size = kSizeLong;
            return spec;
        default:
            spec.kind = kLiteral;
            return spec;
        }
    }
}

bool takesArguments(const Spec& spec) {
    return spec.kind == kInteger || spec.kind == kDouble || spec.kind == kPointer ||
           spec.kind == kString;
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
bool numberArguments(Spec* specs, std::size_t specCount, Slot* slots, std::size_t slotCount) {
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < specCount; ++i) {
        Spec& spec = specs[i];
        if (!takesArguments(spec))
            continue;
        if (spec.badPosition)
            return false;
        for (const std::uint32_t index :
             {spec.valueArgument, spec.precisionArgument, spec.widthArgument}) {
            if (index < kUnnumbered && index >= slotCount)
                return false;
        }
        if (spec.widthArgument == kUnnumbered)
            spec.widthArgument = next++;
        if (spec.precisionArgument == kUnnumbered)
            spec.precisionArgument = next++;
        if (spec.valueArgument == kNoArgument)
            spec.valueArgument = next++;
        if (!claim(slots[spec.valueArgument], spec.kind, spec.size))
            return false;
        if (spec.widthArgument != kNoArgument && !claim(slots[spec.widthArgument], kInteger, 0))
            return false;
        if (spec.precisionArgument != kNoArgument &&
            !claim(slots[spec.precisionArgument], kInteger, 0))
            return false;
    }
    return true;
}

// Reads the used slots in ascending order, so the arguments fill them in that order.
void readArguments(Slot* slots, std::size_t slotCount, std::va_list args) {
    for (std::size_t i = 0; i < slotCount; ++i) {
        Slot& slot = slots[i];
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
}

[[noreturn]] void throwTooLong() {
    throw std::length_error("ustring");
}

// Collects the output of one call in a stack buffer, so the target grows a few times per call
// rather than once per piece. The caller flushes at the end.
class Output {
public:
    explicit Output(ustring& target) : target_(target) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void append(const char* p, std::size_t n) {
        if (n > sizeof buffer_ - used_) {
            flush();
            if (n > sizeof buffer_) {
                target_.append(p, n);
                return;
            }
        }
        std::memcpy(buffer_ + used_, p, n);
        used_ += n;
    }
    void appendFill(std::size_t count, char ch) {
        if (count > sizeof buffer_ - used_) {
            flush();
            target_.appendFill(count, ch);
            return;
        }
        std::memset(buffer_ + used_, ch, count);
        used_ += count;
    }
    // Room for `n` more characters at the end of the target, to be written in place.
    char* grow(std::size_t n) {
        flush();
        const std::size_t old = target_.size();
        target_.resize(old + n);
        return target_.data() + old;
    }
    // Characters that may still be added before the string limit.
    std::size_t roomLeft() const {
        const std::size_t size = target_.size() + used_;
        return ustring::kMaxGrownLength - std::min(size, ustring::kMaxGrownLength);
    }
    void flush() {
        if (used_ != 0)
            target_.append(buffer_, used_);
        used_ = 0;
    }

private:
    ustring& target_;
    std::size_t used_ = 0;
    char buffer_[256];
};

// The width or precision in force: the argument's value, replaced by a written one.
int effective(std::int32_t written, std::uint32_t argument, const Slot* slots) {
    if (written >= 0)
        return written;
    if (argument != kNoArgument)
        return static_cast<std::int32_t>(slots[argument].integer);
    return -1;
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

// An integer without flags, width or precision, written directly: the same text as the
// runtime formatter gives, without its cost. False for conversions it does not cover.
bool appendPlainInteger(Output& target, char conversion, const Slot& value) {
    char buffer[24];
    std::to_chars_result result;
    switch (conversion) {
    case 'd':
    case 'i':
        result = std::to_chars(buffer, buffer + sizeof buffer, value.integer);
        break;
    case 'u':
        result = std::to_chars(buffer, buffer + sizeof buffer, unsignedAtWidth(value));
        break;
    case 'x':
        result = std::to_chars(buffer, buffer + sizeof buffer, unsignedAtWidth(value), 16);
        break;
    case 'o':
        result = std::to_chars(buffer, buffer + sizeof buffer, unsignedAtWidth(value), 8);
        break;
    default:
        return false;
    }
    target.append(buffer, static_cast<std::size_t>(result.ptr - buffer));
    return true;
}

// Formats one number through the runtime formatter. The conversion text is rebuilt from the
// parsed fields, with the length modifier that matches the value as it is passed, and the
// width and precision always come as arguments. The text is measured before it is written.
void appendNumber(Output& target, const Spec& spec, const Slot* slots) {
    std::uint32_t flags = spec.flags;
    long long width = effective(spec.width, spec.widthArgument, slots);
    const bool hasWidth = spec.width >= 0 || spec.widthArgument != kNoArgument;
    if (hasWidth && width < 0) {
        flags = (flags | kLeft) & ~kZeroPad;
        width = -width;
    }
    const int precision = effective(spec.precision, spec.precisionArgument, slots);
    const bool hasPrecision = precision >= 0;
    if ((hasWidth && static_cast<unsigned long long>(width) > target.roomLeft()) ||
        (hasPrecision && static_cast<std::size_t>(precision) > target.roomLeft()))
        throwTooLong();

    const Slot& value = slots[spec.valueArgument];
    if (spec.kind == kInteger && flags == 0 && !hasWidth && !hasPrecision &&
        appendPlainInteger(target, spec.conversion, value))
        return;

    char conversion[16];
    std::size_t n = 0;
    conversion[n++] = '%';
    for (const auto& [bit, c] :
         {std::pair{kLeft, '-'}, std::pair{kSign, '+'}, std::pair{kBlank, ' '},
          std::pair{kAlternate, '#'}, std::pair{kZeroPad, '0'}}) {
        if (flags & bit)
            conversion[n++] = c;
    }
    if (hasWidth)
        conversion[n++] = '*';
    if (hasPrecision) {
        conversion[n++] = '.';
        conversion[n++] = '*';
    }
    if (spec.kind == kInteger && value.size == kSize16) {
        conversion[n++] = 'h';
    } else if (spec.kind == kInteger && value.size == kSizeLong) {
        conversion[n++] = 'l';
    } else if (spec.kind == kInteger && value.size == kSize64) {
        conversion[n++] = 'l';
        conversion[n++] = 'l';
    }
    conversion[n++] = spec.conversion;
    conversion[n] = '\0';

    const int w = hasWidth ? static_cast<int>(width) : 0;
    const int p = hasPrecision ? precision : 0;
    auto print = [&](char* out, std::size_t room) {
        // The unused '*' arguments are never consumed: the text names only those present.
        auto call = [&](auto v) {
            if (hasWidth && hasPrecision)
                return std::snprintf(out, room, conversion, w, p, v);
            if (hasWidth)
                return std::snprintf(out, room, conversion, w, v);
            if (hasPrecision)
                return std::snprintf(out, room, conversion, p, v);
            return std::snprintf(out, room, conversion, v);
        };
        if (spec.kind == kDouble)
            return call(value.real);
        if (spec.kind == kPointer)
            return call(value.pointer);
        if (value.size == kSize64)
            return call(static_cast<long long>(value.integer));
        if (value.size == kSizeLong)
            return call(static_cast<long>(value.integer));
        return call(static_cast<int>(value.integer));
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

void appendString(Output& target, const Spec& spec, const Slot* slots) {
    const char* text = static_cast<const char*>(slots[spec.valueArgument].pointer);
    if (!text) {
        target.append("(null)", 6);
        return;
    }
    const int precision = effective(spec.precision, spec.precisionArgument, slots);
    const std::size_t length =
        precision >= 0 ? strnlen(text, static_cast<std::size_t>(precision)) : std::strlen(text);
    long long width = effective(spec.width, spec.widthArgument, slots);
    bool left = (spec.flags & kLeft) != 0;
    if (width < 0 && (spec.width >= 0 || spec.widthArgument != kNoArgument)) {
        left = true;
        width = -width;
    }
    const std::size_t padding =
        width > static_cast<long long>(length) ? static_cast<std::size_t>(width) - length : 0;
    if (padding > target.roomLeft())
        throwTooLong();
    if (!left)
        target.appendFill(padding, ' ');
    target.append(text, length);
    if (left)
        target.appendFill(padding, ' ');
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
    if (!hasMarker(*this))
        return *this;
    const auto width = static_cast<size_type>(fieldWidth);
    if (fieldWidth <= 0 || text.size() == width)
        return substituteLowestMarker(*this, text);
    if (text.size() > width)
        return substituteLowestMarker(*this, text.substr(0, width));
    ustring padded(width - text.size(), fill);
    padded += text;
    return substituteLowestMarker(*this, padded);
}

ustring ustring::argChar(char ch) const {
    return substituteLowestMarker(*this, ustring(1, ch));
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
    if (!hasMarker(*this))
        return *this;
    std::ostringstream out;
    if (precision != -1)
        out.precision(precision);
    if (format == 'e')
        out << std::scientific;
    else if (format == 'f')
        out << std::fixed;
    applyWidth(out, fieldWidth, fill);
    out << value;
    return substituteLowestMarker(*this, ustring(out.view()));
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
    const size_type percents = static_cast<size_type>(std::count(fmt, fmt + n, '%'));
    const size_type slotCount = 3 * percents + 1;

    // Pass 1: cut the text into literal runs and conversions.
    CallArray<Spec> specs(2 * percents + 1);
    size_type specCount = 0;
    for (size_type pos = 0; pos < n;) {
        if (fmt[pos] != '%') {
            const char* next = static_cast<const char*>(std::memchr(fmt + pos, '%', n - pos));
            const size_type end = next ? static_cast<size_type>(next - fmt) : n;
            Spec& literal = specs[specCount++];
            literal = emptySpec(kLiteral);
            literal.start = static_cast<std::uint32_t>(pos);
            literal.length = static_cast<std::uint32_t>(end - pos);
            pos = end;
            continue;
        }
        const size_type percent = pos++;
        Spec spec = parseConversion(fmt, pos);
        if (spec.kind == kLiteral) {
            // An invalid conversion gives the one character after the '%' ("%%" gives "%").
            spec = emptySpec(kLiteral);
            spec.start = static_cast<std::uint32_t>(percent + 1);
            spec.length = 1;
        } else {
            spec.start = static_cast<std::uint32_t>(percent);
            spec.length = static_cast<std::uint32_t>(pos - percent);
        }
        specs[specCount++] = spec;
    }

    // Pass 2: number the arguments and read them in slot order.
    CallArray<Slot> slots(slotCount);
    for (size_type i = 0; i < slotCount; ++i)
        slots[i] = Slot{};
    if (!numberArguments(&specs[0], specCount, &slots[0], slotCount))
        return;
    std::va_list copy;
    va_copy(copy, args);
    readArguments(&slots[0], slotCount, copy);
    va_end(copy);

    // Pass 3: output.
    Output out(target);
    for (size_type i = 0; i < specCount; ++i) {
        const Spec& spec = specs[i];
        switch (spec.kind) {
        case kLiteral:
            out.append(fmt + spec.start, spec.length);
            break;
        case kInteger:
        case kDouble:
        case kPointer:
            appendNumber(out, spec, &slots[0]);
            break;
        case kString:
            appendString(out, spec, &slots[0]);
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
