// The keyed record stream writer and reader. Every multi-byte number goes through the big-endian
// helpers of ByteOrder.h, so nothing here depends on the machine's byte order.
#include "utils/UKeyStream.h"

#include "encoding/ByteOrder.h"
#include "utils/ScratchBuffer.h"
#include "utils/umessage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iostream>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace {

constexpr std::uint32_t kBoundaryLength = 0xFFFFFFFF; // length of an item, record or array end
constexpr std::size_t kKeyBitmapWords = 65536 / 64;

// The number of bytes before the first NUL. Strings are mostly short, and memchr's call cost
// more than this scan, which tests eight bytes at a time for a zero.
std::size_t lengthBeforeNul(const char* bytes, std::size_t length) {
    constexpr std::uint64_t kLows = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::size_t at = 0;
    for (; at + 8 <= length; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, sizeof word);
        if (((word - kLows) & ~word & kHighs) != 0)
            break;
    }
    while (at < length && bytes[at] != '\0')
        ++at;
    return at;
}

} // namespace

// --- writer ------------------------------------------------------------------------------------

UKeyOutStream::UKeyOutStream(std::ostream& out, std::uint32_t identifier)
    : m_out(out), m_buffer(kBufferSize), m_base(static_cast<std::int64_t>(out.tellp())) {
    openLevel(kStreamKey, field_record);
    if (identifier != 0)
        select_key(kIdentifierKey).write_int(static_cast<std::int32_t>(identifier));
    select_key(kVersionKey).write_int(1);
}

UKeyOutStream::~UKeyOutStream() {
    try {
        close();
    } catch (...) {
        // A destructor must not throw; the stream's state tells what went wrong.
    }
}

[[noreturn]] void UKeyOutStream::closed() {
    throw std::runtime_error("UKeyOutStream: stream closed");
}

void UKeyOutStream::flushBuffer() {
    if (m_fill == 0)
        return;
    m_out.write(reinterpret_cast<const char*>(m_buffer.data()),
                static_cast<std::streamsize>(m_fill));
    if (m_base >= 0)
        m_base += static_cast<std::int64_t>(m_fill);
    m_fill = 0;
}

void UKeyOutStream::openLevel(std::uint16_t key, std::uint8_t type) {
    if (m_level + 1 >= kMaxLevels)
        throw std::runtime_error("UKeyOutStream: exceeded depth");
    // The key, the length placeholder 0xFF 00 00 00 00 and the type; `end` patches the length.
    makeRoom(8);
    unsigned char* head = m_buffer.data() + m_fill;
    storeBigEndian(key, 2, head);
    const unsigned char rest[6] = {0xFF, 0, 0, 0, 0, type};
    std::memcpy(head + 2, rest, sizeof rest);
    m_fill += 8;
    Level& level = m_levels[++m_level];
    level.start = position();
    level.keysOn = type == field_record;
}

UKeyOutStream& UKeyOutStream::begin_record(std::uint16_t key) {
    checkOpen();
    openLevel(key, field_record);
    return *this;
}

UKeyOutStream& UKeyOutStream::begin_array(std::uint16_t key) {
    checkOpen();
    openLevel(key, field_array);
    return *this;
}

void UKeyOutStream::end() {
    if (m_level < 0)
        throw std::runtime_error("UKeyOutStream: no open level");
    const std::int64_t start = m_levels[m_level--].start;
    // A stream that could not tell its position keeps a placeholder; say so instead of
    // leaving a stream that reads back wrong.
    if (start <= 0) {
        m_out.setstate(std::ios::badbit);
        return;
    }
    const std::int64_t here = position();
    const std::int64_t length = here - start;
    if (length > std::numeric_limits<std::uint32_t>::max()) {
        m_out.setstate(std::ios::badbit);
        return;
    }
    unsigned char patch[5] = {0xFF};
    storeBigEndian(static_cast<std::uint64_t>(length), 4, patch + 1);
    // The placeholder starts 6 bytes before the level's payload. Most levels are small and end
    // while their head is still in the buffer; a large one is patched in the output stream.
    const std::int64_t at = start - 6;
    if (at >= m_base) {
        std::memcpy(m_buffer.data() + (at - m_base), patch, sizeof patch);
        return;
    }
    flushBuffer();
    m_out.seekp(at);
    m_out.write(reinterpret_cast<const char*>(patch), sizeof patch);
    m_out.seekp(here);
    if (m_out.fail())
        m_out.setstate(std::ios::badbit);
}

