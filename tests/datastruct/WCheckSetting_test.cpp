#include "model/WCheckSetting.h"

#include "support/CheckSettingTest.h"
#include "support/Test.h"

namespace {

WCheckSetting setting(const std::string& json) {
    return WCheckSetting(readJson(json));
}

// The compact JSON text of a setting's message, or "none".
std::string text(const WCheckSetting& s) {
    return s.HasMessage() ? compactJson(*s.GetMessage()) : "none";
}

TEST(CompareSeverityWords, RanksIgnoreNoteWarnFaultAndNothingElse) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"fault", "warn", 1}, {"warn", "fault", -1},   {"ignore", "fault", -3},
        {"fault", "", 4},     {"note", "note", 0},     {"dynamic", "", 0},
        {"parameter", "", 0}, {"Fault", "ignore", -1}, {"ignore", "parameterNotSet", 1},
    };
    for (const auto& [a, b, rank] : cases)
        EXPECT_EQ(CompareSeverityWords(a, b), rank) << a << " vs " << b;
}

TEST(WCheckSetting, ReadsEverySeverityWordAndNothingElse) {
    const char* words[] = {"",      "ignore",  "note",      "warn",
                           "fault", "dynamic", "parameter", "parameterNotSet"};
    for (int value = 1; value < 8; ++value) {
        const std::string json = std::string(R"({"sev": ")") + words[value] + "\"}";
        EXPECT_EQ(setting(json).GetSeverity(), value) << json;
    }
    for (const char* json : {R"({"sev": "Warn"})", R"({"sev": ""})", R"({"sev": 3})", "{}"})
        EXPECT_EQ(setting(json).GetSeverity(), eProblemSeverity_NotSet) << json;
    EXPECT_EQ(WCheckSetting().GetSeverity(), eProblemSeverity_NotSet) << "no message";
    EXPECT_EQ(WCheckSetting().GetSeverityText(), "");
}

TEST(WCheckSetting, ReadsLimitsOfAnyNumberTypeAndParametersByIndex) {
    auto message = std::make_shared<umessage>();
    message->add<int>("note", umessage_details::type_int, 100);
    message->add<long long>("fault", umessage_details::type_int64, 5000000000LL);
    message->add<double>("ignore", umessage_details::type_double, 2.5);
    message->add<ustring>("warn", umessage_details::type_string, "250");
    message->add<ustring>("P", umessage_details::type_string, "a", true);
    message->add<ustring>("P", umessage_details::type_string, "");
    const WCheckSetting s{std::shared_ptr<const umessage>(message)};
    const std::tuple<int, double, bool> limits[] = {
        {eLimit_Note, 100.0, false},
        {eLimit_Fault, 5e9, false},
        {eLimit_Ignore, 2.5, false},
        // A limit held as a string counts as not set; so does an index past the four limits.
        {eLimit_Warn, 0.0, true},
        {4, 0.0, true},
    };
    for (const auto& [index, value, notSet] : limits) {
        EXPECT_EQ(s.GetLimit(index), value) << index;
        EXPECT_EQ(s.IsLimitNotSet(index), notSet) << index;
        EXPECT_TRUE(WCheckSetting().IsLimitNotSet(index) && WCheckSetting().GetLimit(index) == 0.0);
    }
    EXPECT_EQ(s.GetParameter(0) + "|" + s.GetParameter(1), "a|");
    EXPECT_FALSE(s.IsParameterNotSet(1));
    EXPECT_TRUE(s.IsParameterNotSet(2) && WCheckSetting().IsParameterNotSet(0));
}

using CombineSettingsTest = CheckSettingTest;

