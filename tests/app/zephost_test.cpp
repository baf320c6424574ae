// The main job end to end: zephost runs as a process on the example session, ad and jobs,
// serving no pipe itself; the test listens as the companion application, reads the PDF back
// with qpdf, the page-item file as an outline and the "exported" event's job.
#include "model/BJobFile.h"
#include "support/CompanionFixture.h"
#include "support/EventPayload.h"
#include "support/FolderContents.h"
#include "support/LinearTime.h"
#include "support/PageItemFile.h"
#include "support/ScopedEnvironment.h"
#include "support/TableAd.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <gmock/gmock.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

class MainJob : public ::testing::Test, public CompanionFixture {
protected:
    // Runs zephost on the example ad with the example job of that name ('Zerp' true) in the
    // session (the example studio's by default), its job drive J: a fresh folder; true when it
    // ends with status 0.
    bool Export(const std::string& job,
                const std::string& session = ZEP_EXAMPLES_DIR "/studio.json") {
        std::filesystem::create_directory(m_folder.at("job"));
        m_environment.Set("ZEP_DRIVE_J", m_folder.at("job"));
        const std::string examples = ZEP_EXAMPLES_DIR;
        const std::string command = std::string(ZEP_ZEPHOST) + " open " + session + " open " +
                                    examples + "/spring_sale.json call expY --zemp @" + examples +
                                    "/jobs/" + job + ".hex --zerp true report >" +
                                    m_folder.at("out") + " 2>" + m_folder.at("err");
        return std::system(command.c_str()) == 0;
    }
    std::string Output() const { return m_folder.read("out"); }
};

std::string Box(QPDFObjectHandle page, const char* key) {
    const auto r = page.getKey(key).getArrayAsRectangle();
    std::ostringstream text;
    text << r.llx << " " << r.lly << " " << r.urx << " " << r.ury;
    return text.str();
}

// The records of the ad's page-item file, whatever the output: per page the page's own record,
// then its items back to front with their text runs, each record's kind and then its tags.
std::string PageItems(const std::string& file) {
    std::string text;
    for (const std::string& entry : PageItemFileOutline(file))
        text += (entry.starts_with("kind") || entry.starts_with("page") ? "|" : " ") + entry;
    return text;
}
const std::string kPageItems =
    "|page -2|page 0|kind 20|kind 210|kind 20 PlacedGraphicIsCMYK|kind 10 "
    "OpenTypeCFFFontUsedInLayout|kind 20 PlacedGraphicIsCMYK PrintoutSuppressed "
    "flattener|page 1|kind 20 TransparencyBlendSpaceSetToCMYK "
    "TransparencyOnPageFlattenedUsingGlobalFlattener|kind 20 TextBoxOverflowed "
    "TransparentObjectsOverlapTextFrame|kind 10 OpenTypeCFFFontUsedInLayout|kind 10 "
    "OpenTypeCFFFontUsedInLayout|kind 20 OpacityTransparencyAppliedToObject "
    "PlacedGraphicContainsSpots TransparencyAppliedToObject flattener";

