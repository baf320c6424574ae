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

// Type words match exactly; a minimum severity other than ignore to fault counts as ignore.
TEST_F(SettingDefinitionsTest, ReadsTheTypeAndMinimumSeverityWords) {
    Define(R"({"b": {"type": "boolean", "min_sev": "ignore"}, "lo": {"type": "limitsLow",
              "min_sev": "note"}, "hi": {"type": "limitsHigh", "min_sev": "fault"},
              "p": {"type": "parameter", "min_sev": "dynamic"}, "s": {"type": "stringParameter"},
              "c": {"type": "combiningParameterLow", "min_sev": "warn"}, "range": {"type": "range"},
              "upper": {"type": "Boolean"}, "number": {"type": 1}, "none": {}})");
    const std::tuple<const char*, eSettingType, eProblemSeverity> cases[] = {
        {"b", eSettingType_Boolean, eProblemSeverity_Ignore},
        {"lo", eSettingType_LimitsLow, eProblemSeverity_Note},
        {"hi", eSettingType_LimitsHigh, eProblemSeverity_Fault},
        {"p", eSettingType_Parameter, eProblemSeverity_Ignore},
        {"s", eSettingType_StringParameter, eProblemSeverity_Ignore},
        {"c", eSettingType_CombiningParameterLow, eProblemSeverity_Warn},
        {"range", eSettingType_Undefined, eProblemSeverity_Ignore},
        {"upper", eSettingType_Undefined, eProblemSeverity_Ignore},
        {"number", eSettingType_Undefined, eProblemSeverity_Ignore},
        {"none", eSettingType_Undefined, eProblemSeverity_Ignore}};
    for (const auto& [name, type, severity] : cases) {
        const SettingDefinition definition = registry().Find(name);
        EXPECT_TRUE(definition.HasDefinition()) << name;
        EXPECT_EQ(std::pair(definition.GetType(), definition.GetMinimumSeverity()),
                  std::pair(type, severity))
            << name;
    }
    EXPECT_EQ(registry().Find("p").GetMinimumSeverityText(), "dynamic");
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
