#include "utils/UKeyStream.h"

#include "support/DeepMessage.h"
#include "support/JsonMessage.h"
#include "support/KeyStreamBytes.h"
#include "support/LogCapture.h"
#include "support/Test.h"
#include "support/Throws.h"
#include "utils/umessage.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

using Bytes = std::string;

// A stream with identifier 7 and an element of every kind.
Bytes sampleStream() {
    std::ostringstream out;
    {
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
    }
    return out.str();
}

TEST(UKeyOutStream, WritesTheStreamHeadAndValuesWithoutLeadingZeroBytes) {
    std::ostringstream out;
    UKeyOutStream(out, 7).close();
    EXPECT_EQ(out.str(), rawBytes({0x4B, 0x53, 0xFF, 0, 0, 0, 0x0A, 0x06, 0x49, 0x44, 0x01, 0x02,
                                   0x07, 0xC0, 0xDE, 0x01, 0x02, 0x01}));
    EXPECT_EQ(writeKeyStream([](UKeyOutStream&) {}), keyStreamAround(""));
    const Bytes written = afterHead(writeKeyStream([](UKeyOutStream& w) {
        w.select_key(1).write_bool(false).write_bool(true).write_int(0).write_int(1);
        w.write_int(-1).write_char(-1).write_short(0x0102).write_uint(256).write_ushort(0xFFFF);
        w.write_byte(9).write_double(0.0).write_double(1.0).write_string("");
        w.write_binary("\0\0", 2).write_string(ustring(254, 'x')).write_string(ustring(255, 'y'));
        w.begin_array(6).write_double(0).write_double(-2);
        w.begin_record(7).select_key(1).write_int(1);
    }));
    // Each value resets the pending key to 0.
    EXPECT_EQ(written, rawBytes({0, 1, 0,    1,                                     // false
                                 0, 0, 1,    1, 1,                                  // true
                                 0, 0, 0,    2,                                     // int 0
                                 0, 0, 1,    2, 1,                                  // int 1
                                 0, 0, 4,    2, 0xFF, 0xFF, 0xFF, 0xFF,             // int -1
                                 0, 0, 1,    2, 0xFF,                               // char -1
                                 0, 0, 2,    2, 1,    2,                            // short 0x0102
                                 0, 0, 2,    3, 1,    0,                            // uint 256
                                 0, 0, 2,    3, 0xFF, 0xFF,                         // ushort 0xFFFF
                                 0, 0, 1,    3, 9,                                  // byte 9
                                 0, 0, 0,    4,                                     // double 0
                                 0, 0, 8,    4, 0x3F, 0xF0, 0,    0,    0, 0, 0, 0, // double 1
                                 0, 0, 0,    5,                                     // empty string
                                 0, 0, 2,    8, 0,    0, // two zero bytes
                                 0, 0, 0xFE, 5}) +
                           Bytes(254, 'x') + rawBytes({0, 0, 0xFF, 0, 0, 0, 0xFF, 5}) +
                           Bytes(255, 'y') +
                           // An array: doubles without keys, a record with its key.
                           rawBytes({0, 6, 0xFF, 0, 0, 0, 0x19, 7}) +
                           rawBytes({0, 4, 8, 4, 0xC0, 0, 0, 0, 0, 0, 0, 0}) +
                           rawBytes({0, 7, 0xFF, 0, 0, 0, 5, 6, 0, 1, 1, 2, 1}));
}

