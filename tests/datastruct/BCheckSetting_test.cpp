#include "model/BCheckSetting.h"

#include "model/KeyStrings.h"
#include "support/CheckSettingTest.h"
#include "support/LogCapture.h"
#include "support/Test.h"

namespace {

using BCheckSettingTest = CheckSettingTest;

// A setting read in the current form from a JSON setting message.
BCheckSetting readCurrent(const char* name, const char* json) {
    BCheckSetting s(keystr::emptyName);
    EXPECT_TRUE(s.DeserialiseSetting2(name, WCheckSetting(readJson(json)))) << name << json;
    return s;
}

// A setting read in the older form from a JSON element of a ticket's "settings".
BCheckSetting readOlder(const char* json) {
    BCheckSetting s(keystr::emptyName);
    s.DeserialiseSetting(*readJson(json));
    return s;
}

// An unnamed setting of the type, filled through its setters.
BCheckSetting typed(eSettingType type) {
    BCheckSetting s(keystr::emptyName);
    s.SetType(type);
    return s;
}

// Name, type and precision, for comparing a construction in one expectation.
std::tuple<std::string, int, int> identity(const BCheckSetting& s) {
    return {s.GetName().toStdString(), s.GetType(), s.GetPrecision()};
}

TEST_F(BCheckSettingTest, ConstructionTakesTheDefinedTypeAndThePrecisionOfTheName) {
    // Without a registry no name is defined: the name is dropped.
    EXPECT_EQ(identity(BCheckSetting("PDFVersionTooLow")), std::tuple("", 0, 2));
    Define();
    EXPECT_EQ(identity(BCheckSetting("PDFVersionTooLow")),
              std::tuple("PDFVersionTooLow", eSettingType_LimitsLow, 1));
    EXPECT_EQ(BCheckSetting("ResTooLowContone").GetPrecision(), 0);
    EXPECT_EQ(identity(BCheckSetting("MaxPlates")), std::tuple("", 0, 2)) << "undefined";
}

TEST_F(BCheckSettingTest, CurrentFormSeverityFollowsTheType) {
    Define();
    const std::tuple<const char*, const char*, eProblemSeverity> cases[] = {
        // Limits settings take it from which limits they have, whatever the word.
        {"PDFVersionTooHigh", R"({"sev": "note", "fault": 1.5})", eProblemSeverity_Fault},
        {"PDFVersionTooHigh", R"({"sev": "fault", "note": 3})", eProblemSeverity_Note},
        {"PDFVersionTooHigh", R"({"sev": "fault", "ignore": 3})", eProblemSeverity_Ignore},
        {"PDFVersionTooHigh", R"({"warn": 2, "note": 1})", eProblemSeverity_Warn},
        {"MaxBlackOnText", R"({"sev": "fault", "ignore": 5})", eProblemSeverity_ParameterNotSet},
        {"MaxBlackOnText", R"({"note": 280})", eProblemSeverity_Parameter},
        // Boolean settings raise the words above fault to fault; no word keeps Ignore.
        {"Transparency", R"({"sev": "parameter"})", eProblemSeverity_Fault},
        {"Transparency", R"({"sev": "dynamic"})", eProblemSeverity_Fault},
        {"Transparency", R"({"sev": "note"})", eProblemSeverity_Note},
        {"Transparency", R"({"x": 1})", eProblemSeverity_Ignore},
        // String parameters without any parameter keep the word.
        {"Setting_ProcessProfile", R"({"sev": "warn"})", eProblemSeverity_Warn},
    };
    for (const auto& [name, json, severity] : cases)
        EXPECT_EQ(readCurrent(name, json).GetSeverity(), severity) << name << json;
    // The precision is the setting's own, 2 when it has none, whatever the name's.
    const BCheckSetting s = readCurrent("PDFVersionTooHigh", R"({"fault": 1.5, "warn": "x"})");
    EXPECT_EQ(std::tuple(s.GetLimit(eLimit_Fault), s.IsLimitNotSet(eLimit_Warn)),
              std::tuple(1.5, true));
    EXPECT_EQ(identity(s), std::tuple("PDFVersionTooHigh", eSettingType_LimitsHigh, 2));
}

TEST_F(BCheckSettingTest, CurrentFormReadsParametersPrecisionPVAndTheDefinitionsUnits) {
    Define();
    const BCheckSetting s = readCurrent("Setting_ProcessProfile",
                                        R"({"sev": "warn", "P": ["a.icc", "", "c.icc", "d"]})");
    EXPECT_EQ(s.GetStringParameter(0) + "|" + s.GetStringParameter(1) + "|" +
                  s.GetStringParameter(2),
              "a.icc||c.icc");
    EXPECT_FALSE(s.IsStringParameterNotSet(1));
    EXPECT_TRUE(s.IsStringParameterNotSet(3));
    EXPECT_EQ(s.GetSeverity(), eProblemSeverity_Parameter);
    for (const auto& [json, precision] :
         {std::pair("{}", 2), {R"({"precision": 1.9})", 1}, {R"({"precision": -3})", -3}})
        EXPECT_EQ(readCurrent("Transparency", json).GetPrecision(), precision) << json;
    EXPECT_TRUE(readCurrent("Transparency", "{}").IsPVNotSet());
    EXPECT_EQ(readCurrent("Transparency", R"({"PV": 2.5})").GetPV(), 2.5);
    const BCheckSetting textPV = readCurrent("Transparency", R"({"PV": "text"})");
    EXPECT_TRUE(!textPV.IsPVNotSet() && textPV.GetPV() == 0.0);
    EXPECT_TRUE(readCurrent("Setting_MinimumBleed", "{}").UsesUserUnits());
    EXPECT_FALSE(readCurrent("ResTooLowContone", R"({"UserUnit": true})").UsesUserUnits());
}

TEST_F(BCheckSettingTest, CurrentFormFailsWithoutRegistryOrDefinition) {
    const WCheckSetting setting(readJson(R"({"sev": "fault"})"));
    {
        LogCapture capture;
        BCheckSetting s(keystr::emptyName);
        EXPECT_FALSE(s.DeserialiseSetting2("Transparency", setting));
        EXPECT_EQ(capture.text(), "");
    }
    Define();
    LogCapture capture;
    BCheckSetting s(keystr::emptyName);
    EXPECT_FALSE(s.DeserialiseSetting2("NotDefined", setting));
    EXPECT_EQ(s.GetName(), "");
    EXPECT_EQ(s.GetSeverity(), eProblemSeverity_Ignore);
    EXPECT_EQ(capture.text(), "[2026-03-01T14:05:09][INFO][5120][old/Base/BCheckSetting:"
                              "BCheckSetting::DeserialiseSetting2:726] new setting not found\n");
    EXPECT_FALSE(s.DeserialiseSetting2("Transparency", WCheckSetting()));
}

TEST_F(BCheckSettingTest, OlderFormReadsItsOwnKeys) {
    const BCheckSetting s = readOlder(
        R"({"problem": "ResTooLowContone", "subtype": "eSettingType_LimitsLow",
            "severity": "eProblemSeverity_Note", "fault": 150, "warn": 200.5, "ignore": "x",
            "PV": 7, "precision": 1, "UserUnit": true})");
    EXPECT_EQ(identity(s), std::tuple("ResTooLowContone", eSettingType_LimitsLow, 1));
    EXPECT_EQ(s.GetSeverity(), eProblemSeverity_Fault);
    EXPECT_EQ(std::pair(s.GetLimit(eLimit_Fault), s.GetLimit(eLimit_Warn)),
              std::pair(150.0, 200.5));
    EXPECT_TRUE(s.IsLimitNotSet(eLimit_Note) && s.IsLimitNotSet(eLimit_Ignore));
    EXPECT_EQ(s.GetPV(), 7.0);
    EXPECT_TRUE(s.UsesUserUnits());
    const BCheckSetting bare = readOlder(R"({"problem": "Transparency"})");
    EXPECT_EQ(identity(bare), std::tuple("Transparency", eSettingType_Undefined, 0));
    EXPECT_FALSE(bare.UsesUserUnits() || !bare.IsPVNotSet());
    const BCheckSetting boolean = readOlder(
        R"({"problem": "X", "type": "eSettingType_Boolean", "severity": "eProblemSeverity_Parameter"})");
    EXPECT_EQ(std::pair(boolean.GetType(), boolean.GetSeverity()),
              std::pair(eSettingType_Boolean, eProblemSeverity_Fault));
    const BCheckSetting unknown =
        readOlder(R"({"problem": "X", "subtype": "eSettingType_boolean", "severity": "fault"})");
    EXPECT_EQ(std::pair(static_cast<int>(unknown.GetType()), unknown.GetSeverity()),
              std::pair(-1, eProblemSeverity_NotSet));
    const BCheckSetting strings = readOlder(
        R"({"problem": "X", "subtype": "eSettingType_StringParameter", "P0": "a", "P2": "c"})");
    EXPECT_EQ(strings.GetStringParameter(0) + strings.GetStringParameter(2), "ac");
    EXPECT_TRUE(strings.IsStringParameterNotSet(1));
    EXPECT_EQ(strings.GetSeverity(), eProblemSeverity_Parameter);
    EXPECT_EQ(readOlder(R"({"severity": "eProblemSeverity_Warn"})").GetName(), "");
    // The type and severity names match whole names only, up to the last of each table.
    EXPECT_EQ(std::tuple(ParseSettingType("eSettingType_CombiningParameterHigh"),
                         ParseSettingType("eSettingType_LimitsHighSeverity"),
                         ParseSettingType("eSettingType_Undefined"),
                         ParseSettingType("eSettingType_Boolean "), ParseSettingType("")),
              std::tuple(10, 8, 0, -1, -1));
    EXPECT_EQ(std::pair(ParseProblemSeverity("eProblemSeverity_ParameterNotSet"),
                        ParseProblemSeverity("eProblemSeverity_Ignore")),
              std::pair(eProblemSeverity_ParameterNotSet, eProblemSeverity_Ignore));
    // A defined name takes the definition's type whatever the element says.
    Define();
    EXPECT_EQ(
        readOlder(R"({"problem": "Transparency", "subtype": "eSettingType_LimitsHigh"})").GetType(),
        eSettingType_Boolean);
}

