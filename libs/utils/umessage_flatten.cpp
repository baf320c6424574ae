// The binary form of a umessage: a sorted table of every name and string value, then the tree
// with prefix-length varints and 1-based table references. Written as version 4; versions 1 to 4
// are read. The reader takes bytes from outside (job files, stored preferences) and trusts none.
#include "encoding/ByteOrder.h"
#include "utils/Logger.h"
#include "utils/WriteBuffer.h"
#include "utils/umessage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <istream>
#include <limits>
#include <memory>
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
constexpr std::uint64_t kMaxExpanded = 64u << 20; // bytes of names and strings the tree may copy

// --- writing -------------------------------------------------------------------------------------

// The output buffer, with the varint form of the numbers.
class ByteSink : public WriteBuffer {
public:
    // The shortest varint form of `value`: the count of following bytes in the leading 1-bits
    // of the first byte, then the value most significant byte first. A value below 2^32 has the
    // same bytes whether written as a 32- or a 64-bit varint. Needs room for 9 bytes.
    void putVarint(std::uint64_t value) {
        if (value < 0x80) {
            put(static_cast<char>(value));
            return;
        }
        // 7 value bits in a one-byte form, then 7 more for each following byte up to 8 of them.
        const int following = std::min(8, static_cast<int>(std::bit_width(value) - 1) / 7);
        const unsigned prefix = (0xFF00u >> following) & 0xFFu;
        // The first byte keeps 7 - following value bits, none for 7 and 8 following bytes.
        const unsigned firstBits =
            following >= 7 ? 0u : static_cast<unsigned>(value >> (8 * following));
        put(static_cast<char>(prefix | firstBits));
        // The following bytes moved to the top of the word go out in one 8-byte store, of which
        // the buffer keeps the first `following`.
        storeBigEndian64(value << (64 - 8 * following), cursor());
        advance(cursor() + following);
    }
};

constexpr std::size_t kMaxVarint = 9;

// The first 8 bytes of a text as one big-endian number, zero-padded. Texts whose numbers differ
// are in the same order as the numbers (a text that ends inside them is a prefix of the other
// where the numbers tie up to its end); only equal numbers need the whole texts compared.
std::uint64_t headOf(std::string_view text) {
    if (text.size() >= 8)
        return loadBigEndian64(text.data());
    return text.empty() ? 0
                        : loadBigEndian(text.data(), static_cast<int>(text.size()))
                              << (8 * (8 - text.size()));
}

// Gives each distinct text a dense id in order of first appearance: open addressing over a
// power-of-two table of slots, kept at most half full. Each text's head (headOf) is kept too.
class TextIds {
public:
    // Room for `count` texts without growing.
    void reserve(std::size_t count) {
        m_texts.reserve(count);
        m_heads.reserve(count);
    }

    // A new id for `text`, whose head is `head`, without looking for the text among the others:
    // for texts known to differ from every other added this way (a message's names). The same
    // text may have another id from intern.
    std::uint32_t add(std::string_view text, std::uint64_t head) {
        m_texts.push_back(text);
        m_heads.push_back(head);
        return static_cast<std::uint32_t>(m_texts.size() - 1);
    }