TEST_F(MainJob, ExportsTheExampleAdAsPDFAndTellsTheCompanion) {
    const auto companion = Listen();
    ASSERT_TRUE(Export("spring_sale_pdf")) << m_folder.read("err");
    EXPECT_THAT(m_folder.read("err"), ::testing::Not(::testing::HasSubstr("alert")));

    QPDF pdf;
    pdf.processFile(m_folder.at("job/spring-sale.pdf").c_str());
    EXPECT_EQ(pdf.getPDFVersion(), "1.6");
    const auto pages = QPDFPageDocumentHelper(pdf).getAllPages();
    ASSERT_EQ(pages.size(), 2u);
    for (const QPDFPageObjectHelper& page : pages) {
        QPDFObjectHandle object = page.getObjectHandle();
        EXPECT_EQ(Box(object, "/MediaBox"), "0 0 297 417"); // 280 x 400 and 8.5 bleed
        EXPECT_EQ(Box(object, "/BleedBox"), "0 0 297 417");
        EXPECT_EQ(Box(object, "/TrimBox"), "8.5 8.5 288.5 408.5");
    }
    // The first page shows the background in the spot colour, the image's box and the headline
    // box, the headline's text in paper white; not the non-printing note.
    QPDFObjectHandle first = pages[0].getObjectHandle();
    const auto data = first.getKey("/Contents").getStreamData();
    const std::string content(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    EXPECT_EQ(first.getKey("/Resources").getKey("/ColorSpace").getKey("/CS0").unparse(),
              "[ /Separation /PANTONE#20185#20C /DeviceCMYK << /C0 [ 0 0 0 0 ] /C1 [ 0 0.9 0.7 0 "
              "] /Domain [ 0 1 ] /FunctionType 2 /N 1 >> ]");
    EXPECT_THAT(content, ::testing::HasSubstr("/CS0 cs 1 scn\n"));
    EXPECT_THAT(content, ::testing::HasSubstr("1 g\nBT /F1 40 Tf 1 0 0 1 28.5 348.5 Tm (Spring "
                                              "sale) Tj ET\n"));
    std::size_t fills = 0;
    for (std::size_t at = 0; (at = content.find("\nf\n", at)) != std::string::npos; ++at)
        ++fills;
    EXPECT_EQ(fills, 3u);
    EXPECT_EQ(PageItems(m_folder.read("job/spring-sale.items")), kPageItems);

    const auto received = companion->Messages();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], "{\"what\":\"ping\"}");
    const auto sent = PayloadJob(received[1]);
    EXPECT_EQ(sent->jobName, "Spring sale");
    EXPECT_EQ(sent->outputFile.path(), "J:/spring-sale.pdf");
    ASSERT_EQ(sent->GetGroups().size(), 1u);
    std::string destinations;
    for (const BDestination& destination : *sent->GetGroups().begin())
        destinations += destination.GetIdentifier().toStdString() + " ";
    EXPECT_EQ(destinations, "4101 4102 ");

    EXPECT_THAT(Output(),
                ::testing::HasSubstr("called expY: done (preflight: 1 fault)\nreport on expY\n"
                                     "  output J:/spring-sale.pdf: PDF 1.6, 2 pages\n"));
    // The report names each record's item and gives each tag the severity of the job's ticket.
    EXPECT_THAT(Output(), ::testing::HasSubstr(
                              "      placed graphic, item 21 \"beach.tif\" (graphic frame on layer "
                              "\"Pictures\"), at 14 110 256 300; TIFF, bitmap, link "
                              "J:/EmbeddedGraphic#1, profile J:/PlacedImages/"));
    EXPECT_THAT(
        Output(),
        ::testing::HasSubstr("      page item, item 23 \"Everything in store is 3\" (text frame on "
                             "layer \"Text\"), at 18 14 246 300\n        TextBoxOverflowed: "
                             "fault\n        TransparentObjectsOverlapTextFrame: not set\n      "
                             "text run 1 of item 23 \"Everything in store is 3\", at 24 28 240 "
                             "40\n        OpenTypeCFFFontUsedInLayout: ignore\n"));
    EXPECT_THAT(Output(),
                ::testing::EndsWith("    summary: 2 pages, 8 items; tags: 1 fault, 1 note, 3 "
                                    "ignore, 8 not set\n  document: as after the job was stored "
                                    "and fitted, until the last command "
                                    "\"0x52E00SaveDetailsCmd\"\n"));
}

TEST_F(MainJob, ExportsTheExampleAdAsEPSWhenItsTicketForbidsTransparencyInPDF) {
    const auto companion = Listen();
    ASSERT_TRUE(Export("spring_sale_eps")) << m_folder.read("err");
    EXPECT_FALSE(std::filesystem::exists(m_folder.at("job/spring-sale.pdf")));
    EXPECT_THAT(m_folder.read("job/spring-sale.eps#2"),
                ::testing::HasSubstr("\n%%BoundingBox: 0 0 297 417\n"));
    EXPECT_EQ(companion->Messages().size(), 2u);
    EXPECT_THAT(Output(), ::testing::HasSubstr(
                              "  output J:/spring-sale.eps: EPS, %%BoundingBox: 0 0 297 417\n"
                              "  output J:/spring-sale.eps#2: EPS, %%BoundingBox: 0 0 297 "
                              "417\n"));
}

// A session that stores a job and then exports it runs both in one process: the export writes,
// reports, tells the companion and leaves the documents as it does in a session of its own, so
// nothing of the store stays behind in the plug-in or the host. Only the profile files of the
// placed images take a fresh name in every run.
TEST_F(MainJob, AnExportAfterAStoreInTheSameSessionDoesWhatItDoesAlone) {
    static const std::regex uuid("[0-9A-F]{8}(_[0-9A-F]{4}){3}_[0-9A-F]{12}");
    const std::string examples = ZEP_EXAMPLES_DIR;
    const auto session = [&](const std::string& steps) {
        std::filesystem::remove_all(m_folder.at("job"));
        std::filesystem::create_directory(m_folder.at("job"));
        m_environment.Set("ZEP_DRIVE_J", m_folder.at("job"));
        const auto companion = Listen();
        const std::string command = std::string(ZEP_ZEPHOST) + " open " + examples +
                                    "/studio.json open " + examples + "/spring_sale.json " + steps +
                                    " report dump >" + m_folder.at("out") + " 2>&1";
        const int status = std::system(command.c_str());
        std::string seen = "status " + std::to_string(status) + "\n" + Output();
        for (const std::string& message : companion->Messages())
            seen += "message " + message + "\n";
        for (const auto& [name, bytes] : FolderContents(m_folder.at("job")))
            seen += "file " + name + "\n" + bytes + "\n";
        return std::regex_replace(seen, uuid, "UUID");
    };
    for (const std::string job : {"spring_sale_pdf", "spring_sale_eps"}) {
        const std::string text = "--zemp @" + examples + "/jobs/" + job + ".hex";
        const std::string alone = session("call expY --zerp true " + text);
        std::string afterStore = session("call savY " + text + " call expY --zerp true " + text);
        const std::string stored = "called savY: done\n";
        const std::size_t at = afterStore.find(stored);
        ASSERT_NE(at, std::string::npos) << afterStore;
        EXPECT_EQ(afterStore.erase(at, stored.size()), alone) << job;
    }
}

