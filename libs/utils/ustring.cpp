// `ustring`: storage (short and long form, capacity and growth rules), editing, search,
// comparison and the conversions between UTF-8 and UTF-16 / byte buffers.
#include "utils/ustring.h"

#include "encoding/ByteOrder.h"
#include "encoding/ConvertUTF.h"
#include "platform/textcompare.h"
#include "utils/ScratchBuffer.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <locale>
#include <new>
#include <ostream>
#include <stdexcept>
#include <utility>

static_assert(std::endian::native == std::endian::little,
              "the short-form tag must be the lowest byte of the first word");

namespace {

constexpr const char* kErrorText = "ustring";
constexpr std::size_t kChunkSize = 512;
// From this capacity on, doubling would pass the limit: growth goes straight to the maximum.
constexpr std::size_t kLastDoublingCapacity = 8388591;

[[noreturn]] void throwOutOfRange() {
    throw std::out_of_range(kErrorText);
}

[[noreturn]] void throwLength() {
    throw std::length_error(kErrorText);
}

char* allocateBuffer(std::size_t capacity) {
    void* p = std::malloc(capacity + 1);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return static_cast<char*>(p);
}

std::size_t clampCount(std::size_t count, std::size_t rest) {
    return std::min(count, rest);
}

std::size_t utf16Length(const char16_t* s) {
    return std::char_traits<char16_t>::length(s);
}

int signedByte(char c) {
    return static_cast<signed char>(c);
}

} // namespace

// --- storage ---------------------------------------------------------------------------------

std::size_t ustring::word(int i) const noexcept {
    std::size_t w;
    std::memcpy(&w, m_raw + 8 * i, sizeof w);
    return w;
}

void ustring::setWord(int i, size_type value) noexcept {
    std::memcpy(m_raw + 8 * i, &value, sizeof value);
}

char* ustring::heapPointer() const noexcept {
    char* p;
    std::memcpy(&p, m_raw + 16, sizeof p);
    return p;
}

void ustring::setSize(size_type n) noexcept {
    if (isLong()) {
        setWord(1, n);
    } else {
        setShortSize(n);
    }
}

void ustring::setLong(char* buffer, size_type capacity, size_type n) noexcept {
    setWord(0, (capacity + 1) | 1);
    setWord(1, n);
    std::memcpy(m_raw + 16, &buffer, sizeof buffer);
}

void ustring::release() noexcept {
    if (isLong()) {
        std::free(heapPointer());
    }
    std::memset(m_raw, 0, sizeof m_raw);
}

bool ustring::overlaps(const char* p, size_type n) const noexcept {
    const char* d = data();
    const std::less<const char*> before;
    return before(p, d + size() + 1) && before(d, p + n);
}

// Makes room for `added` bytes at pos in place of `removed` bytes there (pos <= size and
// removed <= size - pos); the tail and the NUL move, and the gap is returned uninitialised.
// Grows by the growth rule when the result does not fit the capacity; a lengthening past
// kMaxGrownLength throws before anything changes.
char* ustring::openGap(size_type pos, size_type removed, size_type added) {
    const size_type oldSize = size();
    const size_type tail = oldSize - pos - removed;
    if (added > removed && added - removed > growthRoom(oldSize)) {
        throwLength();
    }
    const size_type newSize = oldSize - removed + added;
    const size_type cap = capacity();
    if (newSize <= cap) {
        char* d = data();
        std::memmove(d + pos + added, d + pos + removed, tail + 1);
        setSize(newSize);
        return d + pos;
    }
    const size_type newCap = cap >= kLastDoublingCapacity ? capacityFor(kMaxGrownLength)
                                                          : capacityFor(std::max(newSize, 2 * cap));
    char* buffer = allocateBuffer(newCap);
    const char* old = data();
    std::memcpy(buffer, old, pos);
    std::memcpy(buffer + pos + added, old + pos + removed, tail + 1);
    if (isLong()) {
        std::free(heapPointer());
    }
    setLong(buffer, newCap, newSize);
    return buffer + pos;
}

