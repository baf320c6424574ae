// The binary form of a umessage: a sorted table of every name and string value, then the tree
// with prefix-length varints and 1-based table references. Written as version 4; versions 1 to 4
// are read. The reader takes bytes from outside (job files, stored preferences) and trusts none.
#include "encoding/ByteOrder.h"
#include "utils/Logger.h"
#include "utils/umessage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using namespace umessage_details;

constexpr std::uint32_t kWrittenVersion = 4;
constexpr std::uint64_t kMaxEntries = 0x20000;    // per message; more is a failure
constexpr int kMaxNesting = 256;                  // child messages below the root
constexpr std::uint64_t kMaxExpanded = 64u << 20; // bytes of names and strings the tree may copy

// --- writing -------------------------------------------------------------------------------------

// A growing byte buffer written through a raw cursor; each writer first makes room for what it
// puts.
class ByteSink {
public:
    ByteSink() : m_cursor(m_bytes.data()), m_limit(m_cursor) {}
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    void makeRoom(std::size_t count) {
        if (static_cast<std::size_t>(m_limit - m_cursor) >= count)
            return;
        const std::size_t used = size();
        m_bytes.resize(std::max(2 * m_bytes.size(), used + count));
        m_cursor = m_bytes.data() + used;
        m_limit = m_bytes.data() + m_bytes.size();
    }
    void put(std::uint8_t byte) { *m_cursor++ = static_cast<char>(byte); }
    void put(const void* bytes, std::size_t count) {
        std::memcpy(m_cursor, bytes, count);
        m_cursor += count;
    }
    // The shortest varint form of `value`: the count of following bytes in the leading 1-bits
    // of the first byte, then the value most significant byte first. A value below 2^32 has the
    // same bytes whether written as a 32- or a 64-bit varint. Needs room for 9 bytes.
    void putVarint(std::uint64_t value) {
        if (value < 0x80) {
            put(static_cast<std::uint8_t>(value));
            return;
        }
        // 7 value bits in a one-byte form, then 7 more for each following byte up to 8 of them.
        const int following = std::min(8, static_cast<int>(std::bit_width(value) - 1) / 7);
        const unsigned prefix = (0xFF00u >> following) & 0xFFu;
        // The first byte keeps 7 - following value bits, none for 7 and 8 following bytes.
        const unsigned firstBits =
            following >= 7 ? 0u : static_cast<unsigned>(value >> (8 * following));
        put(static_cast<std::uint8_t>(prefix | firstBits));
        unsigned char rest[8];
        storeBigEndian(value, 8, rest);
        put(rest + 8 - following, static_cast<std::size_t>(following));
    }
    std::size_t size() const { return static_cast<std::size_t>(m_cursor - m_bytes.data()); }
    const char* data() const { return m_bytes.data(); }

private:
    std::string m_bytes;
    char* m_cursor;
    char* m_limit;
};

constexpr std::size_t kMaxVarint = 9;

// Gives each distinct text a dense id in order of first appearance: open addressing over a
// power-of-two table of slots, kept at most half full.
class TextIds {
public:
    // Room for `count` texts without growing; called before the first text.
    void reserve(std::size_t count) {
        if (m_slots.size() < 2 * count)
            m_slots.assign(std::bit_ceil(std::max<std::size_t>(256, 2 * count)), Slot{});
        m_texts.reserve(count);
    }

    std::uint32_t intern(std::string_view text) {
        if (2 * (m_texts.size() + 1) > m_slots.size())
            grow();
        const std::uint32_t hash = hashOf(text);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.idPlusOne == 0) {
                m_texts.push_back(text);
                slot = {hash, static_cast<std::uint32_t>(m_texts.size())};
                return slot.idPlusOne - 1;
            }
            if (slot.hash == hash && m_texts[slot.idPlusOne - 1] == text)
                return slot.idPlusOne - 1;
        }
    }
    // The texts by id.
    const std::vector<std::string_view>& texts() const { return m_texts; }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t idPlusOne = 0; // 0: empty
    };

    // Eight bytes at a time, each word mixed in by a multiply; the result is the top half of a
    // last multiply, where every input bit has reached (the slot index takes its low bits).
    static std::uint32_t hashOf(std::string_view text) {
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
        std::uint64_t hash = text.size();
        for (std::size_t at = 0; at < text.size(); at += 8) {
            const int width = static_cast<int>(std::min<std::size_t>(8, text.size() - at));
            hash = (hash ^ loadLittleEndian(text.data() + at, width)) * kMultiplier;
            hash ^= hash >> 32;
        }
        return static_cast<std::uint32_t>((hash * kMultiplier) >> 32);
    }

    void grow() {
        std::vector<Slot> old(std::max<std::size_t>(256, 2 * m_slots.size()));
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.idPlusOne == 0)
                continue;
            std::size_t i = slot.hash & mask;
            while (m_slots[i].idPlusOne != 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::vector<std::string_view> m_texts;
};