void UKeyOutStream::close() {
    while (m_level >= 0)
        end();
    flushBuffer();
}

UKeyOutStream& UKeyOutStream::writeElement(std::uint8_t type, const unsigned char* payload,
                                           std::uint32_t count) {
    // A payload that does not fit in the buffer goes straight to the output stream after its
    // head.
    if (count > kBufferSize - kMaxHead) {
        m_fill = static_cast<std::size_t>(putHead(type, count, 0) - m_buffer.data());
        flushBuffer();
        m_out.write(reinterpret_cast<const char*>(payload), count);
        if (m_base >= 0)
            m_base += count;
        return *this;
    }
    unsigned char* cursor = putHead(type, count, count);
    if (count > 0)
        std::memcpy(cursor, payload, count);
    m_fill = static_cast<std::size_t>(cursor + count - m_buffer.data());
    return *this;
}

UKeyOutStream& UKeyOutStream::write_string(const ustring& value) {
    return writeElement(field_string, reinterpret_cast<const unsigned char*>(value.data()),
                        static_cast<std::uint32_t>(value.size()));
}

UKeyOutStream& UKeyOutStream::write_binary(const void* bytes, std::uint32_t count) {
    return writeElement(field_binary, static_cast<const unsigned char*>(bytes), count);
}

UKeyOutStream& UKeyOutStream::write_message(const umessage& message) {
    std::ostringstream flat;
    if (!message.flatten(flat))
        throw std::runtime_error("UKeyOutStream: message nested too deep");
    const std::string bytes = std::move(flat).str();
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::runtime_error("UKeyOutStream: element too long");
    return write_binary(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void UKeyOutStream::copy_element(std::uint16_t key, UKeyInStream& reader) {
    checkOpen();
    makeRoom(2);
    storeBigEndian(key, 2, m_buffer.data() + m_fill);
    m_fill += 2;

    int opened = 0;
    std::uint16_t elementKey;
    std::uint8_t type;
    std::uint32_t length;
    std::int32_t depth;
    while (reader.next_element(elementKey, type, length, depth)) {
        while (opened > depth) {
            end();
            --opened;
        }
        if (elementKey != 0 && type >= field_bool && type <= field_string)
            select_key(elementKey);
        switch (type) {
        case field_bool: {
            bool value = false;
            reader.read_bool(value);
            write_bool(value);
            break;
        }
        case field_int: {
            std::int32_t value = 0;
            reader.read_int(value);
            write_int(value);
            break;
        }
        case field_uint: {
            std::uint32_t value = 0;
            reader.read_uint(value);
            write_uint(value);
            break;
        }
        case field_float: {
            double value = 0.0;
            reader.read_double(value);
            write_double(value);
            break;
        }
        case field_string: {
            ustring value;
            reader.read_string(value);
            write_string(value);
            break;
        }
        case field_record:
        case field_array:
            if (elementKey != 0) {
                if (type == field_record)
                    begin_record(elementKey);
                else
                    begin_array(elementKey);
                ++opened;
            }
            break;
        case field_binary: {
            bool found = false;
            const std::uint32_t count = reader.field_length(found);
            ScratchBuffer<unsigned char> bytes(count);
            reader.read_bytes(bytes.get(), count);
            if (elementKey != 0)
                select_key(elementKey);
            write_binary(bytes.get(), count);
            break;
        }
        default:
            break;
        }
    }
    while (opened > 0) {
        end();
        --opened;
    }
}

// --- reader ------------------------------------------------------------------------------------

const UKeyInStream::Entry UKeyInStream::kAbsent{};

void UKeyInStream::corrupt() {
    throw std::runtime_error("UKeyInStream: corrupt stream");
}

const unsigned char* UKeyInStream::moveWindow(std::uint64_t position, std::size_t count) {
    // A window in place holds every byte up to m_streamEnd: what it misses is past the end.
    if (m_inPlace || count > m_streamEnd || position > m_streamEnd - count)
        corrupt();
    const auto fill =
        static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, m_streamEnd - position));
    fillFrom(position, reinterpret_cast<char*>(m_window.data()), fill);
    m_windowData = m_window.data();
    m_windowStart = position;
    m_windowFill = fill;
    return m_windowData;
}