TEST_F(BCheckSettingTest, EvaluateGivesTheFirstCrossedLimitOfFaultWarnNoteIgnore) {
    Define();
    const char* versions = R"({"fault": 1.5, "warn": 1.4, "precision": 1})";
    const char* resolution = R"({"fault": 300, "precision": 0})";
    const std::tuple<const char*, const char*, double, eProblemSeverity, double> cases[] = {
        // name, setting, value, severity, crossed limit (-1: none)
        {"PDFVersionTooHigh", versions, 999.9, eProblemSeverity_Fault, 1.5},
        // 1.46 rounds to 1.5, which equals the fault limit and crosses the warn limit.
        {"PDFVersionTooHigh", versions, 1.46, eProblemSeverity_Warn, 1.4},
        {"PDFVersionTooHigh", versions, 1.44, eProblemSeverity_Ignore, -1},
        {"PDFVersionTooHigh", R"({"ignore": 1})", 999.9, eProblemSeverity_Ignore, 1},
        {"PDFVersionTooHigh", R"({"ignore": 1})", -999.9, eProblemSeverity_Ignore, -1},
        {"Transparency", R"({"sev": "fault"})", 1e9, eProblemSeverity_Ignore, -1},
        // Both round to 300 at precision 0; halves round up.
        {"ResTooLowContone", resolution, 299.6, eProblemSeverity_Ignore, -1},
        {"ResTooLowContone", resolution, 299.5, eProblemSeverity_Ignore, -1},
        {"ResTooLowContone", resolution, 299.4, eProblemSeverity_Fault, 300},
        // Past what a double holds the values compare unrounded; rounded to 10^308 a limit
        // near the top of the range stays above 0.
        {"ResTooLowContone", R"({"fault": 300, "precision": 1e300})", 299.6, eProblemSeverity_Fault,
         300},
        {"ResTooLowContone", R"({"fault": 1.7e308, "precision": -1e300})", 0.0,
         eProblemSeverity_Fault, 1.7e308},
        // In user units: 72 pt is 25.40 mm, 71.99 pt shows as 25.40 and 71.97 pt as 25.39.
        {"Setting_MinimumBleed", R"({"fault": 72})", 71.99, eProblemSeverity_Ignore, -1},
        {"Setting_MinimumBleed", R"({"fault": 72})", 71.97, eProblemSeverity_Fault, 72},
    };
    for (const auto& [name, json, value, severity, limit] : cases) {
        double crossed = -1;
        EXPECT_EQ(readCurrent(name, json).Evaluate(value, &crossed), severity) << json << value;
        EXPECT_EQ(crossed, limit) << json << " at " << value;
    }
}