TEST(UKeyStream, BothSidesStopAtTenLevelsAndRefuseMisuse) {
    std::ostringstream out;
    UKeyOutStream writer(out, 0);
    for (int i = 1; i < UKeyStream::kMaxLevels; ++i)
        writer.begin_record(1);
    expectThrowsWithText([&] { writer.begin_array(1); }, "UKeyOutStream: exceeded depth");
    writer.close();
    expectThrowsWithText([&] { writer.end(); }, "UKeyOutStream: no open level");
    expectThrowsWithText([&] { writer.write_int(1); }, "UKeyOutStream: stream closed");
    expectThrowsWithText([&] { writer.begin_record(1); }, "UKeyOutStream: stream closed");
    EXPECT_TRUE(out.good());
    KeyStreamReader reader(out.str());
    for (int i = 1; i < UKeyStream::kMaxLevels; ++i)
        reader.in.enter_record(1);
    expectThrowsWithText([&] { reader.in.enter_record(1); }, "UKeyInStream: exceeded depth");
    for (int i = 1; i < UKeyStream::kMaxLevels; ++i)
        reader.in.leave();
    expectThrowsWithText([&] { reader.in.leave(); }, "UKeyInStream: leave at root");
    // A stream that cannot be repositioned keeps its placeholders and says so.
    struct Unseekable : std::streambuf {
        int overflow(int c) override { return c; }
    } sink;
    std::ostream unseekable(&sink);
    UKeyOutStream(unseekable, 0).close();
    EXPECT_TRUE(unseekable.bad());
}

// A list is one record whose items end at the first repeated key; with 40 keys the index keeps a
// key bitmap. A shorter last item holds none of the keys of the items before it.
TEST(UKeyInStream, SplitsAListIntoItemsAtTheFirstRepeatedKey) {
    for (int keys : {1, 3, 40}) {
        SCOPED_TRACE(keys);
        KeyStreamReader reader(writeKeyStream([keys](UKeyOutStream& w) {
            w.begin_record('LL');
            for (int object = 0; object < 3; ++object)
                for (int k = 0; k < keys; ++k)
                    w.select_key(static_cast<std::uint16_t>(10 + k)).write_int(100 * object + k);
            w.select_key(10).write_int(7);
        }));
        reader.in.enter_record('LL');
        for (int object = 0; object < 3; ++object) {
            ASSERT_TRUE(reader.in.next_item());
            std::int32_t first = 0, last = 0;
            reader.in.select_key(10).read_int(first);
            EXPECT_EQ(&reader.in.select_key(static_cast<std::uint16_t>(9 + keys)).read_int(last),
                      &reader.in);
            EXPECT_EQ(first, 100 * object);
            EXPECT_EQ(last, 100 * object + keys - 1);
        }
        ASSERT_TRUE(reader.in.next_item());
        std::int32_t only = 0;
        reader.in.select_key(10).read_int(only);
        EXPECT_EQ(only, 7);
        EXPECT_EQ(reader.in.has_key(static_cast<std::uint16_t>(9 + keys)), keys == 1);
        EXPECT_FALSE(reader.in.next_item());
        EXPECT_FALSE(reader.in.next_item());
    }
}