    // The id of `text`, whose head is `head`, among the texts given to intern; `fresh` tells
    // whether the text was first seen now.
    std::uint32_t intern(std::string_view text, std::uint64_t head, bool& fresh) {
        if (2 * (m_interned + 1) > m_slots.size())
            grow();
        const std::uint32_t hash = hashOf(head, text);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.idPlusOne == 0) {
                const std::uint32_t id = add(text, head);
                slot = {hash, id + 1};
                ++m_interned;
                fresh = true;
                return id;
            }
            const std::uint32_t id = slot.idPlusOne - 1;
            if (slot.hash == hash && holds(id, text, head)) {
                fresh = false;
                return id;
            }
        }
    }
    // True when the ids have the same text.
    bool same(std::uint32_t a, std::uint32_t b) const { return holds(a, m_texts[b], m_heads[b]); }
    // True when the text of `id` is `text`, whose head is `head`.
    bool holds(std::uint32_t id, std::string_view text, std::uint64_t head) const {
        return m_heads[id] == head && m_texts[id].size() == text.size() &&
               (text.size() <= 8 || m_texts[id] == text);
    }
    // The texts by id.
    const std::vector<std::string_view>& texts() const { return m_texts; }
    // The order of ustring::compareTo: unsigned bytes, then the shorter first.
    bool less(std::uint32_t a, std::uint32_t b) const {
        return m_heads[a] != m_heads[b] ? m_heads[a] < m_heads[b] : m_texts[a] < m_texts[b];
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t idPlusOne = 0; // 0: empty
    };

    // The head and then the rest eight bytes at a time, each word mixed in by a multiply; the
    // result is the top half of a last multiply, where every input bit has reached (the slot
    // index takes its low bits).
    static std::uint32_t hashOf(std::uint64_t head, std::string_view text) {
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
        std::uint64_t hash = ((text.size() ^ head) * kMultiplier);
        hash ^= hash >> 32;
        for (std::size_t at = 8; at < text.size(); at += 8) {
            const int width = static_cast<int>(std::min<std::size_t>(8, text.size() - at));
            hash = (hash ^ loadBigEndian(text.data() + at, width)) * kMultiplier;
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
    std::size_t m_interned = 0; // the texts in m_slots
    std::vector<std::string_view> m_texts;
    std::vector<std::uint64_t> m_heads;
};

// Writes a tree in one walk. The table of texts comes first in the output, but the table number
// of a name or string value is known only once every text has been seen and ordered: the walk
// writes the tree's bytes aside without those numbers and notes where each one goes, and the
// output is then the table followed by the tree's bytes with each number put in its place.
//
// Ordering the table exploits the map: the names of a message come in byte order, so the names
// each message is first to use form an ordered run. Only the string values are sorted; the runs
// and the sorted values are then merged.
class Flattener {
public:
    // Thrown by the constructor at a message more than umessage::kMaxDepth levels below the root.
    struct TooDeep {};

    explicit Flattener(const umessage& root) {
        // Most trees are mostly names of the root: a guess that spares most growth steps.
        m_ids.reserve(root.entries().size());
        m_places.reserve(2 * root.entries().size());
        m_tree.makeRoom(16 * root.entries().size());
        walk(root, 0);
        numberInByteOrder();
    }

    void write(ByteSink& out) {
        const std::vector<std::string_view>& texts = m_ids.texts();
        // Room for all of it at once (a buffer that grows would copy the output again); a table
        // number takes at most 5 bytes, and the last one room for 9.
        std::size_t size = 3 * kMaxVarint + m_tree.size() + 5 * m_places.size();
        for (std::uint32_t id : m_order)
            size += kMaxVarint + texts[id].size();
        out.makeRoom(size);
        out.putVarint(kWrittenVersion);
        out.putVarint(m_order.size());
        for (std::uint32_t id : m_order) {
            out.putVarint(texts[id].size());
            out.put(texts[id].data(), texts[id].size());
        }
        const char* tree = m_tree.data();
        for (const Place& place : m_places) {
            out.put(tree, place.gap);
            tree += place.gap;
            if (place.id != kNoText)
                out.putVarint(m_numbers[place.id]);
        }
        out.put(tree, static_cast<std::size_t>(m_tree.data() + m_tree.size() - tree));
    }

private:
    // Where the table number of a text goes in the tree's bytes: `gap` bytes after the place
    // before it. A place is 8 bytes, as there is one for most entries: a gap wider than 32 bits
    // (4 GiB of values between two texts) is crossed by places of kNoText that add no number.
    struct Place {
        std::uint32_t id;
        std::uint32_t gap;
    };
    static constexpr std::uint32_t kNoText = std::numeric_limits<std::uint32_t>::max();

    void notePlace(std::uint32_t id) {
        std::size_t gap = m_tree.size() - m_placed;
        while (gap > kNoText) {
            m_places.push_back({kNoText, kNoText});
            gap -= kNoText;
        }
        m_places.push_back({id, static_cast<std::uint32_t>(gap)});
        m_placed = m_tree.size();
    }

    // Notes where the number of a text goes and returns the text's id; a text seen for the first
    // time is added to `fresh`.
    std::uint32_t placeText(std::string_view text, std::vector<std::uint32_t>& fresh) {
        bool isNew = false;
        const std::uint32_t id = m_ids.intern(text, headOf(text), isNew);
        if (isNew)
            fresh.push_back(id);
        notePlace(id);
        return id;
    }

    // The messages of one depth, walked one after the other.
    struct Depth {
        std::vector<std::uint32_t> fresh;    // the names the current message is first to use
        std::vector<std::uint32_t> names;    // the ids of the current message's names
        std::vector<std::uint32_t> previous; // those of the message before it
    };

    void walk(const umessage& message, std::size_t depth) {
        if (depth > static_cast<std::size_t>(umessage::kMaxDepth))
            throw TooDeep{};
        if (m_depths.size() == depth)
            m_depths.emplace_back();
        m_depths[depth].fresh.clear();
        m_depths[depth].previous.swap(m_depths[depth].names);
        m_depths[depth].names.clear();
        m_tree.makeRoom(kMaxVarint);
        m_tree.putVarint(message.entries().size());
        std::size_t index = 0;
        for (const auto& [name, array] : message.entries()) {
            placeName(name.view(), depth, index++);
            m_tree.makeRoom(3 * kMaxVarint + 1);
            m_tree.putVarint(array->type());
            m_tree.put(static_cast<char>(array->isArray));
            m_tree.putVarint(array->size());
            writeValues(*array, depth);
        }
        addRun(m_depths[depth].fresh);
    }

    // placeText for the name at `index` of a message at `depth`. Child messages mostly repeat
    // the names of the one before them at their depth (the records of a list): a name that is
    // the previous message's at the same index is known without a search.
    void placeName(std::string_view name, std::size_t depth, std::size_t index) {
        // The root has no message before it, and its names are most of the names of most trees:
        // each gets an id of its own, unsearched (its names differ from one another); a name
        // that stands elsewhere too is merged with the other's id when the table is ordered.
        if (depth == 0) {
            const std::uint32_t id = m_ids.add(name, headOf(name));
            m_depths[0].fresh.push_back(id);
            notePlace(id);
            return;
        }
        Depth& level = m_depths[depth];
        if (index < level.previous.size() &&
            m_ids.holds(level.previous[index], name, headOf(name))) {
            notePlace(level.previous[index]);
            level.names.push_back(level.previous[index]);
            return;
        }
        level.names.push_back(placeText(name, level.fresh));
    }

    void addRun(const std::vector<std::uint32_t>& ids) {
        // Most messages bring no name of their own: an empty run would cost every merge pass.
        if (ids.empty())
            return;
        m_runs.insert(m_runs.end(), ids.begin(), ids.end());
        m_runEnds.push_back(m_runs.size());
    }

    void writeValues(const dyn_array& array, std::size_t depth) {
        // Every value takes at most 9 bytes apart from its child messages.
        if (array.type() != type_message)
            m_tree.makeRoom(kMaxVarint * array.size());
        switch (array.type()) {
        case type_int:
            for (int value : valuesOf<int>(array))
                m_tree.putVarint(static_cast<std::uint32_t>(value));
            break;
        case type_bool:
            for (bool value : valuesOf<bool>(array))
                m_tree.put(static_cast<char>(value ? 1 : 0));
            break;
        case type_double:
            for (double value : valuesOf<double>(array)) {
                unsigned char bytes[8];
                storeLittleEndian(std::bit_cast<std::uint64_t>(value), 8, bytes);
                m_tree.put(bytes, sizeof bytes);
            }
            break;
        case type_string:
            for (const ustring& text : valuesOf<ustring>(array))
                placeText(text.view(), m_freshValues);
            break;
        case type_message:
            for (const auto& child : valuesOf<std::shared_ptr<umessage>>(array))
                walk(*child, depth + 1);
            break;
        case type_int64:
            for (long long value : valuesOf<long long>(array))
                m_tree.putVarint(static_cast<std::uint64_t>(value));
            break;
        default:
            break;
        }
    }

    // Sorts the string values first seen, adds them as one more run, and merges the runs pairwise
    // until one is left: the texts in byte order.
    void numberInByteOrder() {
        const auto less = [this](std::uint32_t a, std::uint32_t b) { return m_ids.less(a, b); };
        std::sort(m_freshValues.begin(), m_freshValues.end(), less);
        addRun(m_freshValues);

        std::vector<std::uint32_t> merged(m_runs.size());
        std::vector<std::size_t> mergedEnds;
        while (m_runEnds.size() > 1) {
            mergedEnds.clear();
            std::size_t start = 0;
            for (std::size_t r = 0; r < m_runEnds.size(); r += 2) {
                const std::size_t middle = m_runEnds[r];
                const std::size_t end = r + 1 < m_runEnds.size() ? m_runEnds[r + 1] : middle;
                std::merge(m_runs.begin() + static_cast<std::ptrdiff_t>(start),
                           m_runs.begin() + static_cast<std::ptrdiff_t>(middle),
                           m_runs.begin() + static_cast<std::ptrdiff_t>(middle),
                           m_runs.begin() + static_cast<std::ptrdiff_t>(end),
                           merged.begin() + static_cast<std::ptrdiff_t>(start), less);
                mergedEnds.push_back(end);
                start = end;
            }
            m_runs.swap(merged);
            m_runEnds.swap(mergedEnds);
        }
        // Equal texts of different ids (a root name that stands elsewhere too) are now side by
        // side: they share one table entry.
        m_numbers.resize(m_ids.texts().size());
        m_order.reserve(m_runs.size());
        for (std::uint32_t id : m_runs) {
            if (m_order.empty() || !m_ids.same(m_order.back(), id))
                m_order.push_back(id);
            m_numbers[id] = static_cast<std::uint32_t>(m_order.size());
        }
    }

    TextIds m_ids;
    ByteSink m_tree;                          // the tree's bytes without the table numbers
    std::vector<Place> m_places;              // in the order of the tree's bytes
    std::size_t m_placed = 0;                 // the tree's size at the last place
    std::vector<Depth> m_depths;              // by depth
    std::vector<std::uint32_t> m_freshValues; // string values first seen, in walk order
    std::vector<std::uint32_t> m_runs;        // the ordered runs of ids, one after the other
    std::vector<std::size_t> m_runEnds;       // where each run ends in m_runs
    std::vector<std::uint32_t> m_order;       // the ids in the byte order of their texts
    std::vector<std::uint32_t> m_numbers;     // each id's 1-based table number
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
        if (depth > umessage::kMaxDepth)
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
        consumed(1);
        return static_cast<std::uint8_t>(c);
    }

    void bytes(void* target, std::size_t count) {
        if (count == 0)
            return;
        if (static_cast<std::size_t>(m_in.sgetn(static_cast<char*>(target),
                                                static_cast<std::streamsize>(count))) != count)
            fail("umessage::unflatten() : truncated");
        consumed(count);
    }

    // Counts down the bytes that remain. A stream that yields more than it said it held is
    // taken from then on as one that cannot tell its size, rather than left to wrap.
    void consumed(std::uint64_t count) {
        if (m_remaining != kUnknown)
            m_remaining = count <= m_remaining ? m_remaining - count : kUnknown;
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

bool umessage::flatten(std::ostream& out) const {
    ByteSink bytes;
    try {
        Flattener(*this).write(bytes);
    } catch (const Flattener::TooDeep&) {
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return true;
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
        ZEU_LOG(Error, "umessage_serialize", 436, "umessage::unflatten") << e.what();
        clear();
        return false;
    }
}