// Writes a tree in two walks over the same order: the first gives each name and string value
// an id and notes the id of every place where a text stands; the table is then put in byte
// order, and the second walk writes each place's table number without searching for it.
class Flattener {
public:
    explicit Flattener(const umessage& root) : m_root(root) {
        // Most trees are mostly names of the root: a guess that spares most growth steps.
        m_ids.reserve(root.entries().size());
        m_places.reserve(2 * root.entries().size());
        collect(root);
        numberInByteOrder();
    }

    void write(ByteSink& out) {
        out.makeRoom(3 * kMaxVarint);
        out.putVarint(kWrittenVersion);
        out.putVarint(m_order.size());
        for (std::uint32_t id : m_order) {
            const std::string_view text = m_ids.texts()[id];
            out.makeRoom(kMaxVarint + text.size());
            out.putVarint(text.size());
            out.put(text.data(), text.size());
        }
        writeMessage(out, m_root);
    }

private:
    void collect(const umessage& message) {
        for (const auto& [name, array] : message.entries()) {
            m_places.push_back(m_ids.intern(name.view()));
            if (array->type() == type_string) {
                for (const ustring& text : valuesOf<ustring>(*array))
                    m_places.push_back(m_ids.intern(text.view()));
            } else if (array->type() == type_message) {
                for (const auto& child : valuesOf<std::shared_ptr<umessage>>(*array))
                    collect(*child);
            }
        }
    }

    // Orders the texts as ustring::compareTo does (unsigned bytes, then the shorter first). Most
    // texts differ within their first 8 bytes: read as one big-endian number, zero-padded, those
    // order them (a text that ends inside them is a prefix of the other where the numbers tie up
    // to its end). The numbers are radix-sorted; only runs of equal numbers compare whole texts.
    void numberInByteOrder() {
        const std::vector<std::string_view>& texts = m_ids.texts();
        std::vector<TextKey> keys(texts.size());
        for (std::uint32_t id = 0; id < texts.size(); ++id) {
            const int width = static_cast<int>(std::min<std::size_t>(8, texts[id].size()));
            const std::uint64_t head =
                width == 0 ? 0 : loadBigEndian(texts[id].data(), width) << (8 * (8 - width));
            keys[id] = {head, id};
        }
        radixSortByHead(keys);
        const auto byText = [&texts](const TextKey& a, const TextKey& b) {
            return texts[a.id] < texts[b.id];
        };
        for (auto run = keys.begin(); run != keys.end();) {
            const auto next = std::find_if(
                run, keys.end(), [head = run->head](const TextKey& k) { return k.head != head; });
            std::sort(run, next, byText);
            run = next;
        }
        m_order.resize(keys.size());
        m_numbers.resize(keys.size());
        for (std::uint32_t rank = 0; rank < keys.size(); ++rank) {
            m_order[rank] = keys[rank].id;
            m_numbers[keys[rank].id] = rank + 1;
        }
    }

    struct TextKey {
        std::uint64_t head; // the first 8 bytes, big-endian, zero-padded
        std::uint32_t id;
    };

    // Stable least-significant-byte-first radix sort; a byte that all keys share costs no pass.
    static void radixSortByHead(std::vector<TextKey>& keys) {
        if (keys.size() < 2)
            return;
        std::vector<TextKey> sorted(keys.size());
        for (int shift = 0; shift < 64; shift += 8) {
            std::size_t starts[256] = {};
            for (const TextKey& key : keys)
                ++starts[(key.head >> shift) & 0xFF];
            if (starts[(keys[0].head >> shift) & 0xFF] == keys.size())
                continue;
            std::size_t offset = 0;
            for (std::size_t& start : starts)
                offset += std::exchange(start, offset);
            for (const TextKey& key : keys)
                sorted[starts[(key.head >> shift) & 0xFF]++] = key;
            keys.swap(sorted);
        }
    }

    // The table number of the next place where a text stands.
    std::uint32_t nextNumber() { return m_numbers[m_places[m_nextPlace++]]; }

