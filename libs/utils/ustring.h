// `ustring`: the system's one string type, 8-bit code units holding UTF-8 (or any bytes) with
// an explicit length and a trailing NUL, in a 24-byte value that keeps up to 22 bytes inline.
#pragma once

#include <compare>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

// Layout (little-endian, three 64-bit words), told apart by the lowest bit of the first byte:
// - short form (capacity 22): byte 0 = 2 x length; bytes 1..23 hold the characters and the NUL;
// - long form: word 1 = allocation size | 1 (the size is a multiple of 16), word 2 = length,
//   word 3 = the malloc'ed buffer, owned alone.
// Misuse (a position past the end, a length past the limits) throws std::out_of_range or
// std::length_error with the text "ustring". Malformed UTF-8 or UTF-16 never throws: the
// conversions end early.
class ustring {
public:
    using size_type = std::size_t;
    using value_type = char;
    using iterator = char*;
    using const_iterator = const char*;

    static constexpr size_type npos = static_cast<size_type>(-1);
    static constexpr size_type kShortCapacity = 22;
    // Longest string that construction and reserve accept.
    static constexpr size_type kMaxLength = 0xFFFFFE;
    // Longest result of an operation that lengthens a string (append, insert, assign, ...).
    static constexpr size_type kMaxGrownLength = 0xFFFFFD;

    // Bytes that an operation lengthening a string of `length` bytes may still add: none for a
    // string already at or past kMaxGrownLength (construction accepts one byte more). Every
    // lengthening path checks against this, so the difference never wraps.
    static constexpr size_type growthRoom(size_type length) noexcept {
        return length < kMaxGrownLength ? kMaxGrownLength - length : 0;
    }

    // Capacity that a request for x bytes gives: 22 below 23, else ((x + 16) & ~15) - 1.
    static constexpr size_type capacityFor(size_type x) {
        return x < kShortCapacity + 1 ? kShortCapacity : ((x + 16) & ~size_type{15}) - 1;
    }

    // --- construction and destruction -----------------------------------------------------
    ustring() noexcept : m_raw{} {}
    ustring(const char* s);                // NUL-terminated; measured with strlen
    ustring(const char* p, size_type n);   // copy of the range (may hold NUL bytes)
    explicit ustring(std::string_view sv); // copy of the view's bytes
    ustring(size_type count, char ch);     // count copies of ch
    ustring(const ustring& other, size_type pos, size_type count = npos); // initSubstring
    ustring(const ustring& other);     // capacity follows the length, not other's capacity
    ustring(ustring&& other) noexcept; // steals the 24 bytes; other becomes empty
    ~ustring();

    ustring& operator=(const ustring& other); // assign(other's characters) unless the same object
    ustring& operator=(ustring&& other) noexcept;
    ustring& operator=(const char* s) { return assignCStr(s); }
    ustring& operator=(std::string_view sv) { return assign(sv.data(), sv.size()); }
    ustring& operator=(char ch) { return assignChar(ch); }

    // (Re)initialisation: the previous value is released; the new buffer is sized for the new
    // length (init, initFill, initSubstring) or for the given capacity (initReserve).
    void init(const char* p, size_type n);
    void initFill(size_type count, char ch);
    void initReserve(const char* p, size_type n, size_type capacity); // short form if capacity < 23
    void initSubstring(const ustring& other, size_type pos,
                       size_type count = npos); // pos > size: throws

    // Part of this string as a new string; pos > size throws, count is clamped.
    ustring substr(size_type pos = 0, size_type count = npos) const;

    // From UTF-16 (strict; an illegal or cut-off unit ends the conversion, see assignUtf16).
    static ustring fromWString(const std::u16string& s);
    static ustring fromWide(const char16_t* s); // NUL-terminated
    static ustring fromUtf16(const char16_t* p, size_type n);

    // --- assignment (the source may lie inside this string) --------------------------------
    ustring& assign(const char* p, size_type n);
    ustring& assign(const ustring& other) { return assign(other.data(), other.size()); }
    ustring& assignCStr(const char* s);
    ustring& assignSub(const ustring& other, size_type pos, size_type count = npos);
    ustring& assignFill(size_type count, char ch);
    ustring& assignChar(char ch);
    ustring& assignWString(const std::u16string& s);
    ustring& assignWide(const char16_t* s); // NUL-terminated
    // UTF-16 to UTF-8 in strict mode, 512 output bytes at a time: only the chunks completed
    // before the chunk holding an unpaired surrogate (or a final high surrogate) are kept. A
    // result longer than kMaxGrownLength throws std::length_error and leaves the string as it was.
    ustring& assignUtf16(const char16_t* p, size_type n);