namespace {

constexpr std::uint64_t kHighBits8 = 0x8080808080808080u;
constexpr std::uint64_t kLowBits8 = 0x0101010101010101u;

// Widens the leading run of ASCII bytes other than NUL, eight at a time where it can: each word
// is widened whole, and only the bytes before its first NUL or non-ASCII byte are kept (below
// that byte no borrow runs through the NUL test, so its lowest marked byte is exact).
void widenLeadingAscii(const UTF8*& source, const UTF8* end, char16_t*& target) {
    while (end - source >= 8) {
        const std::uint64_t w = loadLittleEndian(source, 8);
        for (int i = 0; i < 8; ++i) {
            target[i] = source[i];
        }
        const std::uint64_t stops = (w | ((w - kLowBits8) & ~w)) & kHighBits8;
        const int kept = stops == 0 ? 8 : std::countr_zero(stops) / 8;
        source += kept;
        target += kept;
        if (kept < 8) {
            return;
        }
    }
    while (source != end && *source != 0 && *source < 0x80) {
        *target++ = *source++;
    }
}

} // namespace

// --- construction ----------------------------------------------------------------------------

ustring::ustring(const char* s) : m_raw{} {
    init(s, std::strlen(s));
}

ustring::ustring(const char* p, size_type n) : m_raw{} {
    init(p, n);
}

ustring::ustring(std::string_view sv) : m_raw{} {
    init(sv.data(), sv.size());
}

ustring::ustring(size_type count, char ch) : m_raw{} {
    initFill(count, ch);
}

ustring::ustring(const ustring& other, size_type pos, size_type count) : m_raw{} {
    initSubstring(other, pos, count);
}

ustring::ustring(const ustring& other) : m_raw{} {
    if (other.isLong()) {
        init(other.data(), other.size());
    } else {
        std::memcpy(m_raw, other.m_raw, sizeof m_raw);
    }
}

ustring::ustring(ustring&& other) noexcept {
    std::memcpy(m_raw, other.m_raw, sizeof m_raw);
    std::memset(other.m_raw, 0, sizeof other.m_raw);
}

ustring::~ustring() {
    if (isLong()) {
        std::free(heapPointer());
    }
}

ustring& ustring::operator=(const ustring& other) {
    if (this != &other) {
        assign(other.data(), other.size());
    }
    return *this;
}

ustring& ustring::operator=(ustring&& other) noexcept {
    if (this != &other) {
        release();
        std::memcpy(m_raw, other.m_raw, sizeof m_raw);
        std::memset(other.m_raw, 0, sizeof other.m_raw);
    }
    return *this;
}

void ustring::init(const char* p, size_type n) {
    initReserve(p, n, n);
}

void ustring::initFill(size_type count, char ch) {
    initReserve(nullptr, 0, count);
    std::memset(data(), static_cast<unsigned char>(ch), count);
    setSize(count);
    data()[count] = '\0';
}

void ustring::initReserve(const char* p, size_type n, size_type capacity) {
    if (n > kMaxLength || capacity > kMaxLength) {
        throwLength();
    }
    const size_type cap = capacityFor(std::max(n, capacity));
    if (cap == kShortCapacity) {
        unsigned char fresh[24] = {};
        fresh[0] = static_cast<unsigned char>(n << 1);
        if (n != 0) {
            std::memcpy(fresh + 1, p, n);
        }
        release();
        std::memcpy(m_raw, fresh, sizeof m_raw);
        return;
    }
    char* buffer = allocateBuffer(cap);
    if (n != 0) {
        std::memcpy(buffer, p, n);
    }
    buffer[n] = '\0';
    release();
    setLong(buffer, cap, n);
}

void ustring::initSubstring(const ustring& other, size_type pos, size_type count) {
    if (pos > other.size()) {
        throwOutOfRange();
    }
    init(other.data() + pos, clampCount(count, other.size() - pos));
}

ustring ustring::substr(size_type pos, size_type count) const {
    return ustring(*this, pos, count);
}

ustring ustring::fromWString(const std::u16string& s) {
    return fromUtf16(s.data(), s.size());
}

ustring ustring::fromWide(const char16_t* s) {
    return fromUtf16(s, utf16Length(s));
}

ustring ustring::fromUtf16(const char16_t* p, size_type n) {
    ustring result;
    result.assignUtf16(p, n);
    return result;
}

// --- assignment ------------------------------------------------------------------------------

ustring& ustring::assign(const char* p, size_type n) {
    return replace(0, size(), p, n);
}

ustring& ustring::assignCStr(const char* s) {
    return assign(s, std::strlen(s));
}