void UKeyInStream::fillFrom(std::uint64_t position, char* target, std::size_t count) {
    m_in.clear();
    m_in.seekg(static_cast<std::streamoff>(position));
    m_in.read(target, static_cast<std::streamsize>(count));
    if (static_cast<std::size_t>(m_in.gcount()) != count) {
        m_windowFill = 0;
        corrupt();
    }
}

void UKeyInStream::readAt(std::uint64_t position, void* buffer, std::size_t count) {
    if (count <= kWindowSize || m_inPlace) {
        std::memcpy(buffer, view(position, count), count);
        return;
    }
    if (count > m_streamEnd || position > m_streamEnd - count)
        corrupt();
    fillFrom(position, static_cast<char*>(buffer), count);
}

UKeyInStream::UKeyInStream(std::istream& in) : m_in(in) {
    m_in.clear();
    const std::streamoff begin = m_in.tellg();
    m_in.seekg(0, std::ios::end);
    const std::streamoff streamEnd = m_in.tellg();
    if (begin < 0 || streamEnd < begin)
        corrupt();
    // Positions are 32-bit: bytes past 4 GiB are out of every element's reach.
    m_streamEnd = std::min<std::uint64_t>(static_cast<std::uint64_t>(streamEnd),
                                          std::numeric_limits<std::uint32_t>::max());
    const auto start = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        static_cast<std::uint64_t>(begin), std::numeric_limits<std::uint32_t>::max()));
    // Text in memory is read where it lies: the window is all of it, and no byte is copied
    // (stream positions are offsets in the text). Any other stream gets a window of its own,
    // no larger than the stream (and a header's worth at least, so that it has an address).
    auto* text = dynamic_cast<std::stringbuf*>(m_in.rdbuf());
    if (text != nullptr && text->view().size() >= m_streamEnd) {
        m_inPlace = true;
        m_windowData = reinterpret_cast<const unsigned char*>(text->view().data());
        m_windowFill = static_cast<std::size_t>(m_streamEnd);
    } else {
        m_window.resize(static_cast<std::size_t>(
            std::clamp<std::uint64_t>(m_streamEnd, kMostHeaderBytes, kWindowSize)));
        m_windowData = m_window.data();
    }

    unsigned char head[8] = {};
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(
        sizeof head, m_streamEnd - std::min<std::uint64_t>(start, m_streamEnd)));
    readAt(start, head, available);
    if (available < 2 || loadBigEndian(head, 2) != kStreamKey)
        throw std::runtime_error("UKeyInStream: meta key mismatch");
    std::size_t n = 2;
    std::uint32_t length = 0;
    if (available > n && head[n] != 0xFF) {
        length = head[n++];
    } else if (available >= n + 5) {
        length = static_cast<std::uint32_t>(loadBigEndian(head + n + 1, 4));
        n += 5;
    } else {
        corrupt();
    }
    if (available <= n)
        corrupt();
    if (head[n++] != field_record)
        throw std::runtime_error("UKeyInStream: expecting record");
    const std::uint64_t payload = std::uint64_t{start} + n;
    if (length > m_streamEnd - payload)
        corrupt();

    m_level = 0;
    Level& root = m_levels[0];
    root.current = root.start = static_cast<std::uint32_t>(payload);
    root.end = static_cast<std::uint32_t>(payload + length);

    // The identifier is passed over unread; the version follows it (or stands first).
    Entry entry;
    std::uint32_t next = root.current;
    if (next < root.end) {
        readHeader(next, root.end, true, entry, next);
        if (entry.key == kIdentifierKey && next < root.end)
            readHeader(next, root.end, true, entry, next);
        if (entry.key == kVersionKey) {
            if (entry.length > 4)
                corrupt();
            m_version = static_cast<std::uint32_t>(
                loadBigEndian(entry.inlineBytes, static_cast<int>(entry.length)));
        }
    }
}

