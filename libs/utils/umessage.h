// `umessage`: the system's structured-data type, a tree of named entries, each an array of
// values of one type; with typed add and read, numeric conversions and "/"-separated paths.
// Its text and binary forms are declared here too: the JSON reader is defined in
// umessage_read.cpp, the JSON writers in umessage_write.cpp, the binary form in
// umessage_flatten.cpp.
#pragma once

#include "utils/ustring.h"

#include <cmath>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

class umessage;

namespace umessage_details {

// Type codes of the value arrays; the binary form stores the same numbers.
enum value_type : uint32_t {
    type_none = 0, // not a valid type: add rejects it, has() reads it as "any type"
    type_int = 1,
    type_bool = 2,
    type_double = 3,
    type_string = 4,
    type_message = 5,
    type_int64 = 6,
};

// The code of each element type; every array of a message holds its element type's own code.
template <typename T>
inline constexpr uint32_t code_of = type_none;
template <>
inline constexpr uint32_t code_of<int> = type_int;
template <>
inline constexpr uint32_t code_of<bool> = type_bool;
template <>
inline constexpr uint32_t code_of<double> = type_double;
template <>
inline constexpr uint32_t code_of<ustring> = type_string;
template <>
inline constexpr uint32_t code_of<std::shared_ptr<umessage>> = type_message;
template <>
inline constexpr uint32_t code_of<long long> = type_int64;

// The values of one entry. Never empty inside a message.
class dyn_array {
public:
    dyn_array(const dyn_array&) = delete;
    dyn_array& operator=(const dyn_array&) = delete;
    virtual ~dyn_array() = default;

    virtual uint32_t type() const = 0;
    // A new array of the same dynamic type, code, values and isArray (children deep-copied).
    virtual std::unique_ptr<dyn_array> clone() const = 0;
    virtual uint64_t size() const = 0;
    // Same element type, same code and equal values in order; isArray takes no part.
    virtual bool equals(const dyn_array* other) const = 0;
    // Removes the value at index, keeping the order of the others; an index at or past the end
    // changes nothing.
    virtual void erase(uint64_t index) = 0;

    // 1: the writers present the entry as an array even when it holds a single value.
    uint8_t isArray = 0;

protected:
    explicit dyn_array(uint32_t code) : typeCode(code) {}

    // Set at construction and never changed. Every creator passes its element type's own code
    // (umessage::add refuses any other), so the code tells the array's type.
    const uint32_t typeCode;
};

// The array of one element type: int, bool, double, ustring, long long or
// std::shared_ptr<umessage> (never null inside a message).
template <typename T>
class dyn_array_impl final : public dyn_array {
public:
    explicit dyn_array_impl(uint32_t code) : dyn_array(code) {}

    uint32_t type() const override { return typeCode; }
    std::unique_ptr<dyn_array> clone() const override;
    uint64_t size() const override { return values.size(); }
    bool equals(const dyn_array* other) const override;
    void erase(uint64_t index) override;

    // Appends one value; the second value of an array sets isArray.
    void append(const T& value) {
        if (!values.empty())
            isArray = 1;
        values.push_back(value);
    }
    // Copy of the value at index; the caller has checked index < size().
    T element(uint64_t index) const { return values[index]; }

    std::vector<T> values;
};

// The values of an array whose code is T's: every array holds its element type's own code, so the
// code tells the array's type.
template <typename T>
const std::vector<T>& valuesOf(const dyn_array& array) {
    return static_cast<const dyn_array_impl<T>&>(array).values;
}

// Byte order of names (ustring::compareTo): unsigned bytes, then the shorter name first.
struct name_order {
    bool operator()(const ustring& a, const ustring& b) const noexcept {
        return a.compareTo(b) < 0;
    }
};

// The entries of a message, in name order; every stored array is non-null and non-empty.
// An entry is a pair of its name (first) and its owned value array (second).
using entry_map = std::map<ustring, std::unique_ptr<dyn_array>, name_order>;
using entry = entry_map::value_type;

// Conversion of a double to an integer type: truncation toward zero, saturating at the type's
// limits; NaN gives 0.
template <typename I>
I truncateToInteger(double value) {
    if (std::isnan(value))
        return 0;
    constexpr double limit = -static_cast<double>(std::numeric_limits<I>::min()); // 2^(bits-1)
    if (value >= limit)
        return std::numeric_limits<I>::max();
    if (value < -limit)
        return std::numeric_limits<I>::min();
    return static_cast<I>(value);
}

} // namespace umessage_details