TEST(UKeyInStream, ReadsTypedValuesZeroExtendedAndLeavesAbsentOnesAlone) {
    KeyStreamReader reader(writeKeyStream([](UKeyOutStream& w) {
        w.select_key(1).write_bool(false).select_key(2).write_int(0).select_key(3).write_double(0);
        w.select_key(4).write_char(-1).select_key(5).write_double(-1.5);
        w.select_key(6).write_string(ustring("ab\0cd", 5)).select_key(7).write_short(-2);
        w.begin_array(8).write_double(1).write_double(2).write_double(3).write_double(4).end();
        w.select_key(9).write_string(ustring(255, 'y'));
        // Longer than the writer's buffer: the root's length is patched in the stream.
        w.select_key(10).write_string(ustring(100000, 'z'));
    }));
    UKeyInStream& in = reader.in;
    bool flag = true;
    std::int32_t zero = 9, widened = 0, absent = 42;
    double real = 9, negative = 0;
    std::int16_t shortValue = 0;
    ustring text = "old", missing = "old", longText, hugeText;
    in.select_key(1).read_bool(flag).select_key(2).read_int(zero).select_key(3).read_double(real);
    in.select_key(4).read_int(widened).select_key(5).read_double(negative);
    in.select_key(6).read_string(text).select_key(7).read_short(shortValue);
    in.select_key(9)
        .read_string(longText)
        .select_key(10)
        .read_string(hugeText)
        .select_key(99)
        .read_int(absent)
        .read_string(missing);
    EXPECT_TRUE(!flag && zero == 0 && real == 0.0);
    EXPECT_EQ(std::tuple(widened, negative, shortValue, absent), std::tuple(255, -1.5, -2, 42));
    EXPECT_EQ(text + "|" + missing, "ab|");
    EXPECT_TRUE(longText == ustring(255, 'y') && hugeText == ustring(100000, 'z'));
    EXPECT_TRUE(in.has_key(1) && !in.has_key(99));
    in.enter_array(8);
    double sum = 0, value = 0;
    while (in.next_item())
        sum += (in.read_double(value), value);
    EXPECT_EQ(sum, 10.0);
    EXPECT_EQ(in.progress(), 1.0);
    in.leave();
    in.enter_record(55); // absent: an empty level
    EXPECT_FALSE(in.next_item());
    EXPECT_EQ(in.progress(), 0.0);
    in.leave();
    expectThrowsWithText([&] { in.select_key(5).read_int(zero); },
                         "UKeyInStream: reading field longer than expected");
    KeyStreamReader old(keyStreamAround(rawBytes({0, 1, 2, 5, 'h', 'i'}), false));
    EXPECT_EQ(old.in.version(), 0u);
    old.in.select_key(1).read_string(text); // strings of a stream without version are empty
    EXPECT_EQ(text, "");
}

// The whole field, NULs and what follows them included, for short, long, array and absent
// fields; a stream without version reads every string as empty, whole or not.
TEST(UKeyInStream, ReadsAStringWholeOnRequest) {
    const ustring shortText("ab\0cd", 5);
    const ustring longText = ustring(10, 'x') + ustring("\0", 1) + ustring(300, 'y');
    KeyStreamReader reader(writeKeyStream([&](UKeyOutStream& w) {
        w.select_key(1).write_string(shortText).select_key(2).write_string(longText);
        w.begin_array(3).write_string(shortText).write_string(longText).end();
    }));
    UKeyInStream& in = reader.in;
    ustring cut, whole, absent = "old";
    for (const auto& [key, text] : {std::pair(1, shortText), std::pair(2, longText)}) {
        in.select_key(static_cast<std::uint16_t>(key)).read_string(cut).read_whole_string(whole);
        EXPECT_EQ(cut, text.substr(0, text.findChar('\0'))) << key;
        EXPECT_EQ(whole, text) << key;
    }
    in.select_key(9).read_whole_string(absent);
    EXPECT_EQ(absent, "");
    in.enter_array(3);
    for (const ustring& text : {shortText, longText}) {
        ASSERT_TRUE(in.next_item());
        in.read_whole_string(whole);
        EXPECT_EQ(whole, text);
    }
    in.leave();
    KeyStreamReader old(keyStreamAround(rawBytes({0, 1, 3, 5, 'a', 0, 'b'}), false));
    old.in.select_key(1).read_whole_string(whole);
    EXPECT_EQ(whole, "");
}