UKeyInStream::~UKeyInStream() = default;

void UKeyInStream::readHeader(std::uint32_t position, std::uint32_t limit, bool keyed, Entry& entry,
                              std::uint32_t& next) {
    if (position >= limit)
        corrupt();
    const std::uint32_t available = std::min(kMostHeaderBytes, limit - position);
    parseHeader(view(position, available), available, position, limit, keyed, entry, next);
}

void UKeyInStream::parseHeader(const unsigned char* bytes, std::uint32_t available,
                               std::uint32_t position, std::uint32_t limit, bool keyed,
                               Entry& entry, std::uint32_t& next) {
    std::uint32_t n = 0;
    entry.key = 0;
    if (keyed) {
        if (available < 2)
            corrupt();
        entry.key = static_cast<std::uint16_t>(loadBigEndian(bytes, 2));
        n = 2;
    }
    if (available <= n)
        corrupt();
    if (bytes[n] != 0xFF) {
        entry.length = bytes[n++];
    } else {
        if (available < n + 5)
            corrupt();
        entry.length = static_cast<std::uint32_t>(loadBigEndian(bytes + n + 1, 4));
        n += 5;
    }
    if (available <= n)
        corrupt();
    entry.type = bytes[n++];
    const std::uint32_t payload = position + n;
    if (entry.length > limit - payload)
        corrupt();
    entry.position = payload;
    // Copying all 8 inline bytes is one move, cheaper than a copy of the payload's own length;
    // the bytes past the payload are never read.
    if (n + sizeof entry.inlineBytes <= available)
        std::memcpy(entry.inlineBytes, bytes + n, sizeof entry.inlineBytes);
    else if (entry.length >= 1 && entry.length <= 8)
        std::memcpy(entry.inlineBytes, bytes + n, entry.length);
    next = payload + entry.length;
}

void UKeyInStream::noteLastKey(Level& level) {
    if (level.seen.empty())
        level.seen.assign(kKeyBitmapWords, 0);
    if (level.count == kLinearIndexLimit) {
        for (const Entry& indexed : entries(level))
            level.seen[indexed.key / 64] |= std::uint64_t{1} << (indexed.key % 64);
    } else {
        const std::uint16_t key = level.index[level.count - 1].key;
        level.seen[key / 64] |= std::uint64_t{1} << (key % 64);
    }
}

inline void UKeyInStream::resetIndex(Level& level) {
    if (level.count >= kLinearIndexLimit)
        for (const Entry& entry : entries(level))
            level.seen[entry.key / 64] &= ~(std::uint64_t{1} << (entry.key % 64));
    level.count = 0;
    level.keyHints = 0;
    level.cursor = 0;
}