    void writeMessage(ByteSink& out, const umessage& message) {
        out.makeRoom(kMaxVarint);
        out.putVarint(message.entries().size());
        for (const auto& [name, array] : message.entries()) {
            out.makeRoom(3 * kMaxVarint + 1);
            out.putVarint(nextNumber());
            out.putVarint(array->type());
            out.put(array->isArray);
            out.putVarint(array->size());
            writeValues(out, *array);
        }
    }

    void writeValues(ByteSink& out, const dyn_array& array) {
        // Every value takes at most 9 bytes apart from its child messages.
        if (array.type() != type_message)
            out.makeRoom(kMaxVarint * array.size());
        switch (array.type()) {
        case type_int:
            for (int value : valuesOf<int>(array))
                out.putVarint(static_cast<std::uint32_t>(value));
            break;
        case type_bool:
            for (bool value : valuesOf<bool>(array))
                out.put(value ? 1 : 0);
            break;
        case type_double:
            for (double value : valuesOf<double>(array)) {
                unsigned char bytes[8];
                storeLittleEndian(std::bit_cast<std::uint64_t>(value), 8, bytes);
                out.put(bytes, sizeof bytes);
            }
            break;
        case type_string:
            for (std::size_t i = 0; i < array.size(); ++i)
                out.putVarint(nextNumber());
            break;
        case type_message:
            for (const auto& child : valuesOf<std::shared_ptr<umessage>>(array))
                writeMessage(out, *child);
            break;
        case type_int64:
            for (long long value : valuesOf<long long>(array))
                out.putVarint(static_cast<std::uint64_t>(value));
            break;
        default:
            break;
        }
    }

    const umessage& m_root;
    TextIds m_ids;
    std::vector<std::uint32_t> m_places; // the id at each place a text stands, in walk order
    std::size_t m_nextPlace = 0;
    std::vector<std::uint32_t> m_order;   // the ids in the byte order of their texts
    std::vector<std::uint32_t> m_numbers; // each id's 1-based table number
};

// --- reading -------------------------------------------------------------------------------------

[[noreturn]] void fail(const char* text) {
    throw std::runtime_error(text);
}

// Reads straight from the stream buffer. When the stream can tell its size, every length is
// checked against the bytes that remain before anything is allocated for it.
class Unflattener {
public:
    explicit Unflattener(std::streambuf& in) : m_in(in) {
        const auto here = m_in.pubseekoff(0, std::ios::cur, std::ios::in);
        const auto end = here < 0 ? here : m_in.pubseekoff(0, std::ios::end, std::ios::in);
        if (here >= 0 && end >= here) {
            m_remaining = static_cast<std::uint64_t>(end - here);
            m_in.pubseekpos(here, std::ios::in);
        }
    }

    // False when the stream holds no byte at all.
    bool readVersion(std::uint32_t& version) {
        if (m_in.sgetc() == std::char_traits<char>::eof())
            return false;
        version = static_cast<std::uint32_t>(varint(32));
        return true;
    }

    void readTable() {
        const std::uint64_t count = varint(64);
        // Each string takes at least one byte: the count cannot outgrow what remains.
        if (count > m_remaining)
            fail("umessage::unflatten() : truncated");
        m_table.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, 4096)));
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t length = varint(64);
            if (length > ustring::kMaxLength)
                fail("umessage::unflatten() : string too long");
            if (length > m_remaining)
                fail("umessage::unflatten() : truncated");
            ustring text(static_cast<std::size_t>(length), '\0');
            bytes(text.data(), static_cast<std::size_t>(length));
            m_table.push_back(std::move(text));
        }
    }

    void readMessage(umessage& message, std::uint32_t version, int depth) {
        if (depth > kMaxNesting)
            fail("umessage::unflatten() : too deep");
        if (version == 1) {
            const ustring& kind = reference();
            if (!kind.empty())
                addString(message, "what", kind);
        }
        const std::uint64_t entries = varint(64);
        if (entries > kMaxEntries)
            fail("umessage::unflatten() : too many entry");
        for (std::uint64_t e = 0; e < entries; ++e) {
            const ustring& name = reference();
            chargeCopy(name);
            const std::uint32_t type =
                version >= 3 ? static_cast<std::uint32_t>(varint(32)) : typeFromName(reference());
            const std::uint8_t isArray = version >= 4 ? byte() : 0;
            const std::uint64_t count = varint(64);
            // Every value takes at least one byte.
            if (count > m_remaining)
                fail("umessage::unflatten() : truncated");
            for (std::uint64_t v = 0; v < count; ++v)
                readValue(message, name, type, version, depth);
            if (isArray != 0 && count == 1)
                message.findEntry(name)->second->isArray = 1;
        }
    }

