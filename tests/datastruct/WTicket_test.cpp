#include "model/WTicket.h"

#include "model/KeyStrings.h"
#include "support/CheckSettingTest.h"
#include "support/Test.h"

#include <array>
#include <set>

namespace {

// x, y, width and height, for comparing a box in one expectation.
using Box = std::array<double, 4>;
Box corners(const zeu::Rect2D& box) {
    return {box.x, box.y, box.width, box.height};
}

using Tags = std::vector<std::string>;

class Ticket : public CheckSettingTest {
protected:
    void SetUp() override {
        CheckSettingTest::SetUp();
        Define(R"({
            "InkWeightTAC": {"type": "limitsHigh", "defaults": {"sev": "warn", "warn": 300}},
            "FontSubset": {"type": "boolean"},
            "MissingTrimBox": {"type": "boolean"},
            "ColourUsed": {"type": "stringParameter"},
            "Hairline": {"type": "limitsLow"}})");
    }
    // The settings of `name` that the walk over the whole ticket collects: each setting's "tag",
    // or its JSON when it has none.
    static Tags collect(const char* ticketJson, const char* name) {
        const WTicket ticket(readWritableJson(ticketJson));
        std::vector<WCheckSetting> out;
        const uint64_t count = ticket.GetDestinationCount();
        for (uint64_t i = 0; i < count; ++i)
            CollectCheckSettings(GetDestinationQcs(ticket.GetDestination(i)), name, out, false,
                                 count > 0);
        CollectCheckSettings(ticket.GetQcs(), name, out, true, count > 0);
        Tags tags;
        for (const auto& setting : out) {
            const ustring tag = setting.GetMessage()->valueOr(ustring("tag"), 0, ustring());
            tags.push_back(tag.empty() ? compactJson(*setting.GetMessage()) : tag.toStdString());
        }
        return tags;
    }
};

TEST_F(Ticket, CollectsACheckDestinationsFirstThenRestrictionsDepthFirstThenTheNode) {
    const char* yielding = R"({
        "destinations": [{"qcs": {"checks": {"InkWeightTAC": {"tag": "d", "warn": 280}}}}],
        "qcs": {"checks": {"InkWeightTAC": {"tag": "t"}, "FontSubset": {"tag": "tf"}}}})";
    const char* restrictions = R"({"qcs": {
        "checks": {"FontSubset": {"tag": "root"}},
        "restrictions": [
            {"checks": {"FontSubset": {"tag": "r0"}},
             "restrictions": {"checks": {"FontSubset": {"tag": "r0.0"}},
                              "restrictions": {"checks": {"FontSubset": {"tag": "r0.0.0"}}}}},
            {"checks": {"FontSubset": {"tag": "r1"}}}]}})";
    const char* catchAll =
        R"({"qcs": {"checks": {"all": {"tag": "all"}, "Hairline": {"tag": "own"}}}})";
    const char* boxes = R"({"destinations": [{"identifier": "a"}],
        "qcs": {"checks": {"MissingTrimBox": {"tag": "t", "sev": "note"}, "InkWeightTAC": {"tag": "t"}}}})";
    const std::tuple<const char*, const char*, Tags> cases[] = {
        // A destination's setting hides the ticket's own for the yielding checks only.
        {yielding, "InkWeightTAC", {"d"}},
        {yielding, "FontSubset", {"tf"}},
        {boxes, "InkWeightTAC", {"t"}},
        {restrictions, "FontSubset", {"r0.0.0", "r0.0", "r0", "r1", "root"}},
        // The catch-all stands in for Boolean and limits checks without a setting of their own.
        {catchAll, "FontSubset", {"all"}},
        {catchAll, "InkWeightTAC", {"all"}},
        {catchAll, "Hairline", {"own"}},
        {catchAll, "ColourUsed", {}},
        {catchAll, "NotDefinedAnywhere", {}},
        // The box checks are faults whenever there are destinations and the ticket has a tree.
        {boxes, "MissingTrimBox", {R"({"sev":"fault"})", "t"}},
        {R"({"destinations": [{}], "qcs": {}})", "ArtBoxDetected", {R"({"sev":"fault"})"}},
        {R"({"destinations": [{}]})", "ArtBoxDetected", {}},
        {R"({"qcs": {"checks": {}}})", "MissingTrimBox", {}},
    };
    for (const auto& [ticket, name, tags] : cases)
        EXPECT_EQ(collect(ticket, name), tags) << name << " in " << ticket;
    EXPECT_EQ(WEffectiveProfile(readWritableJson(boxes))
                  .GetSetting(keystr::MissingTrimBox)
                  .GetSeverityText(),
              "fault");
    Reset();
    EXPECT_EQ(collect(catchAll, "FontSubset"), Tags{}) << "no catch-all without definitions";
}