TEST_F(CombineSettingsTest, MergesByTheDefinedTypeOfTheCheck) {
    Define();
    // name, the settings as a JSON array, the merged setting
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // Boolean: the most severe word on a copy of its message; ties keep the earlier one.
        {"Transparency", R"([{"sev": "warn", "y": 1}, {"sev": "fault", "x": 2}])",
         R"({"sev":"fault","x":2})"},
        {"Transparency", R"([{"sev": "warn", "a": 1}, {"sev": "warn", "b": 2}])",
         R"({"a":1,"sev":"warn"})"},
        // A "fix" bit anywhere lowers a fault to a warning and is kept; bit 0 alone counts.
        {"Transparency", R"([{"sev": "warn", "fix": 1}, {"sev": "fault"}])",
         R"({"fix":1,"sev":"warn"})"},
        {"Transparency", R"([{"sev": "warn"}, {"sev": "fault", "fix": 3}])",
         R"({"fix":1,"sev":"warn"})"},
        {"Transparency", R"([{"sev": "note", "fix": 2}, {"sev": "fault"}])", R"({"sev":"fault"})"},
        {"Transparency", R"([{"fix": 1}, {"sev": "dynamic"}])", "none"},
        // LimitsHigh: the smallest limits, on the message that brought the most severe key.
        {"PDFVersionTooHigh",
         R"([{"sev": "note", "fault": 300, "warn": 250, "ignore": 9}, {"fault": 200, "other": true}])",
         R"({"fault":200,"ignore":9,"sev":"fault","warn":250})"},
        // LimitsLow: the largest limits; a later setting wins only with a more severe key.
        {"ResTooLowContone", R"([{"note": 100}, {"note": 150, "ignore": 50}])",
         R"({"note":150,"sev":"note"})"},
        {"ResTooLowContone", R"([{"note": 100, "a": 1}, {"warn": 90, "b": 2}])",
         R"({"b":2,"note":100,"sev":"warn","warn":90})"},
        // "fix" stays unless the merged word is "fault".
        {"ResTooLowContone", R"([{"warn": 200, "fix": 1}, {"fault": 150}])",
         R"({"fault":150,"sev":"fault","warn":200})"},
        {"ResTooLowContone", R"([{"warn": 200}, {"note": 250, "fix": 1}])",
         R"({"fix":1,"note":250,"sev":"warn","warn":200})"},
        {"ResTooLowContone", R"([{"sev": "fault", "ignore": 3}, {}])", "none"},
        {"MaxBlackOnText", R"([{}, {"P": 1}])", "none"},
        // Combining parameters, undefined names and empty lists never merge.
        {"InkWeightTAC", R"([{"note": 280}, {"note": 300}])", "none"},
        {"Unknown", R"([{"sev": "warn"}, {"sev": "fault"}])", "none"},
        {"Transparency", R"([])", "none"},
    };
    for (const auto& [name, array, expected] : cases) {
        const auto list = readJson("{\"s\": " + std::string(array) + "}");
        std::vector<WCheckSetting> settings;
        std::shared_ptr<const umessage> element;
        for (uint64_t i = 0; list->get("s", i, element); ++i)
            settings.push_back(WCheckSetting(element));
        EXPECT_EQ(text(CombineSettings(name, settings)), expected) << name << " " << array;
    }
    // Merged limits are doubles on a copy; other numbers keep their type.
    const auto first = readJson(R"({"sev": "note", "fault": 300, "ignore": 9})");
    const WCheckSetting merged =
        CombineSettings("PDFVersionTooHigh", {WCheckSetting(first), setting(R"({"fault": 2})")});
    EXPECT_NE(merged.GetMessage(), first);
    EXPECT_TRUE(merged.GetMessage()->has("fault", umessage_details::type_double, 0));
    EXPECT_TRUE(merged.GetMessage()->has("ignore", umessage_details::type_int, 0));
}

TEST_F(CombineSettingsTest, ASingleSettingOrTheFirstParameterSettingIsSharedAsItIs) {
    const WCheckSetting alone = setting(R"({"sev": "dynamic"})");
    EXPECT_EQ(CombineSettings("Transparency", {alone}).GetMessage(), alone.GetMessage());
    // Several settings need a registry.
    EXPECT_EQ(text(CombineSettings("Transparency", {alone, alone})), "none");
    Define();
    EXPECT_EQ(CombineSettings("InkWeightTAC", {alone}).GetMessage(), alone.GetMessage());
    const WCheckSetting withParameter = setting(R"({"P": ["", "b"]})");
    EXPECT_EQ(CombineSettings("Setting_ProcessProfile", {setting(R"({"sev": "fault"})"),
                                                         withParameter, setting(R"({"P": "c"})")})
                  .GetMessage(),
              withParameter.GetMessage());
}

} // namespace
