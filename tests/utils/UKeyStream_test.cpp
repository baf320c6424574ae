// Tests of the keyed record streams: exact bytes of the writer, keyed and list reads, the
// dump text, misuse of both classes, and truncated or scrambled streams.
#include "ByteOrder.h"
#include "UKeyStream.h"
#include "support/LogCapture.h"
#include "support/RandomMessage.h"
#include "umessage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

using Bytes = std::string;

Bytes hex(std::initializer_list<int> values) {
    Bytes bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}

// The stream head of a writer without identifier, before the root length is known.
const Bytes kHeadNoId = hex({0xC0, 0xDE, 0x01, 0x02, 0x01});

// Wraps a body in a root record with the version element, as the writer does.
Bytes stream(const Bytes& body, bool withVersion = true) {
    const Bytes payload = (withVersion ? kHeadNoId : Bytes()) + body;
    const auto n = payload.size();
    return hex({0x4B, 0x53, 0xFF, 0, 0, static_cast<int>(n >> 8), static_cast<int>(n & 0xFF),
                0x06}) +
           payload;
}

// The bytes a writer with identifier 0 produces from `write`, without head and root length.
template <typename Write>
Bytes body(Write write) {
    std::ostringstream out;
    {
        UKeyOutStream writer(out, 0);
        write(writer);
    }
    return out.str().substr(8 + kHeadNoId.size());
}

void expectThrows(const std::function<void()>& action, const char* text) {
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << text;
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), text);
    }
}

Bytes sampleStream() {
    std::ostringstream out;
    UKeyOutStream w(out, 7);
    w.select_key('JJ').write_string("job");
    w.select_key(0x0102).write_int(-5);
    w.select_key('Fl').write_bool(true);
    w.select_key('Ze').write_bool(false);
    w.select_key('Ui').write_uint(300);
    w.select_key('Db').write_double(2.5);
    w.begin_record('GG');
    w.select_key(10).write_int(1).select_key(11).write_string("a");
    w.select_key(10).write_int(2).select_key(11).write_string("b");
    w.end();
    w.begin_array('AR').write_double(1.25).write_double(-3).end();
    umessage m;
    m.add<int>("a", umessage_details::type_int, 1);
    w.select_key('Dp').write_message(m);
    w.close();
    return out.str();
}

// Reads everything a walk reaches, as the dump does, through the typed readers.
void walkAll(UKeyInStream& reader) {
    std::uint16_t key;
    std::uint8_t type;
    std::uint32_t length;
    std::int32_t depth;
    while (reader.next_element(key, type, length, depth)) {
        std::int32_t number = 0;
        ustring text;
        std::string raw;
        if (type == UKeyStream::field_string)
            reader.read_string(text);
        else if (type == UKeyStream::field_binary)
            reader.read_raw(raw);
        else if (type >= 1 && type <= 4 && length <= 4)
            reader.read_int(number);
    }
}

} // namespace