TEST_F(BCheckSettingTest, InactiveSettingReportsWarnAndFaultAsNote) {
    BCheckSetting s = typed(eSettingType_LimitsHigh);
    s.SetLimit(eLimit_Fault, 1.0);
    EXPECT_TRUE(s.IsProblem());
    s.SetActive(false);
    EXPECT_EQ(s.GetSeverity(), eProblemSeverity_Fault);
    EXPECT_EQ(s.GetReportedSeverity(), eProblemSeverity_Note);
    EXPECT_FALSE(s.IsProblem());
    s.ClearLimit(eLimit_Fault);
    EXPECT_EQ(s.GetReportedSeverity(), eProblemSeverity_Ignore);
    // Indices outside the four limits and parameters are ignored.
    BCheckSetting low = typed(eSettingType_LimitsLow);
    low.SetLimit(4, 1.0);
    low.SetLimit(-1, 1.0);
    low.SetStringParameter(4, "x");
    EXPECT_TRUE(low.IsLimitNotSet(4) && low.GetLimit(-1) == 0.0 && low.IsStringParameterNotSet(4));
    EXPECT_EQ(low.GetSeverity(), eProblemSeverity_Ignore);
}

TEST_F(BCheckSettingTest, AssigningASettingWhoseParameterIsUnsetEmptiesTheTargetsText) {
    Define();
    const BCheckSetting source = readCurrent("Setting_ProcessProfile", R"({"P": ["a", "b"]})");
    BCheckSetting target = readCurrent("Setting_ProcessProfile", R"({"P": ["x", "y", "z"]})");
    target = source;
    EXPECT_EQ(target.GetStringParameter(1), "b");
    EXPECT_TRUE(target.IsStringParameterNotSet(2));
    EXPECT_EQ(target.GetStringParameter(2), "");
}

