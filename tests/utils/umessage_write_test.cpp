// Tests of the JSON text writers: the compact form byte for byte, the one-line and indented
// readable forms at their limits, operator<< and the debug dump.
#include "utils/umessage_write.h"

#include "platform/debug_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using namespace umessage_details;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string compact(const umessage& m) {
    std::ostringstream out;
    m.write(out);
    return out.str();
}

std::string streamed(const umessage& m) {
    std::ostringstream out;
    out << m;
    return out.str();
}

std::shared_ptr<umessage> child(const char* name, int value) {
    auto c = std::make_shared<umessage>();
    c->add<int>(name, type_int, value);
    return c;
}

// A message of `count` entries "a", "b", ... or of one entry "n" with `count` values, all 1.
umessage ones(int count, bool asValues = false) {
    umessage m;
    for (int i = 0; i < count; ++i)
        m.add<int>(asValues ? "n" : std::string(1, static_cast<char>('a' + i)).c_str(), type_int,
                   1);
    return m;
}

// alpha = 1, b = "x", list = 1, 2, 3: a one-line form of 45 characters.
umessage exampleMessage() {
    umessage m;
    m.add<int>("alpha", type_int, 1);
    m.add<ustring>("b", type_string, "x");
    for (int i = 1; i <= 3; ++i)
        m.add<int>("list", type_int, i);
    return m;
}

TEST(UmessageWrite, CompactFormWritesEveryValueTypeAndNestsWithoutWhiteSpace) {
    umessage m;
    m.add<int>("i", type_int, -7);
    m.add<bool>("t", type_bool, true);
    m.add<bool>("f", type_bool, false);
    m.add<long long>("l", type_int64, -9007199254740993LL);
    m.add<ustring>("s", type_string, "caf\xC3\xA9/");
    for (double d : {0.1, 2.5, 1234567.0, 1e20, 1e-5, 100000.0, -0.0, kNaN, kInf, -kInf})
        m.add<double>("d", type_double, d);
    m.add<int>("one", type_int, 5, true);
    m.addChild("c", child("x", 1));
    m.addChild("m", std::make_shared<umessage>());
    m.add<std::shared_ptr<umessage>>("m", type_message, child("y", 2));
    auto deep = std::make_shared<umessage>();
    deep->addChild("in", child("z", 3));
    m.addChild("n", deep);
    EXPECT_EQ(compact(m),
              "{\"c\":{\"x\":1},\"d\":[0.1,2.5,1.23457e+06,1e+20,1e-05,100000,-0,null,"
              "null,null],\"f\":false,\"i\":-7,\"l\":-9007199254740993,\"m\":[{},{\"y\":"
              "2}],\"n\":{\"in\":{\"z\":3}},\"one\":[5],\"s\":\"caf\xC3\xA9/\",\"t\":true}");
    EXPECT_EQ(compact(umessage()), "{}");
}

TEST(UmessageWrite, EscapesQuoteBackslashAndFiveControlsInStringsAndNames) {
    umessage m;
    m.add<ustring>("s", type_string, "q\"b\\t\t\x01\b\f\n\r\x1F");
    EXPECT_EQ(compact(m), "{\"s\":\"q\\\"b\\\\t\\t\x01\\b\\f\\n\\r\x1F\"}");
    m.clear();
    m.add<int>("a\"b\\c\n", type_int, 1);
    m.add<int>("plain_name", type_int, 2);
    EXPECT_EQ(compact(m), "{\"a\\\"b\\\\c\\n\":1,\"plain_name\":2}");
    EXPECT_EQ(writeJsonSingleLine(m), "{ \"a\\\"b\\\\c\\n\": 1, \"plain_name\": 2 }");
}

