#include "utils/umessage.h"

#include "support/Test.h"

#include <cmath>
#include <limits>

using namespace umessage_details;

namespace {

std::vector<std::string> keyTexts(const umessage& m) {
    std::vector<std::string> texts;
    for (const ustring& k : m.keys())
        texts.push_back(k.toStdString());
    return texts;
}

uint8_t isArrayOf(const umessage& m, const char* name) {
    return m.findEntry(name)->second->isArray;
}

std::shared_ptr<umessage> childWith(const char* name, int value) {
    auto child = std::make_shared<umessage>();
    child->add<int>(name, type_int, value);
    return child;
}

TEST(Umessage, KeepsNamesInUnsignedByteOrderAndSetsIsArrayFromTheSecondValue) {
    umessage m;
    for (const char* name : {"b", "ab", "\xC3\xA9", "a", "B", "\x7F", "z", "m"})
        m.add<int>(name, type_int, 1);
    EXPECT_EQ(keyTexts(m),
              (std::vector<std::string>{"B", "a", "ab", "b", "m", "z", "\x7F", "\xC3\xA9"}));
    EXPECT_EQ(isArrayOf(m, "m"), 0);
    m.add<int>("m", type_int, 2);
    EXPECT_EQ(std::pair(isArrayOf(m, "m"), m.size()), std::pair(std::uint8_t{1}, std::size_t{8}));
    m.add<int>("one", type_int, 1, true);
    m.add<int>("scalar", type_int, 1, false);
    m.add<int>("scalar", type_int, 2, true); // the flag counts only at creation...
    m.removeValue("scalar", 1);
    EXPECT_EQ(isArrayOf(m, "scalar"), 1); // ...but the second value set it, and erase keeps it
    m.addChild("shared", std::make_shared<umessage>());
    m.addChildCopy("copied", umessage());
    const umessage copy(m);
    for (const auto& [name, flag] : {std::pair("one", 1), {"shared", 0}, {"copied", 1}}) {
        EXPECT_EQ(isArrayOf(m, name), flag) << name;
        EXPECT_EQ(isArrayOf(copy, name), flag) << name;
    }
}

TEST(Umessage, FindOrInsertEntryGivesTheSlotOfANameInsertingItAtItsPlaceWhenAbsent) {
    umessage m;
    m.add<int>("a", type_int, 1);
    m.add<int>("z", type_int, 2);
    const dyn_array* existing = m.findEntry("z")->second.get();
    EXPECT_EQ(m.findOrInsertEntry("z").get(), existing);
    EXPECT_EQ(m.size(), 2u);
    auto& slot = m.findOrInsertEntry("m");
    EXPECT_EQ(slot, nullptr);
    slot = std::make_unique<dyn_array_impl<double>>(type_double);
    static_cast<dyn_array_impl<double>&>(*slot).append(0.5);
    EXPECT_EQ(keyTexts(m), (std::vector<std::string>{"a", "m", "z"}));
    EXPECT_EQ(m.findEntry("m")->second->type(), type_double);
    EXPECT_EQ(m.valueOr<double>("m", 0, 0.0), 0.5);
}

TEST(Umessage, RejectsBadAddsInOrderAndLeavesTheMessageUnchanged) {
    // std::invalid_argument for the first four texts, std::logic_error for "incompatible type".
    const std::pair<std::function<void(umessage&)>, const char*> cases[] = {
        {[](umessage& m) { m.add<int>("", type_none, 1); }, "type is null"},
        {[](umessage& m) { m.add<int>("", type_int, 1); }, "empty or invalid name"},
        {[](umessage& m) { m.add<int>("a/b", type_int, 1); }, "empty or invalid name"},
        {[](umessage& m) { m.add<int>("a?", type_int, 1); }, "empty or invalid name"},
        {[](umessage& m) { m.addChild("c?", nullptr); }, "empty or invalid name"},
        {[](umessage& m) { m.addChild("c", nullptr); }, "child is null"},
        {[](umessage& m) { m.add<double>("i", type_double, 1.0); }, "incompatible type"},
        {[](umessage& m) { m.add<int>("i", type_double, 1); }, "incompatible type"},
        {[](umessage& m) { m.add<int>("new", type_int64, 1); }, "incompatible type"},
        {[](umessage& m) { m.add<ustring>("w", type_string, "x"); }, "incompatible type"},
    };
    for (const auto& [add, text] : cases) {
        umessage m;
        m.add<int>("i", type_int, 7);
        m.add<long long>("w", type_int64, 8);
        const umessage before(m);
        try {
            add(m);
            ADD_FAILURE() << text << ": no exception";
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), text);
            const bool invalidArgument = dynamic_cast<const std::invalid_argument*>(&e) != nullptr;
            EXPECT_EQ(invalidArgument, std::string(text) != "incompatible type") << text;
        }
        EXPECT_TRUE(m == before && m.size() == 2) << text;
    }
}