// The example ad in a session that does not know its font (the studio's session without its
// font list): each text run is tagged as set in a font that is not installed, in the page-item
// file and in the report, with the severities of a job that has no setting for them.
TEST_F(MainJob, TextInAFontTheSessionDoesNotKnowIsTaggedAsMissing) {
    std::ifstream in(ZEP_EXAMPLES_DIR "/studio.json");
    const std::string studio(std::istreambuf_iterator<char>(in), {});
    const std::string session = std::regex_replace(studio, std::regex("\n *\"fonts\": [^\n]*"), "");
    ASSERT_NE(session, studio);
    m_folder.write("no_fonts.json", session);
    const auto companion = Listen();
    ASSERT_TRUE(Export("spring_sale_pdf", m_folder.at("no_fonts.json"))) << m_folder.read("err");

    const std::string missing =
        "FontStatusNotAvailable FontStatusSubstituted UnknownFontTypeUsedInLayout";
    const std::string items = PageItems(m_folder.read("job/spring-sale.items"));
    std::size_t runs = 0;
    for (std::size_t at = 0; (at = items.find("|kind 10", at)) != std::string::npos; ++at) {
        ++runs;
        EXPECT_EQ(items.substr(at, items.find('|', at + 1) - at), "|kind 10 " + missing) << items;
    }
    EXPECT_EQ(runs, 3u) << items;
    EXPECT_THAT(Output(), ::testing::HasSubstr(
                              "      text run 1 of item 22 \"Spring sale\", at 20 20 220 60\n"
                              "        FontStatusNotAvailable: not set\n"
                              "        FontStatusSubstituted: not set\n"
                              "        UnknownFontTypeUsedInLayout: not set\n"));
}

// After fitting, the example ad's background (the first fill of each page, in the spot colour)
// still covers the page and its bleed: the whole MediaBox.
TEST_F(MainJob, TheExampleAdsBackgroundCoversEachFittedPageAndItsBleed) {
    const auto companion = Listen();
    ASSERT_TRUE(Export("spring_sale_pdf")) << m_folder.read("err");
    QPDF pdf;
    pdf.processFile(m_folder.at("job/spring-sale.pdf").c_str());
    for (const QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle object = page.getObjectHandle();
        const auto data = object.getKey("/Contents").getStreamData();
        const std::string content(reinterpret_cast<const char*>(data->getBuffer()),
                                  data->getSize());
        std::smatch fill;
        ASSERT_TRUE(std::regex_search(
            content, fill,
            std::regex("/CS0 cs 1 scn\n(\\S+) (\\S+) m\n(\\S+) \\S+ l\n\\S+ (\\S+) l\n")))
            << content;
        const auto media = object.getKey("/MediaBox").getArrayAsRectangle();
        EXPECT_LE(std::stod(fill[1]), media.llx) << content;
        EXPECT_GE(std::stod(fill[2]), media.ury) << content;
        EXPECT_GE(std::stod(fill[3]), media.urx) << content;
        EXPECT_LE(std::stod(fill[4]), media.lly) << content;
    }
}

