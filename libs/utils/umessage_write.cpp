// Writers of the JSON text of a umessage: the compact form and the two readable forms. Each
// builds its text in a string and hands the stream one write.
#include "utils/umessage_write.h"

#include "platform/debug_output.h"
#include "utils/WriteBuffer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>
#include <type_traits>

namespace {

using namespace umessage_details;
using Child = std::shared_ptr<umessage>;

constexpr std::size_t kLineLimit = 40;     // longest one-line text
constexpr std::size_t kMaxLineEntries = 4; // entries of a message written on one line
constexpr std::size_t kMaxLineValues = 6;  // values of an array written on one line
constexpr std::size_t kNoLimit = std::string::npos;
constexpr std::size_t kDebugPiece = 4095; // longest piece of one debug-output call
constexpr std::size_t kReservePerEntry = 32;

// The escape of each byte, or 0 when the byte stands as it is.
constexpr std::array<char, 256> kEscapes = [] {
    std::array<char, 256> table{};
    table['"'] = '"';
    table['\\'] = '\\';
    table['\b'] = 'b';
    table['\f'] = 'f';
    table['\n'] = 'n';
    table['\r'] = 'r';
    table['\t'] = 't';
    return table;
}();

// Appends the escaped bytes in runs; stops early once `out` is longer than `limit`.
void appendEscaped(std::string& out, std::string_view bytes, std::size_t limit) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char escape = kEscapes[static_cast<unsigned char>(bytes[i])];
        if (escape == 0)
            continue;
        out.append(bytes.data() + run, i - run);
        out += '\\';
        out += escape;
        run = i + 1;
        if (out.size() > limit)
            return;
    }
    out.append(bytes.data() + run, bytes.size() - run);
}

void appendQuoted(std::string& out, std::string_view bytes, std::size_t limit = kNoLimit) {
    out += '"';
    appendEscaped(out, bytes, limit);
    out += '"';
}

std::size_t escapedLength(std::string_view bytes) {
    return bytes.size() +
           static_cast<std::size_t>(std::count_if(bytes.begin(), bytes.end(), [](char c) {
               return kEscapes[static_cast<unsigned char>(c)] != 0;
           }));
}

template <typename Integer>
void appendScalar(std::string& out, Integer value, std::size_t) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

void appendScalar(std::string& out, bool value, std::size_t) {
    out += value ? "true" : "false";
}

// printf's "%g": 6 significant digits, the shorter of fixed and exponent notation, no trailing
// zeros. JSON has no NaN or infinity, so those are written as null.
void appendScalar(std::string& out, double value, std::size_t) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6).ptr;
    out.append(buffer, end);
}

void appendScalar(std::string& out, const ustring& value, std::size_t limit) {
    appendQuoted(out, value.view(), limit);
}

// Calls visit(values) with the array's values as the vector of their element type, and returns
// what it returns.
template <typename Visit>
auto forEachArray(const dyn_array& array, Visit&& visit) {
    switch (array.type()) {
    case type_int:
        return visit(valuesOf<int>(array));
    case type_bool:
        return visit(valuesOf<bool>(array));
    case type_double:
        return visit(valuesOf<double>(array));
    case type_string:
        return visit(valuesOf<ustring>(array));
    case type_message:
        return visit(valuesOf<Child>(array));
    default: // type_int64
        return visit(valuesOf<long long>(array));
    }
}

// Calls visit(value, index) for each value of the array in order while it returns true; false
// when a call returned false.
template <typename Visit>
bool forEachValue(const dyn_array& array, Visit&& visit) {
    return forEachArray(array, [&](const auto& values) {
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!visit(values[i], i))
                return false;
        return true;
    });
}

// Thrown by the compact writer at a message more than umessage::kMaxDepth levels below the one
// written, and caught where it started: the text is dropped whole.
struct TooDeep {};

void checkDepth(int depth) {
    if (depth > umessage::kMaxDepth)
        throw TooDeep{};
}

bool writtenAsArray(const dyn_array& array) {
    return array.isArray != 0 || array.size() >= 2;
}

const umessage& singleChild(const dyn_array& array) {
    return *valuesOf<Child>(array).front();
}

// --- compact form -------------------------------------------------------------------------------
// The text the companion application receives, of messages with thousands of entries: it is
// written through a WriteBuffer, each piece after one check for room for the most it can take,
// instead of appends that each check a std::string's room (those checks and calls were most of
// the writing besides the walk over the map).

using CompactText = WriteBuffer;

// True when one of the word's 8 bytes may need an escape: '"', '\\' or a byte below 0x0E (the
// escaped control characters are 0x08 to 0x0D). Each test is the "has a byte below n" bit trick.
bool mayNeedEscape(std::uint64_t word) {
    constexpr std::uint64_t kLows = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    const auto hasByteBelow = [](std::uint64_t w, std::uint64_t n) {
        return ((w - kLows * n) & ~w & kHighs) != 0;
    };
    return hasByteBelow(word, 0x0E) || hasByteBelow(word ^ (kLows * '"'), 1) ||
           hasByteBelow(word ^ (kLows * '\\'), 1);
}

