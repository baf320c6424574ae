// Tests of the setting-message wrapper, the severity words and the merges of several settings.
#include "WCheckSetting.h"

#include "CheckSettingTestDefinitions.h"
#include "umessage_write.h"

#include <sstream>
#include <string>

namespace {

WCheckSetting setting(const char* json) {
    return WCheckSetting(readJson(json));
}

// The compact JSON text of a setting's message, or "none".
std::string text(const WCheckSetting& s) {
    if (!s.HasMessage())
        return "none";
    std::ostringstream out;
    s.GetMessage()->write(out);
    return out.str();
}

TEST(CompareSeverityWords, RanksIgnoreNoteWarnFaultAndNothingElse) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"fault", "warn", 1}, {"warn", "fault", -1},   {"ignore", "fault", -3},
        {"fault", "", 4},     {"note", "note", 0},     {"dynamic", "", 0},
        {"parameter", "", 0}, {"Fault", "ignore", -1}, {"ignore", "parameterNotSet", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareSeverityWords(c.a, c.b), c.expected) << c.a << " vs " << c.b;
}

TEST(WCheckSetting, ReadsEverySeverityWordAndNothingElse) {
    struct Case {
        const char* json;
        eProblemSeverity expected;
    } cases[] = {
        {R"({"sev": "ignore"})", eProblemSeverity_Ignore},
        {R"({"sev": "note"})", eProblemSeverity_Note},
        {R"({"sev": "warn"})", eProblemSeverity_Warn},
        {R"({"sev": "fault"})", eProblemSeverity_Fault},
        {R"({"sev": "dynamic"})", eProblemSeverity_Dynamic},
        {R"({"sev": "parameter"})", eProblemSeverity_Parameter},
        {R"({"sev": "parameterNotSet"})", eProblemSeverity_ParameterNotSet},
        {R"({"sev": "Warn"})", eProblemSeverity_NotSet},
        {R"({"sev": ""})", eProblemSeverity_NotSet},
        {R"({"sev": 3})", eProblemSeverity_NotSet},
        {R"({})", eProblemSeverity_NotSet},
    };
    for (const Case& c : cases)
        EXPECT_EQ(setting(c.json).GetSeverity(), c.expected) << c.json;
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

    EXPECT_EQ(s.GetLimit(eLimit_Note), 100.0);
    EXPECT_EQ(s.GetLimit(eLimit_Fault), 5e9);
    EXPECT_EQ(s.GetLimit(eLimit_Ignore), 2.5);
    EXPECT_FALSE(s.IsLimitNotSet(eLimit_Note));
    EXPECT_FALSE(s.IsLimitNotSet(eLimit_Fault));
    EXPECT_FALSE(s.IsLimitNotSet(eLimit_Ignore));
    // A limit held as a string counts as not set.
    EXPECT_TRUE(s.IsLimitNotSet(eLimit_Warn));
    EXPECT_EQ(s.GetLimit(eLimit_Warn), 0.0);
    EXPECT_TRUE(s.IsLimitNotSet(4));
    EXPECT_EQ(s.GetLimit(4), 0.0);

    EXPECT_EQ(s.GetParameter(0), "a");
    EXPECT_FALSE(s.IsParameterNotSet(1));
    EXPECT_EQ(s.GetParameter(1), "");
    EXPECT_TRUE(s.IsParameterNotSet(2));
}

TEST(WCheckSetting, WithoutMessageReadsAsEmpty) {
    const WCheckSetting none;
    EXPECT_EQ(none.GetSeverity(), eProblemSeverity_NotSet);
    EXPECT_EQ(none.GetSeverityText(), "");
    EXPECT_TRUE(none.IsLimitNotSet(eLimit_Fault));
    EXPECT_EQ(none.GetLimit(eLimit_Fault), 0.0);
    EXPECT_TRUE(none.IsParameterNotSet(0));
    EXPECT_EQ(none.GetMessage(), nullptr);
}

TEST(WCheckSetting, CopiesShareTheMessage) {
    const WCheckSetting original = setting(R"({"sev": "warn"})");
    const WCheckSetting copy(original);
    EXPECT_EQ(copy.GetMessage(), original.GetMessage());
}

using CombineSettingsTest = CheckSettingTest;

TEST_F(CombineSettingsTest, BooleanTakesTheMostSevereWordOnACopyOfItsMessage) {
    Define();
    const auto second = readJson(R"({"sev": "fault", "x": 2})");
    const WCheckSetting merged = CombineSettings(
        "Transparency", {setting(R"({"sev": "warn", "y": 1})"), WCheckSetting(second)});
    EXPECT_EQ(text(merged), R"({"sev":"fault","x":2})");
    EXPECT_NE(merged.GetMessage(), second);
}

TEST_F(CombineSettingsTest, BooleanFixLowersFaultToWarnAndIsKept) {
    Define();
    const char* expected = R"({"fix":1,"sev":"warn"})";
    EXPECT_EQ(text(CombineSettings("Transparency", {setting(R"({"sev": "warn", "fix": 1})"),
                                                    setting(R"({"sev": "fault"})")})),
              expected);
    EXPECT_EQ(text(CombineSettings("Transparency", {setting(R"({"sev": "warn"})"),
                                                    setting(R"({"sev": "fault", "fix": 3})")})),
              expected);
    // An even "fix" has bit 0 clear and is dropped.
    EXPECT_EQ(text(CombineSettings("Transparency", {setting(R"({"sev": "note", "fix": 2})"),
                                                    setting(R"({"sev": "fault"})")})),
              R"({"sev":"fault"})");
}