    // --- modification (positions past the size throw; counts are clamped) -------------------
    ustring& append(const char* p, size_type n);
    ustring& append(const char* s) { return appendCStr(s); }
    ustring& append(const ustring& other) { return append(other.data(), other.size()); }
    ustring& append(std::string_view sv) { return append(sv.data(), sv.size()); }
    ustring& appendCStr(const char* s);
    ustring& appendSub(const ustring& other, size_type pos, size_type count = npos);
    ustring& appendFill(size_type count, char ch);
    void push_back(char ch);
    // The last character / its removal; on an empty string both throw std::out_of_range.
    char* back();
    void pop_back();

    ustring& operator+=(const ustring& other) { return append(other.data(), other.size()); }
    ustring& operator+=(const char* s) { return appendCStr(s); }
    ustring& operator+=(std::string_view sv) { return append(sv.data(), sv.size()); }
    ustring& operator+=(char ch) {
        push_back(ch);
        return *this;
    }

    ustring& insert(size_type pos, const char* p, size_type n);
    ustring& insert(size_type pos, const ustring& other) {
        return insert(pos, other.data(), other.size());
    }
    ustring& insertCStr(size_type pos, const char* s);
    ustring& insertSub(size_type pos, const ustring& other, size_type pos2, size_type count = npos);
    ustring& insertFill(size_type pos, size_type count, char ch);
    // Inserts ch before `where` (a pointer into this string); returns the pointer to the
    // inserted character, valid in the possibly new buffer.
    char* insertChar(char* where, char ch);

    ustring& erase(size_type pos = 0, size_type count = npos);

    // Replaces min(count, size - pos) characters at pos by the n characters at p.
    ustring& replace(size_type pos, size_type count, const char* p, size_type n);
    ustring& replace(size_type pos, size_type count, const ustring& other) {
        return replace(pos, count, other.data(), other.size());
    }
    ustring& replaceCStr(size_type pos, size_type count, const char* s);
    ustring& replaceSub(size_type pos, size_type count, const ustring& other, size_type pos2,
                        size_type count2 = npos);
    ustring& replaceFill(size_type pos, size_type count, size_type count2, char ch);

    void resize(size_type count, char ch = '\0'); // longer: appends copies of ch; else cuts
    // Capacity rule on max(n, size); may move to a smaller buffer or back to the short form.
    // n > 0xFFFFFE throws std::length_error.
    void reserve(size_type n);
    void clear() noexcept; // length 0, capacity kept
    void swap(ustring& other) noexcept;

    // --- access ----------------------------------------------------------------------------
    const char* c_str() const noexcept { return data(); }
    const char* data() const noexcept {
        return isLong() ? heapPointer() : reinterpret_cast<const char*>(m_raw + 1);
    }
    char* data() noexcept { return isLong() ? heapPointer() : reinterpret_cast<char*>(m_raw + 1); }
    size_type size() const noexcept { return isLong() ? word(1) : m_raw[0] >> 1; }
    size_type length() const noexcept { return size(); }
    bool empty() const noexcept { return size() == 0; }
    size_type capacity() const noexcept { return isLong() ? (word(0) & ~size_type{1}) - 1 : 22; }

    iterator begin() noexcept { return data(); }
    iterator end() noexcept { return data() + size(); }
    const_iterator begin() const noexcept { return data(); }
    const_iterator end() const noexcept { return data() + size(); }

    // Pointer to the character at pos; pos >= size throws std::out_of_range.
    const char* at(size_type pos) const;
    char* at(size_type pos);
    char& operator[](size_type pos) noexcept { return data()[pos]; } // unchecked; [size] is NUL
    const char& operator[](size_type pos) const noexcept { return data()[pos]; }

    operator std::string_view() const noexcept { return {data(), size()}; }
    std::string_view view() const noexcept { return {data(), size()}; }
    std::string toStdString() const { return {data(), size()}; }

    // Copies min(count, size - pos) bytes without NUL to dest; returns that number.
    size_type copy(char* dest, size_type count, size_type pos = 0) const;
    int toInt() const;       // atoi of the characters
    double toDouble() const; // atof of the characters