inline bool UKeyInStream::indexWholeHeaders(Level& level, const unsigned char* bytes,
                                            std::uint32_t count, std::uint32_t& position) {
    // Every record read runs through this loop. Its state stays in locals: the compiler takes
    // the copies of inline bytes into the index for stores that may change anything, and would
    // otherwise reload the level's members for every element (which cost a few per cent).
    std::uint64_t hints = level.keyHints;
    std::size_t indexed = level.count;
    Entry* entries = level.index.data();
    std::size_t room = level.index.size();
    const std::uint32_t first = position;
    const std::uint32_t end = level.end;
    std::uint64_t at = 0; // of the header being read, in `bytes`
    bool itemEnded = false;
    while (at + kMostHeaderBytes <= count) {
        const unsigned char* head = bytes + at;
        const auto key = static_cast<std::uint16_t>((head[0] << 8) | head[1]);
        // The item ends before the first key that it already holds.
        const std::uint64_t hint = std::uint64_t{1} << (key % 64);
        if ((hints & hint) != 0 && indexHolds(level, key)) {
            itemEnded = true;
            break;
        }
        std::uint32_t n = 3;
        std::uint32_t length = head[2];
        if (length == 0xFF) {
            length = static_cast<std::uint32_t>(loadBigEndian(head + 3, 4));
            n = 7;
        }
        const std::uint8_t type = head[n++];
        const std::uint32_t payload = first + static_cast<std::uint32_t>(at) + n;
        if (length > end - payload)
            corrupt();
        if (indexed == room) {
            room = 2 * room + 8;
            level.index.resize(room);
            entries = level.index.data();
        }
        Entry& entry = entries[indexed++];
        entry.key = key;
        entry.type = type;
        entry.length = length;
        entry.position = payload;
        std::memcpy(entry.inlineBytes, head + n, sizeof entry.inlineBytes);
        hints |= hint;
        level.count = indexed;
        if (indexed >= kLinearIndexLimit)
            noteLastKey(level);
        at = payload + length - first;
    }
    level.keyHints = hints;
    position = first + static_cast<std::uint32_t>(at);
    return itemEnded;
}

bool UKeyInStream::indexItem(Level& level) {
    level.indexed = true;
    // A selection outlives the item it was made in.
    if (level.selected != &kAbsent && level.selected != &level.element) {
        level.element = *level.selected;
        level.selected = &level.element;
    }
    resetIndex(level);
    const std::uint32_t first = level.current;
    const std::uint32_t end = level.end;
    std::uint32_t position = first;
    bool itemEnded = false;
    while (!itemEnded && position < end) {
        const std::uint32_t available = std::min(kMostHeaderBytes, end - position);
        const unsigned char* bytes = view(position, available);
        if (available == kMostHeaderBytes) {
            // The common case: the window holds whole headers, each with 8 bytes after it.
            const std::uint64_t held = m_windowStart + m_windowFill;
            const auto count =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(end, held) - position);
            itemEnded = indexWholeHeaders(level, bytes, count, position);
            continue;
        }
        // Near the end of the level: the header is read with every byte counted.
        if (available >= 2 &&
            holdsKey(level, static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1])))
            break;
        Entry entry;
        parseHeader(bytes, available, position, end, true, entry, position);
        appendEntry(level) = entry;
        level.keyHints |= std::uint64_t{1} << (entry.key % 64);
        if (level.count >= kLinearIndexLimit)
            noteLastKey(level);
    }
    level.current = position;
    return position != first;
}

UKeyInStream& UKeyInStream::selectFirst(std::uint16_t key) {
    Level& level = top();
    if (!level.keyed)
        return *this;
    indexItem(level);
    return select_key(key);
}

bool UKeyInStream::has_key(std::uint16_t key) {
    select_key(key);
    return top().keyed && top().selected->position != 0;
}

void UKeyInStream::enterLevel(std::uint16_t key, bool keyed) {
    Entry found;
    if (top().keyed) {
        select_key(key);
        found = *top().selected;
    }
    if (m_level + 1 >= kMaxLevels)
        throw std::runtime_error("UKeyInStream: exceeded depth");
    Level& level = m_levels[++m_level];
    m_top = &level;
    level.current = level.start = found.position;
    level.end = found.position + found.length;
    resetIndex(level);
    level.selected = &kAbsent;
    level.consumed = 0;
    level.indexed = false;
    level.keyed = keyed;
    level.taken = false;
}

UKeyInStream& UKeyInStream::enter_record(std::uint16_t key) {
    enterLevel(key, true);
    return *this;
}

UKeyInStream& UKeyInStream::enter_array(std::uint16_t key) {
    enterLevel(key, false);
    return *this;
}

void UKeyInStream::leave() {
    if (m_level <= 0)
        throw std::runtime_error("UKeyInStream: leave at root");
    resetIndex(top());
    m_top = &m_levels[--m_level];
}

void UKeyInStream::takeArrayElement(Level& level) {
    std::uint32_t next;
    readHeader(level.current, level.end, false, level.element, next);
    level.selected = &level.element;
    level.current = next;
    level.consumed = 0;
    level.taken = false;
}

