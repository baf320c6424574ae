// Tests of the event messages over a real pipe: the exact bytes of each kind after its ping, the
// sender info, the details payload read back as a job (stored job, name, size, sections,
// current page), the exported event's delivery result and the refused action.
#include "Zephrin_Menu/UZEPEvents.h"

#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "host/standin/Context.h"
#include "host/standin/Faults.h"
#include "host/standin/Selection.h"
#include "model/BJobFile.h"
#include "support/CompanionFixture.h"
#include "support/EventPayload.h"
#include "support/JobSamples.h"
#include "support/SampleLayoutFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <gmock/gmock.h>

#include <sstream>

namespace {

// Sends the action's event in the active context and returns the message that followed its
// ping.
std::string SendAction(const CompanionFixture& fixture, std::uint32_t action) {
    const auto companion = fixture.Listen();
    InterfacePtr<IActiveContext> context(host::QueryActiveContext());
    UZEPEvents::SendActionEvent(ActionID{action}, context.get());
    const auto received = companion->Messages();
    EXPECT_EQ(received.size(), 2u);
    EXPECT_EQ(received.front(), "{\"what\":\"ping\"}");
    return received.back();
}

// The fields of a details payload: names, size ('Lw' x 'Ld', 'LH', 'LV'), 'SE', 'CP' and 'LC',
// the section runs and the number of groups.
std::string Details(const BJobFile& job) {
    std::ostringstream text;
    text << job.jobName.c_str() << "|" << job.documentName.c_str() << "|" << job.layoutWidth << "x"
         << job.layoutDepth << " " << job.layoutHorizontalBleed << "," << job.layoutVerticalBleed
         << "|SE " << job.flagSE << "|CP " << job.pageCP << " LC " << job.pageLC << "|";
    for (const BPageRange& run : job.GetSectionRuns())
        text << run.sectionName.c_str() << " " << run.firstPage << "+" << run.pageCount << " "
             << static_cast<char>(run.style) << ";";
    text << "|groups " << job.GetGroups().size();
    return text.str();
}

const char* const kDetails =
    "\\{\"hwnd\":\"0\",\"sender\":\"InDesignCS\",\"v\":\"[A-Za-z0-9+/=]+\","
    "\"what\":\"details\"";

class Events : public PluginTest, public CompanionFixture {};
class DocumentEvents : public SampleLayoutTest, public CompanionFixture {};

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
        EXPECT_THAT(SendAction(*this, c.action), ::testing::MatchesRegex(c.pattern)) << c.action;
    }
}

// The plug-in's string table gives "Zephrin " for its name key and "Tarnwell" for its author key.
TEST_F(Events, AboutPayloadHoldsNameAndAuthorAndNoMessageCarriesIt) {
    using namespace std::string_literals;
    EXPECT_EQ(UZEPEvents::AboutPayload(),
              "\0\x02"s + "\0\0\0\x0F"s + "Zephrin 5.9.9.1" + "\0\0\0\x08"s + "Tarnwell");
    const std::string payload = UZEPEvents::AboutPayload();
    for (const auto& [kind, what] : {std::pair(UZEPEvents::EventKind::About, "about"),
                                     {UZEPEvents::EventKind::JobList, "joblist"}}) {
        const auto companion = Listen();
        EXPECT_TRUE(UZEPEvents::SendEventMessage(payload.data(), payload.size(), kind, false));
        EXPECT_EQ(companion->Messages().back(),
                  std::string("{\"hwnd\":\"0\",\"sender\":\"InDesignCS\",\"what\":\"") + what +
                      "\"}");
    }
}

TEST_F(Events, AboutLeavesADebugRecord) {
    SendAction(*this, 0x52E03);
    EXPECT_EQ(m_log.text(), "[2026-03-01T14:05:09][DEBUG][5120][UZEPEvents:"
                            "UZEPEvents::SendActionEvent:70] About Event!\n");
    EXPECT_EQ(m_log.records().at(0).file, "UZEPEvents"); // the source file as the record names it
}

