// The keyed binary record stream of the job file, the page-item file and every persistent object
// of the job model: `UKeyOutStream` writes it, `UKeyInStream` reads it back by key.
//
// A stream is a tree of elements, each `key(2) length(1 or 0xFF + 4) type(1) payload`, every
// multi-byte number big-endian. Records hold keyed elements; arrays hold scalar elements without
// keys (a record or array keeps its key wherever it stands). The whole stream is the record
// 0x4B53 ('KS') whose first elements are the identifier 0x4944 ('ID', only when not 0) and the
// format version 0xC0DE = 1. Records and arrays always use the 5-byte length. Integer, double and
// bool payloads drop their leading zero bytes, so 0 and false have length 0.
#pragma once

#include "encoding/ByteOrder.h"
#include "utils/ustring.h"

#include <bit>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

class umessage;
class UKeyInStream;

// Common base of the two stream classes; it holds the element type codes.
class UKeyStream {
public:
    enum field_type : std::uint8_t {
        field_bool = 1,   // one byte 0x01; false is empty
        field_int = 2,    // signed, 1 to 4 bytes
        field_uint = 3,   // unsigned, 1 to 4 bytes
        field_float = 4,  // IEEE 754 double, up to 8 bytes
        field_string = 5, // UTF-8 bytes, no terminator
        field_record = 6, // keyed elements
        field_array = 7,  // elements without keys
        field_binary = 8, // raw bytes: here a flattened umessage
    };

    static constexpr std::uint16_t kStreamKey = 0x4B53;     // 'KS', the root record
    static constexpr std::uint16_t kIdentifierKey = 0x4944; // 'ID'
    static constexpr std::uint16_t kVersionKey = 0xC0DE;
    static constexpr int kMaxLevels = 10; // the root included

    virtual ~UKeyStream() = default;
};

// Writes a stream. Elements are gathered in a buffer of the writer's own and reach the output
// stream in large writes (a write per element cost more than encoding it); `close` writes what
// is left. Each record and array gets a placeholder length that `end` patches: in the buffer
// while the level's head is still there, else in the output stream, which must then allow
// repositioning. A stream that cannot tell or restore its position gets its badbit set. Misuse
// throws std::runtime_error: an eleventh level
// ("UKeyOutStream: exceeded depth"), `end` with no open level ("UKeyOutStream: no open level"),
// any write after `close` ("UKeyOutStream: stream closed").
class UKeyOutStream : public UKeyStream {
public:
    // Writes the head: opens the root record, then the identifier (when not 0) and the version.
    UKeyOutStream(std::ostream& out, std::uint32_t identifier);
    // close(); an exception is dropped.
    ~UKeyOutStream() override;
    UKeyOutStream(const UKeyOutStream&) = delete;
    UKeyOutStream& operator=(const UKeyOutStream&) = delete;

    // The key of the next value (used only inside records; reset by each value).
    UKeyOutStream& select_key(std::uint16_t key) {
        m_pendingKey = key;
        return *this;
    }
    // Open a record (values carry keys) or an array (values carry none) under `key`; the key is
    // written whatever the enclosing level is, and the pending key is left as it was.
    UKeyOutStream& begin_record(std::uint16_t key);
    UKeyOutStream& begin_array(std::uint16_t key);
    // Ends the innermost open level, patching its length.
    void end();
    // Ends every open level, the root included, and writes the buffer out; later calls do
    // nothing. The caller flushes the output stream.
    void close();

    UKeyOutStream& write_bool(bool value) { return writeNumber(field_bool, value ? 1 : 0); }
    UKeyOutStream& write_char(std::int8_t value) {
        return writeNumber(field_int, static_cast<std::uint8_t>(value));
    }
    UKeyOutStream& write_short(std::int16_t value) {
        return writeNumber(field_int, static_cast<std::uint16_t>(value));
    }
    UKeyOutStream& write_int(std::int32_t value) {
        return writeNumber(field_int, static_cast<std::uint32_t>(value));
    }
    UKeyOutStream& write_byte(std::uint8_t value) { return writeNumber(field_uint, value); }
    UKeyOutStream& write_ushort(std::uint16_t value) { return writeNumber(field_uint, value); }
    UKeyOutStream& write_uint(std::uint32_t value) { return writeNumber(field_uint, value); }
    UKeyOutStream& write_double(double value) {
        return writeNumber(field_float, std::bit_cast<std::uint64_t>(value));
    }
    UKeyOutStream& write_string(const ustring& value);
    UKeyOutStream& write_binary(const void* bytes, std::uint32_t count);
    // The message's binary form (umessage::flatten) as a user/binary element. A message that
    // flatten refuses (nested deeper than umessage::kMaxDepth) throws std::runtime_error
    // "UKeyOutStream: message nested too deep" and writes nothing.
    UKeyOutStream& write_message(const umessage& message);

