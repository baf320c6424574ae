// The companion link's text paths: compact JSON writing and reading of a large message beside
// RapidJSON and nlohmann on the same tree, and Base64 of 1 MiB beside OpenSSL.
#include "utils/JSONParser.h"
#include "utils/TextUtils.h"
#include "utils/umessage_write.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <openssl/evp.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace umessage_details;

constexpr int kEntries = 10000;
constexpr std::size_t kBase64Bytes = 1 << 20;

// The output of every writer: a text kept from one run to the next, emptied before each, so
// that no writer pays for growing it. Ours writes through an ostream over it.
class TextSink : public std::streambuf {
public:
    std::string text;

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize n) override {
        text.append(bytes, static_cast<std::size_t>(n));
        return n;
    }
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof()))
            text.push_back(traits_type::to_char_type(ch));
        return ch;
    }
};

std::string entryName(int i) {
    return "entry" + std::to_string(i);
}

// Entry numbers in the order of their names, the order in which our message and nlohmann's
// object hold their members and write them; RapidJSON writes its members in the order added.
std::vector<int> entriesInNameOrder() {
    std::vector<int> entries(kEntries);
    for (int i = 0; i < kEntries; ++i)
        entries[static_cast<std::size_t>(i)] = i;
    std::sort(entries.begin(), entries.end(),
              [](int a, int b) { return entryName(a) < entryName(b); });
    return entries;
}

// The same 10,000 entries in the three trees: integers, booleans, doubles, strings (some with
// escapes), 64-bit integers, integer arrays and small child messages, in turn. Every writer
// makes the same text of them: the doubles are of six significant digits or fewer and never
// whole, which printf's "%g" (ours) and the shortest exact form (the peers') write alike.
struct Trees {
    umessage message;
    rapidjson::Document rapid;
    nlohmann::json nlohmann = nlohmann::json::object();
    std::size_t compactBytes = 0;
    bool sameText = false; // whether the three writers make the same bytes

    Trees() {
        auto& alloc = rapid.GetAllocator();
        rapid.SetObject();
        for (const int i : entriesInNameOrder()) {
            const std::string name = entryName(i);
            const ustring uname(name.c_str());
            rapidjson::Value rname(name.c_str(), alloc);
            switch (i % 7) {
            case 0:
                message.add(uname, type_int, i * 37);
                rapid.AddMember(rname, i * 37, alloc);
                nlohmann[name] = i * 37;
                break;
            case 1:
                message.add(uname, type_bool, i % 2 == 0);
                rapid.AddMember(rname, i % 2 == 0, alloc);
                nlohmann[name] = i % 2 == 0;
                break;
            case 2: {
                const double value = (i % 4000) * 0.25 + 0.125; // 0.125 to 999.875
                message.add(uname, type_double, value);
                rapid.AddMember(rname, value, alloc);
                nlohmann[name] = value;
                break;
            }
            case 3: {
                const std::string text = i % 3 == 0 ? "line one\nline \"two\"\t" + name
                                                    : "/Volumes/Jobs/ad " + name + ".indd";
                message.add(uname, type_string, ustring(text.c_str()));
                rapid.AddMember(rname, rapidjson::Value(text.c_str(), alloc), alloc);
                nlohmann[name] = text;
                break;
            }
            case 4:
                message.add(uname, type_int64, 5000000000LL + i);
                rapid.AddMember(rname, static_cast<int64_t>(5000000000LL + i), alloc);
                nlohmann[name] = 5000000000LL + i;
                break;
            case 5: {
                rapidjson::Value array(rapidjson::kArrayType);
                for (int k = 0; k < 4; ++k) {
                    message.add(uname, type_int, i + k);
                    array.PushBack(i + k, alloc);
                    nlohmann[name].push_back(i + k);
                }
                rapid.AddMember(rname, array, alloc);
                break;
            }
            default: {
                auto child = std::make_shared<umessage>();
                child->add(ustring("page"), type_int, i);
                child->add(ustring("what"), type_string, ustring("PageItem"));
                message.addChild(uname, child);
                rapidjson::Value object(rapidjson::kObjectType);
                object.AddMember("page", i, alloc);
                object.AddMember("what", "PageItem", alloc);
                rapid.AddMember(rname, object, alloc);
                nlohmann[name] = {{"page", i}, {"what", "PageItem"}};
                break;
            }
            }
        }
        const std::string text = ourText();
        compactBytes = text.size();
        sameText = text == rapidText() && text == nlohmannText();
    }

    std::string ourText() const {
        TextSink sink;
        std::ostream out(&sink);
        if (!message.write(out))
            throw std::runtime_error("the benchmark message nests too deep");
        return std::move(sink.text);
    }
    std::string rapidText() const {
        rapidjson::StringBuffer buffer;
        std::string text;
        writeRapid(buffer, text);
        return text;
    }
    // RapidJSON writes into its own buffer, kept from one run to the next, and the text is
    // copied out of it: as ours builds its text in a buffer of its own and then writes it out.
    void writeRapid(rapidjson::StringBuffer& buffer, std::string& text) const {
        buffer.Clear();
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        rapid.Accept(writer);
        text.assign(buffer.GetString(), buffer.GetSize());
    }
    std::string nlohmannText() const {
        std::string text;
        dumpNlohmann(text);
        return text;
    }
    // What nlohmann's dump() does, into a text of the caller's instead of a new one.
    void dumpNlohmann(std::string& text) const {
        nlohmann::detail::serializer<nlohmann::json> serializer(
            nlohmann::detail::output_adapter<char>(text), ' ');
        serializer.dump(nlohmann, false, false, 0);
    }
};

