#include "Export/ZEPEPSExport.h"

#include "Export/ZEPPageGeometry.h"
#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/EPSExport.h"
#include "host/standin/Faults.h"
#include "host/standin/Session.h"
#include "support/ExportFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <cstdlib>
#include <filesystem>

namespace {

UIDRef Style() {
    return {&host::SessionDataBase(), UID(7)};
}

} // namespace

using EPSExport = ExportTest;

TEST_F(EPSExport, SetsThePreferencesOfThePageThenExportsIt) {
    const std::string fixed = "15=17 16=19 18=28 19=25 20=33 21=35 22=37 23=39 24=41 25=43 17=22 "
                              "26=45 27=47 28=49 SetFlattenerStyle 7 31=55 SetExport \"Five.indd\" "
                              "1 0";
    const struct {
        host::Sides bleed; // left, top, right, bottom
        int style;
        bool cmsWanted;
        std::string calls; // from the 9th operation to the 14th
    } cases[] = {
        {{2, 1, 4, 3},
         1,
         true,
         "9=30 SetBleedEdge 10 1 SetBleedEdge 11 3 SetBleedEdge 12 2 SetBleedEdge 13 4 14=12"},
        {{0, 0, 0, 0}, 1, false, "9=31 14=14"},
        {{3, 0, 0, 0},
         2,
         true,
         "9=30 SetBleedEdge 10 0 SetBleedEdge 11 0 SetBleedEdge 12 3 SetBleedEdge 13 0 14=14"},
    };
    for (const auto& c : cases) {
        m_document->layout.pageSetup->bleed = c.bleed;
        auto job = Job({{2, 1}});
        job->GetCurrentGroup()[0].SetStyle(c.style);
        host::Recorder::Instance().Clear(host::Channel::Calls);
        ExportEPS(*job, m_document->Get(), c.cmsWanted, Style());
        EXPECT_EQ(ShortCalls(Log(host::Channel::Calls)),
                  "5=4 SetPages \"+2\" 7=7 8=9 " + c.calls + " " + fixed);
    }
    // The session's preferences change through the host's undo journal.
    EXPECT_EQ(std::get<std::string>(host::SessionEPSExportPrefs().at(6)), "+2");
    while (host::Undo()) {
    }
    EXPECT_TRUE(host::SessionEPSExportPrefs().empty());
}

TEST_F(EPSExport, WritesEachPageToItsNumberedFileWithItsBoxes) {
    auto job = Job({{1, 1}, {3, 2}}, "ad.eps", 3,
                   R"({"groups": [{"selected": true, "destinations": [
                       {"id": "1", "width": 130, "height": 200, "bleed": [2.25, 2.25, 2.25, 2.25]}
                       ]}]})");
    ExportEPS(*job, m_document->Get(), false, Style());

    EXPECT_EQ(
        Log(host::Channel::Progress),
        (std::vector<std::string>{"task true -1 Generating EPS.", "sub true -1 Ad (page 1)",
                                  "task true -1 Generating EPS.", "sub true -1 Ad (page 3)",
                                  "task true -1 Generating EPS.", "sub true -1 Ad (page 4)"}));
    // The last page's box: 130 x 200 grown by 2.25 per side, rounded outward.
    EXPECT_EQ(PageRectToRect2D(PMRect(0, 0, 135, 205)).width, job->epsPageBox.width);
    EXPECT_EQ(PageRectToRect2D(PMRect(0, 0, 135, 205)).height, job->epsPageBox.height);
    EXPECT_EQ(job->epsSecondBox.width, 0);
    // The page grown by the document's bleed (top 1, left 2, bottom 3, right 4).
    const std::pair<const char*, const char*> files[] = {
        {"ad.eps", "0 0 106 204\n%%HiResBoundingBox: 0 0 106.0000 204.0000"},
        {"ad.eps#2", "0 0 126 204\n%%HiResBoundingBox: 0 0 126.0000 204.0000"},
        {"ad.eps#3", "0 0 136 204\n%%HiResBoundingBox: 0 0 136.0000 204.0000"}};
    const bool ghostscript = std::system("command -v gs >/dev/null 2>&1") == 0;
    for (const auto& [name, boxes] : files) {
        const std::string eps = m_folder.read(name);
        EXPECT_TRUE(eps.starts_with(std::string("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: ") +
                                    boxes + "\n%%Creator: zephost\n%%Title: Five.indd\n"))
            << eps;
        EXPECT_TRUE(eps.ends_with("%%EOF\n")) << name;
        if (ghostscript) {
            const std::string render =
                "gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=nullpage '" +
                m_folder.at(name) + "'";
            EXPECT_EQ(std::system(render.c_str()), 0) << name;
        }
    }

    host::Recorder::Instance().Clear(host::Channel::Progress);
    ExportEPS(*Job({{1, 1}}, "ad.eps", 1), m_document->Get(), false, Style());
    EXPECT_EQ(Log(host::Channel::Progress),
              (std::vector<std::string>{"task true -1 Generating EPS.", "sub true -1 Ad"}));
}