    // Writes `key`'s two bytes, then every element that `reader` walks (next_element) from its
    // current position, re-creating records and arrays and their values.
    void copy_element(std::uint16_t key, UKeyInStream& reader);

private:
    struct Level {
        std::int64_t start = 0; // output position just after the type byte; -1 when unknown
        bool keysOn = true;
    };

    void checkOpen() const {
        if (m_level < 0)
            closed();
    }
    [[noreturn]] static void closed();
    void openLevel(std::uint16_t key, std::uint8_t type);
    // Writes the pending key (inside a record), the length, the type and the payload.
    UKeyOutStream& writeElement(std::uint8_t type, const unsigned char* payload,
                                std::uint32_t count);
    // A number's big-endian bytes with the leading zero bytes dropped (`bits` holds no more
    // than the type's width). Numbers are most of what a job writes: this and putHead are
    // inline, as the calls cost more than the encoding.
    UKeyOutStream& writeNumber(std::uint8_t type, std::uint64_t bits) {
        const auto count = static_cast<std::uint32_t>((std::bit_width(bits) + 7) / 8);
        unsigned char* cursor = putHead(type, count, 8);
        // The significant bytes moved to the top of the word go out in one 8-byte store, of
        // which the buffer keeps the first `count`.
        storeBigEndian64(count == 0 ? 0 : bits << (64 - 8 * count), cursor);
        m_fill = static_cast<std::size_t>(cursor + count - m_buffer.data());
        return *this;
    }
    // Writes an element's head for `count` payload bytes into the buffer, with room for `room`
    // more bytes after it; returns where the payload goes. The caller moves m_fill past it.
    unsigned char* putHead(std::uint8_t type, std::uint32_t count, std::size_t room) {
        checkOpen();
        makeRoom(kMaxHead + room);
        unsigned char* cursor = m_buffer.data() + m_fill;
        if (m_levels[m_level].keysOn) {
            *cursor++ = static_cast<unsigned char>(m_pendingKey >> 8);
            *cursor++ = static_cast<unsigned char>(m_pendingKey);
        }
        if (count < 255) {
            *cursor++ = static_cast<unsigned char>(count);
        } else {
            *cursor++ = 0xFF;
            storeBigEndian(count, 4, cursor);
            cursor += 4;
        }
        *cursor++ = type;
        m_pendingKey = 0;
        return cursor;
    }
    // Room for `count` more bytes in the buffer, writing it out when they do not fit.
    void makeRoom(std::size_t count) {
        if (count > kBufferSize - m_fill)
            flushBuffer();
    }
    // Writes the buffer to the output stream and empties it.
    void flushBuffer();
    // The output position the next byte will have; -1 when the stream could not tell.
    std::int64_t position() const {
        return m_base < 0 ? -1 : m_base + static_cast<std::int64_t>(m_fill);
    }

    static constexpr std::size_t kBufferSize = 64 * 1024;
    static constexpr std::size_t kMaxHead = 8; // a 2-byte key, a 5-byte length, the type

    std::ostream& m_out;
    std::vector<unsigned char> m_buffer;
    std::size_t m_fill = 0;
    std::int64_t m_base = -1; // output position of m_buffer[0]; -1 when the stream cannot tell
    std::uint16_t m_pendingKey = 0;
    int m_level = -1; // -1 once the root has been ended: the stream is closed
    Level m_levels[kMaxLevels];
};