// The bytes between quotes, escaped as appendEscaped does. Names and strings mostly need no
// escape: eight bytes at a time are passed over while none of them may need one.
void putQuoted(CompactText& out, std::string_view bytes) {
    out.makeRoom(2 * bytes.size() + 2); // every byte escaped, and the quotes
    out.put('"');
    std::size_t run = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (i + 8 <= bytes.size()) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if (!mayNeedEscape(word)) {
                i += 8;
                continue;
            }
        }
        const char escape = kEscapes[static_cast<unsigned char>(bytes[i])];
        if (escape != 0) {
            out.put(bytes.data() + run, i - run);
            out.put('\\');
            out.put(escape);
            run = i + 1;
        }
        ++i;
    }
    out.put(bytes.data() + run, bytes.size() - run);
    out.put('"');
}

template <typename Integer>
void putCompactValue(CompactText& out, Integer value) {
    constexpr std::size_t kMostDigits = 24;
    out.makeRoom(kMostDigits);
    out.advance(std::to_chars(out.cursor(), out.cursor() + kMostDigits, value).ptr);
}

void putCompactValue(CompactText& out, bool value) {
    out.makeRoom(5);
    if (value)
        out.put("true", 4);
    else
        out.put("false", 5);
}

// As appendScalar: printf's "%g", null when not finite.
void putCompactValue(CompactText& out, double value) {
    constexpr std::size_t kMostCharacters = 32;
    out.makeRoom(kMostCharacters);
    if (!std::isfinite(value)) {
        out.put("null", 4);
        return;
    }
    out.advance(std::to_chars(out.cursor(), out.cursor() + kMostCharacters, value,
                              std::chars_format::general, 6)
                    .ptr);
}

void putCompactValue(CompactText& out, const ustring& value) {
    putQuoted(out, value.view());
}

// Writes `message`, which stands `depth` levels below the message written.
void putCompact(CompactText& out, const umessage& message, int depth) {
    checkDepth(depth);
    out.makeRoom(1);
    out.put('{');
    bool first = true;
    for (const auto& [name, array] : message.entries()) {
        out.makeRoom(1);
        if (!first)
            out.put(',');
        first = false;
        putQuoted(out, name.view());
        out.makeRoom(1);
        out.put(':');
        const bool markedArray = array->isArray != 0;
        forEachArray(*array, [&out, markedArray, depth](const auto& values) {
            // As writtenAsArray, with the size at hand.
            const bool asArray = markedArray || values.size() >= 2;
            out.makeRoom(1);
            if (asArray)
                out.put('[');
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (i != 0) {
                    out.makeRoom(1);
                    out.put(',');
                }
                if constexpr (std::is_same_v<std::decay_t<decltype(values[i])>, Child>)
                    putCompact(out, *values[i], depth + 1);
                else
                    putCompactValue(out, values[i]);
            }
            out.makeRoom(1);
            if (asArray)
                out.put(']');
        });
    }
    out.makeRoom(1);
    out.put('}');
}

// --- one-line form ------------------------------------------------------------------------------
// Each function appends to `out` and returns false as soon as the text has no one-line form or
// `out` has grown beyond `limit`: the end of the enclosing one-line text, so that a failed try
// costs little. The caller cuts `out` back on false.

bool appendSingleLine(std::string& out, const umessage& message, std::size_t limit);

bool appendLineElement(std::string& out, const Child& child, std::size_t limit) {
    return appendSingleLine(out, *child, limit);
}

template <typename T>
bool appendLineElement(std::string& out, const T& value, std::size_t limit) {
    appendScalar(out, value, limit);
    return out.size() <= limit;
}

// The one-line text of an entry's values; a single scalar has one whatever its length.
bool appendLineValue(std::string& out, const dyn_array& array, std::size_t limit) {
    if (!writtenAsArray(array)) {
        if (array.type() == type_message)
            return appendSingleLine(out, singleChild(array), limit);
        forEachValue(array, [&](const auto& value, std::size_t) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(value)>, Child>)
                appendScalar(out, value, limit);
            return true;
        });
        return true;
    }
    if (array.size() == 0) {
        out += "[]";
        return true;
    }
    if (array.size() > kMaxLineValues)
        return false;
    limit = std::min(limit, out.size() + kLineLimit);
    out += "[ ";
    const bool fits = forEachValue(array, [&](const auto& value, std::size_t i) {
        if (i != 0)
            out += ", ";
        return appendLineElement(out, value, limit) && out.size() <= limit;
    });
    out += " ]";
    return fits && out.size() <= limit;
}