std::uint32_t UKeyInStream::takeArrayField(bool& found) {
    Level& level = top();
    if (level.taken) {
        level.taken = false;
    } else if (level.current < level.end) {
        takeArrayElement(level);
    } else {
        found = false;
        return 0;
    }
    found = true;
    return level.selected->length;
}

void UKeyInStream::read_bytes(void* buffer, std::uint32_t count) {
    Level& level = top();
    const Entry& field = *level.selected;
    const std::uint32_t offset = level.keyed ? 0 : level.consumed;
    if (count == 0)
        return;
    if (field.position == 0 || count > field.length - offset)
        corrupt();
    if (field.length <= 8)
        std::memcpy(buffer, field.inlineBytes + offset, count);
    else
        readAt(std::uint64_t{field.position} + offset, buffer, count);
    if (!level.keyed)
        level.consumed += count;
}

bool UKeyInStream::read_fixed(void* buffer, std::uint32_t width) {
    bool found = false;
    const std::uint32_t length = field_length(found);
    if (!found)
        return false;
    if (length > width)
        tooLong();
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::memset(bytes, 0, width - length);
    read_bytes(bytes + (width - length), length);
    return true;
}

bool UKeyInStream::readArrayBits(std::uint32_t width, std::uint64_t& bits) {
    unsigned char bytes[8];
    if (!read_fixed(bytes, width))
        return false;
    bits = loadBigEndian(bytes, static_cast<int>(width));
    return true;
}

void UKeyInStream::tooLong() {
    throw std::runtime_error("UKeyInStream: reading field longer than expected");
}

void UKeyInStream::read_raw(std::string& bytes) {
    bytes.clear();
    bool found = false;
    const std::uint32_t length = field_length(found);
    if (!found || length == 0)
        return;
    bytes.resize(length);
    read_bytes(bytes.data(), length);
}

UKeyInStream& UKeyInStream::read_string(ustring& value) {
    return readString(value, false);
}

UKeyInStream& UKeyInStream::read_whole_string(ustring& value) {
    return readString(value, true);
}

UKeyInStream& UKeyInStream::readString(ustring& value, bool whole) {
    bool found = false;
    const std::uint32_t length = field_length(found);
    if (m_version == 0 || !found || length == 0) {
        value.clear();
        return *this;
    }
    if (length > ustring::kMaxLength)
        corrupt();
    // A string that fits the window is taken (up to its first NUL unless whole) straight from
    // there; a longer one is read into a copy first. Either way a failing read leaves `value`
    // alone.
    const Level& level = top();
    const std::uint32_t offset = level.keyed ? 0 : level.consumed;
    if (length <= kWindowSize && offset == 0) {
        const auto* bytes = reinterpret_cast<const char*>(
            length <= 8 ? level.selected->inlineBytes : view(level.selected->position, length));
        value.assign(bytes, whole ? length : lengthBeforeNul(bytes, length));
        if (!level.keyed)
            top().consumed += length;
        return *this;
    }
    ustring bytes(length, '\0');
    read_bytes(bytes.data(), length);
    if (!whole)
        bytes.resize(std::strlen(bytes.c_str()));
    value.swap(bytes);
    return *this;
}

UKeyInStream& UKeyInStream::read_message(umessage& message) {
    message.clear();
    bool found = false;
    const std::uint32_t length = field_length(found);
    if (!found || length == 0)
        return *this;
    std::string bytes(length, '\0');
    read_bytes(bytes.data(), length);
    std::istringstream flat(std::move(bytes));
    // A ticket or setting that does not read back must not pass for an empty one.
    if (!message.unflatten(flat))
        corrupt();
    return *this;
}