TEST(Umessage, GetAndTypeTestsConvertBetweenNumberTypesOnlyAndGetGivesDefaultsOtherwise) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    umessage m;
    m.add<int>("i", type_int, -5);
    for (double d : {2.9, -2.9, 1e300, -1e300, nan, -9223372036854775808.0})
        m.add<double>("d", type_double, d);
    m.add<long long>("w", type_int64, (1LL << 32) + 1);
    m.add<long long>("w", type_int64, (1LL << 53) + 1);
    m.add<ustring>("s", type_string, "12");
    m.add<bool>("b", type_bool, true);
    const std::pair<long long, long long> integers[] = {
        {m.valueAt<int>("d", 0), 2},
        {m.valueAt<int>("d", 1), -2},
        {m.valueAt<int>("d", 2), std::numeric_limits<int>::max()},
        {m.valueAt<int>("d", 3), std::numeric_limits<int>::min()},
        {m.valueAt<int>("d", 4), 0},
        {m.valueAt<int>("w", 0), 1}, // the low 32 bits
        {m.valueAt<long long>("i", 0), -5},
        {m.valueAt<long long>("d", 2), std::numeric_limits<long long>::max()},
        {m.valueAt<long long>("d", 4), 0},
        {m.valueAt<long long>("d", 5), std::numeric_limits<long long>::min()},
        {m.valueOr<int>("x", 0, 9), 9},
    };
    for (std::size_t i = 0; i < std::size(integers); ++i)
        EXPECT_EQ(integers[i].first, integers[i].second) << "case " << i;
    EXPECT_EQ(std::pair(m.valueAt<double>("i", 0), m.valueAt<double>("w", 1)),
              std::pair(-5.0, 9007199254740992.0));
    EXPECT_TRUE(m.value<bool>("b"));
    int untouchedInt = 42;
    double untouchedDouble = 4.5;
    ustring untouchedText("keep");
    bool untouchedBool = false;
    EXPECT_FALSE(m.get("s", 0, untouchedInt) || m.get("b", 0, untouchedInt) ||
                 m.get("i", 1, untouchedInt) || m.get("s", 0, untouchedDouble) ||
                 m.get("i", 0, untouchedText) || m.get("i", 0, untouchedBool));
    EXPECT_TRUE(untouchedInt == 42 && untouchedDouble == 4.5 && !untouchedBool &&
                untouchedText == "keep");
    int exact = 0;
    EXPECT_FALSE(m.getExact("d", 0, type_double, exact) || m.getExact("i", 0, type_int64, exact));
    EXPECT_TRUE(m.getExact("i", 0, type_int, exact) && exact == -5);
    uint64_t n = 99;
    EXPECT_TRUE(!umessage().count("x", n) && n == 0u);
    // The type tests follow the same chains.
    EXPECT_TRUE(m.is<int>("i", 0) && m.is<int>("w", 0) && m.is<double>("i", 0) &&
                m.is<double>("w", 0) && m.is<ustring>("s", 0) && m.has("s", type_none, 0));
    EXPECT_FALSE(m.is<int>("i", 1) || m.is<int>("d", 0) || m.is<long long>("i", 0) ||
                 m.is<double>("s", 0) || m.has("s", type_int, 0));
}