    // --- comparison (negative, zero or positive; bytes compare unsigned) --------------------
    // pos > size or n == npos throws; memcmp of the common part, then the shorter first.
    int compare(size_type pos, size_type count, const char* p, size_type n) const;
    int compare(const ustring& other) const noexcept { return compareTo(other); }
    int compareCStr(const char* s) const;
    int compareRangeCStr(size_type pos, size_type count, const char* s) const;
    int compareSub(size_type pos, size_type count, const ustring& other, size_type pos2,
                   size_type count2) const;
    // The byte order of sorted containers: memcmp over the shorter length, then the shorter
    // string first; -1, 0 or 1.
    int compareTo(const ustring& other) const noexcept;
    int compareNoCase(const ustring& other) const;        // case-insensitive, on UTF-16
    int compareCollate(const ustring& other) const;       // collating order, on UTF-16
    int compareCollateNoCase(const ustring& other) const; // collating order without case
    int compareNatural(const ustring& other) const;       // digit runs compare by value
    int compareNaturalNoCase(const ustring& other) const; // the same, ASCII case ignored

    // --- search (a position or npos) ---------------------------------------------------------
    size_type findChar(char ch, size_type pos = 0) const noexcept;
    size_type find(const char* p, size_type pos, size_type n) const noexcept;
    size_type find(const char* s, size_type pos = 0) const noexcept;
    size_type find(const ustring& needle, size_type pos = 0) const noexcept {
        return find(needle.data(), pos, needle.size());
    }
    size_type find(char ch, size_type pos = 0) const noexcept { return findChar(ch, pos); }

    size_type rfindChar(char ch, size_type pos = npos) const noexcept;
    size_type rfind(const char* p, size_type pos, size_type n) const noexcept;
    size_type rfind(const char* s, size_type pos = npos) const noexcept;
    size_type rfind(const ustring& needle, size_type pos = npos) const noexcept {
        return rfind(needle.data(), pos, needle.size());
    }
    size_type rfind(char ch, size_type pos = npos) const noexcept { return rfindChar(ch, pos); }

    size_type findFirstOf(const char* set, size_type pos, size_type n) const noexcept;
    size_type findFirstOf(const char* set, size_type pos = 0) const noexcept;
    size_type findFirstOf(const ustring& set, size_type pos = 0) const noexcept {
        return findFirstOf(set.data(), pos, set.size());
    }
    size_type findFirstNotOf(const char* set, size_type pos, size_type n) const noexcept;
    size_type findFirstNotOf(const char* set, size_type pos = 0) const noexcept;
    size_type findFirstNotOf(const ustring& set, size_type pos = 0) const noexcept {
        return findFirstNotOf(set.data(), pos, set.size());
    }
    size_type findLastOf(const char* set, size_type pos, size_type n) const noexcept;
    size_type findLastOf(const char* set, size_type pos = npos) const noexcept;
    size_type findLastOf(const ustring& set, size_type pos = npos) const noexcept {
        return findLastOf(set.data(), pos, set.size());
    }
    size_type findLastNotOf(const char* set, size_type pos, size_type n) const noexcept;
    size_type findLastNotOf(const char* set, size_type pos = npos) const noexcept;
    size_type findLastNotOf(const ustring& set, size_type pos = npos) const noexcept {
        return findLastNotOf(set.data(), pos, set.size());
    }

    // --- concatenation: the result's buffer is sized once for both parts --------------------
    static ustring concat(const ustring& a, const ustring& b);
    static ustring concatChar(const ustring& a, char b);
    static ustring concatCStr(const ustring& a, const char* b);
    static ustring charConcat(char a, const ustring& b);
    static ustring cstrConcat(const char* a, const ustring& b);

    // --- output and conversions --------------------------------------------------------------
    void print() const; // the text and a newline on standard error ("%s\n")

    // UTF-8 to UTF-16 in strict mode. A NUL inside the leading ASCII run ends the result; a cut
    // or illegal sequence ends it too (everything before it is kept).
    std::u16string toWString() const;
    std::u16string wstr() const { return toWString(); }
    std::string toUtf16BEBytes() const; // FE FF, then each unit of toWString high byte first

    // Decodes a buffer into UTF-8, its encoding (UTF-32/16 either order, UTF-8) told by its
    // byte-order mark or, without one, by where its first bytes are zero.
    static ustring fromBytes(const void* bytes, size_type n);
    static ustring fromBytes(const std::string& bytes) {
        return fromBytes(bytes.data(), bytes.size());
    }

    ustring toLower() const; // bytes 33..125 through tolower, all others unchanged
    ustring toUpper() const; // bytes 33..125 through toupper, all others unchanged