// The one-line form takes at most four entries, six array values and 40 characters.
TEST(UmessageWrite, SingleLineFormStopsAtItsLimits) {
    const std::pair<umessage, std::string> cases[] = {
        {ones(4), "{ \"a\": 1, \"b\": 1, \"c\": 1, \"d\": 1 }"},
        {ones(5), ""},
        {ones(6, true), "{ \"n\": [ 1, 1, 1, 1, 1, 1 ] }"},
        {ones(7, true), ""},
        {umessage(), "{}"},
        {exampleMessage(), ""},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(writeJsonSingleLine(message), expected) << compact(message);
    for (const std::size_t length : {29, 30, 1000}) { // 11 characters around the string
        umessage m;
        m.add<ustring>("a", type_string, ustring(length, 'x'));
        EXPECT_EQ(writeJsonSingleLine(m),
                  length < 30 ? "{ \"a\": \"" + std::string(length, 'x') + "\" }" : "")
            << length;
    }
    umessage one;
    one.add<int>("a", type_int, 5, true);
    one.addChild("c", std::make_shared<umessage>());
    one.add<double>("d", type_double, kNaN);
    EXPECT_EQ(writeJsonSingleLine(one), "{ \"a\": [ 5 ], \"c\": {}, \"d\": null }");

    // An inline array text of two strings is 10 characters longer than the two strings.
    const std::string s15(15, 's'), s16(16, 's');
    umessage fits, over;
    fits.add<ustring>("a", type_string, ustring(s15));
    fits.add<ustring>("a", type_string, ustring(s15));
    EXPECT_EQ(writeJsonMultiLine(fits, 0), "{\n  \"a\": [ \"" + s15 + "\", \"" + s15 + "\" ]\n}");
    over.add<ustring>("a", type_string, ustring(s16));
    over.add<ustring>("a", type_string, ustring(s15));
    EXPECT_EQ(writeJsonMultiLine(over, 0),
              "{\n  \"a\": [\n    \"" + s16 + "\",\n    \"" + s15 + "\"\n  ]\n}");
}

TEST(UmessageWrite, OperatorWritesAlignedIndentedLinesOrOneLine) {
    EXPECT_EQ(streamed(exampleMessage()), "{\n"
                                          "  \"alpha\": 1,\n"
                                          "  \"b\":     \"x\",\n"
                                          "  \"list\":  [ 1, 2, 3 ]\n"
                                          "}\n");
    EXPECT_EQ(streamed(umessage()), "{}\n");
    umessage m;
    m.addChild("big", std::make_shared<umessage>(ones(5)));
    auto longChild = std::make_shared<umessage>();
    longChild->add<ustring>("s", type_string, ustring(40, 'y'));
    m.addChild("kids", child("a", 1));
    m.add<std::shared_ptr<umessage>>("kids", type_message, longChild);
    for (int i = 1; i <= 7; ++i)
        m.add<int>("n", type_int, i);
    m.add<bool>("x", type_bool, true);
    EXPECT_EQ(streamed(m), "{\n"
                           "  \"big\": {\n"
                           "    \"a\": 1,\n    \"b\": 1,\n    \"c\": 1,\n    \"d\": 1,\n"
                           "    \"e\": 1\n"
                           "  },\n"
                           "  \"kids\": [\n"
                           "    { \"a\": 1 },\n"
                           "    {\n"
                           "      \"s\": \"" +
                               std::string(40, 'y') +
                               "\"\n"
                               "    }\n"
                               "  ],\n"
                               "  \"n\": [\n"
                               "    1,\n    2,\n    3,\n    4,\n    5,\n    6,\n    7\n"
                               "  ],\n"
                               "  \"x\":    true\n"
                               "}\n");
}

TEST(UmessageWrite, ReadableFormsKeepTheBytesAfterANul) {
    umessage m;
    m.add<ustring>("s", type_string, ustring("a\0b", 3));
    EXPECT_EQ(streamed(m), "{ \"s\": \"a\0b\" }\n"s);
    m.add<ustring>("t", type_string, ustring(50, 'z'));
    EXPECT_EQ(writeJsonMultiLine(m, 0),
              "{\n  \"s\": \"a\0b\",\n  \"t\": \""s + std::string(50, 'z') + "\"\n}");
}

TEST(UmessageWrite, DebugDumpSendsPiecesOfAtMost4095BytesThenTwoLineFeeds) {
    std::vector<std::string> pieces;
    platform::setDebugOutputSink([&](std::string_view text) { pieces.emplace_back(text); });
    umessage m;
    m.add<ustring>("s", type_string, ustring(9000, 'q'));
    m.debugDump();
    platform::setDebugOutputSink(nullptr);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].size(), 4095u);
    EXPECT_EQ(pieces[1].size(), 4095u);
    EXPECT_EQ(pieces[0] + pieces[1] + pieces[2], streamed(m));
    EXPECT_EQ(pieces[3], "\n\n");
}

} // namespace