TEST(Umessage, ComparesCodesAndValuesButNotArrayFlags) {
    auto single = [](auto value, uint32_t code, bool isArray = false) {
        umessage m;
        m.add("v", code, value, isArray);
        return m;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(single(1, type_int) == single(1.0, type_double));
    EXPECT_FALSE(single(1, type_int) == single(1LL, type_int64));
    EXPECT_FALSE(single(nan, type_double) == single(nan, type_double));
    EXPECT_TRUE(single(0.0, type_double) == single(-0.0, type_double));
    EXPECT_TRUE(single(1, type_int, true) == single(1, type_int, false));
    EXPECT_FALSE(single(ustring("a"), type_string) == single(ustring("b"), type_string));
    umessage a;
    a.addChild("c", childWith("x", 1));
    umessage b(a);
    EXPECT_TRUE(a == b);
    b.remove("c");
    b.addChild("c", childWith("x", 2));
    EXPECT_FALSE(a == b);
}

TEST(Umessage, CopiesOwnTheirChildrenAndAssignSafelyFromThemselvesAndTheirChildren) {
    auto child = childWith("x", 1);
    umessage source(ustring("job"));
    source.addChild("c", child);
    umessage copy(source);
    umessage assigned;
    assigned = source;
    const auto cloned = umessage::clone(source);
    umessage fromPointer(&source);
    child->add<int>("y", type_int, 2);
    for (const umessage* m : {&copy, &assigned, cloned.get(), &fromPointer}) {
        EXPECT_FALSE(m->value<umessage>("c").contains("y"));
        EXPECT_EQ(m->what(), "job");
    }
    EXPECT_EQ(source.valueOr<std::shared_ptr<const umessage>>("c", 0, nullptr), child);
    EXPECT_TRUE(umessage(static_cast<const umessage*>(nullptr)).empty());
    const umessage kindless{ustring()};
    EXPECT_TRUE(kindless.has("what", type_string, 0) && kindless.what().empty());
    source.setWhat("");
    const umessage before(source);
    umessage& alias = source;
    source = alias;
    EXPECT_TRUE(source == before && !source.contains("what"));
    umessage parent;
    parent.addChild("c", childWith("x", 5));
    parent.add<int>("i", type_int, 1);
    // From here on only the parent holds the child it is assigned from.
    const umessage* own = parent.valueOr<std::shared_ptr<const umessage>>("c", 0, nullptr).get();
    parent = *own;
    EXPECT_EQ(keyTexts(parent), std::vector<std::string>{"x"});
    umessage reader;
    reader.addChild("c", childWith("x", 6));
    EXPECT_TRUE(reader.get("c", 0, reader) && reader.value<int>("x") == 6);
}

TEST(Umessage, RemovalPastTheEndChangesNothing) {
    umessage m;
    m.add<ustring>("s", type_string, "a");
    m.add<ustring>("s", type_string, "b");
    const umessage before(m);
    m.removeValue("s", 2);
    m.removeValue("s", UINT64_MAX);
    m.removeValue("absent", 0);
    m.remove("absent");
    m.removeAtPath("s[2]");
    m.removeAtPath("s[-1]");
    m.findEntry("s")->second->erase(5);
    EXPECT_TRUE(m == before);
    m.removeValue("s", 0);
    EXPECT_EQ(m.valueAt<ustring>("s", 0), "b");
    m.removeAtPath("s");
    EXPECT_TRUE(m.keys().empty());
}

// An index that is no 32-bit number is UINT64_MAX; a component "?" is a query: the name and index
// stay untouched. (component, name, index)
TEST(Umessage, ResolvesPathComponents) {
    const std::tuple<const char*, const char*, uint64_t> cases[] = {
        {"a[2]", "a", 2},
        {"a", "a", 0},
        {"a[]", "a[]", 0},
        {"[2]", "[2]", 0},
        {"a]2[", "a]2[", 0},
        {"a[2]xyz", "a", 2},
        {"a[x]", "a", 0},
        {"a[+3]", "a", 3},
        {"a[-1]", "a", UINT64_MAX},
        {"a[1", "a[1", 0},
        {"?", "old", 77},
        {"a[2147483648]", "a", UINT64_MAX},
        {"a[2147483647]", "a", 2147483647},
        {"a[99999999999999999999999]", "a", UINT64_MAX}};
    for (const auto& [component, expectedName, expectedIndex] : cases) {
        ustring name("old");
        uint64_t index = 77;
        bool query = component[0] != '?';
        umessage::resolvePathComponent(component, name, index, query);
        EXPECT_EQ(std::tuple(name, index, query),
                  std::tuple(ustring(expectedName), expectedIndex, component[0] == '?'))
            << component;
    }
}

TEST(Umessage, FollowsPathsThroughChildMessages) {
    auto second = childWith("c", 1);
    second->setWhat("kind");
    auto a = std::make_shared<umessage>();
    a->addChild("b", childWith("c", 0));
    a->addChild("b", second);
    umessage root;
    root.addChild("a", a);
    for (int n : {1, 2, 3})
        root.add<int>("n", type_int, n);
    const umessage* parent = nullptr;
    ustring name;
    uint64_t index = 9;
    bool query = true;
    ASSERT_TRUE(root.resolvePath("a/b[1]/c", parent, name, index, query));
    EXPECT_TRUE(parent == second.get() && name == "c" && index == 0 && !query);
    ASSERT_TRUE(root.resolvePath("/a//b/", parent, name, index, query));
    EXPECT_TRUE(parent == a.get() && name == "b");
    const std::tuple<const char*, bool, uint64_t> cases[] = {
        {"", false, 55},        {"/", false, 55},        {"a/?/b", false, 55},
        {"n/x", false, 55},     {"a[1]/b", false, 55},   {"a[-1]/b", false, 55},
        {"a/?", true, 1},       {"a/b[1]/?", true, 1},   {"n[2]", true, 3},
        {"n[3]", false, 3},     {"n[-1]", false, 3},     {"a/b[1]/c", true, 1},
        {"a/b[1]/z", false, 0}, {"a/b[2]/c", false, 55},
    };
    for (const auto& [path, exists, count] : cases) {
        uint64_t n = 55;
        EXPECT_EQ(root.existsAtPath(path, n), exists) << path;
        EXPECT_EQ(n, count) << path;
    }
    std::shared_ptr<const umessage> found;
    EXPECT_FALSE(root.getAtPath("n", found) || root.getAtPath("a/?", found));
    EXPECT_TRUE(root.getAtPath("a/b[1]", found) && found.get() == second.get());
    const auto def = std::make_shared<const umessage>();
    EXPECT_TRUE(root.valueAtPathOr("a/b[5]", def) == def &&
                root.valueAtPathOr("/a/", def).get() == a.get());
    root.removeAtPath("a/b[1]/?");
    EXPECT_TRUE(!second->contains("what") && second->contains("c"));
    root.removeAtPath("a/b[0]");
    uint64_t n = 0;
    EXPECT_TRUE(root.existsAtPath("a/b", n) && n == 1u);
    EXPECT_EQ(root.valueAtPathOr("a/b", def).get(), second.get());
}

} // namespace