TEST(UKeyInStream, ChecksTheStreamHeadAndProbesForTheIdentifier) {
    const std::pair<Bytes, const char*> heads[] = {
        {rawBytes({0x4B, 0x54, 0, 6}), "UKeyInStream: meta key mismatch"},
        {rawBytes({0x4B}), "UKeyInStream: meta key mismatch"},
        {rawBytes({0x4B, 0x53, 0, 7}), "UKeyInStream: expecting record"},
        {rawBytes({0x4B, 0x53, 0xFF, 0, 0, 0, 9, 6, 0xC0, 0xDE, 1, 2, 1}),
         "UKeyInStream: corrupt stream"},
        {keyStreamAround(rawBytes({0xC0, 0xDE, 5, 2, 0, 0, 0, 0, 1}), false),
         "UKeyInStream: corrupt stream"},
    };
    for (const auto& [bytes, text] : heads)
        expectThrowsWithText([&] { KeyStreamReader reader(bytes); }, text);
    const std::tuple<Bytes, bool, std::uint32_t> probes[] = {
        {sampleStream(), true, 7},
        {keyStreamAround(""), true, 0},
        {rawBytes({0x4B, 0x53, 0x03, 0x06}), false, 0},
        {rawBytes({0x4B, 0x53, 0xFF, 0, 0, 0, 99, 6}), false, 0},
        {"{}", false, 0},
    };
    for (const auto& [bytes, opens, id] : probes) {
        std::istringstream in(bytes);
        std::uint32_t identifier = 1;
        bool ok = !opens;
        UKeyInStream::probe(in, identifier, ok);
        EXPECT_EQ(ok, opens);
        EXPECT_EQ(identifier, id);
        EXPECT_EQ(in.tellg(), 0);
    }
}

TEST(UKeyInStream, CarriesMessagesAndRefusesOnesThatDoNotUnflatten) {
    const umessage messages[] = {*readJson(R"({"a": [1, 2], "c": {"s": "x", "d": [2.5]}})"),
                                 umessage(), *readJson(R"({"b": true})")};
    KeyStreamReader reader(writeKeyStream([&](UKeyOutStream& w) {
        w.begin_record('MM');
        for (const umessage& m : messages)
            w.select_key(1).write_message(m);
        w.end();
        w.select_key(2).write_binary("", 0).select_key(3).write_binary("\x09", 1);
    }));
    reader.in.enter_record('MM');
    umessage m;
    for (const umessage& expected : messages) {
        ASSERT_TRUE(reader.in.next_item());
        reader.in.select_key(1).read_message(m);
        EXPECT_EQ(m, expected);
    }
    reader.in.leave();
    reader.in.select_key(2).read_message(m);
    EXPECT_TRUE(m.empty());
    m.add<int>("old", umessage_details::type_int, 1);
    reader.in.select_key(4).read_message(m);
    EXPECT_TRUE(m.empty());
    LogCapture capture;
    expectThrowsWithText([&] { reader.in.select_key(3).read_message(m); },
                         "UKeyInStream: corrupt stream");
}

// A message too deep for flatten throws and leaves no element behind.
TEST(UKeyOutStream, RefusesAMessageThatFlattenRefusesAndWritesNothingOfIt) {
    const umessage deeper = deepMessage(umessage::kMaxDepth + 1);
    EXPECT_EQ(writeKeyStream([&](UKeyOutStream& w) {
                  expectThrowsWithText([&] { w.select_key(1).write_message(deeper); },
                                       "UKeyOutStream: message nested too deep");
                  w.select_key(2).write_bool(true);
              }),
              writeKeyStream([](UKeyOutStream& w) { w.select_key(2).write_bool(true); }));
}

TEST(UKeyInStream, DumpsASampleStreamAsStoredAndTheWriterCopiesWhatAReaderWalks) {
    const auto path =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "keystream_dump.txt";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    std::stringstream expected;
    expected << file.rdbuf();
    const Bytes source = sampleStream();
    EXPECT_EQ(dumpText(source), expected.str());
    KeyStreamReader reader(source);
    const Bytes copy = writeKeyStream([&](UKeyOutStream& w) { w.copy_element('CC', reader.in); });
    // The copy re-creates the root's payload byte for byte after the two key bytes.
    EXPECT_EQ(afterHead(copy), "CC" + source.substr(8));
}

// Every truncation ends in an exception, never in a crash (fuzz_keystream tries arbitrary bytes).
TEST(UKeyInStream, EndsEveryTruncatedStreamInAnException) {
    const Bytes whole = sampleStream();
    LogCapture capture;
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_THROW(dumpText(whole.substr(0, n)), std::runtime_error) << n;
}

} // namespace