// The outcome line of an export that wrote its files ends with the preflight: the number of
// check tags of severity fault in its page-item file, also when it ended in an alert; an export
// that wrote nothing has none.
TEST_F(MainJob, TheOutcomeOfAnExportThatWroteItsFilesTellsThePreflight) {
    // Jobs without destinations, of the example ad's two pages or of five.
    for (const char* pages : {"2", "5"}) {
        m_folder.write("none.json", std::string(R"({"job": {"jobName": "No destination",
            "jobFolder": "J:/", "outputFile": "J:/none.pdf", "pageItemFile": "J:/none.items",
            "sections": [{"first": 1, "count": )") +
                                        pages + "}]}, \"forbidPDF\": false}");
        ASSERT_EQ(
            std::system((std::string(ZEP_MAKE_SAMPLE_JOB) + " --hex " + m_folder.at("none.json") +
                         " " + m_folder.at(pages + std::string(".hex")))
                            .c_str()),
            0);
    }
    const std::string examples = ZEP_EXAMPLES_DIR;
    const struct {
        bool listening;
        std::string job;
        std::string outcome;
    } cases[] = {
        {true, examples + "/jobs/spring_sale_pdf.hex", "called expY: done (preflight: 1 fault)\n"},
        {false, examples + "/jobs/spring_sale_pdf.hex",
         "called expY: ended in an alert: The companion application cannot be told of the "
         "export: its destinations stay unexported. (preflight: 1 fault)\n"},
        {true, m_folder.at("2.hex"),
         "called expY: ended in an alert: The job has no page size: the document cannot be "
         "fitted. (preflight: 0 faults)\n"},
        // The fitting's alert, then the export's own ("The job's pages lie outside the
        // document."): the page-item file is there from the export before, not written again.
        {true, m_folder.at("5.hex"),
         "called expY: ended in an alert: The job has no page size: the document cannot be "
         "fitted.\n"},
    };
    std::filesystem::create_directory(m_folder.at("job"));
    m_environment.Set("ZEP_DRIVE_J", m_folder.at("job"));
    for (const auto& c : cases) {
        const auto companion = c.listening ? Listen() : nullptr;
        const std::string command = std::string(ZEP_ZEPHOST) + " open " + examples +
                                    "/studio.json open " + examples +
                                    "/spring_sale.json call expY --zerp true --zemp @" + c.job +
                                    " >" + m_folder.at("out") + " 2>" + m_folder.at("err");
        std::system(command.c_str());
        EXPECT_THAT(Output(), ::testing::HasSubstr(c.outcome)) << m_folder.read("err");
    }
}

// The report names each record by the item of the document whose box it has, and each text run
// by its place among the runs of the frame before it: a story threaded through two frames gives
// each frame its own runs, counted from 1, with their text.
TEST(Zephost, ReportNamesEachRunByItsPlaceInItsOwnFrameOfAThreadedStory) {
    TempFolder folder;
    folder.write("ad.json", R"({"kind": "document", "name": "Bakery.indd",
      "layers": [{"id": 3, "name": "Ad"}],
      "colors": [{"id": 41, "space": 6, "values": [0.2, 0.6, 1, 0.4]}],
      "spreads": [{"id": 10,
        "pages": [{"id": 11, "width": 255.12, "height": 170.08, "margins": [14, 14, 14, 14]}],
        "items": [
          {"id": 21, "layer": 3, "bounds": [14, 14, 120, 150], "fonts": ["Minion Pro"],
           "textFrame": {"start": 0, "span": 12}},
          {"id": 22, "layer": 3, "bounds": [130, 14, 241, 150], "fonts": ["Minion Pro"],
           "textFrame": {"start": 12, "span": 18}}]}],
      "stories": [{"id": 60, "frameList": 61, "text": "Fresh bread Every morning at 6",
        "frames": [21, 22],
        "attributes": [{"span": 30, "font": "Minion Pro", "fill": {"color": 41, "tint": 100}}],
        "lines": [
          {"y": 50, "count": 6, "runs": [{"start": 0, "span": 6, "width": 50, "height": 14,
            "matrix": [1, 0, 0, 1, 20, 0]}]},
          {"y": 70, "count": 6, "runs": [{"start": 6, "span": 6, "width": 50, "height": 14,
            "matrix": [1, 0, 0, 1, 20, 0]}]},
          {"y": 50, "count": 14, "runs": [{"start": 12, "span": 14, "width": 90, "height": 14,
            "matrix": [1, 0, 0, 1, 136, 0]}]},
          {"y": 70, "count": 4, "runs": [{"start": 26, "span": 4, "width": 30, "height": 14,
            "matrix": [1, 0, 0, 1, 136, 0]}]}]}],
      "sections": [{"name": "", "start": 11, "count": 1, "style": "0x4C1A"}],
      "view": {"spread": 10, "page": 11}})");
    folder.write("job.json", R"({"job": {"jobName": "Bakery", "pageCount": 1,
        "jobFolder": "J:/", "outputFile": "J:/bakery.pdf", "pageItemFile": "J:/bakery.items",
        "sections": [{"first": 1, "count": 1}]},
      "groups": [{"selected": true, "destinations": [{"id": "5001", "width": 255.12,
        "height": 170.08}]}],
      "forbidPDF": false})");
    ASSERT_EQ(std::system((std::string(ZEP_MAKE_SAMPLE_JOB) + " --hex " + folder.at("job.json") +
                           " " + folder.at("job.hex"))
                              .c_str()),
              0);
    std::filesystem::create_directory(folder.at("job"));
    ScopedEnvironment environment("ZEP_DRIVE_J", folder.at("job"));
    environment.Set("ZEP_PIPE_DIR", folder.root());
    environment.Set("ZEP_REGISTRY", folder.at("registry"));
    const std::string command = std::string(ZEP_ZEPHOST) + " --listen open " + ZEP_EXAMPLES_DIR +
                                "/studio.json open " + folder.at("ad.json") +
                                " call expY --zerp true --zemp @" + folder.at("job.hex") +
                                " report >" + folder.at("out") + " 2>" + folder.at("err");
    ASSERT_EQ(std::system(command.c_str()), 0) << folder.read("err");
    std::string records;
    std::istringstream out(folder.read("out"));
    for (std::string line; std::getline(out, line);)
        if (line.starts_with("      page item") || line.starts_with("      text run"))
            records += line.substr(6) + "\n";
    EXPECT_EQ(records,
              "page item, item 21 \"Fresh bread Every mornin\" (text frame on layer \"Ad\"), at "
              "14 14 120 150\n"
              "text run 1 of item 21 \"Fresh \", at 20 22 70 36\n"
              "text run 2 of item 21 \"bread \", at 20 42 70 56\n"
              "page item, item 22 \"Every morning at 6\" (text frame on layer \"Ad\"), at 130 14 "
              "241 150\n"
              "text run 1 of item 22 \"Every morning \", at 136 22 226 36\n"
              "text run 2 of item 22 \"at 6\", at 136 42 166 56\n");
}