ustring& ustring::assignSub(const ustring& other, size_type pos, size_type count) {
    if (pos > other.size()) {
        throwOutOfRange();
    }
    return assign(other.data() + pos, clampCount(count, other.size() - pos));
}

ustring& ustring::assignFill(size_type count, char ch) {
    return replaceFill(0, size(), count, ch);
}

ustring& ustring::assignChar(char ch) {
    return assign(&ch, 1);
}

ustring& ustring::assignWString(const std::u16string& s) {
    return assignUtf16(s.data(), s.size());
}

ustring& ustring::assignWide(const char16_t* s) {
    return assignUtf16(s, utf16Length(s));
}

ustring& ustring::assignUtf16(const char16_t* p, size_type n) {
    // A unit gives at most 3 bytes. A text that may convert to more than a string can grow to
    // is converted aside, so that the length error leaves this string as it was; any other
    // reuses this string's buffer.
    if (n > kMaxGrownLength / 3) {
        ustring converted;
        converted.appendUtf16(p, n);
        swap(converted);
        return *this;
    }
    clear();
    appendUtf16(p, n);
    return *this;
}

// Appends the UTF-8 of the units, chunk by chunk; see assignUtf16 for the chunks kept.
void ustring::appendUtf16(const char16_t* p, size_type n) {
    const char16_t* source = p;
    const char16_t* const sourceEnd = p + n;
    UTF8 spare[kChunkSize];
    while (source != sourceEnd) {
        // A chunk that surely fits without growing is written straight into the buffer, as
        // appending it would leave it; any other goes through the spare chunk and append.
        const size_type length = size();
        const bool inPlace = kChunkSize <= capacity() - length && kChunkSize <= growthRoom(length);
        UTF8* const chunk = inPlace ? reinterpret_cast<UTF8*>(data() + length) : spare;
        UTF8* target = chunk;
        // The converter reports an unpaired surrogate or a final high surrogate before a full
        // target: the chunk that holds one is dropped.
        const ConversionResult r =
            ConvertUTF16toUTF8(&source, sourceEnd, &target, chunk + kChunkSize, strictConversion);
        if (r == sourceIllegal || r == sourceExhausted) {
            data()[length] = '\0'; // drops what the chunk wrote in place
            break;
        }
        const auto produced = static_cast<size_type>(target - chunk);
        if (inPlace) {
            data()[length + produced] = '\0';
            setSize(length + produced);
        } else {
            append(reinterpret_cast<const char*>(chunk), produced);
        }
    }
}

// --- modification ----------------------------------------------------------------------------

ustring& ustring::append(const char* p, size_type n) {
    // The bytes of another string that fit in the room left: they and the NUL go after the last
    // byte, with none of replace's moving of a tail. Most appends are such.
    const size_type oldSize = size();
    if (n <= capacity() - oldSize && n <= growthRoom(oldSize) && !overlaps(p, n)) {
        char* d = data();
        if (n != 0) {
            std::memcpy(d + oldSize, p, n);
        }
        d[oldSize + n] = '\0';
        setSize(oldSize + n);
        return *this;
    }
    return replace(oldSize, 0, p, n);
}

ustring& ustring::appendCStr(const char* s) {
    return append(s, std::strlen(s));
}

ustring& ustring::appendSub(const ustring& other, size_type pos, size_type count) {
    if (pos > other.size()) {
        throwOutOfRange();
    }
    return append(other.data() + pos, clampCount(count, other.size() - pos));
}

ustring& ustring::appendFill(size_type count, char ch) {
    return replaceFill(size(), 0, count, ch);
}

void ustring::push_back(char ch) {
    const size_type n = size();
    if (n < capacity() && growthRoom(n) != 0) {
        char* d = data();
        d[n] = ch;
        d[n + 1] = '\0';
        setSize(n + 1);
        return;
    }
    *openGap(n, 0, 1) = ch;
}

char* ustring::back() {
    if (empty())
        throwOutOfRange();
    return data() + size() - 1;
}

void ustring::pop_back() {
    if (empty())
        throwOutOfRange();
    resize(size() - 1);
}

ustring& ustring::insert(size_type pos, const char* p, size_type n) {
    return replace(pos, 0, p, n);
}

ustring& ustring::insertCStr(size_type pos, const char* s) {
    return insert(pos, s, std::strlen(s));
}