class umessage {
public:
    using entry_map = umessage_details::entry_map;

    umessage() = default;
    umessage(const umessage& other);     // deep copy
    umessage(umessage&& other) noexcept; // takes the entries; other becomes empty
    // Null gives an empty message, otherwise a deep copy of *other.
    explicit umessage(const umessage* other);
    // A message with the single string entry "what" holding kind (added even when empty).
    explicit umessage(const ustring& kind);
    ~umessage();

    // Deep copy; safe when other is owned by this message (a child of it): the copy is made
    // first, then swapped in.
    umessage& operator=(const umessage& other);
    umessage& operator=(umessage&& other) noexcept;

    void clear() noexcept;
    // Exchanges the entries; no value array is copied, created or deleted.
    void swap(umessage& other) noexcept;
    // Deep equality: same names, codes, sizes and values in order; isArray takes no part.
    bool operator==(const umessage& other) const;

    // --- entries, for the writers and readers ----------------------------------------------------
    const entry_map& entries() const noexcept { return m_entries; }
    entry_map::const_iterator findEntry(const ustring& name) const { return m_entries.find(name); }
    entry_map::iterator findEntry(const ustring& name) { return m_entries.find(name); }
    // The value slot of the entry name; when there is none, an entry with an empty (null) slot is
    // first inserted at its sorted place, and the caller stores a new array into it at once.
    std::unique_ptr<umessage_details::dyn_array>& findOrInsertEntry(const ustring& name);

    // --- adding ----------------------------------------------------------------------------------
    // Appends value to the entry name, creating it (with isArray when asked) if absent. Throws
    // std::invalid_argument "type is null" (type 0), "empty or invalid name" (empty, or holding
    // '/' or '?'), "child is null" (a null child), then std::logic_error "incompatible type"
    // (type is not T's own code, or the entry holds another type). A failure changes nothing.
    // T: bool, int, double, ustring, long long, std::shared_ptr<umessage>.
    template <typename T>
    void add(const ustring& name, uint32_t type, const T& value, bool isArray = false);
    // Adds the child itself (shared with the caller), not as an array.
    void addChild(const ustring& name, const std::shared_ptr<umessage>& child);
    // Adds a deep copy of message, as an array from its first value on.
    void addChildCopy(const ustring& name, const umessage& message);

    // --- reading (never throws) ------------------------------------------------------------------
    // The value at index converted to T; out is changed only when the result is true.
    // int: from 1, 3 (truncated, saturating, NaN 0), 6 (low 32 bits); double: from 3, 1, 6;
    // long long: from 6, 1, 3 (truncated, saturating, NaN 0); bool: 2; ustring: 4;
    // std::shared_ptr<const umessage>: 5, shares the child; umessage: 5, a deep copy.
    template <typename T>
    [[nodiscard]] bool get(const ustring& name, uint64_t index, T& out) const;
    // True when the entry's array has element type T, the code type and index < its size.
    // T: bool, int, double, ustring, long long, std::shared_ptr<umessage>.
    template <typename T>
    [[nodiscard]] bool getExact(const ustring& name, uint64_t index, uint32_t type, T& out) const;
    // get at index 0 / at index, or T's zero value (false, 0, 0.0, "", 0, an empty message).
    template <typename T>
    T value(const ustring& name) const;
    template <typename T>
    T valueAt(const ustring& name, uint64_t index) const;
    // get at index, or a copy of def.
    template <typename T>
    T valueOr(const ustring& name, uint64_t index, const T& def) const;
    // ustring: code 4; double: code 3 or the int test; int: code 1 or the long long test;
    // long long: code 6.
    template <typename T>
    bool is(const ustring& name, uint64_t index) const;