// A theatre's ad whose text frame holds a 3 x 4 table of show times in a font the studio does
// not know, in each shape a description gives a table in: the preflight counts one fault per
// cell, and the report names each cell's run by its place among the runs of the table's frame,
// with its text and its box.
TEST(Zephost, ReportNamesEachRunOfATablesCellsUnderTheTablesFrame) {
    TempFolder folder;
    folder.write("job.json", R"({"job": {"jobName": "Theatre", "pageCount": 1,
        "jobFolder": "J:/", "outputFile": "J:/theatre.pdf", "pageItemFile": "J:/theatre.items",
        "sections": [{"first": 1, "count": 1}]},
      "groups": [{"selected": true, "destinations": [{"id": "6001", "width": 300,
        "height": 400}]}],
      "defaults": {"FontStatusNotAvailable": {"type": "boolean", "defaults": {"sev": "fault"}}},
      "forbidPDF": false})");
    ASSERT_EQ(std::system((std::string(ZEP_MAKE_SAMPLE_JOB) + " --hex " + folder.at("job.json") +
                           " " + folder.at("job.hex"))
                              .c_str()),
              0);
    std::string expected = "placed graphic, item 20 (graphic frame on layer \"Ad\"), at 20 20 "
                           "120 70; EPS\npage item, item 22 (text frame on layer \"Ad\"), at 20 "
                           "100 280 220\n";
    for (std::size_t i = 0; i < kTableAdCells.size(); ++i) {
        const std::array<double, 2> at = TableAdRunAt(i);
        expected += "text run " + std::to_string(i + 1) + " of item 22 \"" + kTableAdCells[i] +
                    "\", at " + std::to_string(static_cast<int>(at[0])) + " " +
                    std::to_string(static_cast<int>(at[1])) + " " +
                    std::to_string(static_cast<int>(at[0]) + 50) + " " +
                    std::to_string(static_cast<int>(at[1]) + 10) + "\n";
    }
    ScopedEnvironment environment("ZEP_DRIVE_J", folder.at("job"));
    environment.Set("ZEP_PIPE_DIR", folder.root());
    environment.Set("ZEP_REGISTRY", folder.at("registry"));
    for (const TableShape shape : {TableShape::Anchor, TableShape::AnchorAndReturn}) {
        folder.write("ad.json", TableAd(shape));
        std::filesystem::remove_all(folder.at("job"));
        std::filesystem::create_directory(folder.at("job"));
        const std::string command = std::string(ZEP_ZEPHOST) + " --listen open " +
                                    ZEP_EXAMPLES_DIR + "/studio.json open " + folder.at("ad.json") +
                                    " call expY --zerp true --zemp @" + folder.at("job.hex") +
                                    " report >" + folder.at("out") + " 2>" + folder.at("err");
        ASSERT_EQ(std::system(command.c_str()), 0) << folder.read("err");
        const std::string output = folder.read("out");
        EXPECT_THAT(output, ::testing::HasSubstr("called expY: done (preflight: 12 faults)\n"));
        std::string records;
        std::istringstream out(output);
        for (std::string line; std::getline(out, line);)
            if (line.starts_with("      page item") || line.starts_with("      placed graphic") ||
                line.starts_with("      text run"))
                records += line.substr(6) + "\n";
        EXPECT_EQ(records, expected) << (shape == TableShape::Anchor ? "anchor" : "and return");
    }
}