ustring& ustring::insertSub(size_type pos, const ustring& other, size_type pos2, size_type count) {
    if (pos > size() || pos2 > other.size()) {
        throwOutOfRange();
    }
    return insert(pos, other.data() + pos2, clampCount(count, other.size() - pos2));
}

ustring& ustring::insertFill(size_type pos, size_type count, char ch) {
    return replaceFill(pos, 0, count, ch);
}

char* ustring::insertChar(char* where, char ch) {
    const auto pos = static_cast<size_type>(where - data());
    insert(pos, &ch, 1);
    return data() + pos;
}

ustring& ustring::erase(size_type pos, size_type count) {
    if (pos > size()) {
        throwOutOfRange();
    }
    openGap(pos, clampCount(count, size() - pos), 0);
    return *this;
}

ustring& ustring::replace(size_type pos, size_type count, const char* p, size_type n) {
    if (pos > size()) {
        throwOutOfRange();
    }
    if (n != 0 && overlaps(p, n)) {
        // The source lies inside this string: edit with a copy of it, so that moving the
        // tail or reallocating cannot change what is copied in.
        const ustring source(p, n);
        return replace(pos, count, source.data(), n);
    }
    char* gap = openGap(pos, clampCount(count, size() - pos), n);
    if (n != 0) {
        std::memcpy(gap, p, n);
    }
    return *this;
}

ustring& ustring::replaceCStr(size_type pos, size_type count, const char* s) {
    return replace(pos, count, s, std::strlen(s));
}

ustring& ustring::replaceSub(size_type pos, size_type count, const ustring& other, size_type pos2,
                             size_type count2) {
    if (pos2 > other.size()) {
        throwOutOfRange();
    }
    return replace(pos, count, other.data() + pos2, clampCount(count2, other.size() - pos2));
}

ustring& ustring::replaceFill(size_type pos, size_type count, size_type count2, char ch) {
    if (pos > size()) {
        throwOutOfRange();
    }
    char* gap = openGap(pos, clampCount(count, size() - pos), count2);
    std::memset(gap, static_cast<unsigned char>(ch), count2);
    return *this;
}

void ustring::resize(size_type count, char ch) {
    const size_type n = size();
    if (count > n) {
        appendFill(count - n, ch);
    } else {
        data()[count] = '\0';
        setSize(count);
    }
}

void ustring::reserve(size_type n) {
    if (n > kMaxLength) {
        throwLength();
    }
    const size_type length = size();
    const size_type cap = capacityFor(std::max(n, length));
    if (cap == capacity()) {
        return;
    }
    if (cap == kShortCapacity) {
        char* heap = heapPointer();
        unsigned char fresh[24] = {};
        fresh[0] = static_cast<unsigned char>(length << 1);
        std::memcpy(fresh + 1, heap, length + 1);
        std::free(heap);
        std::memcpy(m_raw, fresh, sizeof m_raw);
        return;
    }
    char* buffer = allocateBuffer(cap);
    std::memcpy(buffer, data(), length + 1);
    if (isLong()) {
        std::free(heapPointer());
    }
    setLong(buffer, cap, length);
}

void ustring::clear() noexcept {
    data()[0] = '\0';
    setSize(0);
}

void ustring::swap(ustring& other) noexcept {
    unsigned char t[24];
    std::memcpy(t, m_raw, sizeof t);
    std::memcpy(m_raw, other.m_raw, sizeof t);
    std::memcpy(other.m_raw, t, sizeof t);
}

// --- access ----------------------------------------------------------------------------------

const char* ustring::at(size_type pos) const {
    if (pos >= size()) {
        throwOutOfRange();
    }
    return data() + pos;
}

char* ustring::at(size_type pos) {
    if (pos >= size()) {
        throwOutOfRange();
    }
    return data() + pos;
}

ustring::size_type ustring::copy(char* dest, size_type count, size_type pos) const {
    if (pos > size()) {
        throwOutOfRange();
    }
    const size_type n = clampCount(count, size() - pos);
    if (n != 0) {
        std::memcpy(dest, data() + pos, n);
    }
    return n;
}

int ustring::toInt() const {
    return std::atoi(c_str());
}

double ustring::toDouble() const {
    return std::atof(c_str());
}

// --- comparison ------------------------------------------------------------------------------

