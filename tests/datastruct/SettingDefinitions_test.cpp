// Tests of the setting definitions, the build-once registry and the default-settings message.
#include "SettingDefinitions.h"

#include "CheckSettingTestDefinitions.h"

#include <string>
#include <vector>

namespace {

using SettingDefinitionsTest = CheckSettingTest;

TEST_F(SettingDefinitionsTest, RegistryIsNotBuiltWhileTheDefaultSettingsAreEmpty) {
    EXPECT_EQ(SettingDefinitionsRegistry::Instance(), nullptr);
    EXPECT_EQ(GetDefinedType("Transparency"), eSettingType_Undefined);
    Define();
    EXPECT_NE(SettingDefinitionsRegistry::Instance(), nullptr);
    EXPECT_EQ(GetDefinedType("Transparency"), eSettingType_Boolean);
}

TEST_F(SettingDefinitionsTest, RegistryIsBuiltOnceFromTheFirstNonEmptyDefinitions) {
    Define(R"({"A": {"type": "boolean"}, "B": {"type": "limitsLow"}})");
    const SettingDefinitionsRegistry* first = SettingDefinitionsRegistry::Instance();
    ASSERT_NE(first, nullptr);

    Define(R"({"C": {"type": "limitsHigh"}})");
    EXPECT_EQ(SettingDefinitionsRegistry::Instance(), first);
    EXPECT_EQ(first->Find("A").GetType(), eSettingType_Boolean);
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
    const SettingDefinitionsRegistry& registry = *SettingDefinitionsRegistry::Instance();
    const std::pair<const char*, eSettingType> cases[] = {
        {"b", eSettingType_Boolean},         {"lo", eSettingType_LimitsLow},
        {"hi", eSettingType_LimitsHigh},     {"p", eSettingType_Parameter},
        {"s", eSettingType_StringParameter}, {"c", eSettingType_CombiningParameterLow},
        {"range", eSettingType_Undefined},   {"upper", eSettingType_Undefined},
        {"number", eSettingType_Undefined},  {"none", eSettingType_Undefined},
    };
    for (const auto& [name, type] : cases) {
        EXPECT_TRUE(registry.Find(name).HasDefinition()) << name;
        EXPECT_EQ(registry.Find(name).GetType(), type) << name;
    }
}

TEST_F(SettingDefinitionsTest, UndefinedNameHasTypeZeroAndNoDefaults) {
    Define();
    const SettingDefinition undefined = SettingDefinitionsRegistry::Instance()->Find("Nothing");
    EXPECT_FALSE(undefined.HasDefinition());
    EXPECT_EQ(undefined.GetType(), eSettingType_Undefined);
    EXPECT_EQ(undefined.GetDefaults(), nullptr);
    EXPECT_FALSE(undefined.UsesUserUnits());
    EXPECT_EQ(undefined.GetMinimumSeverity(), eProblemSeverity_Ignore);
    EXPECT_EQ(undefined.GetMinimumSeverityText(), "");
    EXPECT_EQ(undefined.GetAlternateText(1), "");
    EXPECT_FALSE(undefined.HasSingleText());
}

TEST_F(SettingDefinitionsTest, EntriesThatAreNoChildMessageAreSkipped) {
    Define(R"({"text": "boolean", "list": [{"type": "boolean"}], "ok": {"type": "boolean"}})");
    std::vector<ustring> names = {"stale"};
    SettingDefinitionsRegistry::Instance()->GetNames(names);
    EXPECT_EQ(names, (std::vector<ustring>{"list", "ok"}));
}

TEST_F(SettingDefinitionsTest, NamesComeInByteOrder) {
    Define(R"({"b": {}, "B": {}, "a": {}, "ab": {}})");
    std::vector<ustring> names;
    SettingDefinitionsRegistry::Instance()->GetNames(names);
    EXPECT_EQ(names, (std::vector<ustring>{"B", "a", "ab", "b"}));
    EXPECT_FALSE(SettingDefinitionsRegistry::Instance()->Find("A").HasDefinition());
}

TEST_F(SettingDefinitionsTest, ConflictsListTheStringsInOrder) {
    Define(R"({"Two": {"conflicts": ["X", "W"]}, "One": {"conflicts": "Y"},
              "Numbers": {"conflicts": [1, 2]}, "None": {}})");
    const auto& conflicts = SettingDefinitionsRegistry::Instance()->GetConflicts();
    ASSERT_EQ(conflicts.size(), 2u);
    EXPECT_EQ(conflicts[0].first, "One");
    EXPECT_EQ(conflicts[0].second, (std::vector<ustring>{"Y"}));
    EXPECT_EQ(conflicts[1].first, "Two");
    EXPECT_EQ(conflicts[1].second, (std::vector<ustring>{"X", "W"}));
}