const Trees& trees() {
    static const Trees t;
    return t;
}

// Each writer makes the same bytes, into a text of its own kept from one run to the next.
void BM_JsonWriteCompact_zep(benchmark::State& state) {
    const Trees& t = trees();
    if (!t.sameText)
        state.SkipWithError("the writers' texts differ");
    TextSink sink;
    std::ostream out(&sink);
    for (auto _ : state) {
        sink.text.clear();
        if (!t.message.write(out)) {
            state.SkipWithError("the writer refused the message");
            break;
        }
        benchmark::DoNotOptimize(sink.text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.compactBytes));
}

void BM_JsonWriteCompact_rapidjson(benchmark::State& state) {
    const Trees& t = trees();
    if (!t.sameText)
        state.SkipWithError("the writers' texts differ");
    rapidjson::StringBuffer buffer;
    std::string text;
    for (auto _ : state) {
        t.writeRapid(buffer, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.compactBytes));
}

void BM_JsonWriteCompact_nlohmann(benchmark::State& state) {
    const Trees& t = trees();
    if (!t.sameText)
        state.SkipWithError("the writers' texts differ");
    std::string text;
    for (auto _ : state) {
        text.clear();
        t.dumpNlohmann(text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.compactBytes));
}

// The compact text of the 10,000 entries, as our writer makes it: the input of every reader.
const std::string& compactText() {
    static const std::string text = trees().ourText();
    return text;
}

// A stream buffer over text in memory: reads it where it lies, as the peers parse it.
class TextBuffer : public std::streambuf {
public:
    explicit TextBuffer(const std::string& text) {
        char* begin = const_cast<char*>(text.data()); // only ever read
        setg(begin, begin, begin + text.size());
    }
};

// umessage::read from a stream over the text (a std::istringstream would copy it first).
void BM_JsonRead_zep(benchmark::State& state) {
    const std::string& text = compactText();
    for (auto _ : state) {
        TextBuffer buffer(text);
        std::istream in(&buffer);
        umessage m;
        if (!m.read(in))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// nlohmann's parse into its own tree, from the text in memory.
void BM_JsonRead_nlohmann(benchmark::State& state) {
    const std::string& text = compactText();
    for (auto _ : state) {
        nlohmann::json tree = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(tree);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Fills `target` from a RapidJSON object as umessage::read does: arrays become marked entries,
// integers that fit 32 bits ints, other numbers doubles.
void addRapidMembers(const rapidjson::Value& object, umessage& target) {
    for (const auto& member : object.GetObject()) {
        const ustring name(member.name.GetString(), member.name.GetStringLength());
        const auto addValue = [&target, &name](const rapidjson::Value& value, bool isArray) {
            if (value.IsObject()) {
                auto child = std::make_shared<umessage>();
                addRapidMembers(value, *child);
                target.add<std::shared_ptr<umessage>>(name, type_message, child, isArray);
            } else if (value.IsBool()) {
                target.add<bool>(name, type_bool, value.GetBool(), isArray);
            } else if (value.IsString()) {
                target.add<ustring>(name, type_string,
                                    ustring(value.GetString(), value.GetStringLength()), isArray);
            } else if (value.IsInt()) {
                target.add<int>(name, type_int, value.GetInt(), isArray);
            } else if (value.IsNumber()) {
                target.add<double>(name, type_double, value.GetDouble(), isArray);
            }
        };
        if (member.value.IsArray()) {
            for (const auto& element : member.value.GetArray())
                addValue(element, true);
        } else {
            addValue(member.value, false);
        }
    }
}

// RapidJSON's parse of the text in memory, then the same message built from its tree: the work
// umessage::read does, with RapidJSON's tokenizer.
void BM_JsonRead_rapidjsonmsg(benchmark::State& state) {
    const std::string& text = compactText();
    for (auto _ : state) {
        rapidjson::Document document;
        document.Parse(text.data(), text.size());
        umessage m;
        addRapidMembers(document, m);
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

const std::vector<unsigned char>& randomBytes() {
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> b(kBase64Bytes);
        std::mt19937 rng(7);
        for (auto& c : b)
            c = static_cast<unsigned char>(rng());
        return b;
    }();
    return bytes;
}

// Both encode into a text kept from one run to the next: the encoding alone is measured.
void BM_Base64Encode_zep(benchmark::State& state) {
    const auto& bytes = randomBytes();
    ustring text;
    for (auto _ : state) {
        base64Encode(bytes.data(), bytes.size(), text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_Base64Encode_openssl(benchmark::State& state) {
    const auto& bytes = randomBytes();
    std::vector<unsigned char> text((bytes.size() + 2) / 3 * 4 + 1);
    for (auto _ : state) {
        EVP_EncodeBlock(text.data(), bytes.data(), static_cast<int>(bytes.size()));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

} // namespace

BENCHMARK(BM_JsonWriteCompact_zep);
BENCHMARK(BM_JsonWriteCompact_rapidjson);
BENCHMARK(BM_JsonWriteCompact_nlohmann);
BENCHMARK(BM_JsonRead_zep);
BENCHMARK(BM_JsonRead_nlohmann);
BENCHMARK(BM_JsonRead_rapidjsonmsg);
BENCHMARK(BM_Base64Encode_zep);
BENCHMARK(BM_Base64Encode_openssl);
