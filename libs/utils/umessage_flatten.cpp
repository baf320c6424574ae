// The binary form of a umessage: a sorted table of every name and string value, then the tree
// with prefix-length varints and 1-based table references. Written as version 4; versions 1 to 4
// are read. The reader takes bytes from outside (job files, stored preferences) and trusts none.
#include "Logger.h"
#include "umessage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using namespace umessage_details;

constexpr std::uint32_t kWrittenVersion = 4;
constexpr std::uint64_t kMaxEntries = 0x20000;    // per message; more is a failure
constexpr int kMaxNesting = 256;                  // child messages below the root
constexpr std::uint64_t kMaxExpanded = 64u << 20; // bytes of string values the tree may copy

// --- writing -------------------------------------------------------------------------------------

// Appends `value` in the shortest varint form: the count of following bytes in the leading
// 1-bits of the first byte, then the value most significant byte first. A value below 2^32 has
// the same bytes whether written as a 32- or a 64-bit varint.
void putVarint(std::string& out, std::uint64_t value) {
    int following = 0;
    while (following < 8 && (following == 7 ? value >= (std::uint64_t{1} << 56)
                                            : value >= (std::uint64_t{1} << (7 * following + 7))))
        ++following;
    // Value bits of the first byte: 7 - following, none for 7 and 8 following bytes.
    const unsigned prefix = following == 0 ? 0u : (0xFF00u >> following) & 0xFFu;
    const unsigned firstBits =
        following >= 7 ? 0u : static_cast<unsigned>(value >> (8 * following));
    out.push_back(static_cast<char>(prefix | firstBits));
    for (int i = following - 1; i >= 0; --i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

class Flattener {
public:
    explicit Flattener(const umessage& root) {
        collect(root);
        table_.reserve(numbers_.size());
        for (const auto& [text, number] : numbers_)
            table_.push_back(text);
        std::sort(table_.begin(), table_.end());
        for (std::size_t i = 0; i < table_.size(); ++i)
            numbers_[table_[i]] = i + 1;
    }

    std::string run(const umessage& root) {
        std::string out;
        putVarint(out, kWrittenVersion);
        putVarint(out, table_.size());
        for (std::string_view text : table_) {
            putVarint(out, text.size());
            out.append(text);
        }
        writeMessage(out, root);
        return out;
    }

private:
    // Every array holds its element type's own code, so the code tells the array's type.
    template <typename T>
    static const std::vector<T>& valuesOf(const dyn_array& array) {
        return static_cast<const dyn_array_impl<T>&>(array).values;
    }

    // std::string_view orders by unsigned bytes, then the shorter first: ustring::compareTo.
    void collect(const umessage& message) {
        for (const auto& [name, array] : message.entries()) {
            numbers_.try_emplace(name.view(), 0);
            if (array->type() == type_string) {
                for (const ustring& text : valuesOf<ustring>(*array))
                    numbers_.try_emplace(text.view(), 0);
            } else if (array->type() == type_message) {
                for (const auto& child : valuesOf<std::shared_ptr<umessage>>(*array))
                    collect(*child);
            }
        }
    }

    void putReference(std::string& out, std::string_view text) const {
        putVarint(out, numbers_.find(text)->second);
    }

    void writeMessage(std::string& out, const umessage& message) const {
        putVarint(out, message.entries().size());
        for (const auto& [name, array] : message.entries()) {
            putReference(out, name.view());
            putVarint(out, array->type());
            out.push_back(static_cast<char>(array->isArray));
            putVarint(out, array->size());
            writeValues(out, *array);
        }
    }

    void writeValues(std::string& out, const dyn_array& array) const {
        switch (array.type()) {
        case type_int:
            for (int value : valuesOf<int>(array))
                putVarint(out, static_cast<std::uint32_t>(value));
            break;
        case type_bool:
            for (bool value : valuesOf<bool>(array))
                out.push_back(value ? 1 : 0);
            break;
        case type_double:
            for (double value : valuesOf<double>(array)) {
                const auto bits = std::bit_cast<std::uint64_t>(value);
                for (int i = 0; i < 8; ++i) // least significant byte first
                    out.push_back(static_cast<char>(bits >> (8 * i)));
            }
            break;
        case type_string:
            for (const ustring& value : valuesOf<ustring>(array))
                putReference(out, value.view());
            break;
        case type_message:
            for (const auto& child : valuesOf<std::shared_ptr<umessage>>(array))
                writeMessage(out, *child);
            break;
        case type_int64:
            for (long long value : valuesOf<long long>(array))
                putVarint(out, static_cast<std::uint64_t>(value));
            break;
        default:
            break;
        }
    }

    std::vector<std::string_view> table_; // each text once, in byte order
    // Each text's 1-based number in the table (a hash lookup: the references are the hot path).
    std::unordered_map<std::string_view, std::uint64_t> numbers_;
};

// --- reading -------------------------------------------------------------------------------------

[[noreturn]] void fail(const char* text) {
    throw std::runtime_error(text);
}

// Reads straight from the stream buffer. When the stream can tell its size, every length is
// checked against the bytes that remain before anything is allocated for it.
class Unflattener {
public:
    explicit Unflattener(std::streambuf& in) : in_(in) {
        const auto here = in_.pubseekoff(0, std::ios::cur, std::ios::in);
        const auto end = here < 0 ? here : in_.pubseekoff(0, std::ios::end, std::ios::in);
        if (here >= 0 && end >= here) {
            remaining_ = static_cast<std::uint64_t>(end - here);
            in_.pubseekpos(here, std::ios::in);
        }
    }

    // False when the stream holds no byte at all.
    bool readVersion(std::uint32_t& version) {
        if (in_.sgetc() == std::char_traits<char>::eof())
            return false;
        version = static_cast<std::uint32_t>(varint(32));
        return true;
    }

    void readTable() {
        const std::uint64_t count = varint(64);
        // Each string takes at least one byte: the count cannot outgrow what remains.
        if (count > remaining_)
            fail("umessage::unflatten() : truncated");
        table_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, 4096)));
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t length = varint(64);
            if (length > ustring::kMaxLength)
                fail("umessage::unflatten() : string too long");
            if (length > remaining_)
                fail("umessage::unflatten() : truncated");
            ustring text(static_cast<std::size_t>(length), '\0');
            bytes(text.data(), static_cast<std::size_t>(length));
            table_.push_back(std::move(text));
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
            const std::uint32_t type =
                version >= 3 ? static_cast<std::uint32_t>(varint(32)) : typeFromName(reference());
            const std::uint8_t isArray = version >= 4 ? byte() : 0;
            const std::uint64_t count = varint(64);
            // Every value takes at least one byte.
            if (count > remaining_)
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
            std::uint64_t bits = 0;
            for (int i = 7; i >= 0; --i) // least significant byte first
                bits = (bits << 8) | raw[i];
            message.add<double>(name, type, std::bit_cast<double>(bits));
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

    // One table string may be referred to any number of times: the copies are counted so that
    // a short stream cannot make the tree huge.
    void addString(umessage& message, const ustring& name, const ustring& value) {
        expanded_ += value.size();
        if (expanded_ > kMaxExpanded)
            fail("umessage::unflatten() : too large");
        message.add<ustring>(name, type_string, value);
    }

    const ustring& reference() {
        const std::uint64_t index = varint(64);
        if (index == 0 || index > table_.size())
            fail("string not found");
        return table_[static_cast<std::size_t>(index - 1)];
    }

    std::uint8_t byte() {
        const int c = in_.sbumpc();
        if (c == std::char_traits<char>::eof())
            fail("umessage::unflatten() : truncated");
        if (remaining_ != kUnknown)
            --remaining_;
        return static_cast<std::uint8_t>(c);
    }

    void bytes(void* target, std::size_t count) {
        if (count == 0)
            return;
        if (static_cast<std::size_t>(in_.sgetn(static_cast<char*>(target),
                                               static_cast<std::streamsize>(count))) != count)
            fail("umessage::unflatten() : truncated");
        if (remaining_ != kUnknown)
            remaining_ -= count;
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

    std::streambuf& in_;
    std::uint64_t remaining_ = kUnknown;
    std::uint64_t expanded_ = 0;
    std::vector<ustring> table_;
};

} // namespace

void umessage::flatten(std::ostream& out) const {
    const std::string bytes = Flattener(*this).run(*this);
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