TEST_F(SettingDefinitionsTest, DefaultsAreSharedWithTheDefinition) {
    Define();
    const SettingDefinition d = SettingDefinitionsRegistry::Instance()->Find("Transparency");
    const auto defaults = d.GetDefaults();
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(defaults->value<ustring>("sev"), "warn");
    EXPECT_EQ(d.GetDefaults(), defaults);
    EXPECT_EQ(SettingDefinitionsRegistry::Instance()->Find("ResTooLowContone").GetDefaults(),
              nullptr);
}

TEST_F(SettingDefinitionsTest, MinimumSeverityKnowsIgnoreToFaultOnly) {
    Define(R"({"i": {"min_sev": "ignore"}, "n": {"min_sev": "note"}, "w": {"min_sev": "warn"},
              "f": {"min_sev": "fault"}, "d": {"min_sev": "dynamic"}, "x": {}})");
    const SettingDefinitionsRegistry& registry = *SettingDefinitionsRegistry::Instance();
    EXPECT_EQ(registry.Find("i").GetMinimumSeverity(), eProblemSeverity_Ignore);
    EXPECT_EQ(registry.Find("n").GetMinimumSeverity(), eProblemSeverity_Note);
    EXPECT_EQ(registry.Find("w").GetMinimumSeverity(), eProblemSeverity_Warn);
    EXPECT_EQ(registry.Find("f").GetMinimumSeverity(), eProblemSeverity_Fault);
    EXPECT_EQ(registry.Find("d").GetMinimumSeverity(), eProblemSeverity_Ignore);
    EXPECT_EQ(registry.Find("d").GetMinimumSeverityText(), "dynamic");
    EXPECT_EQ(registry.Find("x").GetMinimumSeverity(), eProblemSeverity_Ignore);
}

TEST_F(SettingDefinitionsTest, TextsAndAlternateTextFallbacks) {
    Define(R"({"Check": {"singleText": "one", "multiTextHeader": "head", "multiTextItem": "item",
                         "conflictText": "clash", "alternateText1": "alt one",
                         "alternateText3": "", "userUnits": true},
               "Bare": {"alternateText2": "alt two"}})");
    const SettingDefinition check = SettingDefinitionsRegistry::Instance()->Find("Check");
    EXPECT_EQ(check.GetSingleText(), "one");
    EXPECT_EQ(check.GetMultiTextHeader(), "head");
    EXPECT_EQ(check.GetMultiTextItem(), "item");
    EXPECT_EQ(check.GetConflictText(), "clash");
    EXPECT_TRUE(check.HasSingleText());
    EXPECT_TRUE(check.HasMultiTextHeader());
    EXPECT_TRUE(check.UsesUserUnits());
    EXPECT_EQ(check.GetAlternateText(1), "alt one");
    EXPECT_EQ(check.GetAlternateText(2), "item");
    EXPECT_EQ(check.GetAlternateText(3), "");

    const SettingDefinition bare = SettingDefinitionsRegistry::Instance()->Find("Bare");
    EXPECT_FALSE(bare.HasSingleText());
    EXPECT_FALSE(bare.UsesUserUnits());
    EXPECT_EQ(bare.GetAlternateText(1), "");
    EXPECT_EQ(bare.GetAlternateText(2), "alt two");
}

} // namespace
