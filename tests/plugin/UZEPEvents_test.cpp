// Tests of the event messages over a real pipe: the exact bytes of each kind after its ping, the
// sender info, the details payload read back as a job, the exported event's delivery result and
// the refused action.
#include "Zephrin_Menu/UZEPEvents.h"

#include "Plugin/CZEPException.h"
#include "host/Context.h"
#include "model/BJobFile.h"
#include "support/Base64.h"
#include "support/CompanionFixture.h"
#include "support/JobSamples.h"
#include "support/PluginFixture.h"

#include <gmock/gmock.h>

#include <regex>
#include <sstream>

namespace {

class Events : public PluginTest, public CompanionFixture {
protected:
    // Sends the action's event and returns the message that followed its ping.
    std::string SendAction(std::uint32_t action) {
        const auto companion = Listen();
        InterfacePtr<IActiveContext> context(host::QueryActiveContext());
        UZEPEvents::SendActionEvent(ActionID{action}, context.get());
        const auto received = companion->Messages();
        EXPECT_EQ(received.size(), 2u);
        EXPECT_EQ(received.front(), "{\"what\":\"ping\"}");
        return received.back();
    }
};

// The job that the Base64 payload "v" of a message's text holds.
std::unique_ptr<BJobFile> PayloadJob(const std::string& text) {
    std::smatch v;
    EXPECT_TRUE(std::regex_search(text, v, std::regex("\"v\":\"([A-Za-z0-9+/=]*)\""))) << text;
    std::istringstream bytes(decodeBase64(v[1]));
    auto job = std::make_unique<BJobFile>();
    job->Read(bytes, kJobFilePartFull);
    return job;
}

const char* const kDetails =
    "\\{\"hwnd\":\"0\",\"sender\":\"InDesignCS\",\"v\":\"[A-Za-z0-9+/=]+\","
    "\"what\":\"details\"";

} // namespace

TEST_F(Events, EachActionSendsItsMessageAsExactBytes) {
    const struct {
        std::uint32_t action;
        std::uint64_t window;
        bool document;
        std::string pattern;
    } cases[] = {
        {0x52E03, 0, false, "\\{\"hwnd\":\"0\",\"sender\":\"InDesignCS\",\"what\":\"about\"\\}"},
        {0x52E0A, 1234, false,
         "\\{\"hwnd\":\"1234\",\"sender\":\"InDesignCS\",\"what\":\"about\"\\}"},
        {0x52E0D, 0xFFFFFFFB, false,
         "\\{\"hwnd\":\"-5\",\"sender\":\"InDesignCS\",\"what\":\"joblist\"\\}"},
        {0x52E0D, 0x100000007, false,
         "\\{\"hwnd\":\"7\",\"sender\":\"InDesignCS\",\"what\":\"joblist\"\\}"},
        {0x52E05, 0, false, std::string(kDetails) + "\\}"},
        {0x52E05, 0, true, std::string(kDetails) + ",\"x\":true\\}"},
    };
    for (const auto& c : cases) {
        host::SetActiveWindow(c.window);
        if (c.document)
            host::NewDocument("Ad.indd");
        EXPECT_THAT(SendAction(c.action), ::testing::MatchesRegex(c.pattern)) << c.action;
    }
}

TEST_F(Events, AboutLeavesADebugRecord) {
    SendAction(0x52E03);
    EXPECT_EQ(log.text(), "[2026-03-01T14:05:09][DEBUG][5120][UZEPEvents:"
                          "UZEPEvents::SendActionEvent:70] About Event!\n");
}

TEST_F(Events, DetailsWithoutADocumentCarryAnEmptyJob) {
    const auto job = PayloadJob(SendAction(0x52E05));
    EXPECT_EQ(job->jobName, "");
    EXPECT_EQ(job->documentName, "");
    EXPECT_EQ(job->GetGroups().size(), 0u);
    EXPECT_EQ(job->GetSectionRuns().size(), 0u);
    EXPECT_EQ(job->pageCP, 1);
    EXPECT_FALSE(job->flagSE);
}

TEST_F(Events, ExportedEventCarriesTheUnexportedDestinationsAndTellsWhetherItWasDelivered) {
    BJobFile job;
    fillSampleJob(job, "Ad");
    {
        const auto companion = Listen();
        EXPECT_TRUE(UZEPEvents::SendExportedEvent(job));
        const auto received = companion->Messages();
        ASSERT_EQ(received.size(), 2u);
        EXPECT_THAT(received[1],
                    ::testing::MatchesRegex("\\{\"hwnd\":\"0\",\"sender\":\"InDesignCS\","
                                            "\"v\":\"[A-Za-z0-9+/=]+\",\"what\":\"exported\"\\}"));
        const auto sent = PayloadJob(received[1]);
        ASSERT_EQ(sent->GetGroups().size(), 1u);
        EXPECT_EQ(sent->GetGroups().begin()->size(), 1u);
        EXPECT_EQ(sent->jobName, "Ad job");
        EXPECT_TRUE(job.GetGroups().begin()->AllExported()) << "marked as written";
    }
    EXPECT_FALSE(UZEPEvents::SendExportedEvent(job)) << "nobody listens";
    EXPECT_THAT(log.text(),
                ::testing::EndsWith("message \"exported\" not delivered: cannot open pipe\n"));
}

TEST_F(Events, UnknownActionIsRefusedWithoutAMessage) {
    const auto companion = Listen();
    InterfacePtr<IActiveContext> context(host::QueryActiveContext());
    try {
        UZEPEvents::SendActionEvent(ActionID{0x52E09}, context.get());
        ADD_FAILURE() << "no exception";
    } catch (const CZEPException& exception) {
        EXPECT_EQ(exception.code(), 1u);
        EXPECT_EQ(exception.message(), "UZEPEvents::SendActionEvent - Unknown ActionID");
    }
    EXPECT_TRUE(companion->Messages().empty());
}