bool appendSingleLine(std::string& out, const umessage& message, std::size_t limit) {
    if (message.empty()) {
        out += "{}";
        return out.size() <= limit;
    }
    if (message.size() > kMaxLineEntries)
        return false;
    limit = std::min(limit, out.size() + kLineLimit);
    out += "{ ";
    bool first = true;
    for (const auto& [name, array] : message.entries()) {
        if (!first)
            out += ", ";
        first = false;
        appendQuoted(out, name.view(), limit);
        out += ": ";
        if (out.size() > limit || !appendLineValue(out, *array, limit) || out.size() > limit)
            return false;
    }
    out += " }";
    return out.size() <= limit;
}

// --- indented form ------------------------------------------------------------------------------

void appendIndent(std::string& out, int level) {
    out.append(2 * static_cast<std::size_t>(std::max(level, 0)), ' ');
}

void appendMultiLine(std::string& out, const umessage& message, int level);

// A child in an array: its one-line form when it has one, else its indented form.
void appendArrayElement(std::string& out, const Child& child, int level) {
    const std::size_t mark = out.size();
    if (!appendSingleLine(out, *child, kNoLimit)) {
        out.resize(mark);
        appendMultiLine(out, *child, level);
    }
}

template <typename T>
void appendArrayElement(std::string& out, const T& value, int) {
    appendScalar(out, value, kNoLimit);
}

// The indented text of an entry without a one-line text: a single child message or an array.
void appendMultiLineValue(std::string& out, const dyn_array& array, int level) {
    if (!writtenAsArray(array)) {
        appendMultiLine(out, singleChild(array), level);
        return;
    }
    out += "[\n";
    forEachValue(array, [&](const auto& value, std::size_t i) {
        if (i != 0)
            out += ",\n";
        appendIndent(out, level + 1);
        appendArrayElement(out, value, level + 1);
        return true;
    });
    out += '\n';
    appendIndent(out, level);
    out += ']';
}

void appendMultiLine(std::string& out, const umessage& message, int level) {
    std::size_t column = 0;
    for (const auto& entry : message.entries())
        column = std::max(column, escapedLength(entry.first.view()));
    ++column;
    out += "{\n";
    bool first = true;
    for (const auto& [name, array] : message.entries()) {
        if (!first)
            out += ",\n";
        first = false;
        appendIndent(out, level + 1);
        appendQuoted(out, name.view());
        out += ':';
        const std::size_t mark = out.size();
        out.append(column - escapedLength(name.view()), ' ');
        if (!appendLineValue(out, *array, kNoLimit)) {
            out.resize(mark);
            out += ' ';
            appendMultiLineValue(out, *array, level + 1);
        }
    }
    out += '\n';
    appendIndent(out, level);
    out += '}';
}

// True when no message of the tree stands more than `levels` levels below `message`; it looks no
// deeper than that. The readable forms check the tree first, as their one-line texts may carry
// the last few levels.
bool nestsWithin(const umessage& message, int levels) {
    for (const auto& [name, array] : message.entries()) {
        if (array->type() != type_message)
            continue;
        if (levels == 0)
            return false;
        for (const Child& child : valuesOf<Child>(*array))
            if (!nestsWithin(*child, levels - 1))
                return false;
    }
    return true;
}

// The text of operator<<, with its final line feed; "" for a tree nested too deep.
std::string readableText(const umessage& message) {
    if (!nestsWithin(message, umessage::kMaxDepth))
        return {};
    std::string text;
    if (!appendSingleLine(text, message, kNoLimit)) {
        text.clear();
        appendMultiLine(text, message, 0);
    }
    text += '\n';
    return text;
}

} // namespace

bool writeJsonCompact(const umessage& message, std::ostream& out) {
    CompactText text;
    // Room for short entries up front spares most of the regrowth of a large message.
    text.makeRoom(kReservePerEntry * message.size());
    try {
        putCompact(text, message, 0);
    } catch (const TooDeep&) {
        return false;
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return true;
}

std::string writeJsonSingleLine(const umessage& message) {
    std::string text;
    if (!appendSingleLine(text, message, kNoLimit))
        text.clear();
    return text;
}

std::string writeJsonMultiLine(const umessage& message, int level) {
    if (!nestsWithin(message, umessage::kMaxDepth))
        return {};
    std::string text;
    appendMultiLine(text, message, level);
    return text;
}

bool umessage::write(std::ostream& out) const {
    if (!writeJsonCompact(*this, out))
        return false;
    return !out.flush().fail();
}

void umessage::debugDump() const {
    std::string text = readableText(*this);
    if (text.empty())
        text = "umessage nested deeper than " + std::to_string(kMaxDepth) + " levels\n";
    const std::string_view all(text);
    for (std::size_t pos = 0; pos < all.size(); pos += kDebugPiece)
        platform::debugOutput(all.substr(pos, kDebugPiece));
    platform::debugOutput("\n\n");
}

std::ostream& operator<<(std::ostream& os, const umessage& message) {
    const std::string text = readableText(message);
    if (text.empty()) {
        os.setstate(std::ios::failbit);
        return os;
    }
    os.write(text.data(), static_cast<std::streamsize>(text.size()));
    return os.flush();
}