int ustring::compare(size_type pos, size_type count, const char* p, size_type n) const {
    if (pos > size() || n == npos) {
        throwOutOfRange();
    }
    const size_type r = clampCount(count, size() - pos);
    const size_type common = std::min(r, n);
    if (common != 0) {
        if (const int c = std::memcmp(data() + pos, p, common); c != 0) {
            return c;
        }
    }
    if (r < n) {
        return -1;
    }
    return r > n ? 1 : 0;
}

int ustring::compareCStr(const char* s) const {
    return compare(0, size(), s, std::strlen(s));
}

int ustring::compareRangeCStr(size_type pos, size_type count, const char* s) const {
    return compare(pos, count, s, std::strlen(s));
}

int ustring::compareSub(size_type pos, size_type count, const ustring& other, size_type pos2,
                        size_type count2) const {
    if (pos2 > other.size()) {
        throwOutOfRange();
    }
    return compare(pos, count, other.data() + pos2, clampCount(count2, other.size() - pos2));
}

int ustring::compareTo(const ustring& other) const noexcept {
    const size_type a = size();
    const size_type b = other.size();
    const size_type common = std::min(a, b);
    // Names and keys mostly differ within their first 8 bytes: compared as big-endian numbers,
    // those decide without a call of memcmp. Every string has room for 23 bytes (its short
    // form's), so 8 can be read from any; the bytes past the shorter one are masked off.
    if (common != 0) {
        const std::uint64_t mask = ~std::uint64_t{0} << (8 * (8 - std::min<size_type>(common, 8)));
        const std::uint64_t x = loadBigEndian64(data()) & mask;
        const std::uint64_t y = loadBigEndian64(other.data()) & mask;
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (common > 8) {
        if (const int c = std::memcmp(data() + 8, other.data() + 8, common - 8); c != 0) {
            return c < 0 ? -1 : 1;
        }
    }
    if (a == b) {
        return 0;
    }
    return a < b ? -1 : 1;
}

int ustring::compareNoCase(const ustring& other) const {
    return platform::compareNoCase16(toWString().c_str(), other.toWString().c_str());
}

int ustring::compareCollate(const ustring& other) const {
    return platform::collate16(toWString().c_str(), other.toWString().c_str());
}

int ustring::compareCollateNoCase(const ustring& other) const {
    return platform::collateNoCase16(toWString().c_str(), other.toWString().c_str());
}

namespace {

bool isNaturalDigit(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 33 && b <= 125 && std::isdigit(b) != 0;
}

char foldNatural(char c, bool noCase) {
    const auto b = static_cast<unsigned char>(c);
    if (!noCase || b < 33 || b > 125) {
        return c;
    }
    return static_cast<char>(std::tolower(b));
}

// atoi(a) - atoi(b), the values of two digit runs. Runs beyond the 32-bit range (whose atoi
// values are the runtime's) could make the difference overflow: it is clamped instead.
int digitRunDifference(const char* a, const char* b) {
    const long long d = static_cast<long long>(std::atoi(a)) - std::atoi(b);
    return static_cast<int>(std::clamp<long long>(d, INT_MIN, INT_MAX));
}

// Digit-aware order: equal heads are skipped; where the texts part inside (or just after) a
// run of digits, the values of the two runs decide.
int compareNaturalImpl(const ustring& a, const ustring& b, bool noCase) {
    const std::size_t la = a.size();
    const std::size_t lb = b.size();
    const std::size_t shorter = std::min(la, lb);
    const char* pa = a.data();
    const char* pb = b.data();
    std::size_t i = 0;
    while (i < shorter && foldNatural(pa[i], noCase) == foldNatural(pb[i], noCase)) {
        ++i;
    }
    const bool digitA = i < la && isNaturalDigit(pa[i]);
    const bool digitB = i < lb && isNaturalDigit(pb[i]);
    if (!digitA && !digitB) {
        if (i == la) {
            return static_cast<int>(static_cast<long>(la) - static_cast<long>(lb));
        }
        if (i == lb) {
            return 1;
        }
        return signedByte(foldNatural(pa[i], noCase)) - signedByte(foldNatural(pb[i], noCase));
    }
    while (i > 0 && isNaturalDigit(pa[i - 1])) {
        --i;
    }
    if (i == shorter) {
        return static_cast<int>(static_cast<long>(la) - static_cast<long>(lb));
    }
    if (isNaturalDigit(pa[i]) && isNaturalDigit(pb[i])) {
        return digitRunDifference(pa + i, pb + i);
    }
    return signedByte(foldNatural(pa[i], noCase)) - signedByte(foldNatural(pb[i], noCase));
}

} // namespace

int ustring::compareNatural(const ustring& other) const {
    return compareNaturalImpl(*this, other, false);
}

int ustring::compareNaturalNoCase(const ustring& other) const {
    return compareNaturalImpl(*this, other, true);
}

// --- search ----------------------------------------------------------------------------------

ustring::size_type ustring::findChar(char ch, size_type pos) const noexcept {
    const size_type n = size();
    if (pos >= n) {
        return npos;
    }
    const void* hit = std::memchr(data() + pos, static_cast<unsigned char>(ch), n - pos);
    return hit == nullptr ? npos : static_cast<size_type>(static_cast<const char*>(hit) - data());
}

ustring::size_type ustring::find(const char* p, size_type pos, size_type n) const noexcept {
    const size_type length = size();
    if (pos > length || n > length - pos) {
        return npos;
    }
    if (n == 0) {
        return pos;
    }
    const std::string_view hay(data(), length);
    return hay.find(std::string_view(p, n), pos);
}

ustring::size_type ustring::find(const char* s, size_type pos) const noexcept {
    return find(s, pos, std::strlen(s));
}

ustring::size_type ustring::rfindChar(char ch, size_type pos) const noexcept {
    const size_type n = size();
    if (n == 0) {
        return npos;
    }
    const char* d = data();
    for (size_type i = std::min(pos, n - 1) + 1; i-- > 0;) {
        if (d[i] == ch) {
            return i;
        }
    }
    return npos;
}

ustring::size_type ustring::rfind(const char* p, size_type pos, size_type n) const noexcept {
    const size_type length = size();
    const size_type start = std::min(pos, length);
    if (n == 0) {
        return start;
    }
    // The range ends at min(pos + n, length), computed without wrapping when pos is npos.
    const size_type rangeEnd = (pos > length || n > length - pos) ? length : pos + n;
    if (n > rangeEnd) {
        return npos;
    }
    const char* d = data();
    for (size_type i = rangeEnd - n + 1; i-- > 0;) {
        if (std::memcmp(d + i, p, n) == 0) {
            return i;
        }
    }
    return npos;
}

ustring::size_type ustring::rfind(const char* s, size_type pos) const noexcept {
    return rfind(s, pos, std::strlen(s));
}

namespace {

bool inSet(std::string_view set, char c) {
    return !set.empty() &&
           std::memchr(set.data(), static_cast<unsigned char>(c), set.size()) != nullptr;
}

// First position at or after pos whose byte is in the set (member) or not (!member).
std::size_t scanForward(std::string_view text, std::size_t pos, std::string_view set, bool member) {
    for (std::size_t i = pos; i < text.size(); ++i) {
        if (inSet(set, text[i]) == member) {
            return i;
        }
    }
    return ustring::npos;
}

// Last position at or before pos (clamped to the last byte) whose byte is in the set (member)
// or not (!member).
std::size_t scanBackward(std::string_view text, std::size_t pos, std::string_view set,
                         bool member) {
    if (text.empty()) {
        return ustring::npos;
    }
    for (std::size_t i = std::min(pos, text.size() - 1) + 1; i-- > 0;) {
        if (inSet(set, text[i]) == member) {
            return i;
        }
    }
    return ustring::npos;
}

} // namespace

ustring::size_type ustring::findFirstOf(const char* set, size_type pos,
                                        size_type n) const noexcept {
    return n == 0 ? npos : scanForward(view(), pos, {set, n}, true);
}

ustring::size_type ustring::findFirstOf(const char* set, size_type pos) const noexcept {
    return findFirstOf(set, pos, std::strlen(set));
}

ustring::size_type ustring::findFirstNotOf(const char* set, size_type pos,
                                           size_type n) const noexcept {
    return scanForward(view(), pos, {set, n}, false);
}

ustring::size_type ustring::findFirstNotOf(const char* set, size_type pos) const noexcept {
    return findFirstNotOf(set, pos, std::strlen(set));
}

ustring::size_type ustring::findLastOf(const char* set, size_type pos, size_type n) const noexcept {
    return n == 0 ? npos : scanBackward(view(), pos, {set, n}, true);
}

ustring::size_type ustring::findLastOf(const char* set, size_type pos) const noexcept {
    return findLastOf(set, pos, std::strlen(set));
}

ustring::size_type ustring::findLastNotOf(const char* set, size_type pos,
                                          size_type n) const noexcept {
    return scanBackward(view(), pos, {set, n}, false);
}

ustring::size_type ustring::findLastNotOf(const char* set, size_type pos) const noexcept {
    return findLastNotOf(set, pos, std::strlen(set));
}

// --- concatenation ---------------------------------------------------------------------------

namespace {

ustring joined(const char* a, std::size_t na, const char* b, std::size_t nb) {
    if (na > ustring::kMaxLength || nb > ustring::kMaxLength - na) {
        throw std::length_error(kErrorText);
    }
    ustring result;
    result.initReserve(a, na, na + nb);
    result.append(b, nb);
    return result;
}

} // namespace

ustring ustring::concat(const ustring& a, const ustring& b) {
    return joined(a.data(), a.size(), b.data(), b.size());
}

ustring ustring::concatChar(const ustring& a, char b) {
    return joined(a.data(), a.size(), &b, 1);
}

ustring ustring::concatCStr(const ustring& a, const char* b) {
    return joined(a.data(), a.size(), b, std::strlen(b));
}

ustring ustring::charConcat(char a, const ustring& b) {
    return joined(&a, 1, b.data(), b.size());
}

ustring ustring::cstrConcat(const char* a, const ustring& b) {
    return joined(a, std::strlen(a), b.data(), b.size());
}

ustring operator+(const ustring& a, const ustring& b) {
    return ustring::concat(a, b);
}

ustring operator+(const ustring& a, const char* b) {
    return ustring::concatCStr(a, b);
}

ustring operator+(const ustring& a, char b) {
    return ustring::concatChar(a, b);
}

ustring operator+(const char* a, const ustring& b) {
    return ustring::cstrConcat(a, b);
}

ustring operator+(char a, const ustring& b) {
    return ustring::charConcat(a, b);
}

ustring operator+(ustring&& a, const ustring& b) {
    a.append(b);
    return std::move(a);
}

ustring operator+(ustring&& a, const char* b) {
    a.appendCStr(b);
    return std::move(a);
}

ustring operator+(ustring&& a, char b) {
    a.push_back(b);
    return std::move(a);
}

bool operator==(const ustring& a, const ustring& b) noexcept {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0;
}

bool operator==(const ustring& a, const char* b) noexcept {
    const std::size_t n = std::strlen(b);
    return a.size() == n && std::memcmp(a.data(), b, n) == 0;
}

std::strong_ordering operator<=>(const ustring& a, const ustring& b) noexcept {
    return a.compareTo(b) <=> 0;
}

std::strong_ordering operator<=>(const ustring& a, const char* b) noexcept {
    return a.view().compare(std::string_view(b)) <=> 0;
}

// --- streams and output ----------------------------------------------------------------------

std::ostream& operator<<(std::ostream& os, const ustring& s) {
    return os << s.c_str();
}

std::istream& operator>>(std::istream& is, ustring& s) {
    // The standard extractor leaves the target alone when no word can start, else replaces
    // it (with nothing when no character was read).
    if (const std::istream::sentry ok(is); !ok) {
        return is;
    }
    std::string word;
    is >> word;
    s.assignCStr(word.c_str());
    return is;
}

void ustring::print() const {
    std::fprintf(stderr, "%s\n", c_str());
}

// --- conversions -----------------------------------------------------------------------------

std::u16string ustring::toWString() const {
    const size_type n = size();
    const auto* source = reinterpret_cast<const UTF8*>(data());
    const UTF8* const sourceEnd = source + n;
    // A UTF-8 text never needs more UTF-16 units than it has bytes.
    std::u16string result(n, u'\0');
    char16_t* target = result.data();
    // The leading ASCII run ends at a NUL; after the first other byte, NUL is a character.
    widenLeadingAscii(source, sourceEnd, target);
    if (source != sourceEnd && *source != 0) {
        // One call converts the rest: with room for a unit per byte the converter stops only at
        // the end or before a cut-off or illegal sequence, where 512-unit chunks would stop too.
        // Either way the units before the stop are the result.
        static_cast<void>(
            ConvertUTF8toUTF16(&source, sourceEnd, &target, result.data() + n, strictConversion));
    }
    result.resize(static_cast<size_type>(target - result.data()));
    return result;
}

std::string ustring::toUtf16BEBytes() const {
    const std::u16string units = toWString();
    std::string bytes;
    bytes.reserve(2 + 2 * units.size());
    bytes += '\xFE';
    bytes += '\xFF';
    for (const char16_t u : units) {
        bytes += static_cast<char>(u >> 8);
        bytes += static_cast<char>(u & 0xFF);
    }
    return bytes;
}

namespace {

enum class Encoding { utf8, utf16BE, utf16LE, utf32BE, utf32LE };

struct Detected {
    Encoding encoding;
    std::size_t markLength;
};

Detected detectEncoding(const unsigned char* b, std::size_t n) {
    if (n >= 4 && b[0] == 0x00 && b[1] == 0x00 && b[2] == 0xFE && b[3] == 0xFF) {
        return {Encoding::utf32BE, 4};
    }
    if (n >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0x00 && b[3] == 0x00) {
        return {Encoding::utf32LE, 4};
    }
    if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        return {Encoding::utf16BE, 2};
    }
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        return {Encoding::utf16LE, 2};
    }
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        return {Encoding::utf8, 3};
    }
    if (n >= 4 && b[0] == 0 && b[1] == 0 && (b[2] != 0 || b[3] != 0)) {
        return {Encoding::utf32BE, 0};
    }
    if (n >= 4 && (b[0] != 0 || b[1] != 0) && b[2] == 0 && b[3] == 0) {
        return {Encoding::utf32LE, 0};
    }
    if (n >= 2 && b[0] == 0 && b[1] != 0) {
        return {Encoding::utf16BE, 0};
    }
    if (n >= 2 && b[0] != 0 && b[1] == 0) {
        return {Encoding::utf16LE, 0};
    }
    return {Encoding::utf8, 0};
}