TEST_F(EPSExport, FailuresThrowAndLeaveTheFailingPagesFileAsItWas) {
    using host::Faults;
    const struct {
        std::function<void()> fault;
        std::string thrown;
        const char* output = "ad.eps"; // in a folder that exists unless "missing/"
        std::vector<std::pair<int, int>> runs = {{1, 1}};
        // The text goes on with this entry of the folder and " cannot be written" (and may give a
        // reason), and no host command ran.
        const char* names = nullptr;
    } cases[] = {
        {[] {}, "0x52E0A The folder ", "missing/ad.eps", {{1, 1}}, "missing"},
        {[] {}, "0x52E1E ", "ad.eps", {{6, 1}}},
        {[] { Faults::Instance().FailCreateCommand(kEPSExportPrefsCmdBoss); },
         "0x52E1E (setPrefsCmd) == NULL"},
        {[] {
             Faults::Instance().HideInterface(kEPSExportPrefsCmdBoss,
                                              IEPSExportPrefsCmdData::kDefaultIID);
         },
         "0x52E1E (prefsData) == NULL"},
        {[] { Faults::Instance().FailProcessCommand(kEPSExportPrefsCmdBoss, ErrorCode(0x4321)); },
         "0x4321 "},
        {[] { Faults::Instance().FailCreateCommand(kEPSExportCmdBoss); },
         "0x52E1E (exportCmd) == NULL"},
        {[] {
             Faults::Instance().HideInterface(kEPSExportCmdBoss, IEPSExportCmdData::kDefaultIID);
         },
         "0x52E1E (exportData) == NULL"},
        {[] { Faults::Instance().FailProcessCommand(kEPSExportCmdBoss, ErrorCode(0x4321)); },
         "0x4321 "},
        {[] { Faults::Instance().FailFileStreams(); }, "0xF0F001 "},
    };
    for (const auto& c : cases) {
        for (const bool existed : {false, true}) {
            if (existed && std::string_view(c.output).starts_with("missing/"))
                continue;
            if (existed)
                m_folder.write(c.output, "before");
            Faults::Instance().Reset();
            ErrorUtils::PMSetGlobalErrorCode(kSuccess);
            host::Recorder::Instance().Clear(host::Channel::Commands);
            c.fault();
            auto job = Job(c.runs, c.output);
            const std::string thrown =
                Thrown([&] { ExportEPS(*job, m_document->Get(), false, Style()); });
            if (c.names) {
                EXPECT_EQ(thrown, c.thrown + m_folder.systemPath(c.names) +
                                      " cannot be written: No such file or directory.");
                EXPECT_EQ(Log(host::Channel::Commands), std::vector<std::string>{});
            } else {
                EXPECT_EQ(thrown, c.thrown);
            }
            EXPECT_EQ(std::filesystem::exists(m_folder.at(c.output)), existed) << c.thrown;
            if (existed) {
                EXPECT_EQ(m_folder.read(c.output), "before") << c.thrown;
            }
            std::filesystem::remove(m_folder.at(c.output));
        }
    }
    // A run that is not absolute stops the export; pages written before stay, and a page that
    // fails leaves no file.
    auto job = Job({{1, 1}, {3, 1}});
    job->GetAbsoluteRuns().Append(std::make_unique<BPageRange>("", 5, 1, kPageRangeStyleDefault));
    Faults::Instance().Reset();
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    Faults::Instance().FailProcessCommand(kEPSExportCmdBoss, ErrorCode(0x4321), 1);
    EXPECT_EQ(Thrown([&] { ExportEPS(*job, m_document->Get(), false, Style()); }), "0x4321 ");
    EXPECT_TRUE(std::filesystem::exists(m_folder.at("ad.eps")));
    EXPECT_FALSE(std::filesystem::exists(m_folder.at("ad.eps#2")));
    Faults::Instance().Reset();
    ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    EXPECT_EQ(Thrown([&] { ExportEPS(*job, m_document->Get(), false, Style()); }),
              "0x52E1F (*it)->GetNumberingStyle() != ePageNumberingStyle_Absolute");
    EXPECT_TRUE(std::filesystem::exists(m_folder.at("ad.eps#2")));
}