// Reads a stream. Inside a record it indexes one item at a time (a run of elements with distinct
// keys) and finds values by key in any order; a list of objects is one record whose items are
// read with `next_item`. Absent fields are no error: numbers and bools keep the caller's value,
// strings and messages become empty, a missing record or array reads as an empty level.
//
// Every header is checked against the end of its level and of the stream and every read against
// its element. Failures throw std::runtime_error: "UKeyInStream: meta key mismatch" (the stream
// does not begin with 0x4B53), "UKeyInStream: expecting record" (the root is not a record),
// "UKeyInStream: exceeded depth" (an eleventh level), "UKeyInStream: reading field longer than
// expected" (a payload wider than the reader's type), "UKeyInStream: leave at root", and
// "UKeyInStream: corrupt stream" (a truncated or inconsistent stream, a string too long for a
// ustring, or a present, non-empty message field that does not unflatten).
class UKeyInStream : public UKeyStream {
public:
    // Reads and checks the head and enters the root record; the stream must be seekable and is
    // read from its current position on. The root's first item holds the identifier and version
    // elements too. A std::stringbuf's text is read in place: it must not change while the
    // reader is in use.
    explicit UKeyInStream(std::istream& in);
    ~UKeyInStream() override;
    UKeyInStream(const UKeyInStream&) = delete;
    UKeyInStream& operator=(const UKeyInStream&) = delete;

    // Selects the field `key` of the current item, indexing the first item when none is yet;
    // a missing key (or any key on an array level) marks the selection absent.
    UKeyInStream& select_key(std::uint16_t key) {
        // The common case, a key of an item already indexed, is a short search here: a call
        // per field cost more than the search itself.
        Level& level = top();
        if (!level.indexed)
            return selectFirst(key);
        level.selected = &kAbsent;
        for (const Entry& entry : entries(level)) {
            if (entry.key == key) {
                level.selected = &entry;
                break;
            }
        }
        return *this;
    }
    bool has_key(std::uint16_t key);
    // Enter the record or array stored under `key` in the current item as a new level (an
    // absent key gives an empty level); each is paired with `leave`.
    UKeyInStream& enter_record(std::uint16_t key);
    UKeyInStream& enter_array(std::uint16_t key);
    void leave();
    // Record level: indexes the next item; true when it holds at least one element. Array
    // level: true while elements remain.
    [[nodiscard]] bool next_item() {
        Level& level = top();
        return level.keyed ? indexItem(level) : level.current < level.end;
    }

    // Typed reads of the selected field (record level) or of the next element (array level).
    // The payload is right-aligned in the type's width and zero-extended; the stored type code
    // is not checked.
    UKeyInStream& read_bool(bool& value) { return readNumber(value); } // any non-zero byte: true
    UKeyInStream& read_char(std::int8_t& value) { return readNumber(value); }
    UKeyInStream& read_byte(std::uint8_t& value) { return readNumber(value); }
    UKeyInStream& read_short(std::int16_t& value) { return readNumber(value); }
    UKeyInStream& read_ushort(std::uint16_t& value) { return readNumber(value); }
    UKeyInStream& read_int(std::int32_t& value) { return readNumber(value); }
    UKeyInStream& read_uint(std::uint32_t& value) { return readNumber(value); }
    UKeyInStream& read_double(double& value) { return readNumber(value); }
    // The bytes up to the first NUL; empty when absent or when the stream has no version.
    UKeyInStream& read_string(ustring& value);
    // The same with every byte of the field, NULs and what follows them included: for a reader
    // that must tell a text cut short at a NUL from one that ends there.
    UKeyInStream& read_whole_string(ustring& value);
    // Cleared, then unflattened from a present, non-empty field.
    UKeyInStream& read_message(umessage& message);
    // The payload bytes; empty when absent.
    void read_raw(std::string& bytes);

    // Record level: the selected field's length, found when present. Array level: found while
    // elements remain; takes the next element, whose payload the following reads consume.
    std::uint32_t field_length(bool& found) {
        const Level& level = top();
        if (!level.keyed)
            return takeArrayField(found);
        found = level.selected->position != 0;
        return found ? level.selected->length : 0;
    }
    // Record level: the selected field's type code (field_type), 0 when it is absent; a reader
    // that accepts more than one stored type tells them apart by it. Array level: 0.
    std::uint8_t selected_type() const {
        return top().keyed && top().selected->position != 0 ? top().selected->type : 0;
    }
    // Copies `count` payload bytes of the selected field or of the taken array element.
    void read_bytes(void* buffer, std::uint32_t count);
    // The payload right-aligned in `width` bytes (leading bytes zeroed); false, buffer untouched,
    // when the field is absent.
    [[nodiscard]] bool read_fixed(void* buffer, std::uint32_t width);

