#include "model/SettingDefinitions.h"

#include "support/CheckSettingTest.h"
#include "support/Test.h"

namespace {

using SettingDefinitionsTest = CheckSettingTest;

const SettingDefinitionsRegistry& registry() {
    return *SettingDefinitionsRegistry::Instance();
}

TEST_F(SettingDefinitionsTest, RegistryIsBuiltOnceFromTheFirstNonEmptyDefinitions) {
    EXPECT_EQ(SettingDefinitionsRegistry::Instance(), nullptr);
    EXPECT_EQ(GetDefinedType("A"), eSettingType_Undefined);
    Define(R"({"A": {"type": "boolean"}, "B": {"type": "limitsLow"}})");
    const SettingDefinitionsRegistry* first = SettingDefinitionsRegistry::Instance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetDefinedType("A"), eSettingType_Boolean);
    Define(R"({"C": {"type": "limitsHigh"}})");
    EXPECT_EQ(SettingDefinitionsRegistry::Instance(), first);
    EXPECT_EQ(first->Find("B").GetType(), eSettingType_LimitsLow);
    EXPECT_FALSE(first->Find("C").HasDefinition());
    // The definitions stay alive while the default-settings message changes.
    ResetDefaultSettings();
    EXPECT_EQ(SettingDefinitionsRegistry::Instance(), first);
    EXPECT_EQ(first->Find("A").GetTypeText(), "boolean");
}

TEST_F(SettingDefinitionsTest, ReadsEveryTypeWord) {
    Define(R"({"b": {"type": "boolean"}, "lo": {"type": "limitsLow"}, "hi": {"type": "limitsHigh"},
              "p": {"type": "parameter"}, "s": {"type": "stringParameter"},
              "c": {"type": "combiningParameterLow"}, "range": {"type": "range"},
              "upper": {"type": "Boolean"}, "number": {"type": 1}, "none": {}})");
    const std::pair<const char*, eSettingType> cases[] = {
        {"b", eSettingType_Boolean},         {"lo", eSettingType_LimitsLow},
        {"hi", eSettingType_LimitsHigh},     {"p", eSettingType_Parameter},
        {"s", eSettingType_StringParameter}, {"c", eSettingType_CombiningParameterLow},
        {"range", eSettingType_Undefined},   {"upper", eSettingType_Undefined},
        {"number", eSettingType_Undefined},  {"none", eSettingType_Undefined},
    };
    for (const auto& [name, type] : cases) {
        EXPECT_TRUE(registry().Find(name).HasDefinition()) << name;
        EXPECT_EQ(registry().Find(name).GetType(), type) << name;
    }
}

TEST_F(SettingDefinitionsTest, NamesComeInByteOrderAndDefaultsAreShared) {
    Define(R"({"b": {}, "B": {}, "a": {}, "ab": {"defaults": {"sev": "warn"}}, "text": "boolean",
               "list": [{}, {}]})");
    std::vector<ustring> names = {"stale"};
    registry().GetNames(names);
    EXPECT_EQ(names, (std::vector<ustring>{"B", "a", "ab", "b", "list"}));
    const SettingDefinition undefined = registry().Find("A");
    EXPECT_FALSE(undefined.HasDefinition());
    EXPECT_EQ(undefined.GetType(), eSettingType_Undefined);
    EXPECT_EQ(undefined.GetDefaults(), nullptr);
    EXPECT_EQ(undefined.GetMinimumSeverity(), eProblemSeverity_Ignore);
    EXPECT_EQ(undefined.GetAlternateText(1), "");
    EXPECT_EQ(registry().Find("b").GetDefaults(), nullptr);
    const auto defaults = registry().Find("ab").GetDefaults();
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(defaults->value<ustring>("sev"), "warn");
    EXPECT_EQ(registry().Find("ab").GetDefaults(), defaults) << "shared, not copied";
}

TEST_F(SettingDefinitionsTest, ConflictsListTheStringsInOrder) {
    Define(R"({"Two": {"conflicts": ["X", "W"]}, "One": {"conflicts": "Y"},
              "Numbers": {"conflicts": [1, 2]}, "None": {}})");
    using Conflicts = SettingDefinitionsRegistry::ConflictMap;
    EXPECT_EQ(registry().GetConflicts(), (Conflicts{{"One", {"Y"}}, {"Two", {"X", "W"}}}));
}

TEST_F(SettingDefinitionsTest, MinimumSeverityKnowsIgnoreToFaultOnly) {
    Define(R"({"i": {"min_sev": "ignore"}, "n": {"min_sev": "note"}, "w": {"min_sev": "warn"},
              "f": {"min_sev": "fault"}, "d": {"min_sev": "dynamic"}, "x": {}})");
    const std::pair<const char*, eProblemSeverity> cases[] = {
        {"i", eProblemSeverity_Ignore}, {"n", eProblemSeverity_Note},
        {"w", eProblemSeverity_Warn},   {"f", eProblemSeverity_Fault},
        {"d", eProblemSeverity_Ignore}, {"x", eProblemSeverity_Ignore},
    };
    for (const auto& [name, severity] : cases)
        EXPECT_EQ(registry().Find(name).GetMinimumSeverity(), severity) << name;
    EXPECT_EQ(registry().Find("d").GetMinimumSeverityText(), "dynamic");
}

TEST_F(SettingDefinitionsTest, TextsAndAlternateTextFallbacks) {
    Define(R"({"Check": {"singleText": "one", "multiTextHeader": "head", "multiTextItem": "item",
                         "conflictText": "clash", "alternateText1": "alt one",
                         "alternateText3": "", "userUnits": true},
               "Bare": {"alternateText2": "alt two"}})");
    const SettingDefinition check = registry().Find("Check");
    EXPECT_EQ(check.GetSingleText() + check.GetMultiTextHeader() + check.GetConflictText() + "|" +
                  check.GetAlternateText(1) + "|" + check.GetAlternateText(2) + "|" +
                  check.GetAlternateText(3),
              "oneheadclash|alt one|item|");
    EXPECT_TRUE(check.HasSingleText() && check.HasMultiTextHeader() && check.UsesUserUnits());
    const SettingDefinition bare = registry().Find("Bare");
    EXPECT_FALSE(bare.HasSingleText() || bare.UsesUserUnits());
    EXPECT_EQ(bare.GetAlternateText(1) + "|" + bare.GetAlternateText(2), "|alt two");
}

} // namespace
