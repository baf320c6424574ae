#include "utils/umessage_write.h"

#include "platform/debug_output.h"
#include "support/JsonMessage.h"
#include "support/Test.h"

#include <cmath>
#include <limits>

using namespace std::string_literals;

namespace {

using namespace umessage_details;

std::string streamed(const umessage& m) {
    std::ostringstream out;
    out << m;
    return out.str();
}

// alpha = 1, b = "x", list = 1, 2, 3: a one-line form of 45 characters.
const char* const kExample = R"({"alpha": 1, "b": "x", "list": [1, 2, 3]})";

TEST(UmessageWrite, CompactFormWritesEveryValueTypeAndNestsWithoutWhiteSpace) {
    umessage m = *readJson(R"({"i": -7, "t": true, "f": false, "s": "caf\u00e9/", "one": [5],
        "d": [0.1, 2.5, 1234567.0, 1e20, 1e-5, 100000.0, -0.0], "c": {"x": 1},
        "m": [{}, {"y": 2}], "n": {"in": {"z": 3}}})");
    m.add<long long>("l", type_int64, -9007199254740993LL);
    for (double d : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        m.add<double>("d", type_double, d);
    EXPECT_EQ(compactJson(m),
              "{\"c\":{\"x\":1},\"d\":[0.1,2.5,1.23457e+06,1e+20,1e-05,100000,-0,null,"
              "null,null],\"f\":false,\"i\":-7,\"l\":-9007199254740993,\"m\":[{},{\"y\":"
              "2}],\"n\":{\"in\":{\"z\":3}},\"one\":[5],\"s\":\"caf\xC3\xA9/\",\"t\":true}");
    EXPECT_EQ(compactJson(umessage()), "{}");
    EXPECT_EQ(compactJson(*readJson(kExample)), R"({"alpha":1,"b":"x","list":[1,2,3]})");
}

TEST(UmessageWrite, EscapesQuoteBackslashAndFiveControlsInStringsAndNames) {
    umessage m;
    m.add<ustring>("s", type_string, "q\"b\\t\t\x01\b\f\n\r\x1F");
    EXPECT_EQ(compactJson(m), "{\"s\":\"q\\\"b\\\\t\\t\x01\\b\\f\\n\\r\x1F\"}");
    m = *readJson(R"({"a\"b\\c\n": 1, "plain_name": 2})");
    EXPECT_EQ(compactJson(m), R"({"a\"b\\c\n":1,"plain_name":2})");
    EXPECT_EQ(writeJsonSingleLine(m), R"({ "a\"b\\c\n": 1, "plain_name": 2 })");
}

// The one-line form takes at most four entries, six array values and 40 characters; an inline
// array text of two strings is 10 characters longer than the two strings.
TEST(UmessageWrite, SingleLineFormStopsAtItsLimits) {
    const std::string x29(29, 'x'), x30(30, 'x'), s15(15, 's'), s16(16, 's');
    const std::pair<std::string, std::string> cases[] = {
        {R"({"a": 1, "b": 1, "c": 1, "d": 1})", R"({ "a": 1, "b": 1, "c": 1, "d": 1 })"},
        {R"({"a": 1, "b": 1, "c": 1, "d": 1, "e": 1})", ""},
        {R"({"n": [1, 2, 3, 4, 5, 6]})", R"({ "n": [ 1, 2, 3, 4, 5, 6 ] })"},
        {R"({"n": [1, 2, 3, 4, 5, 6, 7]})", ""},
        {"{}", "{}"},
        {kExample, ""},
        {R"({"a": [5], "c": {}})", R"({ "a": [ 5 ], "c": {} })"},
        {R"({"a": ")" + x29 + "\"}", R"({ "a": ")" + x29 + "\" }"},
        {R"({"a": ")" + x30 + "\"}", ""},
    };
    for (const auto& [json, expected] : cases)
        EXPECT_EQ(writeJsonSingleLine(*readJson(json)), expected) << json;
    EXPECT_EQ(writeJsonMultiLine(*readJson(("{\"a\": [\"" + s15 + "\", \"" + s15 + "\"]}")), 0),
              "{\n  \"a\": [ \"" + s15 + "\", \"" + s15 + "\" ]\n}");
    EXPECT_EQ(writeJsonMultiLine(*readJson(("{\"a\": [\"" + s16 + "\", \"" + s15 + "\"]}")), 0),
              "{\n  \"a\": [\n    \"" + s16 + "\",\n    \"" + s15 + "\"\n  ]\n}");
}

TEST(UmessageWrite, OperatorWritesAlignedIndentedLinesOrOneLine) {
    EXPECT_EQ(streamed(*readJson(kExample)), "{\n"
                                             "  \"alpha\": 1,\n"
                                             "  \"b\":     \"x\",\n"
                                             "  \"list\":  [ 1, 2, 3 ]\n"
                                             "}\n");
    EXPECT_EQ(streamed(umessage()), "{}\n");
    const std::string y40(40, 'y');
    EXPECT_EQ(streamed(*readJson(("{\"big\": {\"a\": 1, \"b\": 1, \"c\": 1, \"d\": 1, \"e\": 1}, "
                                  "\"kids\": [{\"a\": 1}, {\"s\": \"" +
                                  y40 + "\"}], \"n\": [1, 2, 3, 4, 5, 6, 7], \"x\": true}"))),
              "{\n"
              "  \"big\": {\n"
              "    \"a\": 1,\n    \"b\": 1,\n    \"c\": 1,\n    \"d\": 1,\n    \"e\": 1\n"
              "  },\n"
              "  \"kids\": [\n"
              "    { \"a\": 1 },\n"
              "    {\n"
              "      \"s\": \"" +
                  y40 +
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