    // Walks the elements from the current position: reports each element's key, type, length
    // and level depth, entering records and arrays as it meets them; an item boundary or a
    // record's end is reported as type 6 with length 0xFFFFFFFF, an array's end as type 7 with
    // length 0xFFFFFFFF (both leaving the level). False at the end of the root.
    [[nodiscard]] bool next_element(std::uint16_t& key, std::uint8_t& type, std::uint32_t& length,
                                    std::int32_t& depth);

    // Fraction of the current level already read; 0.0 for an empty level.
    double progress() const;
    // The stream's format version; 0 when it has no version element.
    std::uint32_t version() const { return m_version; }

    // ok: the stream begins with the root record's key and the 5-byte length form; identifier:
    // the 'ID' element (0 when absent or when the stream does not open). The stream is cleared
    // and positioned at 0 afterwards.
    static void probe(std::istream& in, std::uint32_t& identifier, bool& ok);
    // Prints one line per element to the standard output: depth tabs, the key (its low then its
    // high byte between apostrophes when both are printable, else signed decimal, "-" for 0, both
    // left-aligned in 6 columns), tabs to column 8, the type name in 15 columns and the value.
    static void dump(std::istream& in);

private:
    struct Entry {
        std::uint16_t key = 0;
        std::uint8_t type = 0;
        std::uint32_t length = 0;
        std::uint32_t position = 0; // of the payload; 0: absent
        unsigned char inlineBytes[8] = {};
    };
    static const Entry kAbsent; // the selection of a key that is not there
    struct Level {
        std::uint32_t current = 0, start = 0, end = 0;
        // The current item's entries are the first `count`; the rest are kept for the next
        // items, so that indexing one writes into entries already there.
        std::vector<Entry> index;
        std::size_t count = 0;
        std::vector<std::uint64_t> seen; // key bitmap once the index outgrows a linear search
        // Bit `key % 64` set for every key of the index: a clear bit tells that a key is new
        // without a search, which is the answer for every element but an item's last.
        std::uint64_t keyHints = 0;
        std::size_t cursor = 0;
        // The selected field: an entry of the index, `element`, or kAbsent. Pointing at it
        // instead of copying it keeps a field's selection and read at a few instructions.
        const Entry* selected = &kAbsent;
        // Array level: the taken element. Record level: the selected entry, kept here when the
        // next item's index replaces it.
        Entry element;
        std::uint32_t consumed = 0; // array level: bytes of the taken element already read
        bool indexed = false;
        bool keyed = true;
        bool taken = false; // array level: an element was taken and not yet passed
    };

    // field_length on an array level.
    std::uint32_t takeArrayField(bool& found);
    // select_key on a level whose item is not indexed yet, or on an array level.
    UKeyInStream& selectFirst(std::uint16_t key);
    // read_string (whole: false) and read_whole_string (true).
    UKeyInStream& readString(ustring& value, bool whole);

    // Reads a field of T's width (a bool's is one byte) into `value`: the big-endian bits cast
    // to T, a double's bit pattern taken as it is; absent leaves value alone. Inside a record
    // the selected field's payload already sits in its index entry (a number is at most 8
    // bytes), so the common read is a load here, without a call.
    template <typename T>
    UKeyInStream& readNumber(T& value) {
        std::uint64_t bits = 0;
        const Level& level = top();
        if (level.keyed) {
            const Entry& field = *level.selected;
            if (field.position == 0)
                return *this;
            if (field.length > sizeof(T))
                tooLong();
            // All 8 inline bytes in one load; the bytes past the payload are shifted out.
            if (field.length != 0)
                bits = loadBigEndian64(field.inlineBytes) >> (64 - 8 * field.length);
        } else if (!readArrayBits(sizeof(T), bits)) {
            return *this;
        }
        if constexpr (std::is_same_v<T, double>)
            value = std::bit_cast<double>(bits);
        else
            value = static_cast<T>(bits);
        return *this;
    }
    // Array level: the next element's payload, right-aligned in `width` bytes, as a number;
    // false when no element remains.
    bool readArrayBits(std::uint32_t width, std::uint64_t& bits);
    [[noreturn]] static void tooLong();

