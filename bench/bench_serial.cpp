// The binary forms on the job road: flatten and unflatten of a message of 10,000 mixed entries
// beside MessagePack (msgpack-cxx) carrying the same tree, and 100,000 small records written and
// read through the keyed streams beside unchecked loops that append or walk the same bytes in
// memory, and beside memcpy of those bytes (the ceiling of any path that moves them).
#include "utils/UKeyStream.h"
#include "utils/umessage.h"

#include <benchmark/benchmark.h>
#include <msgpack.hpp>

#include <bit>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

using namespace umessage_details;

// 10,000 entries cycling through every value type; string values repeat one of 100 texts, and
// every sixth entry is a child message of three entries.
umessage mixedMessage() {
    umessage m;
    char name[32];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(name, sizeof name, "key%05d", i);
        switch (i % 6) {
        case 0:
            m.add<int>(name, type_int, i * 37);
            break;
        case 1:
            m.add<double>(name, type_double, i * 0.25);
            break;
        case 2:
            m.add<ustring>(name, type_string, ustring::format("text number %d", i % 100));
            break;
        case 3:
            m.add<bool>(name, type_bool, i % 4 == 0);
            break;
        case 4:
            m.add<long long>(name, type_int64, (1LL << 40) + i);
            break;
        default: {
            auto child = std::make_shared<umessage>();
            child->add<int>("x", type_int, i);
            child->add<int>("y", type_int, -i);
            child->add<ustring>("what", type_string, "point");
            m.add<std::shared_ptr<umessage>>(name, type_message, child);
            break;
        }
        }
    }
    return m;
}

std::string flattened(const umessage& m) {
    std::ostringstream out;
    if (!m.flatten(out))
        throw std::runtime_error("the benchmark message nests too deep");
    return out.str();
}

// MessagePack form of a message: a map of name to [type code | isArray << 3, values...].
void packMessage(msgpack::packer<msgpack::sbuffer>& pk, const umessage& m) {
    pk.pack_map(static_cast<std::uint32_t>(m.size()));
    for (const auto& [name, array] : m.entries()) {
        pk.pack_str(static_cast<std::uint32_t>(name.size()));
        pk.pack_str_body(name.data(), static_cast<std::uint32_t>(name.size()));
        pk.pack_array(static_cast<std::uint32_t>(array->size() + 1));
        pk.pack_uint32(array->type() | (array->isArray << 3));
        switch (array->type()) {
        case type_int:
            for (int v : valuesOf<int>(*array))
                pk.pack_int32(v);
            break;
        case type_bool:
            for (bool v : valuesOf<bool>(*array))
                v ? pk.pack_true() : pk.pack_false();
            break;
        case type_double:
            for (double v : valuesOf<double>(*array))
                pk.pack_double(v);
            break;
        case type_string:
            for (const ustring& v : valuesOf<ustring>(*array)) {
                pk.pack_str(static_cast<std::uint32_t>(v.size()));
                pk.pack_str_body(v.data(), static_cast<std::uint32_t>(v.size()));
            }
            break;
        case type_message:
            for (const auto& child : valuesOf<std::shared_ptr<umessage>>(*array))
                packMessage(pk, *child);
            break;
        default:
            for (long long v : valuesOf<long long>(*array))
                pk.pack_int64(v);
            break;
        }
    }
}

void unpackMessage(const msgpack::object& map, umessage& m) {
    for (std::uint32_t i = 0; i < map.via.map.size; ++i) {
        const msgpack::object_kv& kv = map.via.map.ptr[i];
        const ustring name(kv.key.via.str.ptr, kv.key.via.str.size);
        const msgpack::object_array& values = kv.val.via.array;
        const auto code = static_cast<std::uint32_t>(values.ptr[0].via.u64);
        const std::uint32_t type = code & 7;
        for (std::uint32_t v = 1; v < values.size; ++v) {
            const msgpack::object& o = values.ptr[v];
            switch (type) {
            case type_int:
                m.add<int>(name, type, o.as<int>());
                break;
            case type_bool:
                m.add<bool>(name, type, o.via.boolean);
                break;
            case type_double:
                m.add<double>(name, type, o.via.f64);
                break;
            case type_string:
                m.add<ustring>(name, type, ustring(o.via.str.ptr, o.via.str.size));
                break;
            case type_message: {
                auto child = std::make_shared<umessage>();
                unpackMessage(o, *child);
                m.add<std::shared_ptr<umessage>>(name, type, child);
                break;
            }
            default:
                m.add<long long>(name, type, o.as<long long>());
                break;
            }
        }
        if ((code >> 3) != 0)
            m.findEntry(name)->second->isArray = 1;
    }
}