    // The entry exists, its code is type (0: any) and index < its number of values.
    bool has(const ustring& name, uint32_t type, uint64_t index) const;
    bool contains(const ustring& name) const { return has(name, umessage_details::type_none, 0); }
    // The entry's number of values and true; 0 and false when absent.
    bool count(const ustring& name, uint64_t& n) const;
    std::vector<ustring> keys() const; // entry names in stored order
    uint64_t size() const noexcept { return m_entries.size(); }
    bool empty() const noexcept { return m_entries.empty(); }

    // --- removal, kind, cloning ------------------------------------------------------------------
    void remove(const ustring& name); // an absent name changes nothing
    // Removes one value; an emptied entry is deleted; an index past the end changes nothing.
    void removeValue(const ustring& name, uint64_t index);
    // Replaces the string entry "what"; an empty kind removes it.
    void setWhat(const ustring& kind);
    ustring what() const;                                            // "what" as a string, or ""
    static std::shared_ptr<umessage> clone(const umessage& message); // deep copy

    // --- paths -----------------------------------------------------------------------------------
    // A path is "/"-separated components "name" or "name[index]" (index 0 when none is given);
    // a final "?" designates the message reached by the components before it.
    // "?" sets query (name and index untouched); otherwise a component "name[digits]" with a
    // non-empty name and a non-empty bracket gives that name and index (an optional sign and
    // leading digits; a negative or out-of-range number gives an index no entry reaches);
    // anything else is a whole name with index 0.
    static void resolvePathComponent(const ustring& component, ustring& name, uint64_t& index,
                                     bool& query);
    // Follows every component but the last through child messages; the last is resolved into
    // name, index and query. parent points into the tree until the tree changes.
    [[nodiscard]] bool resolvePath(const ustring& path, const umessage*& parent, ustring& name,
                                   uint64_t& index, bool& query) const;
    // Query mark: n = 1 and true. Otherwise n = the entry's number of values (0 when absent)
    // and true when index < n. A path that does not resolve gives false and leaves n.
    [[nodiscard]] bool existsAtPath(const ustring& path, uint64_t& n) const;
    // Query mark: removes the parent's kind; otherwise removeValue of the last name and index.
    void removeAtPath(const ustring& path);
    // The child message at the path; out is changed only when the result is true.
    [[nodiscard]] bool getAtPath(const ustring& path, std::shared_ptr<const umessage>& out) const;
    std::shared_ptr<const umessage> valueAtPathOr(const ustring& path,
                                                  const std::shared_ptr<const umessage>& def) const;

    // --- nesting of the text and binary forms ----------------------------------------------------
    // A child message stands one level below the message holding it, alone or in an array (a
    // JSON array adds no level). The readers refuse a tree with a message more than kMaxDepth
    // levels below the one read, and the writers refuse to write one: whatever a writer writes,
    // both readers read back.
    static constexpr int kMaxDepth = 256;

    // --- JSON text -------------------------------------------------------------------------------
    // Clears the message and fills it from the one JSON object at the start of in (UTF-8 or
    // UTF-16, with or without a byte-order mark). False, after an ERROR log record, on bad
    // text or nesting beyond kMaxDepth (the entries read before the error stay); false without
    // a record when in fails while its encoding is detected (fewer than two bytes).
    [[nodiscard]] bool read(std::istream& in);
    // Writes the compact JSON form (no white space, no final line feed) and flushes `out`: the
    // text the companion application receives. False, with nothing written, when the tree nests
    // deeper than kMaxDepth; false too when `out` has failed after the flush.
    [[nodiscard]] bool write(std::ostream& out) const;
    // Sends the text of operator<< to the platform's debugger output in pieces of at most 4095
    // bytes, then two line feeds. A tree nested deeper than kMaxDepth sends a line saying so in
    // place of its text.
    void debugDump() const;

