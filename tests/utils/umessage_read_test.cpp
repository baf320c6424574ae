#include "utils/umessage.h"

#include "support/LogCapture.h"
#include "support/Test.h"

#include <optional>

namespace {

using namespace umessage_details;

// Each read starts a new capture of the log, so log() holds what the last read wrote.
class JSONRead : public ::testing::Test {
protected:
    bool read(const std::string& text) {
        m_capture.emplace();
        std::istringstream in(text);
        return m_message.read(in);
    }
    std::string log() const { return m_capture->text(); }
    static std::string errorRecord(const std::string& text = "line 1") {
        return "[2026-03-01T14:05:09][ERROR][5120][libs/utils/umessage:umessage::read:816] " +
               (text.starts_with("line ") ? "unexpected element in json at " + text : text) + "\n";
    }
    bool isArray(const char* name) const { return m_message.findEntry(name)->second->isArray; }
    umessage m_message;
    std::optional<LogCapture> m_capture;
};

TEST_F(JSONRead, MapsObjectsArraysAndScalarsToEntriesAndAcceptsCommentsAndLooseCommas) {
    m_message.add<int>("old", type_int, 1);
    ASSERT_TRUE(read(R"({"a":1,"b":[1,2.5],"c":{"d":true},"e":null,"f":[],"g":[7]})"));
    auto c = std::make_shared<umessage>();
    c->add<bool>("d", type_bool, true);
    umessage expected;
    expected.add<int>("a", type_int, 1);
    expected.add<double>("b", type_double, 1.0);
    expected.add<double>("b", type_double, 2.5);
    expected.addChild("c", c);
    expected.add<int>("g", type_int, 7);
    EXPECT_TRUE(m_message == expected); // names, type codes and values; no entry for [] or null
    EXPECT_FALSE(isArray("a") || isArray("c"));
    EXPECT_TRUE(isArray("b") && isArray("g"));
    EXPECT_EQ(log(), "");
    ASSERT_TRUE(read(R"({"o":[{"x":1},{"x":2}],"t":[true,false],"s":["p","q"],)"
                     R"("d":[2.5,3],"p":[1,2,3.5]})"));
    EXPECT_EQ(m_message.valueAt<umessage>("o", 1).value<int>("x"), 2);
    EXPECT_FALSE(m_message.valueAt<bool>("t", 1));
    EXPECT_EQ(m_message.valueAt<ustring>("s", 1), "q");
    EXPECT_TRUE(m_message.has("d", type_double, 1) && m_message.has("p", type_double, 2));
    EXPECT_EQ(m_message.valueAt<double>("p", 0), 1.0);
    for (const char* name : {"o", "t", "s", "d", "p"})
        EXPECT_TRUE(isArray(name)) << name;
    // Comments, missing and trailing commas; text after the object is ignored.
    ASSERT_TRUE(read(R"({"a":1 "b":[1 2,],} ] not json)"));
    EXPECT_EQ(m_message.valueAt<int>("b", 1), 2);
    ASSERT_TRUE(read("// settings\n/* block\n * comment */{/*/ \"a\":1, // more\n"
                     "/**/\"b\"/**/:/2, /***/ \"c\":3}"));
    EXPECT_EQ(m_message.keys(), (std::vector<ustring>{"a", "b", "c"}));
    EXPECT_EQ(m_message.value<int>("b"), 2);
}

TEST_F(JSONRead, RefusesWhatItDoesNotSupportAndKeepsWhatWasReadAndAFailedStream) {
    const char* cases[] = {
        R"(["x"])",        R"({"a":[[1]]})",     R"({"a":[null]})", R"({"a":["x",1]})",
        R"({"a":[{},1]})", R"({"a":[true,2]})",  R"({"a":[}]})",    R"({"a":[:]})",
        R"({"a" 1})",      R"({a:1})",           R"({"a":nul})",    R"({"a":truex})",
        R"({"a":-})",      R"({"a":1)",          R"({"a":[1,2)",    R"({"a":})",
        R"({1:2})",        R"({"a":,})",         R"({"a":.5})",     R"({"b":{"c":1,"c":2}})",
        R"(  )",           R"(/* open {"a":1})", R"({"a":1,"b")",   R"({"x":Infinity})"};
    for (const char* text : cases) {
        EXPECT_FALSE(read(text)) << text;
        EXPECT_EQ(log(), errorRecord()) << text;
    }
    EXPECT_FALSE(read(R"({"a":1,"a":2})"));
    EXPECT_EQ(log(), errorRecord());
    EXPECT_EQ(m_message.keys(), (std::vector<ustring>{"a"}));
    EXPECT_EQ(m_message.value<int>("a"), 1);
    // The errors of adding keep their own text.
    EXPECT_FALSE(read(R"({"":1})"));
    EXPECT_EQ(log(), errorRecord("empty or invalid name"));
    EXPECT_FALSE(read(R"({"ok":1,"a/b":[2]})"));
    EXPECT_EQ(log(), errorRecord("empty or invalid name"));
    EXPECT_EQ(m_message.keys(), (std::vector<ustring>{"ok"}));
    // A stream shorter than two bytes fails quietly, a failed stream with a record.
    EXPECT_FALSE(read(""));
    EXPECT_FALSE(read("{"));
    EXPECT_EQ(log(), "");
    std::istringstream in("{}");
    in.setstate(std::ios::failbit);
    EXPECT_FALSE(m_message.read(in));
    EXPECT_EQ(log(), errorRecord("invalid stream"));
}

// The encodings and line endings themselves are the parser base's; here the reader shows that it
// reads what the base delivers and names the base's line.
TEST_F(JSONRead, ReadsUtf16AsUtf8AndNamesTheLineOfTheError) {
    const std::string text =
        "{\"caf\xC3\xA9\":[1,2.5],\n\"s\":\"\xE2\x82\xAC\",\"c\":{\"b\":true}}";
    ASSERT_TRUE(read(text));
    const umessage fromUtf8 = m_message;
    ASSERT_TRUE(read(ustring(text).toUtf16BEBytes()));
    EXPECT_TRUE(m_message == fromUtf8);
    EXPECT_FALSE(read(ustring("{\n\"a\":x}").toUtf16BEBytes()));
    EXPECT_EQ(log(), errorRecord("line 2"));
}

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// An object holding arrays of objects: each object below the top is one level, an array none;
// 256 levels are read.
TEST_F(JSONRead, BoundsTheNestingDepth) {
    const auto objects = [](int depth) {
        return repeated("{\"a\":", depth) + "1" + repeated("}", depth);
    };
    const auto arrays = [](int depth) {
        return "{" + repeated("\"a\":[{", depth / 2) + repeated("}]", depth / 2) + "}";
    };
    EXPECT_TRUE(read(objects(257)));
    EXPECT_TRUE(read(arrays(512)));
    EXPECT_EQ(log(), "");
    for (const std::string& text : {objects(258), arrays(514), objects(100000), arrays(100001)}) {
        EXPECT_FALSE(read(text)) << text.size();
        EXPECT_EQ(log(), errorRecord()) << text.size();
    }
}

TEST_F(JSONRead, KeepsIntegersBeyond32BitsAsDoubles) {
    ASSERT_TRUE(read(R"({"max":2147483647,"min":-2147483648,"over":2147483648,)"
                     R"("huge":99999999999999999999,"arr":[1,4294967296],"late":[4294967296,1]})"));
    const std::tuple<const char*, std::uint64_t, std::uint32_t, double> cases[] = {
        {"max", 0, type_int, 2147483647.0},     {"min", 0, type_int, -2147483648.0},
        {"over", 0, type_double, 2147483648.0}, {"huge", 0, type_double, 1e20},
        {"arr", 0, type_double, 1.0},           {"arr", 1, type_double, 4294967296.0},
        {"late", 1, type_double, 1.0},
    };
    for (const auto& [name, index, type, value] : cases) {
        EXPECT_TRUE(m_message.has(name, type, index)) << name << index;
        EXPECT_EQ(m_message.valueAt<double>(name, index), value) << name << index;
    }
}

} // namespace