bool UKeyInStream::next_element(std::uint16_t& key, std::uint8_t& type, std::uint32_t& length,
                                std::int32_t& depth) {
    Level& level = top();
    depth = m_level;
    if (!level.keyed) {
        key = 0;
        if (level.current < level.end) {
            // The element is taken now so that the walk moves on even when nobody reads it;
            // the following read consumes its payload.
            takeArrayElement(level);
            level.taken = true;
            type = level.selected->type;
            length = level.selected->length;
            return true;
        }
        type = field_array;
        length = kBoundaryLength;
        leave();
        return true;
    }
    if (!level.indexed)
        indexItem(level);
    if (level.cursor < level.count) {
        const Entry entry = level.index[level.cursor++];
        key = entry.key;
        type = entry.type;
        length = entry.length;
        if (type == field_record) {
            enter_record(entry.key);
            select_key(entry.key);
        } else if (type == field_array) {
            enter_array(entry.key);
        } else {
            select_key(entry.key);
        }
        return true;
    }
    const bool more = indexItem(level);
    key = 0;
    type = field_record;
    length = kBoundaryLength;
    if (!more) {
        if (m_level == 0)
            return false;
        leave();
    }
    return true;
}

double UKeyInStream::progress() const {
    const Level& level = top();
    if (level.end == level.start)
        return 0.0;
    return static_cast<double>(level.current - level.start) /
           static_cast<double>(level.end - level.start);
}

void UKeyInStream::probe(std::istream& in, std::uint32_t& identifier, bool& ok) {
    identifier = 0;
    ok = false;
    in.clear();
    in.seekg(0);
    unsigned char head[3];
    in.read(reinterpret_cast<char*>(head), sizeof head);
    ok = in.gcount() == sizeof head && loadBigEndian(head, 2) == kStreamKey && head[2] == 0xFF;
    if (ok) {
        in.clear();
        in.seekg(0);
        try {
            UKeyInStream reader(in);
            reader.select_key(kIdentifierKey).read_uint(identifier);
        } catch (const std::exception&) {
            ok = false;
            identifier = 0;
        }
    }
    in.clear();
    in.seekg(0);
}

void UKeyInStream::dump(std::istream& in) {
    static const char* const kTypeNames[] = {"",           "bool",   "int",          "uns int",
                                             "float",      "string", "record start", "array start",
                                             "user/binary"};
    UKeyInStream reader(in);
    std::uint16_t key;
    std::uint8_t type;
    std::uint32_t length;
    std::int32_t depth;
    while (reader.next_element(key, type, length, depth)) {
        ustring line(static_cast<std::size_t>(depth), '\t');
        const unsigned char high = static_cast<unsigned char>(key >> 8);
        const unsigned char low = static_cast<unsigned char>(key);
        const auto printable = [](unsigned char c) { return c >= 0x20 && c <= 0x7E; };
        if (printable(high) && printable(low)) {
            line += '\'';
            line += static_cast<char>(low);
            line += static_cast<char>(high);
            line += '\'';
        } else if (key != 0) {
            line += ustring::format("%-6hd", static_cast<int>(static_cast<std::int16_t>(key)));
        } else {
            line += "-     ";
        }
        line.appendFill(static_cast<std::size_t>(std::max(0, 8 - depth)), '\t');

        const char* name = type < std::size(kTypeNames) ? kTypeNames[type] : "";
        if (length == kBoundaryLength && type == field_record)
            name = "record end";
        else if (length == kBoundaryLength && type == field_array)
            name = "array end";
        line += ustring::format("%-15s", name);

        switch (type) {
        case field_bool: {
            bool value = false;
            reader.read_bool(value);
            line += value ? "true" : "false";
            break;
        }
        case field_int: {
            std::int32_t value = 0;
            reader.read_int(value);
            line += ustring::format("%d", value);
            break;
        }
        case field_uint: {
            std::uint32_t value = 0;
            reader.read_uint(value);
            line += ustring::format("%u", value);
            break;
        }
        case field_float: {
            double value = 0.0;
            reader.read_double(value);
            line += ustring::number(value, 2);
            break;
        }
        case field_string: {
            ustring value;
            reader.read_string(value);
            line += '\'';
            line += value;
            line += '\'';
            break;
        }
        case field_binary: {
            std::string ignored;
            reader.read_raw(ignored);
            break;
        }
        default:
            break;
        }
        std::cout << line << std::endl;
    }
}