    // --- binary form -----------------------------------------------------------------------------
    // Writes the version-4 binary form: a sorted table of every name and string value of the
    // tree, then the tree with varint numbers and 1-based table references. One write to `out`;
    // its state is not checked. False, with nothing written, when the tree nests deeper than
    // kMaxDepth.
    [[nodiscard]] bool flatten(std::ostream& out) const;
    // Replaces the content with the message read from the binary form (versions 1 to 4). On
    // failure the message is left empty and the result is false: a version outside 1..4 (or no
    // byte at all) silently, anything else (nesting beyond kMaxDepth among it) after an ERROR
    // log record.
    [[nodiscard]] bool unflatten(std::istream& in);

private:
    template <typename T>
    const umessage_details::dyn_array_impl<T>* typedArray(const ustring& name, uint32_t type) const;
    // get of a number: the value read as the first of the element types Stored that the entry
    // holds, converted to T.
    template <typename... Stored, typename T>
    bool getFirstOf(const ustring& name, uint64_t index, T& out) const {
        return (getConverted<Stored>(name, index, out) || ...);
    }
    template <typename Stored, typename T>
    bool getConverted(const ustring& name, uint64_t index, T& out) const;
    static void checkName(const ustring& name);

    entry_map m_entries;
};

// The one-line readable form when there is one of at most 40 characters, else the indented form;
// then a line feed and a flush. The forms themselves are in umessage_write.h. A tree nested
// deeper than umessage::kMaxDepth writes nothing and sets os's failbit.
std::ostream& operator<<(std::ostream& os, const umessage& message);

// --- templates -----------------------------------------------------------------------------------

namespace umessage_details {

template <typename T>
std::unique_ptr<dyn_array> dyn_array_impl<T>::clone() const {
    auto copy = std::make_unique<dyn_array_impl<T>>(typeCode);
    if constexpr (std::is_same_v<T, std::shared_ptr<umessage>>) {
        copy->values.reserve(values.size());
        for (const auto& child : values)
            copy->append(std::make_shared<umessage>(*child));
    } else {
        copy->values = values;
    }
    copy->isArray = isArray;
    return copy;
}

template <typename T>
bool dyn_array_impl<T>::equals(const dyn_array* other) const {
    const auto* typed = dynamic_cast<const dyn_array_impl<T>*>(other);
    if (typed == nullptr || typed->typeCode != typeCode || typed->values.size() != values.size())
        return false;
    for (size_t i = 0; i < values.size(); ++i) {
        if constexpr (std::is_same_v<T, std::shared_ptr<umessage>>) {
            if (!(*values[i] == *typed->values[i]))
                return false;
        } else if (!(values[i] == typed->values[i])) {
            return false;
        }
    }
    return true;
}

template <typename T>
void dyn_array_impl<T>::erase(uint64_t index) {
    if (index < values.size())
        values.erase(values.begin() + static_cast<std::ptrdiff_t>(index));
}

} // namespace umessage_details

template <typename T>
void umessage::add(const ustring& name, uint32_t type, const T& value, bool isArray) {
    using namespace umessage_details;
    static_assert(code_of<T> != type_none, "umessage holds bool, int, double, ustring, long long "
                                           "and std::shared_ptr<umessage> values");
    if (type == type_none)
        throw std::invalid_argument("type is null");
    checkName(name);
    if constexpr (std::is_same_v<T, std::shared_ptr<umessage>>) {
        if (!value)
            throw std::invalid_argument("child is null");
    }
    if (type != code_of<T>)
        throw std::logic_error("incompatible type");

    // Readers of the sorted forms add names in order, each name's values in a row: at or past
    // the last entry, one comparison stands for the search.
    const int toLast = m_entries.empty() ? -1 : m_entries.rbegin()->first.compareTo(name);
    auto slot = toLast < 0    ? m_entries.end()
                : toLast == 0 ? std::prev(m_entries.end())
                              : m_entries.lower_bound(name);
    if (slot != m_entries.end() && (toLast == 0 || slot->first.compareTo(name) == 0)) {
        auto* typed = dynamic_cast<dyn_array_impl<T>*>(slot->second.get());
        if (typed == nullptr)
            throw std::logic_error("incompatible type");
        typed->append(value);
        return;
    }
    auto array = std::make_unique<dyn_array_impl<T>>(type);
    array->isArray = isArray ? 1 : 0;
    array->append(value);
    m_entries.emplace_hint(slot, name, std::move(array));
}