// zephost as a user meets it: its exit status and what it prints for a command line. %E: the
// examples folder, %F: a folder of the test's own.
TEST(Zephost, TellsTheOutcomeByItsExitStatusAndPrintsWhatAUserCanActOn) {
    const struct {
        std::string arguments;
        int status;
        std::string out;                  // found in standard output
        std::vector<std::string> err;     // found in standard error, in this order
        std::string absent = "log DEBUG"; // not in standard error
    } cases[] = {
        {"--help", 0, "\nexit status:\n  0 ", {}},
        {"--version", 0, "zephost 5.", {}},
        {"open %E/single_page.json call expy",
         3,
         "called expy: ended in an alert: The script method is not supported.\n",
         {"alert: The script method is not supported.\n  error 0xF01030\n"}},
        {"call savY --zemp 'no job'",
         3,
         "",
         {"alert: UKeyInStream: meta key mismatch\n  error 0x1\n  while reading the job given "
          "as 'Zemp': \"no job\" (6 characters)\n"}},
        {"open %E/single_page.json selct 21", 1, "", {"zephost: unknown step \"selct\"\n"}},
        {"call savY --zerp yes", 1, "", {"--zerp is true or false, not \"yes\""}},
        {"--decode undo", 1, "", {"--decode shows what --listen receives"}},
        {"--plugin /nonexistent.so dump", 2, "", {"the plug-in does not load"}},
        {"-v undo", 0, "nothing to undo", {}, "alert"},
        {"-v open %E/session.json call PrnT",
         0,
         "",
         {"log DEBUG ZEPScriptProvider::HandleMethod: HandleEvent Called.\n"},
         "alert"},
        {"--log %F/log open %E/session.json call PrnT", 0, "called PrnT: done", {}},
        // The job's drive J: is not mapped: the export is refused before anything is written.
        {"open %E/studio.json open %E/spring_sale.json call expY --zemp "
         "@%E/jobs/spring_sale_pdf.hex",
         3,
         "called expY: ended in an alert: The file cannot be written: the path \"J:/\" names no "
         "file: drive J: is not mapped (ZEP_DRIVE_J is not set).\n",
         {"alert: The file cannot be written: the path \"J:/\" names no file: drive J: is not "
          "mapped (ZEP_DRIVE_J is not set).\n  error 0x52E0A: The file cannot be written.\n",
          "  the job's output file J:/spring-sale.pdf cannot be written: drive J: is not mapped: "
          "set ZEP_DRIVE_J to a folder\n"},
         "log ERROR"},
        // A file is read to its size up to 16 MiB: one byte more is refused by the reader.
        {"open %F/large.json",
         1,
         "",
         {"/large.json: the description is larger than 16777216 bytes\n"}},
        // A file that cannot be read: the message names it and gives the system's reason.
        {"open %F/missing.json",
         1,
         "",
         {"/missing.json: cannot be read: No such file or directory\n"}},
        {"open %F", 1, "", {": cannot be read: Is a directory\n"}},
        {"open %F/large.json/x.json", 1, "", {"/x.json: cannot be read: Not a directory\n"}},
        {"call savY --zemp @%F/missing.hex",
         1,
         "",
         {"/missing.hex: cannot be read: No such file or directory\n"}},
        {"--log %F/missing/log undo",
         1,
         "",
         {"zephost: --log ", "/missing/log: cannot be written: No such file or directory\n"}},
        // A stored job that does not read: the document opens without it.
        {"open %F/damaged.json",
         0,
         "opened \"Damaged.indd\"",
         {"log ERROR ZEPJobList::ReadWrite: the job stored with document \"Damaged.indd\" does not "
          "read and is left out: UKeyInStream: meta key mismatch\n"}},
    };
    TempFolder folder;
    folder.write("large.json", std::string((16u << 20) + 1, ' '));
    folder.write("damaged.json", R"({"kind": "document", "name": "Damaged.indd",
        "workspace": {"facets": {"0x52E06": "040004000000DEADBEEF"}}})");
    ScopedEnvironment environment("ZEP_PIPE_DIR", folder.root());
    environment.Set("ZEP_REGISTRY", folder.at("registry"));
    environment.Unset("ZEP_DRIVE_J");
    for (const auto& c : cases) {
        const std::string command =
            std::regex_replace(std::regex_replace(std::string(ZEP_ZEPHOST) + " " + c.arguments,
                                                  std::regex("%E"), ZEP_EXAMPLES_DIR),
                               std::regex("%F"), folder.root());
        const int status =
            std::system((command + " >" + folder.at("out") + " 2>" + folder.at("err")).c_str());
        const std::string err = folder.read("err");
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.arguments << "\n" << err;
        EXPECT_THAT(folder.read("out"), ::testing::HasSubstr(c.out)) << c.arguments;
        std::size_t at = 0;
        for (const std::string& text : c.err) {
            at = err.find(text, at);
            ASSERT_NE(at, std::string::npos) << c.arguments << ": " << text << " not in\n" << err;
        }
        EXPECT_THAT(err, ::testing::Not(::testing::HasSubstr(c.absent))) << c.arguments;
    }
    EXPECT_THAT(folder.read("log"), ::testing::HasSubstr("][DEBUG]["));
}

// A log file that cannot be written (a full disk) is told once on standard error, with the
// system's reason; the records from then on show there as without --log, and zephost does not end
// with status 0. A log to which nothing was written lost nothing.
TEST(Zephost, SaysOnceThatItsLogFileCannotBeWrittenAndDoesNotEndWith0) {
    const std::string failed = "zephost: --log /dev/full: cannot be written: No space left on "
                               "device; the log records from here on show on standard error\n";
    const struct {
        std::string arguments;
        int status;
        std::string after; // in standard error after the message; empty: no message
    } cases[] = {
        {"-v open %E/session.json call PrnT", 4,
         "log DEBUG ZEPScriptProvider::HandleMethod: HandleEvent Called.\n"},
        {"open %E/single_page.json call expy", 3, "alert: The script method is not supported.\n"},
        {"undo", 0, ""},
    };
    TempFolder folder;
    const ScopedEnvironmentVariable registry("ZEP_REGISTRY", folder.at("registry"));
    for (const auto& c : cases) {
        const std::string command =
            std::string(ZEP_ZEPHOST) + " --log /dev/full " +
            std::regex_replace(c.arguments, std::regex("%E"), ZEP_EXAMPLES_DIR) + " >" +
            folder.at("out") + " 2>" + folder.at("err");
        const int status = std::system(command.c_str());
        const std::string err = folder.read("err");
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.arguments << "\n" << err;
        const std::size_t at = err.find(failed);
        if (c.after.empty()) {
            EXPECT_EQ(at, std::string::npos) << c.arguments << "\n" << err;
            continue;
        }
        ASSERT_NE(at, std::string::npos) << c.arguments << "\n" << err;
        EXPECT_EQ(err.find("--log", at + failed.size()), std::string::npos) << c.arguments << "\n"
                                                                            << err;
        EXPECT_NE(err.find(c.after, at), std::string::npos) << c.arguments << "\n" << err;
    }
}