TEST(ByteOrder, PutsTheMostSignificantByteFirstInMemory) {
    const std::uint32_t value = to_big_endian32(0x01020304);
    EXPECT_EQ(Bytes(reinterpret_cast<const char*>(&value), 4), hex({1, 2, 3, 4}));
    const std::uint16_t value16 = to_big_endian16(0x0102);
    EXPECT_EQ(Bytes(reinterpret_cast<const char*>(&value16), 2), hex({1, 2}));
    const std::uint64_t value64 = to_big_endian64(0x0102030405060708);
    EXPECT_EQ(Bytes(reinterpret_cast<const char*>(&value64), 8), hex({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(from_big_endian16(value16), 0x0102);
    EXPECT_EQ(from_big_endian32(value), 0x01020304u);
    EXPECT_EQ(from_big_endian64(value64), 0x0102030405060708u);
}

TEST(UKeyOutStream, WritesTheStreamHead) {
    std::ostringstream out;
    UKeyOutStream(out, 7).close();
    EXPECT_EQ(out.str(), hex({0x4B, 0x53, 0xFF, 0, 0, 0, 0x0A, 0x06, 0x49, 0x44, 0x01, 0x02, 0x07,
                              0xC0, 0xDE, 0x01, 0x02, 0x01}));
    std::ostringstream none;
    UKeyOutStream(none, 0).close();
    EXPECT_EQ(none.str(), stream(""));
}

TEST(UKeyOutStream, WritesValuesWithoutLeadingZeroBytes) {
    const struct {
        const char* what;
        std::function<void(UKeyOutStream&)> write;
        Bytes bytes;
    } cases[] = {
        {"false", [](UKeyOutStream& w) { w.select_key(1).write_bool(false); }, hex({0, 1, 0, 1})},
        {"true", [](UKeyOutStream& w) { w.select_key(1).write_bool(true); }, hex({0, 1, 1, 1, 1})},
        {"int 0", [](UKeyOutStream& w) { w.select_key(1).write_int(0); }, hex({0, 1, 0, 2})},
        {"int 1", [](UKeyOutStream& w) { w.select_key(1).write_int(1); }, hex({0, 1, 1, 2, 1})},
        {"int -1", [](UKeyOutStream& w) { w.select_key(1).write_int(-1); },
         hex({0, 1, 4, 2, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"char -1", [](UKeyOutStream& w) { w.select_key(1).write_char(-1); },
         hex({0, 1, 1, 2, 0xFF})},
        {"short", [](UKeyOutStream& w) { w.select_key(1).write_short(0x0102); },
         hex({0, 1, 2, 2, 1, 2})},
        {"uint 256", [](UKeyOutStream& w) { w.select_key(2).write_uint(256); },
         hex({0, 2, 2, 3, 1, 0})},
        {"ushort", [](UKeyOutStream& w) { w.select_key(2).write_ushort(0xFFFF); },
         hex({0, 2, 2, 3, 0xFF, 0xFF})},
        {"byte", [](UKeyOutStream& w) { w.select_key(2).write_byte(9); }, hex({0, 2, 1, 3, 9})},
        {"double 0", [](UKeyOutStream& w) { w.select_key(3).write_double(0.0); },
         hex({0, 3, 0, 4})},
        {"double 1", [](UKeyOutStream& w) { w.select_key(3).write_double(1.0); },
         hex({0, 3, 8, 4, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0})},
        {"empty string", [](UKeyOutStream& w) { w.select_key(4).write_string(""); },
         hex({0, 4, 0, 5})},
        {"binary", [](UKeyOutStream& w) { w.select_key(5).write_binary("\0\0", 2); },
         hex({0, 5, 2, 8, 0, 0})},
        {"array of doubles",
         [](UKeyOutStream& w) { w.begin_array(6).write_double(0).write_double(-2).end(); },
         hex({0, 6, 0xFF, 0, 0, 0, 0x0C, 7, 0, 4, 8, 4, 0xC0, 0, 0, 0, 0, 0, 0, 0})},
        {"record in an array",
         [](UKeyOutStream& w) {
             w.begin_array(6).begin_record(7).select_key(1).write_int(1);
             w.end();
             w.end();
         },
         hex({0, 6, 0xFF, 0, 0, 0, 0x0D, 7, 0, 7, 0xFF, 0, 0, 0, 5, 6, 0, 1, 1, 2, 1})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(body(c.write), c.bytes);
    }
}

TEST(UKeyOutStream, Writes254And255ByteStringsWithTheirLengthForms) {
    const ustring s254(254, 'x');
    const ustring s255(255, 'y');
    EXPECT_EQ(body([&](UKeyOutStream& w) { w.select_key(1).write_string(s254); }),
              hex({0, 1, 0xFE, 5}) + Bytes(254, 'x'));
    const Bytes bytes = body([&](UKeyOutStream& w) { w.select_key(1).write_string(s255); });
    EXPECT_EQ(bytes, hex({0, 1, 0xFF, 0, 0, 0, 0xFF, 5}) + Bytes(255, 'y'));

    std::istringstream in(
        stream(hex({0, 1, 0xFE, 5}) + Bytes(254, 'x') + hex({0, 2}) + bytes.substr(2)));
    UKeyInStream reader(in);
    ustring a, b;
    reader.select_key(1).read_string(a).select_key(2).read_string(b);
    EXPECT_EQ(a, s254);
    EXPECT_EQ(b, s255);
}

TEST(UKeyOutStream, RefusesMisuse) {
    std::ostringstream out;
    UKeyOutStream writer(out, 0);
    for (int i = 1; i < UKeyStream::kMaxLevels; ++i)
        writer.begin_record(1);
    expectThrows([&] { writer.begin_array(1); }, "UKeyOutStream: exceeded depth");
    writer.close();
    expectThrows([&] { writer.end(); }, "UKeyOutStream: no open level");
    expectThrows([&] { writer.write_int(1); }, "UKeyOutStream: stream closed");
    expectThrows([&] { writer.begin_record(1); }, "UKeyOutStream: stream closed");
    EXPECT_TRUE(out.good());
}

TEST(UKeyOutStream, MarksAStreamThatCannotBePatchedBad) {
    struct Unseekable : std::streambuf {
        int overflow(int c) override { return c; }
    } sink;
    std::ostream out(&sink);
    UKeyOutStream(out, 0).close();
    EXPECT_TRUE(out.bad());
}

TEST(UKeyInStream, ReadsThePartsTwoObjectList) {
    const Bytes list = hex({0x00, 0x10, 0xFF, 0x00, 0x00, 0x00, 0x0A, 0x06, 0x00, 0x01, 0x01, 0x02,
                            0x05, 0x00, 0x01, 0x01, 0x02, 0x06});
    EXPECT_EQ(body([](UKeyOutStream& w) {
                  w.begin_record(0x10);
                  w.select_key(1).write_int(5).select_key(1).write_int(6);
                  w.end();
              }),
              list);
    std::istringstream in(stream(list));
    UKeyInStream reader(in);
    reader.enter_record(0x10);
    std::int32_t value = 0;
    ASSERT_TRUE(reader.next_item());
    EXPECT_EQ(&reader.select_key(1).read_int(value), &reader);
    EXPECT_EQ(value, 5);
    ASSERT_TRUE(reader.next_item());
    reader.select_key(1).read_int(value);
    EXPECT_EQ(value, 6);
    EXPECT_FALSE(reader.next_item());
    reader.leave();
}

TEST(UKeyInStream, SplitsAListAtTheFirstRepeatedKey) {
    std::ostringstream out;
    {
        UKeyOutStream w(out, 3);
        w.begin_record('LL');
        for (int i = 0; i < 3; ++i)
            w.select_key(10).write_int(i).select_key(11).write_int(10 + i).select_key(12).write_int(
                20 + i);
        w.end();
    }
    std::istringstream in(out.str());
    UKeyInStream reader(in);
    reader.enter_record('LL');
    std::int32_t value = -1;
    EXPECT_TRUE(reader.next_item());
    EXPECT_TRUE(reader.next_item());
    reader.select_key(11).read_int(value);
    EXPECT_EQ(value, 11);
    EXPECT_TRUE(reader.next_item());
    EXPECT_FALSE(reader.next_item());
    EXPECT_FALSE(reader.next_item());
}

TEST(UKeyInStream, ReadsTypedValuesZeroExtendedAndLeavesAbsentOnesAlone) {
    std::ostringstream out;
    {
        UKeyOutStream w(out, 0);
        w.select_key(1).write_bool(false).select_key(2).write_int(0).select_key(3).write_double(0);
        w.select_key(4).write_char(-1).select_key(5).write_double(-1.5);
        w.select_key(6).write_string(ustring("ab\0cd", 5)).select_key(7).write_short(-2);
        w.begin_array(8).write_double(1).write_double(2).write_double(3).write_double(4).end();
    }
    std::istringstream in(out.str());
    UKeyInStream reader(in);
    bool flag = true;
    std::int32_t zero = 9, widened = 0, absent = 42;
    double real = 9, negative = 0;
    std::int16_t shortValue = 0;
    ustring text = "old", missing = "old";
    reader.select_key(1).read_bool(flag).select_key(2).read_int(zero).select_key(3).read_double(
        real);
    reader.select_key(4).read_int(widened).select_key(5).read_double(negative);
    reader.select_key(6).read_string(text).select_key(7).read_short(shortValue);
    reader.select_key(99).read_int(absent).read_string(missing);
    EXPECT_FALSE(flag);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(real, 0.0);
    EXPECT_EQ(widened, 255);
    EXPECT_EQ(negative, -1.5);
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(shortValue, -2);
    EXPECT_EQ(absent, 42);
    EXPECT_EQ(missing, "");
    EXPECT_FALSE(reader.has_key(99));
    EXPECT_TRUE(reader.has_key(1));

    reader.enter_array(8);
    double sum = 0;
    while (reader.next_item()) {
        double value = 0;
        reader.read_double(value);
        sum += value;
    }
    EXPECT_EQ(sum, 10.0);
    EXPECT_EQ(reader.progress(), 1.0);
    reader.leave();

    std::int32_t narrow = 0;
    expectThrows([&] { reader.select_key(5).read_int(narrow); },
                 "UKeyInStream: reading field longer than expected");
}

TEST(UKeyInStream, EntersAMissingRecordAsAnEmptyLevel) {
    std::istringstream in(stream(""));
    UKeyInStream reader(in);
    reader.enter_record(5);
    EXPECT_FALSE(reader.next_item());
    EXPECT_FALSE(reader.has_key(1));
    EXPECT_EQ(reader.progress(), 0.0);
    reader.leave();
    expectThrows([&] { reader.leave(); }, "UKeyInStream: leave at root");
}

TEST(UKeyInStream, ReadsStringsAsEmptyWithoutTheVersionElement) {
    std::istringstream in(stream(hex({0, 1, 2, 5, 'h', 'i'}), false));
    UKeyInStream reader(in);
    EXPECT_EQ(reader.version(), 0u);
    ustring text = "old";
    reader.select_key(1).read_string(text);
    EXPECT_EQ(text, "");
}

TEST(UKeyInStream, ChecksTheStreamHeadAndTheDepth) {
    expectThrows(
        [] {
            std::istringstream in(hex({0x4B, 0x54, 0, 6}));
            UKeyInStream reader(in);
        },
        "UKeyInStream: meta key mismatch");
    expectThrows(
        [] {
            std::istringstream in(hex({0x4B, 0x53, 0, 7}));
            UKeyInStream reader(in);
        },
        "UKeyInStream: expecting record");
    expectThrows(
        [] {
            std::istringstream in(hex({0x4B, 0x53, 0xFF, 0, 0, 0, 9, 6, 0xC0, 0xDE, 1, 2, 1}));
            UKeyInStream reader(in);
        },
        "UKeyInStream: corrupt stream");

    std::ostringstream out;
    {
        UKeyOutStream w(out, 0);
        for (int i = 1; i < UKeyStream::kMaxLevels; ++i)
            w.begin_record(1);
    }
    std::istringstream in(out.str());
    UKeyInStream reader(in);
    for (int i = 1; i < UKeyStream::kMaxLevels; ++i)
        reader.enter_record(1);
    expectThrows([&] { reader.enter_record(1); }, "UKeyInStream: exceeded depth");
    reader.leave();
}

TEST(UKeyInStream, CarriesMessagesAndRefusesOnesThatDoNotUnflatten) {
    std::mt19937 rng(5150);
    std::vector<umessage> messages;
    std::ostringstream out;
    {
        UKeyOutStream w(out, 1);
        w.begin_record('MM');
        for (int i = 0; i < 50; ++i) {
            messages.push_back(randomMessage(rng, 0));
            w.select_key(1).write_message(messages.back());
        }
        w.end();
        w.select_key(2).write_binary("", 0).select_key(3).write_binary("\x09", 1);
    }
    std::istringstream in(out.str());
    UKeyInStream reader(in);
    reader.enter_record('MM');
    for (const umessage& expected : messages) {
        ASSERT_TRUE(reader.next_item());
        umessage m;
        reader.select_key(1).read_message(m);
        EXPECT_TRUE(sameWithFlags(m, expected));
    }
    reader.leave();

    umessage m;
    m.add<int>("old", umessage_details::type_int, 1);
    reader.select_key(2).read_message(m);
    EXPECT_TRUE(m.empty());
    reader.select_key(4).read_message(m);
    EXPECT_TRUE(m.empty());
    LogCapture capture;
    expectThrows([&] { reader.select_key(3).read_message(m); }, "UKeyInStream: corrupt stream");
}

TEST(UKeyInStream, ProbesForTheIdentifier) {
    std::uint32_t identifier = 1;
    bool ok = false;
    std::istringstream job(sampleStream());
    UKeyInStream::probe(job, identifier, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(identifier, 7u);
    EXPECT_EQ(job.tellg(), 0);

    std::istringstream plain(stream(""));
    UKeyInStream::probe(plain, identifier, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(identifier, 0u);

    for (const Bytes& bad :
         {hex({0x4B, 0x53, 0x03, 0x06}), hex({0x4B, 0x53, 0xFF, 0, 0, 0, 99, 6}), Bytes("{}")}) {
        std::istringstream in(bad);
        UKeyInStream::probe(in, identifier, ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(identifier, 0u);
    }
}

TEST(UKeyInStream, DumpsASampleStreamAsStored) {
    const auto path =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "keystream_dump.txt";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    std::stringstream expected;
    expected << file.rdbuf();

    std::istringstream in(sampleStream());
    std::ostringstream printed;
    std::streambuf* saved = std::cout.rdbuf(printed.rdbuf());
    UKeyInStream::dump(in);
    std::cout.rdbuf(saved);
    EXPECT_EQ(printed.str(), expected.str());
}

TEST(UKeyOutStream, CopiesTheElementsAReaderWalks) {
    const Bytes source = sampleStream();
    std::istringstream in(source);
    UKeyInStream reader(in);
    std::ostringstream out;
    {
        UKeyOutStream writer(out, 0);
        writer.copy_element('CC', reader);
    }
    // The copy re-creates the root's payload byte for byte after the two key bytes.
    EXPECT_EQ(out.str().substr(8 + kHeadNoId.size()), "CC" + source.substr(8));
}

TEST(UKeyInStream, EndsTruncatedOrScrambledStreamsInAnException) {
    const Bytes whole = sampleStream();
    LogCapture capture;
    const auto attempt = [](const Bytes& bytes) {
        try {
            std::istringstream in(bytes);
            UKeyInStream reader(in);
            walkAll(reader);
        } catch (const std::runtime_error&) {
        }
    };
    for (std::size_t n = 0; n < whole.size(); ++n)
        attempt(whole.substr(0, n));
    std::mt19937 rng(1234);
    for (int i = 0; i < 3000; ++i) {
        Bytes bytes = whole;
        for (int flips = 1 + i % 3; flips > 0; --flips)
            bytes[rng() % bytes.size()] = static_cast<char>(rng());
        attempt(bytes);
    }
}