TEST_F(CombineSettingsTest, BooleanTieKeepsTheEarlierSetting) {
    Define();
    EXPECT_EQ(text(CombineSettings("Transparency", {setting(R"({"sev": "warn", "a": 1})"),
                                                    setting(R"({"sev": "warn", "b": 2})")})),
              R"({"a":1,"sev":"warn"})");
}

TEST_F(CombineSettingsTest, BooleanWithoutRankedWordGivesNoSettingUnlessAlone) {
    Define();
    EXPECT_EQ(text(CombineSettings("Transparency",
                                   {setting(R"({"fix": 1})"), setting(R"({"sev": "dynamic"})")})),
              "none");
    const WCheckSetting alone = setting(R"({"sev": "dynamic"})");
    EXPECT_EQ(CombineSettings("Transparency", {alone}).GetMessage(), alone.GetMessage());
}

TEST_F(CombineSettingsTest, LimitsHighTakesTheSmallestLimitsOnTheFirstMessage) {
    Define();
    const WCheckSetting merged = CombineSettings(
        "PDFVersionTooHigh", {setting(R"({"sev": "note", "fault": 300, "warn": 250, "ignore": 9})"),
                              setting(R"({"fault": 200, "other": true})")});
    EXPECT_EQ(text(merged), R"({"fault":200,"ignore":9,"sev":"fault","warn":250})");
    // The merged limits are doubles; the untouched "ignore" keeps its int.
    EXPECT_TRUE(merged.GetMessage()->has("fault", umessage_details::type_double, 0));
    EXPECT_TRUE(merged.GetMessage()->has("warn", umessage_details::type_double, 0));
    EXPECT_TRUE(merged.GetMessage()->has("ignore", umessage_details::type_int, 0));
}

TEST_F(CombineSettingsTest, LimitsLowTakesTheLargestLimitsOnTheWinnersMessage) {
    Define();
    EXPECT_EQ(
        text(CombineSettings("ResTooLowContone", {setting(R"({"note": 100})"),
                                                  setting(R"({"note": 150, "ignore": 50})")})),
        R"({"note":150,"sev":"note"})");
    // The later setting wins when it brings a more severe key.
    EXPECT_EQ(text(CombineSettings("ResTooLowContone", {setting(R"({"note": 100, "a": 1})"),
                                                        setting(R"({"warn": 90, "b": 2})")})),
              R"({"b":2,"note":100,"sev":"warn","warn":90})");
}

TEST_F(CombineSettingsTest, LimitsKeepFixUnlessTheWordIsFault) {
    Define();
    EXPECT_EQ(text(CombineSettings("ResTooLowContone", {setting(R"({"warn": 200, "fix": 1})"),
                                                        setting(R"({"fault": 150})")})),
              R"({"fault":150,"sev":"fault","warn":200})");
    EXPECT_EQ(text(CombineSettings("ResTooLowContone", {setting(R"({"warn": 200})"),
                                                        setting(R"({"note": 250, "fix": 1})")})),
              R"({"fix":1,"note":250,"sev":"warn","warn":200})");
}

TEST_F(CombineSettingsTest, LimitsWithoutAnyLimitGiveNoSetting) {
    Define();
    EXPECT_EQ(text(CombineSettings("ResTooLowContone",
                                   {setting(R"({"sev": "fault", "ignore": 3})"), setting("{}")})),
              "none");
}

TEST_F(CombineSettingsTest, ParametersTakeTheFirstSettingWithAParameter) {
    Define();
    const WCheckSetting withParameter = setting(R"({"P": ["", "b"]})");
    const WCheckSetting merged =
        CombineSettings("Setting_ProcessProfile",
                        {setting(R"({"sev": "fault"})"), withParameter, setting(R"({"P": "c"})")});
    EXPECT_EQ(merged.GetMessage(), withParameter.GetMessage());
    EXPECT_EQ(text(CombineSettings("MaxBlackOnText", {setting("{}"), setting(R"({"P": 1})")})),
              "none");
}

TEST_F(CombineSettingsTest, CombiningParameterLowCombinesOnlyASingleSetting) {
    Define();
    const WCheckSetting first = setting(R"({"note": 280})");
    EXPECT_EQ(text(CombineSettings("InkWeightTAC", {first, setting(R"({"note": 300})")})), "none");
    EXPECT_EQ(CombineSettings("InkWeightTAC", {first}).GetMessage(), first.GetMessage());
}

TEST_F(CombineSettingsTest, SeveralSettingsNeedARegistryAndADefinition) {
    const std::vector<WCheckSetting> two = {setting(R"({"sev": "warn"})"),
                                            setting(R"({"sev": "fault"})")};
    EXPECT_EQ(text(CombineSettings("Transparency", two)), "none");
    Define();
    EXPECT_EQ(text(CombineSettings("Unknown", two)), "none");
    EXPECT_EQ(text(CombineSettings("Transparency", {})), "none");
}

} // namespace