TEST_F(Ticket, CombinesTheCollectedSettingsOrFallsBackOnTheDefault) {
    const WEffectiveProfile profile(readWritableJson(R"({"destinations": [
            {"identifier": "a", "qcs": {"checks": {"Hairline": {"note": 0.2}}}},
            {"identifier": "b", "qcs": {"checks": {"Hairline": {"note": 0.3}}}}]})"));
    EXPECT_EQ(compactJson(*profile.GetSetting(keystr::Hairline).GetMessage()),
              R"({"note":0.3,"sev":"note"})");
    EXPECT_EQ(compactJson(*profile.GetSetting(keystr::InkWeightTAC).GetMessage()),
              R"({"sev":"warn","warn":300})");
    EXPECT_FALSE(profile.GetSetting(keystr::FontSubset).HasMessage());
    const WEffectiveProfile nullTicket(nullptr);
    EXPECT_FALSE(nullTicket.GetSetting(keystr::Hairline).HasMessage());
    EXPECT_EQ(nullTicket.GetDestinationCount(), 0u);
}

// The one walk gives each named check what GetSetting gives it: own settings, catch-alls in
// restrictions of destinations and of the ticket, the forced and yielding checks.
TEST_F(Ticket, ForEachSettingGivesEveryNamedCheckItsEffectiveSetting) {
    const char* tickets[] = {
        R"({"destinations": [
              {"qcs": {"checks": {"InkWeightTAC": {"warn": 280}, "all": {"sev": "note"}},
                       "restrictions": {"checks": {"FontSubset": {"sev": "warn"}, "X": 3}}}},
              {"identifier": "no tree"},
              {"qcs": {"restrictions": [{}, {"checks": {"Hairline": {"note": 0.2},
                                                         "all": {"sev": "ignore"}}}]}}],
            "qcs": {"checks": {"InkWeightTAC": {"warn": 250}, "MissingTrimBox": {"sev": "note"},
                               "ColourUsed": {"P": ["a"]}},
                    "restrictions": {"checks": {"all": {"sev": "fault"}, "Hairline": {}}}}})",
        R"({"qcs": {"checks": {"all": {"sev": "warn"}, "Hairline": {"fault": 0.1}}}})",
        R"({"destinations": [{"qcs": {"checks": {"MissingTrimBox": {"sev": "warn"}}}}]})",
        R"({"destinations": []})",
    };
    for (const char* json : tickets) {
        const WEffectiveProfile profile(readWritableJson(json));
        std::set<ustring> names;
        profile.GetCheckNames(names);
        std::vector<std::pair<ustring, std::string>> expected;
        for (const ustring& name : names) {
            const WCheckSetting setting = profile.GetSetting(name);
            expected.emplace_back(name, setting.HasMessage() ? compactJson(*setting.GetMessage())
                                                             : "none");
        }
        std::vector<std::pair<ustring, std::string>> visited;
        profile.ForEachSetting([&visited](const ustring& name, const WCheckSetting& setting) {
            visited.emplace_back(name, setting.HasMessage() ? compactJson(*setting.GetMessage())
                                                            : "none");
        });
        EXPECT_EQ(visited, expected) << json;
    }
}

TEST_F(Ticket, NamesEveryCheckOfEverySettingsTree) {
    auto ticket = readWritableJson(R"({
        "destinations": [{"qcs": {"checks": {"A": {}},
                                  "restrictions": {"checks": {"B": {}, "all": {}}}}},
                         {"qcs": {"restrictions": [{}, {"checks": {"C": {}}}]}}],
        "qcs": {"checks": {"D": {}, "A": {}}, "restrictions": {"checks": {"E": {}}}}})");
    std::set<ustring> names{"pre"};
    WEffectiveProfile(ticket).GetCheckNames(names);
    EXPECT_EQ(names, (std::set<ustring>{"A", "B", "C", "D", "E", "all", "pre"}));
}

TEST(TicketBoxes, IntersectsTrimBoxesUnitesBleedBoxesAndTakesTypeAreasFromIndents) {
    const WTicket bleeding(readWritableJson(R"({"destinations": [
        {"identifier": "a", "width": 100, "depth": 50, "bleed": [1, 2, 3, 4]},
        {"identifier": "b", "width": 80, "depth": 60}]})"));
    zeu::Rect2D bleed, trim, type;
    bleeding.GetBoxes(bleed, trim, type);
    EXPECT_EQ(corners(trim), (Box{-40, -25, 80, 50}));
    // The first destination's bleed: (-50 - 1, -25 - 4), (100 + 1 + 3, 50 + 4 + 2).
    EXPECT_EQ(corners(bleed), (Box{-51, -29, 104, 56}));
    EXPECT_TRUE(type.isUnset());
    const WTicket indented(readWritableJson(R"({"destinations": [
        {"identifier": "a", "width": 100, "depth": 50, "typeIndent": [5, 6, 7, 8]},
        {"identifier": "b", "width": 100, "depth": 50, "typeIndent": [0, 0, 0, 0]}]})"));
    EXPECT_EQ(corners(indented.GetTypeArea()), (Box{-45, -17, 88, 36}));
    EXPECT_EQ(corners(indented.GetBleedBox()), (Box{-50, -25, 100, 50})) << "the trim box";
    EXPECT_EQ(corners(indented.GetTrimBox()), (Box{-50, -25, 100, 50}));
    EXPECT_TRUE(WTicket(nullptr).GetBleedBox().isUnset() &&
                WTicket(nullptr).GetTrimBox().isUnset());
}