// The report shows the job's page-item file only when the call wrote it, and reads only a
// regular file within its bound, opened without waiting: whatever else stands under the name
// (an export that fails puts back what stood there), it says at once why it shows nothing.
TEST(Zephost, ReportShowsThePageItemFileOnlyWhenTheCallWroteItAndWaitsForNothing) {
    namespace fs = std::filesystem;
    TempFolder folder;
    ScopedEnvironment environment("ZEP_DRIVE_J", folder.at("job"));
    environment.Set("ZEP_PIPE_DIR", folder.root());
    environment.Set("ZEP_REGISTRY", folder.at("registry"));
    const std::string examples = ZEP_EXAMPLES_DIR;
    const std::string job = " --zemp @" + examples + "/jobs/spring_sale_pdf.hex report";
    // The spring-sale job exported from its ad, and from a one-page ad, which its two pages lie
    // outside of: that export fails before it writes anything. `timeout` ends a report that waits.
    const std::string exported =
        "open " + examples + "/studio.json open " + examples + "/spring_sale.json call expY" + job;
    const std::string failed =
        "open " + examples + "/studio.json open " + examples + "/single_page.json call expY" + job;
    const std::string items = folder.at("job/spring-sale.items");
    const std::string line = "  page-item file J:/spring-sale.items";
    const std::string before = ": not written by this call; the file under that name is from "
                               "before the call and is not shown\n";
    const struct {
        const char* name;
        std::function<void()> lay; // what stands under the page-item file's name
        const std::string& steps;
        std::string shown;
    } cases[] = {
        {"nothing, then an export", [] {}, exported, line + "\n    document: no items\n"},
        {"the earlier export's file", [&] { fs::copy_file(folder.at("earlier"), items); }, failed,
         line + before},
        {"nothing", [] {}, failed,
         line + ": not written by this call; no file stands under that name\n"},
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(items.c_str(), 0600), 0); }, failed,
         line + ": not shown: a FIFO stands under that name, not a regular file\n"},
        {"a folder", [&] { fs::create_directory(items); }, failed,
         line + ": not shown: a folder stands under that name, not a regular file\n"},
        {"a link to a file", [&] { fs::create_symlink(folder.at("earlier"), items); }, failed,
         line + ": not shown: a symbolic link stands under that name, and the report does not "
                "follow it\n"},
        {"a sparse file of 2 GiB",
         [&] {
             folder.write("job/spring-sale.items", "");
             fs::resize_file(items, std::uint64_t{1} << 31);
         },
         failed, line + before},
    };
    fs::create_directory(folder.at("job"));
    for (const auto& c : cases) {
        fs::remove_all(items); // a link itself, not what it leads to
        c.lay();
        const std::string command = "timeout 60 " + std::string(ZEP_ZEPHOST) + " --listen " +
                                    c.steps + " >" + folder.at("out") + " 2>" + folder.at("err");
        const int status = std::system(command.c_str());
        EXPECT_EQ(WEXITSTATUS(status), c.steps == exported ? 0 : 3) << c.name << "\n"
                                                                    << folder.read("err");
        EXPECT_THAT(folder.read("out"), ::testing::HasSubstr(c.shown)) << c.name;
        if (!fs::exists(folder.at("earlier")))
            fs::copy_file(items, folder.at("earlier"));
    }
}

// Each hint of zephost shows after the alert it belongs to and after no other: %E the examples
// folder, %F a folder of the test's own.
TEST(Zephost, ShowsEachHintOnlyWithTheAlertItBelongsTo) {
    const std::string methods =
        "the plug-in's methods are savY, sanY, expY, DisT and PrnT (zephost --help)";
    const std::string zemp = "give 'Zemp' with --zemp @FILE or --zemp TEXT";
    const std::string view = "the front document has no layout view: give its description a "
                             "\"view\"";
    const struct {
        std::string arguments;
        std::string alert;
        std::string hint; // empty: none
    } cases[] = {
        {"open %E/single_page.json call expy", "The script method is not supported.", methods},
        {"call savY", "A parameter of the script method is missing.", zemp},
        {"open %F/no_view.json action 0x52E0B select 20 action 0x52E06",
         "(iLayoutControlData) == NULL", view},
        // An alert without a code.
        {"open %E/single_page.json call savY --zemp @%F/no_destination.hex --zerp true",
         "The job has no page size: the document cannot be fitted.", ""},
    };
    TempFolder folder;
    folder.write("no_view.json", R"({"kind": "document", "name": "No view.indd",
        "layers": [{"id": 3, "name": "L"}], "spreads": [{"id": 10, "pages": [{"id": 11,
        "width": 100, "height": 100}], "items": [{"id": 20, "layer": 3, "bounds": [0, 0, 10, 10]}]}]})");
    folder.write("no_destination.json", R"({"job": {"jobName": "No destination"}})");
    ASSERT_EQ(std::system((std::string(ZEP_MAKE_SAMPLE_JOB) + " --hex " +
                           folder.at("no_destination.json") + " " + folder.at("no_destination.hex"))
                              .c_str()),
              0);
    const ScopedEnvironmentVariable registry("ZEP_REGISTRY", folder.at("registry"));
    for (const auto& c : cases) {
        const std::string command =
            std::regex_replace(std::regex_replace(std::string(ZEP_ZEPHOST) + " " + c.arguments,
                                                  std::regex("%E"), ZEP_EXAMPLES_DIR),
                               std::regex("%F"), folder.root());
        std::system((command + " >" + folder.at("out") + " 2>" + folder.at("err")).c_str());
        const std::string err = folder.read("err");
        // The alert and what zephost adds to it: the lines indented below it.
        const std::size_t at = err.find("alert: " + c.alert + "\n");
        ASSERT_NE(at, std::string::npos) << c.arguments << "\n" << err;
        std::size_t end = err.find('\n', at);
        while (end + 1 < err.size() && err.compare(end + 1, 2, "  ") == 0)
            end = err.find('\n', end + 1);
        const std::string shown = err.substr(at, end - at);
        for (const std::string& hint : {methods, zemp, view})
            EXPECT_EQ(shown.find("\n  " + hint) != std::string::npos, hint == c.hint)
                << c.arguments << ": " << hint << " in\n"
                << shown;
    }
}