private:
    static std::uint32_t typeFromName(const ustring& name) {
        static const char* const kNames[] = {"int", "bool", "float", "string", "umessage"};
        for (std::uint32_t i = 0; i < std::size(kNames); ++i)
            if (name == kNames[i])
                return i + 1;
        return type_none;
    }

    void readValue(umessage& message, const ustring& name, std::uint32_t type,
                   std::uint32_t version, int depth) {
        switch (type) {
        case type_int:
            message.add<int>(name, type, static_cast<int>(static_cast<std::uint32_t>(varint(32))));
            break;
        case type_bool:
            message.add<bool>(name, type, byte() != 0);
            break;
        case type_double: {
            unsigned char raw[8];
            bytes(raw, sizeof raw);
            message.add<double>(name, type, std::bit_cast<double>(loadLittleEndian(raw, 8)));
            break;
        }
        case type_string:
            addString(message, name, reference());
            break;
        case type_message: {
            auto child = std::make_shared<umessage>();
            readMessage(*child, version, depth + 1);
            message.add<std::shared_ptr<umessage>>(name, type, child);
            break;
        }
        case type_int64:
            message.add<long long>(name, type, static_cast<long long>(varint(64)));
            break;
        default:
            fail("unknown type!");
        }
    }

    // One table string may be referred to any number of times, and every message keeps copies
    // of its names and string values: the copies are counted so that a short stream cannot make
    // the tree huge.
    void chargeCopy(const ustring& text) {
        m_expanded += text.size();
        if (m_expanded > kMaxExpanded)
            fail("umessage::unflatten() : too large");
    }

    void addString(umessage& message, const ustring& name, const ustring& value) {
        chargeCopy(value);
        message.add<ustring>(name, type_string, value);
    }

    const ustring& reference() {
        const std::uint64_t index = varint(64);
        if (index == 0 || index > m_table.size())
            fail("string not found");
        return m_table[static_cast<std::size_t>(index - 1)];
    }

    std::uint8_t byte() {
        const int c = m_in.sbumpc();
        if (c == std::char_traits<char>::eof())
            fail("umessage::unflatten() : truncated");
        if (m_remaining != kUnknown)
            --m_remaining;
        return static_cast<std::uint8_t>(c);
    }

    void bytes(void* target, std::size_t count) {
        if (count == 0)
            return;
        if (static_cast<std::size_t>(m_in.sgetn(static_cast<char*>(target),
                                                static_cast<std::streamsize>(count))) != count)
            fail("umessage::unflatten() : truncated");
        if (m_remaining != kUnknown)
            m_remaining -= count;
    }

    // A varint of `width` 32 or 64 bits. A 32-bit read keeps at most 4 following bytes: a
    // first byte that announces more still consumes them, and the value is its own bits alone.
    std::uint64_t varint(int width) {
        const std::uint8_t first = byte();
        const int following = std::countl_one(first);
        std::uint64_t value = following >= 7 ? 0 : first & (0x7Fu >> following);
        if (width == 32 && following > 4) {
            for (int i = 0; i < following; ++i)
                byte();
            return value;
        }
        for (int i = 0; i < following; ++i)
            value = (value << 8) | byte();
        return width == 32 ? static_cast<std::uint32_t>(value) : value;
    }

    static constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

    std::streambuf& m_in;
    std::uint64_t m_remaining = kUnknown;
    std::uint64_t m_expanded = 0;
    std::vector<ustring> m_table;
};

} // namespace

void umessage::flatten(std::ostream& out) const {
    ByteSink bytes;
    Flattener(*this).write(bytes);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool umessage::unflatten(std::istream& in) {
    clear();
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr || !in.good())
        return false;
    try {
        Unflattener reader(*buffer);
        std::uint32_t version = 0;
        if (!reader.readVersion(version) || version == 0 || version > kWrittenVersion)
            return false;
        reader.readTable();
        reader.readMessage(*this, version, 0);
        return true;
    } catch (const std::exception& e) {
        ZEU_LOG(Error, "..\\..\\..\\libs\\utils\\umessage_serialize", 436, "umessage::unflatten")
            << e.what();
        clear();
        return false;
    }
}