template <typename T>
const umessage_details::dyn_array_impl<T>* umessage::typedArray(const ustring& name,
                                                                uint32_t type) const {
    if (type != umessage_details::code_of<T>)
        return nullptr;
    auto found = m_entries.find(name);
    if (found == m_entries.end())
        return nullptr;
    return dynamic_cast<const umessage_details::dyn_array_impl<T>*>(found->second.get());
}

template <typename T>
bool umessage::getExact(const ustring& name, uint64_t index, uint32_t type, T& out) const {
    const auto* array = typedArray<T>(name, type);
    if (array == nullptr || index >= array->values.size())
        return false;
    out = array->element(index);
    return true;
}

template <typename Stored, typename T>
bool umessage::getConverted(const ustring& name, uint64_t index, T& out) const {
    Stored stored;
    if (!getExact(name, index, umessage_details::code_of<Stored>, stored))
        return false;
    if constexpr (std::is_same_v<Stored, double> && !std::is_same_v<T, double>)
        out = umessage_details::truncateToInteger<T>(stored);
    else
        out = static_cast<T>(stored); // long long to int keeps the low 32 bits
    return true;
}

template <typename T>
bool umessage::get(const ustring& name, uint64_t index, T& out) const {
    using namespace umessage_details;
    if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, ustring>) {
        return getExact(name, index, code_of<T>, out);
    } else if constexpr (std::is_same_v<T, int>) {
        return getFirstOf<int, double, long long>(name, index, out);
    } else if constexpr (std::is_same_v<T, double>) {
        return getFirstOf<double, int, long long>(name, index, out);
    } else if constexpr (std::is_same_v<T, long long>) {
        return getFirstOf<long long, int, double>(name, index, out);
    } else if constexpr (std::is_same_v<T, std::shared_ptr<const umessage>>) {
        std::shared_ptr<umessage> child;
        if (!getExact(name, index, type_message, child))
            return false;
        out = std::move(child);
        return true;
    } else {
        static_assert(std::is_same_v<T, umessage>,
                      "umessage::get reads bool, int, double, ustring, long long, "
                      "std::shared_ptr<const umessage> and umessage");
        std::shared_ptr<umessage> child; // keeps the child alive while out is replaced
        if (!getExact(name, index, type_message, child))
            return false;
        out = *child;
        return true;
    }
}

template <typename T>
T umessage::value(const ustring& name) const {
    return valueAt<T>(name, 0);
}

// get leaves `out` alone when it fails: then the zero value or the default is the answer.
template <typename T>
T umessage::valueAt(const ustring& name, uint64_t index) const {
    T out{};
    static_cast<void>(get(name, index, out));
    return out;
}

template <typename T>
T umessage::valueOr(const ustring& name, uint64_t index, const T& def) const {
    T out(def);
    static_cast<void>(get(name, index, out));
    return out;
}

template <typename T>
bool umessage::is(const ustring& name, uint64_t index) const {
    using namespace umessage_details;
    if constexpr (std::is_same_v<T, ustring>) {
        return has(name, type_string, index);
    } else if constexpr (std::is_same_v<T, double>) {
        return has(name, type_double, index) || is<int>(name, index);
    } else if constexpr (std::is_same_v<T, int>) {
        return has(name, type_int, index) || is<long long>(name, index);
    } else {
        static_assert(std::is_same_v<T, long long>,
                      "umessage::is tests int, long long, double and ustring");
        return has(name, type_int64, index);
    }
}
