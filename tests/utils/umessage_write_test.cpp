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

namespace {

using namespace umessage_details;

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
    c->add(ustring(name), type_int, value);
    return c;
}

// alpha = 1, b = "x", list = 1, 2, 3: a one-line form of 45 characters.
umessage exampleMessage() {
    umessage m;
    m.add(ustring("alpha"), type_int, 1);
    m.add(ustring("b"), type_string, ustring("x"));
    for (int i = 1; i <= 3; ++i)
        m.add(ustring("list"), type_int, i);
    return m;
}

TEST(UmessageWrite, CompactFormWritesEveryValueTypeWithoutWhiteSpace) {
    umessage m;
    m.add(ustring("i"), type_int, -7);
    m.add(ustring("t"), type_bool, true);
    m.add(ustring("f"), type_bool, false);
    m.add(ustring("l"), type_int64, -9007199254740993LL);
    m.add(ustring("s"), type_string, ustring("caf\xC3\xA9/"));
    for (double d : {0.1, 2.5, 1234567.0, 1e20, 1e-5, 100000.0, -0.0})
        m.add(ustring("d"), type_double, d);
    m.add(ustring("one"), type_int, 5, true);
    EXPECT_EQ(compact(m), "{\"d\":[0.1,2.5,1.23457e+06,1e+20,1e-05,100000,-0],\"f\":false,\"i\":-7,"
                          "\"l\":-9007199254740993,\"one\":[5],\"s\":\"caf\xC3\xA9/\",\"t\":true}");
    EXPECT_EQ(compact(umessage()), "{}");
    EXPECT_EQ(compact(exampleMessage()), "{\"alpha\":1,\"b\":\"x\",\"list\":[1,2,3]}");
}

TEST(UmessageWrite, CompactFormNestsChildrenAndMessageArrays) {
    umessage m;
    m.addChild(ustring("c"), child("x", 1));
    m.addChild(ustring("m"), std::make_shared<umessage>());
    m.add(ustring("m"), type_message, child("y", 2));
    auto deep = std::make_shared<umessage>();
    deep->addChild(ustring("in"), child("z", 3));
    m.addChild(ustring("n"), deep);
    EXPECT_EQ(compact(m), "{\"c\":{\"x\":1},\"m\":[{},{\"y\":2}],\"n\":{\"in\":{\"z\":3}}}");
}

TEST(UmessageWrite, EscapesQuoteBackslashAndFiveControlsInStringsAndNames) {
    umessage m;
    m.add(ustring("s"), type_string, ustring("q\"b\\t\t\x01\b\f\n\r\x1F"));
    EXPECT_EQ(compact(m), "{\"s\":\"q\\\"b\\\\t\\t\x01\\b\\f\\n\\r\x1F\"}");
    m.clear();
    m.add(ustring("a\"b\\c\n"), type_int, 1);
    m.add(ustring("plain_name"), type_int, 2);
    EXPECT_EQ(compact(m), "{\"a\\\"b\\\\c\\n\":1,\"plain_name\":2}");
    EXPECT_EQ(writeJsonSingleLine(m), "{ \"a\\\"b\\\\c\\n\": 1, \"plain_name\": 2 }");
}

TEST(UmessageWrite, NonFiniteDoublesAreWrittenAsNull) {
    umessage m;
    m.add(ustring("d"), type_double, std::numeric_limits<double>::quiet_NaN());
    m.add(ustring("d"), type_double, std::numeric_limits<double>::infinity());
    m.add(ustring("d"), type_double, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(compact(m), "{\"d\":[null,null,null]}");
    EXPECT_EQ(writeJsonSingleLine(m), "{ \"d\": [ null, null, null ] }");
}

TEST(UmessageWrite, SingleLineFormStopsAtFortyCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // 11 characters around a string of n characters.
        {std::string(29, 'x'), "{ \"a\": \"" + std::string(29, 'x') + "\" }"},
        {std::string(30, 'x'), ""},
        {std::string(1000, 'x'), ""},
    };
    for (const auto& [value, expected] : cases) {
        umessage m;
        m.add(ustring("a"), type_string, ustring(value.c_str()));
        EXPECT_EQ(writeJsonSingleLine(m), expected) << value.size();
    }
    EXPECT_EQ(writeJsonSingleLine(umessage()), "{}");
    EXPECT_EQ(writeJsonSingleLine(exampleMessage()), "");

    // An inline array text of two strings is 10 characters longer than the two strings.
    const std::string s15(15, 's'), s16(16, 's');
    umessage fits;
    fits.add(ustring("a"), type_string, ustring(s15.c_str()));
    fits.add(ustring("a"), type_string, ustring(s15.c_str()));
    EXPECT_EQ(writeJsonMultiLine(fits, 0), "{\n  \"a\": [ \"" + s15 + "\", \"" + s15 + "\" ]\n}");
    umessage over;
    over.add(ustring("a"), type_string, ustring(s16.c_str()));
    over.add(ustring("a"), type_string, ustring(s15.c_str()));
    EXPECT_EQ(writeJsonMultiLine(over, 0),
              "{\n  \"a\": [\n    \"" + s16 + "\",\n    \"" + s15 + "\"\n  ]\n}");
}