    Level& top() { return *m_top; }
    const Level& top() const { return *m_top; }
    // The current item's entries.
    static std::span<const Entry> entries(const Level& level) {
        return {level.index.data(), level.count};
    }
    void enterLevel(std::uint16_t key, bool keyed);
    bool indexItem(Level& level);
    // Indexes the item's elements whose headers, each with 8 bytes after it, lie in the `count`
    // bytes at `bytes`, the stream's bytes from `position` on; moves `position` past them. True
    // when the item ended, at a key that it already holds.
    bool indexWholeHeaders(Level& level, const unsigned char* bytes, std::uint32_t count,
                           std::uint32_t& position);
    void resetIndex(Level& level);
    // True when the level's index holds `key`.
    bool holdsKey(const Level& level, std::uint16_t key) const {
        return (level.keyHints & (std::uint64_t{1} << (key % 64))) != 0 && indexHolds(level, key);
    }
    // The same without the key hints.
    bool indexHolds(const Level& level, std::uint16_t key) const {
        if (level.count < kLinearIndexLimit) {
            for (const Entry& entry : entries(level))
                if (entry.key == key)
                    return true;
            return false;
        }
        return (level.seen[key / 64] >> (key % 64)) & 1;
    }
    // The entry after the item's last, made when the index has none there yet.
    static Entry& appendEntry(Level& level) {
        if (level.count == level.index.size())
            level.index.emplace_back();
        return level.index[level.count++];
    }
    // Marks the key of the index's last entry in the bitmap (the whole index when it has just
    // reached kLinearIndexLimit entries); called only from that size on.
    void noteLastKey(Level& level);
    // Reads the header at `position` (with a key when `keyed`) and up to 8 payload bytes, all
    // within `limit`.
    void readHeader(std::uint32_t position, std::uint32_t limit, bool keyed, Entry& entry,
                    std::uint32_t& next);
    // The same on header bytes already at hand: `available` of them, those up to `limit`.
    static void parseHeader(const unsigned char* bytes, std::uint32_t available,
                            std::uint32_t position, std::uint32_t limit, bool keyed, Entry& entry,
                            std::uint32_t& next);
    // Array level: reads the header at the current position, makes it the element that the
    // following reads consume, and moves the current position past it.
    void takeArrayElement(Level& level);
    // `count` (at most kWindowSize) stream bytes from `position`, in the window of the stream
    // that is kept so that neighbouring small elements cost one stream read.
    const unsigned char* view(std::uint64_t position, std::size_t count) {
        if (position >= m_windowStart && position + count <= m_windowStart + m_windowFill)
            return m_windowData + (position - m_windowStart);
        return moveWindow(position, count);
    }
    // Refills the window from `position` on and returns its start.
    const unsigned char* moveWindow(std::uint64_t position, std::size_t count);
    // Copies stream bytes, through the window unless they are more than it holds.
    void readAt(std::uint64_t position, void* buffer, std::size_t count);
    // Reads `count` bytes from `position` into `target`.
    void fillFrom(std::uint64_t position, char* target, std::size_t count);
    [[noreturn]] static void corrupt();

    static constexpr std::size_t kWindowSize = 64 * 1024;
    // A header is at most a 2-byte key, a 5-byte length and the type; 8 inline bytes follow.
    static constexpr std::uint32_t kMostHeaderBytes = 16;
    // Above this many keys an item's index keeps a bitmap of them.
    static constexpr std::size_t kLinearIndexLimit = 32;

    std::istream& m_in;
    std::uint64_t m_streamEnd = 0;
    std::vector<unsigned char> m_window; // the window's bytes unless it is in place
    const unsigned char* m_windowData = nullptr;
    std::uint64_t m_windowStart = 0;
    std::size_t m_windowFill = 0;
    bool m_inPlace = false; // the window is the text of a std::stringbuf
    int m_level = -1;
    std::uint32_t m_version = 0;
    Level m_levels[kMaxLevels];
    Level* m_top = m_levels; // m_levels[m_level], kept for the reads of every field
};