    // --- formatting (ustring_format.cpp) -----------------------------------------------------
    // Markers are '%' and one decimal digit. The table holds, in digit order, the position of
    // the last marker of each digit present, then npos: entry 0 is the lowest digit's marker.
    void findArgMarkers(size_type (&markers)[10]) const;
    // Copies with the lowest marker replaced (an unchanged copy without markers). A fieldWidth
    // above 0 pads a shorter text on the left with fill and cuts a longer one to its first
    // fieldWidth bytes; numbers are padded but never cut. Base 8 or 16 (lower case, no prefix),
    // any other base decimal. A result beyond the string limit throws
    // std::length_error("ustring"), whatever its width or precision.
    ustring arg(const ustring& text, int fieldWidth = 0, char fill = ' ') const;
    ustring argChar(char ch) const;
    ustring argShort(short value, int fieldWidth = 0, int base = 10, char fill = ' ') const;
    ustring argUShort(unsigned short value, int fieldWidth = 0, int base = 10,
                      char fill = ' ') const;
    ustring argInt(int value, int fieldWidth = 0, int base = 10, char fill = ' ') const;
    ustring argUInt(unsigned int value, int fieldWidth = 0, int base = 10, char fill = ' ') const;
    ustring argLong(long value, int fieldWidth = 0, int base = 10, char fill = ' ') const;
    ustring argULong(unsigned long value, int fieldWidth = 0, int base = 10, char fill = ' ') const;
    ustring argInt64(std::int64_t value, int fieldWidth = 0, int base = 10, char fill = ' ') const;
    ustring argUInt64(std::uint64_t value, int fieldWidth = 0, int base = 10,
                      char fill = ' ') const;
    // printf's "%.*e" for format 'e', "%.*f" for 'f', else "%.*g", with the precision (6 when
    // negative), as a stream with these settings writes it.
    ustring argDouble(double value, int precision = -1, char format = 'g', int fieldWidth = 0,
                      char fill = ' ') const;

    // printf-style formatting by the library's own engine: flags "-+ #0", widths and precisions
    // (written or "*"), positions "N$" (1 to 254), lengths "h", "l", "ll", "q" ("l" is `long`,
    // 64 bits here), conversions "diouxXDOU", "c", "eEfgG", "p", "s", each giving the C
    // library printf's text ("DOU" as "dou"; a NUL "%c" and the padding after it give nothing);
    // "%%" and any other character after '%' give that character. A format that names an
    // argument beyond its 3 x ('%' count) + 1 slots, or uses one argument as two types, appends
    // nothing. A result beyond the string limit throws std::length_error("ustring").
    static ustring format(const char* fmt, ...);
    static ustring vformat(const char* fmt, std::va_list args);
    static void appendFormat(ustring& target, const char* fmt, std::va_list args);

    // This string becomes `value` with `decimals` decimals ("%.*f"), trailing zeros and then a
    // bare '.' removed when decimals > 0; a value that reads back as zero gives "0" and false.
    bool setNumber(double value, int decimals);
    static ustring number(double value, int decimals);

private:
    bool isLong() const noexcept { return (m_raw[0] & 1) != 0; }
    size_type word(int i) const noexcept;
    void setWord(int i, size_type value) noexcept;
    char* heapPointer() const noexcept;
    void setShortSize(size_type n) noexcept { m_raw[0] = static_cast<unsigned char>(n << 1); }
    void setSize(size_type n) noexcept;
    void setLong(char* buffer, size_type capacity, size_type n) noexcept;
    void release() noexcept;
    bool overlaps(const char* p, size_type n) const noexcept;
    char* openGap(size_type pos, size_type removed, size_type added);
    void appendUtf16(const char16_t* p, size_type n);

    alignas(8) unsigned char m_raw[24];
};

static_assert(sizeof(ustring) == 24);

ustring operator+(const ustring& a, const ustring& b);
ustring operator+(const ustring& a, const char* b);
ustring operator+(const ustring& a, char b);
ustring operator+(const char* a, const ustring& b);
ustring operator+(char a, const ustring& b);
ustring operator+(ustring&& a, const ustring& b);
ustring operator+(ustring&& a, const char* b);
ustring operator+(ustring&& a, char b);

bool operator==(const ustring& a, const ustring& b) noexcept;
bool operator==(const ustring& a, const char* b) noexcept;
std::strong_ordering operator<=>(const ustring& a, const ustring& b) noexcept;
std::strong_ordering operator<=>(const ustring& a, const char* b) noexcept;

// Writes the characters up to the first NUL.
std::ostream& operator<<(std::ostream& os, const ustring& s);
// Reads one whitespace-delimited word as the extractor into std::string does (width honoured,
// failbit when nothing was read) and assigns it up to its first NUL.
std::istream& operator>>(std::istream& is, ustring& s);

inline void swap(ustring& a, ustring& b) noexcept {
    a.swap(b);
}

template <>
struct std::hash<ustring> {
    std::size_t operator()(const ustring& s) const noexcept {
        return std::hash<std::string_view>{}(s.view());
    }
};