TEST(UmessageWrite, SingleLineFormTakesFourEntriesAndSixArrayValues) {
    umessage four;
    for (const char* name : {"a", "b", "c", "d"})
        four.add(ustring(name), type_int, 1);
    EXPECT_EQ(writeJsonSingleLine(four), "{ \"a\": 1, \"b\": 1, \"c\": 1, \"d\": 1 }");
    umessage five(four);
    five.add(ustring("e"), type_int, 1);
    EXPECT_EQ(writeJsonSingleLine(five), "");

    umessage six;
    for (int i = 1; i <= 6; ++i)
        six.add(ustring("n"), type_int, i);
    EXPECT_EQ(writeJsonSingleLine(six), "{ \"n\": [ 1, 2, 3, 4, 5, 6 ] }");
    umessage seven(six);
    seven.add(ustring("n"), type_int, 7);
    EXPECT_EQ(writeJsonSingleLine(seven), "");

    umessage one;
    one.add(ustring("a"), type_int, 5, true);
    one.addChild(ustring("c"), std::make_shared<umessage>());
    EXPECT_EQ(writeJsonSingleLine(one), "{ \"a\": [ 5 ], \"c\": {} }");
}

TEST(UmessageWrite, OperatorWritesTheExampleInFiveAlignedLines) {
    EXPECT_EQ(streamed(exampleMessage()), "{\n"
                                          "  \"alpha\": 1,\n"
                                          "  \"b\":     \"x\",\n"
                                          "  \"list\":  [ 1, 2, 3 ]\n"
                                          "}\n");
    EXPECT_EQ(streamed(umessage()), "{}\n");
    umessage small;
    small.add(ustring("a"), type_int, 5, true);
    EXPECT_EQ(streamed(small), "{ \"a\": [ 5 ] }\n");
}

TEST(UmessageWrite, IndentedFormNestsChildrenAndLongArrays) {
    umessage m;
    auto big = std::make_shared<umessage>();
    for (const char* name : {"a", "b", "c", "d", "e"})
        big->add(ustring(name), type_int, 1);
    m.addChild(ustring("big"), big);
    auto longChild = std::make_shared<umessage>();
    longChild->add(ustring("s"), type_string, ustring(std::string(40, 'y').c_str()));
    m.addChild(ustring("kids"), child("a", 1));
    m.add(ustring("kids"), type_message, longChild);
    for (int i = 1; i <= 7; ++i)
        m.add(ustring("n"), type_int, i);
    m.add(ustring("x"), type_bool, true);
    const std::string y40(40, 'y');
    EXPECT_EQ(streamed(m), "{\n"
                           "  \"big\": {\n"
                           "    \"a\": 1,\n"
                           "    \"b\": 1,\n"
                           "    \"c\": 1,\n"
                           "    \"d\": 1,\n"
                           "    \"e\": 1\n"
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
    using namespace std::string_literals;
    umessage m;
    m.add(ustring("s"), type_string, ustring("a\0b", 3));
    EXPECT_EQ(streamed(m), "{ \"s\": \"a\0b\" }\n"s);
    m.add(ustring("t"), type_string, ustring(std::string(50, 'z').c_str()));
    EXPECT_EQ(writeJsonMultiLine(m, 0),
              "{\n  \"s\": \"a\0b\",\n  \"t\": \""s + std::string(50, 'z') + "\"\n}");
}

TEST(UmessageWrite, DebugDumpSendsPiecesOfAtMost4095BytesThenTwoLineFeeds) {
    std::vector<std::string> pieces;
    platform::setDebugOutputSink([&](std::string_view text) { pieces.emplace_back(text); });
    umessage m;
    m.add(ustring("s"), type_string, ustring(std::string(9000, 'q').c_str()));
    m.debugDump();
    platform::setDebugOutputSink(nullptr);

    const std::string expected = streamed(m);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].size(), 4095u);
    EXPECT_EQ(pieces[1].size(), 4095u);
    EXPECT_EQ(pieces[0] + pieces[1] + pieces[2], expected);
    EXPECT_EQ(pieces[3], "\n\n");
}

} // namespace