// Rates count the bytes of our binary form for every implementation, so that the ratio of two
// rates is the ratio of their times.
void BM_MessageFlatten_zep(benchmark::State& state) {
    const umessage m = mixedMessage();
    const std::size_t bytes = flattened(m).size();
    for (auto _ : state) {
        std::ostringstream out;
        if (!m.flatten(out)) {
            state.SkipWithError("flatten refused the message");
            break;
        }
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void BM_MessageFlatten_msgpack(benchmark::State& state) {
    const umessage m = mixedMessage();
    const std::size_t bytes = flattened(m).size();
    for (auto _ : state) {
        msgpack::sbuffer buffer;
        msgpack::packer<msgpack::sbuffer> pk(&buffer);
        packMessage(pk, m);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

// The stream over the bytes is made once, as MessagePack unpacks the bytes where they lie:
// copying them into a new stream on every iteration would be timed as unflattening.
void BM_MessageUnflatten_zep(benchmark::State& state) {
    const std::string bytes = flattened(mixedMessage());
    std::istringstream in(bytes);
    for (auto _ : state) {
        in.clear();
        in.seekg(0);
        umessage m;
        if (!m.unflatten(in))
            state.SkipWithError("unflatten failed");
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void BM_MessageUnflatten_msgpack(benchmark::State& state) {
    const umessage source = mixedMessage();
    const std::size_t bytes = flattened(source).size();
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> pk(&buffer);
    packMessage(pk, source);
    for (auto _ : state) {
        const msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
        umessage m;
        unpackMessage(handle.get(), m);
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

// 100,000 records of four fields each, as one list record.
constexpr int kRecords = 100000;

std::string writeRecords() {
    std::ostringstream out;
    UKeyOutStream writer(out, 0x4A4F4235);
    writer.begin_record('LL');
    const ustring name("page item");
    for (int i = 0; i < kRecords; ++i) {
        writer.select_key(1).write_int(i).select_key(2).write_double(i * 0.5);
        writer.select_key(3).write_string(name).select_key(4).write_bool(i % 2 == 0);
    }
    writer.close();
    return std::move(out).str();
}

const std::string& recordBytes() {
    static const std::string bytes = writeRecords();
    return bytes;
}

void BM_KeyStreamWrite_zep(benchmark::State& state) {
    for (auto _ : state) {
        const std::string out = writeRecords();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(recordBytes().size()));
}

// An element's key, short length, type and payload appended to `out`, unchecked.
void appendElement(std::string& out, std::uint16_t key, std::uint8_t type, const void* payload,
                   std::size_t count) {
    const char head[4] = {static_cast<char>(key >> 8), static_cast<char>(key),
                          static_cast<char>(count), static_cast<char>(type)};
    out.append(head, sizeof head);
    out.append(static_cast<const char*>(payload), count);
}

// The same bytes appended to a string element by element, with none of the writer's levels,
// checks or length patching: what encoding the elements costs at the least.
void BM_KeyStreamWrite_raw(benchmark::State& state) {
    const std::size_t size = recordBytes().size();
    for (auto _ : state) {
        std::string out;
        const char head[] = "KS\xFF\0\0\0\0\x06ID\x04\x02JOB5\xC0\xDE\x01\x02\x01"
                            "LL\xFF\0\0\0\0\x06";
        out.append(head, sizeof head - 1);
        const char name[] = "page item";
        for (int i = 0; i < kRecords; ++i) {
            unsigned char bytes[8];
            int width = 0;
            for (std::uint32_t v = static_cast<std::uint32_t>(i); v != 0; v >>= 8)
                ++width;
            for (int b = 0; b < width; ++b)
                bytes[b] = static_cast<unsigned char>(static_cast<std::uint32_t>(i) >>
                                                      (8 * (width - 1 - b)));
            appendElement(out, 1, 2, bytes, static_cast<std::size_t>(width));
            const auto real = std::bit_cast<std::uint64_t>(i * 0.5);
            width = real == 0 ? 0 : 8;
            for (int b = 0; b < width; ++b)
                bytes[b] = static_cast<unsigned char>(real >> (8 * (7 - b)));
            appendElement(out, 2, 4, bytes, static_cast<std::size_t>(width));
            appendElement(out, 3, 5, name, sizeof name - 1);
            const unsigned char flag = 1;
            appendElement(out, 4, 1, &flag, i % 2 == 0 ? 1 : 0);
        }
        const auto patch = [&out](std::size_t at) {
            const std::size_t length = out.size() - at - 8;
            for (int b = 0; b < 4; ++b)
                out[at + 3 + static_cast<std::size_t>(b)] =
                    static_cast<char>(length >> (8 * (3 - b)));
        };
        patch(21);
        patch(0);
        if (out.size() != size)
            state.SkipWithError("not the writer's bytes");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

// The ceiling of every byte-moving path: copying the stream's bytes.
void BM_KeyStreamWrite_memcpy(benchmark::State& state) {
    const std::string& bytes = recordBytes();
    for (auto _ : state) {
        std::string out(bytes.size(), '\0');
        std::memcpy(out.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

// The stream over the bytes is made once, as the raw walk below gets the bytes in memory:
// copying them into a stream on every iteration would be timed as reading.
void BM_KeyStreamRead_zep(benchmark::State& state) {
    const std::string& bytes = recordBytes();
    std::istringstream in(bytes);
    for (auto _ : state) {
        in.seekg(0);
        UKeyInStream reader(in);
        reader.enter_record('LL');
        long long sum = 0;
        std::int32_t number = 0;
        double real = 0;
        ustring text;
        bool flag = false;
        while (reader.next_item()) {
            reader.select_key(1).read_int(number).select_key(2).read_double(real);
            reader.select_key(3).read_string(text).select_key(4).read_bool(flag);
            sum += number + static_cast<long long>(text.size()) + flag;
        }
        reader.leave();
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(real);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

// The same values taken in one walk over the bytes in memory, trusting every header: no stream,
// no index, no lookup by key, no bounds.
void BM_KeyStreamRead_raw(benchmark::State& state) {
    const std::string& bytes = recordBytes();
    for (auto _ : state) {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::uint32_t end =
            8u + ((std::uint32_t{data[3]} << 24) | (data[4] << 16) | (data[5] << 8) | data[6]);
        // Past the root header, the identifier and version elements and the list header.
        std::uint32_t position = 8 + 8 + 5 + 8;
        long long sum = 0;
        double real = 0;
        ustring text;
        while (position < end) {
            const unsigned char* head = data + position;
            const unsigned key = (head[0] << 8) | head[1];
            std::uint32_t length = head[2];
            std::uint32_t n = 3;
            if (length == 0xFF) {
                length =
                    (std::uint32_t{head[3]} << 24) | (head[4] << 16) | (head[5] << 8) | head[6];
                n = 7;
            }
            ++n; // type
            std::uint64_t value = 0;
            if (length <= 8) {
                for (std::uint32_t i = 0; i < length; ++i)
                    value = (value << 8) | head[n + i];
            }
            switch (key) {
            case 1:
                sum += static_cast<std::int32_t>(value);
                break;
            case 2:
                real = std::bit_cast<double>(value);
                break;
            case 3:
                text.assign(reinterpret_cast<const char*>(head + n), length);
                sum += static_cast<long long>(text.size());
                break;
            default:
                sum += value != 0;
                break;
            }
            position += n + length;
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(real);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void BM_KeyStreamRead_memcpy(benchmark::State& state) {
    const std::string& bytes = recordBytes();
    std::string copy(bytes.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

} // namespace

BENCHMARK(BM_MessageFlatten_zep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MessageFlatten_msgpack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MessageUnflatten_zep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MessageUnflatten_msgpack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyStreamWrite_zep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyStreamWrite_raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyStreamWrite_memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyStreamRead_zep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyStreamRead_raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyStreamRead_memcpy)->Unit(benchmark::kMillisecond);