// The report follows every command of the call, and an EPS export runs two for every page (its
// preferences, then the page's export): an EPS export of many pages with its report takes time in
// proportion to the pages, measured against the same export to PDF, which runs a few commands for
// the whole document.
TEST(Zephost, ReportsOnAnEPSExportOfManyPagesInTimeLinearInThePages) {
    constexpr int kPages = 1000;
    TempFolder folder;
    std::string spreads;
    for (int p = 0; p < kPages; ++p) {
        const std::string id = std::to_string(100 + 3 * p);
        spreads +=
            (p ? ",\n" : "") + std::string(R"({"id": )") + id + R"(, "offset": [0, )" +
            std::to_string(500 * p) + R"(], "pages": [{"id": )" + std::to_string(101 + 3 * p) +
            R"(, "width": 270, "height": 390}], "items": [{"id": )" + std::to_string(102 + 3 * p) +
            R"(, "layer": 3, "bounds": [14, 14, 134, 94], "graphics": {"fill": 70},
                     "transparency": {"opacity": 60}, "transparent": true}]})";
    }
    folder.write("ad.json", R"({"kind": "document", "name": "Pages.indd",
      "workspace": {"pageSetup": {"bleed": {"top": 3, "left": 3, "bottom": 3, "right": 3}}},
      "layers": [{"id": 3, "name": "Background"}],
      "colors": [{"id": 70, "space": 6, "values": [0, 0, 0, 1], "tint": 100}],
      "spreads": [)" + spreads + R"(],
      "sections": [{"name": "", "start": 101, "count": )" +
                                std::to_string(kPages) + R"(, "style": "0x4C1A"}],
      "view": {"spread": 100, "page": 101}})");
    // The example jobs, booked for every page.
    for (const std::string job : {"spring_sale_pdf", "spring_sale_eps"}) {
        std::ifstream in(ZEP_EXAMPLES_DIR "/jobs/" + job + ".json");
        std::string json(std::istreambuf_iterator<char>(in), {});
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{R"("pageCount": 2)",
                                                  R"("pageCount": )" + std::to_string(kPages)},
              {R"("first": 1, "count": 2})",
               R"("first": 1, "count": )" + std::to_string(kPages) + "}"}}) {
            const std::size_t at = json.find(from);
            ASSERT_NE(at, std::string::npos) << job << " has changed: " << from;
            json.replace(at, from.size(), to);
        }
        folder.write(job + ".json", json);
        ASSERT_EQ(
            std::system((std::string(ZEP_MAKE_SAMPLE_JOB) + " --hex " + folder.at(job + ".json") +
                         " " + folder.at(job + ".hex") + " 2>/dev/null")
                            .c_str()),
            0);
    }
    ScopedEnvironment environment("ZEP_PIPE_DIR", folder.root());
    environment.Set("ZEP_REGISTRY", folder.at("registry"));
    const auto exportWith = [&folder, &environment](const std::string& job) {
        std::filesystem::create_directory(folder.at(job));
        environment.Set("ZEP_DRIVE_J", folder.at(job));
        const std::string command =
            std::string(ZEP_ZEPHOST) + " --listen open " + ZEP_EXAMPLES_DIR + "/studio.json open " +
            folder.at("ad.json") + " call expY --zerp true --zemp @" + folder.at(job + ".hex") +
            " report >" + folder.at(job + ".out") + " 2>" + folder.at(job + ".err");
        EXPECT_EQ(std::system(command.c_str()), 0) << folder.read(job + ".err");
    };
    const double pdf = SecondsOf([&] { exportWith("spring_sale_pdf"); });
    const double eps = SecondsOf([&] { exportWith("spring_sale_eps"); });
    EXPECT_TRUE(TookLinearTime(pdf, eps));
    // The transparency the EPS job's ticket forbids in a PDF makes it export EPS files.
    EXPECT_NE(folder.read("spring_sale_eps.out")
                  .find("  output J:/spring-sale.eps#" + std::to_string(kPages) +
                        ": EPS, %%BoundingBox:"),
              std::string::npos);
    for (const std::string job : {"spring_sale_pdf", "spring_sale_eps"}) {
        const std::string report = folder.read(job + ".out");
        EXPECT_TRUE(report.ends_with("  document: as after the job was stored and fitted, until "
                                     "the last command \"0x52E00SaveDetailsCmd\"\n"))
            << job << ": "
            << report.substr(report.size() - std::min<std::size_t>(report.size(), 300));
    }
}

} // namespace