ustring decodeUtf16(const unsigned char* b, std::size_t n, bool bigEndian) {
    std::u16string units(n / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bigEndian ? loadBigEndian(b + 2 * i, 2)
                                                   : loadLittleEndian(b + 2 * i, 2));
    return ustring::fromWString(units);
}

ustring decodeUtf32(const unsigned char* b, std::size_t n, bool bigEndian) {
    const std::size_t count = n / 4;
    ScratchBuffer<UTF32> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = static_cast<UTF32>(bigEndian ? loadBigEndian(b + 4 * i, 4)
                                                 : loadLittleEndian(b + 4 * i, 4));
    ustring result;
    const UTF32* source = values.get();
    const UTF32* const sourceEnd = source + count;
    UTF8 chunk[kChunkSize];
    while (source != sourceEnd) {
        UTF8* target = chunk;
        const ConversionResult r =
            ConvertUTF32toUTF8(&source, sourceEnd, &target, chunk + kChunkSize, strictConversion);
        if (r == sourceIllegal || r == sourceExhausted) {
            break;
        }
        result.append(reinterpret_cast<const char*>(chunk),
                      static_cast<std::size_t>(target - chunk));
    }
    return result;
}

} // namespace

ustring ustring::fromBytes(const void* bytes, size_type n) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    const Detected d = detectEncoding(b, n);
    b += d.markLength;
    n -= d.markLength;
    switch (d.encoding) {
    case Encoding::utf16BE:
        return decodeUtf16(b, n, true);
    case Encoding::utf16LE:
        return decodeUtf16(b, n, false);
    case Encoding::utf32BE:
        return decodeUtf32(b, n, true);
    case Encoding::utf32LE:
        return decodeUtf32(b, n, false);
    case Encoding::utf8:
        break;
    }
    return ustring(reinterpret_cast<const char*>(b), n);
}

namespace {

template <typename Map>
ustring mapPrintable(const ustring& s, Map map) {
    ustring result(s);
    for (char& c : result) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 33 && b <= 125) {
            c = static_cast<char>(map(b));
        }
    }
    return result;
}

} // namespace

ustring ustring::toLower() const {
    return mapPrintable(*this, [](unsigned char b) { return std::tolower(b); });
}

ustring ustring::toUpper() const {
    return mapPrintable(*this, [](unsigned char b) { return std::toupper(b); });
}