TEST_F(BCheckSettingTest, LimitsPropagateOverLinksWhichCopiesDoNotTake) {
    BCheckSetting low = typed(eSettingType_LimitsLow);
    BCheckSetting high = typed(eSettingType_LimitsHigh);
    high.SetLimit(eLimit_Fault, 80.0);
    high.SetLimit(eLimit_Warn, 120.0);
    BCheckSetting parameter = typed(eSettingType_Parameter);
    parameter.SetLimit(eLimit_Note, 50.0);
    low.SetLinks(&high, &parameter);
    low.SetLimit(eLimit_Warn, 100.0);
    EXPECT_EQ(high.GetLimit(eLimit_Fault), 100.0); // raised to the low warn limit
    EXPECT_EQ(high.GetLimit(eLimit_Warn), 120.0);
    EXPECT_EQ(parameter.GetLimit(eLimit_Note), 100.0);
    BCheckSetting copy(low);
    copy.SetLimit(eLimit_Warn, 200.0);
    BCheckSetting assigned = typed(eSettingType_LimitsLow);
    assigned.SetLinks(&high, nullptr);
    assigned = low;
    assigned.SetLimit(eLimit_Warn, 300.0);
    EXPECT_EQ(high.GetLimit(eLimit_Fault), 100.0);
}

TEST_F(BCheckSettingTest, ASettingAssignedToItselfKeepsItsLinksAndValues) {
    BCheckSetting low = typed(eSettingType_LimitsLow);
    low.SetLimit(eLimit_Fault, 60.0);
    BCheckSetting high = typed(eSettingType_LimitsHigh);
    high.SetLimit(eLimit_Fault, 80.0);
    low.SetLinks(&high, nullptr);
    const BCheckSetting& itself = low;
    low = itself;
    EXPECT_EQ(std::tuple(low.GetType(), low.GetSeverity(), low.GetLimit(eLimit_Fault)),
              std::tuple(eSettingType_LimitsLow, eProblemSeverity_Fault, 60.0));
    low.SetLimit(eLimit_Warn, 100.0);
    EXPECT_EQ(high.GetLimit(eLimit_Fault), 100.0); // still raised over the link
}

TEST_F(BCheckSettingTest, ActivityPropagatesBetweenLinkedBooleans) {
    // Two Boolean Fault settings linked to each other: when one becomes a problem, the other
    // is made inactive.
    const BCheckSetting faulty = readOlder(
        R"({"problem": "X", "type": "eSettingType_Boolean", "severity": "eProblemSeverity_Fault"})");
    BCheckSetting trigger(faulty);
    BCheckSetting follower(faulty);
    follower.SetLinks(&trigger, nullptr);
    trigger.SetLinks(&follower, nullptr);
    trigger.SetStringParameter(0, "on");
    EXPECT_FALSE(follower.IsActive());
    EXPECT_EQ(follower.GetReportedSeverity(), eProblemSeverity_Note);
    // Once the trigger is no problem, the follower is active again.
    trigger.SetActive(false);
    trigger.SetStringParameter(0, "off");
    EXPECT_TRUE(follower.IsActive());
    EXPECT_EQ(follower.GetReportedSeverity(), eProblemSeverity_Fault);
    // A setting linked to itself leaves its own activity alone.
    BCheckSetting self(faulty);
    self.SetLinks(&self, nullptr);
    self.SetStringParameter(0, "on");
    EXPECT_TRUE(self.IsActive());
}

} // namespace
