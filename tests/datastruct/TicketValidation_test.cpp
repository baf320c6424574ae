#include "model/TicketValidation.h"

#include "support/JsonMessage.h"
#include "support/LogCapture.h"
#include "support/Test.h"

namespace {

// The ERROR record of a check ("TicketIsWellFormed:375" or "DestinationIsWellFormed:240").
std::string record(const char* check, const std::string& reason) {
    return std::string("[2026-03-01T14:05:09][ERROR][5120][libs/datastruct/WTicket:") + check +
           "] invalid tickets : " + reason + "\n";
}

using Case = std::pair<const char*, const char*>; // JSON, reason (null: well formed)

// Each case gives its result and, when it fails, exactly the one record of its reason.
template <size_t N>
void expectReasons(const Case (&cases)[N], bool (*check)(const umessage*), const char* name) {
    for (const auto& [json, reason] : cases) {
        LogCapture log;
        const umessage message = *readJson(json);
        EXPECT_EQ(check(&message), reason == nullptr) << json;
        EXPECT_EQ(log.text(), reason ? record(name, reason) : "") << json;
    }
}

TEST(TicketValidation, ReportsTheFirstFailingRuleOfATicket) {
    const Case cases[] = {
        {R"({"identifier": "B1", "operator": "op", "style": "s", "active": true,
             "groupingDisabled": false, "local": ["a", "b"], "qcs": {}})",
         nullptr},
        {R"({"previous_report": [1, 2], "plugin_report": "x", "bookingMatched": {}})", nullptr},
        {R"({"identifier": 5})", "identifier has wrong type"},
        {R"({"identifier": ["a", "b"]})", "there should be only 1 identifier"},
        {R"({"operator": ["a", "b"]})", "there should be only 1 operator"},
        {R"({"qcs": [{}, {}]})", "there should be only 1 qcs"},
        {R"({"qcs": "checks"})", "qcs has wrong type"},
        {R"({"active": "true"})", "active field has wrong type"},
        {R"({"active": [true, false]})", "there should be only 1 active field"},
        {R"({"groupingDisabled": 1})", "groupingDisabled field has wrong type"},
        {R"({"local": 3})", "local has wrong type"},
        {R"({"Style": "s"})", "unexpected field: Style"},
        {R"({"identifer": "B1"})", "unexpected field: identifer"},
        // "destinations" sorts before "style": its reason is the one reported.
        {R"({"style": 1, "destinations": "d"})", "destinations has wrong type"},
        {R"({"destinations": [{}, {}]})", "duplicate destination identifier"},
        {R"({"destinations": [{"identifier": "a"}, {"identifier": "a", "x": 1}]})",
         "duplicate destination identifier"},
    };
    expectReasons(cases, TicketIsWellFormed, "TicketIsWellFormed:375");
}

TEST(TicketValidation, ReportsTheFirstFailingRuleOfADestination) {
    const Case cases[] = {
        {R"({})", nullptr},
        {R"({"identifier": "d", "mlkey": "k", "country": ["a", "b"], "publication": "p",
             "publisher": ["p", "q"], "section": ["s", "t"], "style": "s", "qcs": [{}, {}],
             "printerMarkSize": 1.5, "printerMarkOffset": 2, "width": 100, "depth": 5000000000,
             "columns": 3, "colourName": "c", "colourMakeup": [0, 1, 2.5, 3], "namedSize": "n",
             "requires2DPSFiles": true, "bleed": [1, 2, 3, 4], "typeIndent": [0, 0, 0, 0],
             "exported": false, "ro": true, "userFields": {"a": {"value": "x"}}})",
         nullptr},
        {R"({"width": "100"})", "width has wrong type"},
        {R"({"width": [1, 2]})", "there should be only 1 width field"},
        {R"({"depth": true})", "depth has wrong type"},
        {R"({"bleed": [1, 2, 3]})", "there should be exactly 4 bleed fields"},
        {R"({"bleed": ["1", "2", "3", "4"]})", "bleed has wrong type"},
        {R"({"typeIndent": [1, 2, 3, 4, 5]})", "there should be exactly 4 typeIndent fields"},
        {R"({"colourMakeup": [1]})", "there should be 4 colourMakeup field"},
        {R"({"section": ["a", "b", "c"]})", "section field has too many entries"},
        {R"({"country": ["a", "b", "c"]})", "country field has too many entries"},
        {R"({"publication": 1})", "publication has wrong type"},
        {R"({"mlkey": 7})", "medialink key has wrong type"},
        {R"({"mlkey": ["a", "b"]})", "there should be only 1 medialink key"},
        {R"({"style": ["a", "b"]})", "there should be only 1 style field"},
        {R"({"qcs": 1})", "qcs has wrong type"},
        {R"({"printerMarkSize": [1, 2]})", "there should be only 1 printerMarkSize field"},
        {R"({"printerMarkOffset": "1"})", "printerMarkOffset has wrong type"},
        {R"({"columns": false})", "columns has wrong type"},
        {R"({"colourName": ["a", "b"]})", "there should be only 1 colourName field"},
        {R"({"namedSize": 2})", "namedSize has wrong type"},
        {R"({"requires2DPSFiles": "true"})", "requires2DPSFiles has wrong type"},
        {R"({"exported": [true, true]})", "there should be exactly 1 exported fields"},
        {R"({"ro": 1})", "ro has wrong type"},
        {R"({"userFields": "x"})", "userFields has wrong type"},
        {R"({"userFields": [{}, {}]})", "there should be only 1 userFields"},
        {R"({"userFields": {"a": {}, "b": "text"}})", "userField has wrong type"},
        {R"({"Width": 1})", "unexpected field: Width"},
        // "bleed" sorts before "width".
        {R"({"width": "w", "bleed": [1]})", "there should be exactly 4 bleed fields"},
    };
    expectReasons(cases, DestinationIsWellFormed, "DestinationIsWellFormed:240");
}

TEST(TicketValidation, RejectsNullAndEmptyTicketsWithoutALogLine) {
    LogCapture log;
    umessage empty;
    EXPECT_FALSE(TicketIsWellFormed(nullptr) || TicketIsWellFormed(&empty));
    EXPECT_FALSE(DestinationIsWellFormed(nullptr));
    EXPECT_TRUE(DestinationIsWellFormed(&empty));
    EXPECT_EQ(log.text(), "");
}

TEST(TicketValidation, ABadDestinationLogsItsReasonThenTheTicketsReason) {
    LogCapture log;
    umessage ticket = *readJson(R"({"destinations": [{"identifier": "a"},
        {"identifier": "b", "userFields": {"ZeId": "1234"}}], "style": 3})");
    const umessage before = ticket;
    EXPECT_FALSE(TicketIsWellFormed(&ticket));
    EXPECT_EQ(log.text(), record("DestinationIsWellFormed:240", "userField has wrong type") +
                              record("TicketIsWellFormed:375", "invalid destination"));
    EXPECT_EQ(ticket, before);
}

} // namespace