TEST_F(Events, DetailsWithoutADocumentCarryAnEmptyJob) {
    EXPECT_EQ(Details(*PayloadJob(SendAction(*this, 0x52E05))),
              "||0x0 0,0|SE 0|CP 1 LC 0||groups 0");
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
    EXPECT_THAT(m_log.text(),
                ::testing::EndsWith("message \"exported\" not delivered: cannot open pipe\n"));
}

TEST_F(Events, UnknownActionIsRefusedWithoutAMessage) {
    const auto companion = Listen();
    InterfacePtr<IActiveContext> context(host::QueryActiveContext());
    EXPECT_EQ(Thrown([&] { UZEPEvents::SendActionEvent(ActionID{0x52E09}, context.get()); }),
              "0x1 UZEPEvents::SendActionEvent - Unknown ActionID");
    EXPECT_TRUE(companion->Messages().empty());
}

// The sample layout's view shows page 12 (100 x 300, the second page of the list); its page
// setup gives the rectangle (1, 2, 3, 4); frames 20 and 22 lie at (110, 1020, 160, 1080) and
// (250, 1010, 350, 1110) on the pasteboard.
TEST_F(DocumentEvents, DetailsCarryTheDocumentsJobNameSizeSectionsAndCurrentPage) {
    InterfacePtr<IZEPJobList> stored(m_document->WorkspaceRef(), UseDefaultIID{});
    stored->SetFromString(sampleJobBytes("Stored"), false); // its 'Lw' is 210
    const std::string tail = "|CP 2 LC 2|A 1+2 1;B 3+1 A;|groups ";
    const struct {
        const char* name;
        bool selectionBased;
        std::vector<std::uint32_t> selected;
        bool jobList;
        std::string details;
    } cases[] = {
        {"page size", false, {}, true, "Sample|Sample|100x300 2,3|SE 0" + tail + "1"},
        {"selection size", true, {20, 22}, true, "Sample|Sample|240x100 0,0|SE 1" + tail + "1"},
        {"no selection", true, {}, true, "Sample|Sample|210x0 0,0|SE 1" + tail + "1"},
        {"no job list", false, {}, false, "Sample|Sample|0x0 0,0|SE 0" + tail + "0"},
    };
    for (const auto& c : cases) {
        SetSelectionBasedExports(c.selectionBased);
        host::SelectLayoutItems(List(c.selected));
        if (!c.jobList)
            host::Faults::Instance().HideInterface(kDocWorkspaceBoss, IID_IZEPJOBLIST);
        EXPECT_EQ(Details(*PayloadJob(SendAction(*this, 0x52E05))), c.details) << c.name;
    }
}

// The document's job list was never saved, but it is the workspace's, which the database holds:
// the details carry its (empty) job with the page's size, as for a saved job.
TEST_F(DocumentEvents, DetailsOfADocumentWhoseJobWasNeverSavedCarryThePageSize) {
    SetSelectionBasedExports(false);
    EXPECT_EQ(Details(*PayloadJob(SendAction(*this, 0x52E05))),
              "Sample|Sample|100x300 2,3|SE 0|CP 2 LC 2|A 1+2 1;B 3+1 A;|groups 0");
}

TEST_F(DocumentEvents, DocumentNameLosesOnlyATrailingInddInAnyCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"Ad.indd", "Ad"},
        {"Ad.INDD", "Ad"},
        {"a.b.Indd", "a.b"},
        {".indd", ".indd"},
        {"Ad.indd.pdf", "Ad.indd.pdf"},
        {"Ad", "Ad"},
    };
    for (const auto& [name, stripped] : cases) {
        m_document->Get()->SetName(PMString(name));
        EXPECT_EQ(PayloadJob(SendAction(*this, 0x52E05))->documentName, stripped) << name;
    }
}