TEST(TicketEdits, SetUserFieldStoresACopyOrRemovesTheField) {
    auto destination = readWritableJson(R"({"identifier": "a"})");
    auto field = readWritableJson(R"({"value": "x", "extra": 1})");
    SetUserField(destination, ustring("F"), field);
    field->add(ustring("later"), umessage_details::type_int, 2);
    EXPECT_EQ(compactJson(*destination),
              R"({"identifier":"a","userFields":{"F":{"extra":1,"value":"x"}}})");
    EXPECT_EQ(GetUserFieldNames(destination), std::vector<ustring>{"F"});
    EXPECT_EQ(GetFieldValue(GetUserField(destination, ustring("F"))), "x");
    SetUserField(destination, ustring("F"), readWritableJson(R"({"value": ""})"));
    EXPECT_EQ(compactJson(*destination), R"({"identifier":"a","userFields":{}})");
    EXPECT_EQ(GetUserField(destination, ustring("F")), nullptr);
    // "userFields" of another type is neither replaced nor added to, and nothing throws.
    auto odd = readWritableJson(R"({"userFields": "text"})");
    SetUserField(odd, ustring("F"), field);
    NormaliseDestination(odd, readWritableJson(R"({"A": {"value": "a"}})"));
    EXPECT_EQ(compactJson(*odd), R"({"userFields":"text"})");
}

TEST(TicketEdits, ApplyMlkeyTakesTheGivenOwnOrUserFieldKeyAndMarksTheFields) {
    auto ticket = readWritableJson(R"({"destinations": [
        {"identifier": "a", "mlkey": "own", "userFields": {"F": {"value": "v"}, "G": {}}},
        {"identifier": "b", "userFields": {"0eId": {"value": "zero"}, "ZeId": {"value": "ze"}}},
        {"identifier": "c", "userFields": {"0eId": {"value": "zero"}}},
        {"identifier": "d", "mlkey": "", "userFields": {"F": {"value": "v"}}}]})");
    ApplyMlkey(WWritableTicket(ticket), ustring());
    const WTicket read(ticket);
    EXPECT_EQ(
        compactJson(*read.GetDestination(0)),
        R"({"identifier":"a","mlkey":"own","userFields":{"F":{"ro":true,"value":"v"},"G":{}}})");
    EXPECT_EQ(GetMlkey(read.GetDestination(1)), "ze");
    EXPECT_EQ(GetMlkey(read.GetDestination(2)), "zero");
    EXPECT_EQ(compactJson(*read.GetDestination(3)),
              R"({"identifier":"d","userFields":{"F":{"value":"v"}}})");
    // Applied again, a marked field keeps one "ro" true, whatever "ro" held before.
    auto marked =
        readWritableJson(R"({"destinations": [{"userFields": {"F": {"value": "v", "ro": "x"}}}]})");
    ApplyMlkey(WWritableTicket(marked), ustring("given"));
    ApplyMlkey(WWritableTicket(marked), ustring("given"));
    EXPECT_EQ(compactJson(*marked),
              R"({"destinations":[{"mlkey":"given","userFields":{"F":{"ro":true,"value":"v"}}}]})");
    ApplyMlkey(WWritableTicket(ticket), ustring("given"));
    for (uint64_t i = 0; i < 4; ++i)
        EXPECT_EQ(GetMlkey(read.GetDestination(i)), "given");
}

TEST(TicketEdits, NormaliseDestinationFixesFlagsAndFillsMissingFields) {
    for (const auto& [text, expected] :
         {std::pair("TRUE", "true"), {"tRuE", "true"}, {"yes", "false"}, {"", "false"}}) {
        auto destination = std::make_shared<umessage>();
        destination->add(keystr::requires2DPSFiles, umessage_details::type_string, ustring(text));
        NormaliseDestination(destination, nullptr);
        EXPECT_EQ(compactJson(*destination),
                  std::string(R"({"requires2DPSFiles":)") + expected + R"(,"userFields":{}})")
            << text;
    }
    auto destination =
        readWritableJson(R"({"userFields": {"RDts": {"value": "1"}, "A": {"value": "mine"}}})");
    NormaliseDestination(destination, readWritableJson(R"({"A": {"value": "default"},
        "B": {"value": "b"}, "C": {"value": ""}, "D": 4})"));
    EXPECT_EQ(compactJson(*destination),
              R"({"userFields":{"A":{"value":"mine"},"B":{"value":"b"}}})");
}

// A missing destination reads as one without entries; any of the four bleeds counts.
TEST(TicketEdits, DestinationHelpersReadDefaultsFromMissingEntries) {
    EXPECT_TRUE(GetIdentifier(nullptr).empty() && !HasBleed(nullptr) &&
                GetDestinationQcs(nullptr).IsNull() && IsNullOrEmpty(nullptr));
    auto destination = readWritableJson(R"({"identifier": "x", "bleed": [0, 0, 0, 0.5]})");
    EXPECT_TRUE(GetIdentifier(destination) == "x" && HasBleed(destination));
}

} // namespace
