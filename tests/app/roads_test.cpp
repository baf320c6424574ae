// Every road of the plug-in end to end: zephost runs as a process on the examples, the test
// listens as the companion application and looks at what the user would see: the files in the
// job's folder (a PDF read with qpdf), the events received, the alerts, zephost's output and the
// document dumps before and after the change and after its undo.
#include "support/BackgroundProgram.h"
#include "support/CompanionFixture.h"
#include "support/EventPayload.h"
#include "support/FolderContents.h"
#include "support/PageItemFile.h"
#include "support/Test.h"

#include <gmock/gmock.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// What the dumps show: after == before, undone == before, or undone == before but for the job
// values the fitting keeps in the stored job (its recomputed boxes and page size).
enum class Dumps { kUnchecked, kUnchanged, kUndone, kUndoneButJobValues };

struct DumpText {
    const char* dump; // "before", "after" or "undone"
    const char* text;
    bool present = true;
};

struct Road {
    const char* name;
    std::string steps; // %E: the examples folder; dumps go to %F/before, %F/after, %F/undone
    // The "what" of each message the companion received, with the name of the job it carries.
    std::string events;
    std::vector<std::string> output; // found in zephost's standard output, in this order
    Dumps dumps;
    std::vector<DumpText> dumpTexts = {};
    std::string files = {}; // the job folder J:, each profile written as "PlacedImages/*.icc"
    std::vector<std::pair<std::string, std::string>> contents = {}; // a file, what it shows
    std::string alerts = {}; // zephost's standard error; with alerts zephost ends with status 3
};

void PrintTo(const Road& road, std::ostream* out) {
    *out << road.name;
}

const std::string kAd = "open %E/studio.json open %E/spring_sale.json ";
const std::string kPDFJob = " --zemp @%E/jobs/spring_sale_pdf.hex ";
const std::string kHalfPage = "open %E/single_page.json call savY --zemp @%E/jobs/half_page.hex ";
const char* kTrimSize = "\"width\": 190.0,\n              \"height\": 130.0,";
const char* kExported = "45780101"; // 'Ex' true in the stored job's hex
const char* kIcc = "PlacedImages/*.icc";
const char* kEPS = "%!PS-Adobe-3.0 EPSF-3.0\n";

std::string Change(const std::string& setup, const std::string& change) {
    return setup + " dump %F/before " + change + " dump %F/after undo dump %F/undone";
}

const Road kRoads[] = {
    {"SaveFitsTheFrontDocumentToTheJob",
     Change("open %E/single_page.json", "call savY --zemp @%E/jobs/half_page.hex --zerp true"),
     "",
     {"called savY: done\n"},
     Dumps::kUndone,
     {{"after", kTrimSize}, {"after", "537072696e672073616c652e696e6464"}}},
    {"SaveOfAJobWhoseProfileCannotBeReadLeavesTheDocument",
     Change("open %E/single_page.json", "call savY --zemp @%E/jobs/working_space_profile.hex"),
     "",
     {"nothing to undo\n"},
     Dumps::kUnchanged,
     {},
     "",
     {},
     "alert: A working-space profile of the job cannot be read.\n  error 0x52E38\n"},
    {"NewDocumentFromTheJobIsClosedByUndo",
     Change("open %E/single_page.json", "call sanY --zemp @%E/jobs/half_page.hex"),
     "",
     {"\"Spring sale.indd\": 1 spread, 1 page, 1 layer, 0 page items (front)\n", "undid"},
     Dumps::kUndone,
     {{"after", kTrimSize}}},
    {"ExportToPDFWritesTheProfileOfThePlacedImageAndIsUndone",
     kAd + "dump %F/before call expY" + kPDFJob + "--zerp true undo undo dump %F/undone",
     "ping exported(Spring sale)",
     {"undid \"New Flattener Style\"\nundid \"\"\n"},
     Dumps::kUndone,
     {},
     "EmbeddedGraphic#1 PlacedImages/*.icc spring-sale.items spring-sale.pdf",
     {{"EmbeddedGraphic#1", "II*"},
      {kIcc, "acsp"},
      {kIcc, "Camera RGB"},
      {"spring-sale.pdf", "PDF 1.6: MediaBox 0 0 297"}}},
    {"ExportToEPSWritesAnEPSFilePerPage",
     kAd + "call expY --zemp @%E/jobs/spring_sale_eps.hex",
     "ping exported(Spring sale)",
     {},
     Dumps::kUnchecked,
     {},
     "EmbeddedGraphic#1 PlacedImages/*.icc spring-sale.eps spring-sale.eps#2 spring-sale.items",
     {{"spring-sale.eps", kEPS}, {"spring-sale.eps#2", kEPS}}},
    {"ExportOfASelectionWritesThePageOfTheSelectedFrame",
     kAd + "action 0x52E0B select 24 dump %F/before call expY" + kPDFJob +
         "report undo undo dump %F/undone",
     "ping exported(Spring sale)",
     {"output J:/spring-sale.pdf: PDF 1.6, 1 page\n    page 1: MediaBox 0 0 234 132"},
     Dumps::kUndone,
     {},
     "spring-sale.items spring-sale.pdf",
     {{"spring-sale.pdf", "PDF 1.6: MediaBox 0 0 234 132, TrimBox 3 3 231 129\n"},
      {"spring-sale.items", "page -2 page 0 kind 20 TransparencyBlendSpaceSetToCMYK"}}},
    {"DestinationUpdateClearsTheExportedMarksOfTheListedDestinations",
     kAd + "call expY" + kPDFJob + "dump %F/before commands call DisT --zemp " +
         "000000020000100500001006 commands dump %F/after",
     "ping exported(Spring sale)",
     {"called DisT: done\ncommand 0x52E00SaveDetailsCmd 0x52E16 -> 0x0\ndumped"},
     Dumps::kUnchecked,
     {{"before", kExported}, {"after", kExported, false}},
     "EmbeddedGraphic#1 PlacedImages/*.icc spring-sale.items spring-sale.pdf"},
    {"PrintShowsTheDialogWithTheFrontDocumentsPrintData",
     "open %E/session.json dump %F/before call PrnT commands dump %F/after",
     "",
     {"command Print 0x1D231 -> 0x0\ndata CopyData 1\ndata SetPrintData 0xA26 \"Proof\" 2\n"
      "data SetInkList Coupon.indd 2\ndata SetTrapStyleListMgr Coupon.indd 2\n"
      "data SetDocument Coupon.indd 1\n"},
     Dumps::kUnchanged},
    {"AdjustFitsTheDocument",
     Change(kHalfPage, "action 0x52E06"),
     "",
     {"undid \"0x52E00kStringZEPAdjustFrameCmdKey\"\n"},
     Dumps::kUndoneButJobValues,
     {{"after", kTrimSize}, {"after", "0x52E00ZEPGuideLayer", false}}},
    {"AdjustFitsTheSelectedFrameWithGuides",
     Change(kHalfPage + "action 0x52E0B select 21", "action 0x52E06"),
     "",
     {"undid \"0x52E00kStringZEPAdjustFrameCmdKey\"\n"},
     Dumps::kUndoneButJobValues,
     {{"after", "\"name\": \"0x52E00ZEPGuideLayer\""},
      {"after", "\"index\": 16"},
      {"after", kTrimSize, false}}},
    {"DetailsTellsTheCompanionTheStoredJob",
     kHalfPage + "dump %F/before action 0x52E05 dump %F/after",
     "ping details(Half-page ad)",
     {},
     Dumps::kUnchanged},
    {"JobListAsksTheCompanionForItsJobs",
     kHalfPage + "dump %F/before action 0x52E0D dump %F/after",
     "ping joblist",
     {},
     Dumps::kUnchanged},
    {"SelectionBasedExportsToggleIsShownAndUndone",
     Change("open %E/single_page.json states", "action 0x52E0B states") + " states",
     "",
     {"state 0x52E0B 1 Selection-Based Exports\n", "state 0x52E06 0 Adjust Selection to Job\n",
      "state 0x52E0B 3 Selection-Based Exports\n", "state 0x52E0B 1 Selection-Based Exports\n"},
     Dumps::kUndone},
    {"CommonSizingToggleIsShownAndUndone",
     Change("open %E/single_page.json states", "action 0x52E0C states") + " states",
     "",
     {"state 0x52E0C 1 Common Sizing\n", "state 0x52E0C 3 Common Sizing\n",
      "state 0x52E0C 1 Common Sizing\n"},
     Dumps::kUndone},
};

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
    return text;
}

// A PDF as qpdf reads it: its version, then each page's MediaBox and TrimBox.
std::string PDFOutline(const std::string& path) {
    QPDF pdf;
    pdf.processFile(path.c_str());
    std::ostringstream text;
    text << "PDF " << pdf.getPDFVersion() << ":";
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages())
        for (const char* key : {"/MediaBox", "/TrimBox"}) {
            const auto r = page.getObjectHandle().getKey(key).getArrayAsRectangle();
            text << (key[1] == 'M' ? " " : ", ") << key + 1 << " " << r.llx << " " << r.lly << " "
                 << r.urx << " " << r.ury << (key[1] == 'M' ? "" : "\n");
        }
    return text.str();
}

// The stored job's hex in the workspace of a document dump blanked.
std::string WithoutJobValues(const std::string& dump) {
    return std::regex_replace(dump, std::regex("\"0x52E06\": \"[0-9a-f]*\""), "\"0x52E06\"");
}

class Roads : public ::testing::TestWithParam<Road>, public CompanionFixture {
protected:
    // Runs zephost with the road's steps, the job drive J: a fresh folder.
    void Run(const Road& road) {
        fs::create_directory(m_folder.at("job"));
        m_environment.Set("ZEP_DRIVE_J", m_folder.at("job"));
        const std::string steps =
            Replaced(Replaced(road.steps, "%E", ZEP_EXAMPLES_DIR), "%F", m_folder.root());
        const std::string command = std::string(ZEP_ZEPHOST) + " " + steps + " >" +
                                    m_folder.at("out") + " 2>" + m_folder.at("err");
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << status;
        ASSERT_EQ(WEXITSTATUS(status), road.alerts.empty() ? 0 : 3) << m_folder.read("err");
    }

    // The job folder's files by name, each with its content: a PDF's outline, a page-item file's.
    std::map<std::string, std::string> JobFiles() const {
        std::map<std::string, std::string> files;
        const fs::path root = m_folder.at("job");
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string name = entry.path().lexically_relative(root).string();
            if (!entry.is_regular_file())
                continue;
            std::string content = m_folder.read("job/" + name);
            if (name.ends_with(".pdf"))
                content = PDFOutline(entry.path().string());
            if (name.ends_with(".items")) {
                content.clear();
                for (const std::string& line : PageItemFileOutline(m_folder.read("job/" + name)))
                    content += (content.empty() ? "" : " ") + line;
            }
            files[name.ends_with(".icc") ? kIcc : name] = content;
        }
        return files;
    }
};

TEST_P(Roads, ShowTheUserWhatTheyDo) {
    const Road& road = GetParam();
    const auto companion = Listen();
    Run(road);
    EXPECT_EQ(m_folder.read("err"), road.alerts);

    std::string events;
    for (const std::string& message : companion->Messages()) {
        std::smatch what;
        EXPECT_TRUE(std::regex_search(message, what, std::regex("\"what\":\"(\\w+)\"")));
        events += (events.empty() ? "" : " ") + what[1].str();
        if (message.find("\"v\":") != std::string::npos)
            events += "(" + PayloadJob(message)->jobName.toStdString() + ")";
    }
    EXPECT_EQ(events, road.events);

    const std::string output = m_folder.read("out");
    std::size_t at = 0;
    for (const std::string& text : road.output) {
        at = output.find(text, at);
        ASSERT_NE(at, std::string::npos) << text << " not in order in\n" << output;
        at += text.size();
    }

    const auto files = JobFiles();
    std::string names;
    for (const auto& [name, content] : files)
        names += (names.empty() ? "" : " ") + name;
    EXPECT_EQ(names, road.files);
    for (const auto& [name, text] : road.contents)
        EXPECT_THAT(files.contains(name) ? files.at(name) : "", HasSubstr(text)) << name;

    const auto dump = [this](const std::string& name) { return m_folder.read(name); };
    for (const DumpText& expected : road.dumpTexts)
        EXPECT_EQ(dump(expected.dump).find(expected.text) != std::string::npos, expected.present)
            << expected.dump << " " << expected.text;
    const bool undone = road.dumps == Dumps::kUndone || road.dumps == Dumps::kUndoneButJobValues;
    if (undone && fs::exists(m_folder.at("after"))) {
        EXPECT_NE(dump("after"), dump("before")); // the change shows
    }
    switch (road.dumps) {
    case Dumps::kUnchecked:
        break;
    case Dumps::kUnchanged:
        EXPECT_EQ(dump("after"), dump("before"));
        break;
    case Dumps::kUndone:
        EXPECT_EQ(dump("undone"), dump("before"));
        break;
    case Dumps::kUndoneButJobValues:
        EXPECT_NE(dump("undone"), dump("before"));
        EXPECT_EQ(WithoutJobValues(dump("undone")), WithoutJobValues(dump("before")));
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Zephost, Roads, ::testing::ValuesIn(kRoads),
                         [](const auto& info) { return std::string(info.param.name); });

// The job folder's files with each UUID (the names of embedded profiles, also inside the
// page-item file) made the same, so that two exports of one job compare equal.
std::map<std::string, std::string> ExportedFiles(const std::string& folder) {
    static const std::regex uuid("[0-9A-F]{8}_[0-9A-F]{4}_[0-9A-F]{4}_[0-9A-F]{4}_[0-9A-F]{12}");
    std::map<std::string, std::string> files;
    for (const auto& [name, content] : FolderContents(folder))
        files[std::regex_replace(name, uuid, "UUID")] = std::regex_replace(content, uuid, "UUID");
    return files;
}

class KilledExport : public ::testing::Test, public CompanionFixture {
protected:
    // Lays the earlier export's files into the job folder (drive J:), then exports the example
    // ad again with zephost; true when zephost was killed on the way.
    bool ExportAgain(const std::string& earlier) {
        fs::remove_all(m_folder.at("job"));
        fs::copy(earlier, m_folder.at("job"), fs::copy_options::recursive);
        return Export();
    }
    bool Export(const std::string& job = "spring_sale_pdf") {
        m_environment.Set("ZEP_DRIVE_J", m_folder.at("job"));
        const std::string command =
            std::string(ZEP_ZEPHOST) + " " +
            Replaced(kAd + "call expY --zemp @%E/jobs/" + job + ".hex", "%E", ZEP_EXAMPLES_DIR) +
            " >" + m_folder.at("out") + " 2>&1";
        const int status = std::system(command.c_str());
        // The shell reports a child killed by a signal as 128 + the signal.
        return (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ||
               (WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGKILL);
    }
};

// An export killed just before each of its file operations in turn, over the files of an earlier
// export: under every name the earlier file or the new one, whole; nothing of the earlier export
// lost; besides, only the export's own temporaries and its journal.
TEST_F(KilledExport, LeavesTheEarlierOrTheNewFilesWholeUnderTheirNames) {
    const auto companion = Listen();
    fs::create_directory(m_folder.at("job"));
    ASSERT_FALSE(Export()) << m_folder.read("out");
    fs::copy(m_folder.at("job"), m_folder.at("earlier"), fs::copy_options::recursive);
    const auto earlier = ExportedFiles(m_folder.at("earlier"));
    ASSERT_FALSE(ExportAgain(m_folder.at("earlier")));
    const auto again = ExportedFiles(m_folder.at("job"));
    ASSERT_NE(again, earlier);

    static const std::regex temporary(
        "(.*/)?(~zep[0-9A-F]{16}\\.tmp|~zep-export-[0-9A-F]{16}\\.journal)");
    std::uint64_t at = 1;
    for (;; ++at) {
        m_environment.Set("ZEPHOST_KILL_AT_FILE_OPERATION", std::to_string(at));
        const bool killed = ExportAgain(m_folder.at("earlier"));
        m_environment.Unset("ZEPHOST_KILL_AT_FILE_OPERATION");
        if (!killed)
            break;
        const auto left = ExportedFiles(m_folder.at("job"));
        for (const auto& [name, content] : earlier)
            EXPECT_TRUE(left.contains(name)) << "killed at " << at << ": " << name << " lost";
        for (const auto& [name, content] : left) {
            const bool whole = (earlier.contains(name) && earlier.at(name) == content) ||
                               (again.contains(name) && again.at(name) == content);
            EXPECT_TRUE(whole || std::regex_match(name, temporary))
                << "killed at " << at << ": " << name;
        }
    }
    EXPECT_GT(at, 10u) << "an export makes more file operations than that";
}

// What an export killed on the way left, its kept earlier files among it, goes with the next
// export into the folder; the files under their own names stay.
TEST_F(KilledExport, TheNextExportRemovesTheTemporariesAKilledOneLeft) {
    const auto companion = Listen();
    fs::create_directory(m_folder.at("job"));
    ASSERT_FALSE(Export()) << m_folder.read("out");
    const auto exported = ExportedFiles(m_folder.at("job"));
    static const std::regex temporary("~zep[0-9A-F]{16}\\.tmp");
    const auto temporaries = [this] {
        std::size_t count = 0;
        for (const auto& [name, content] : FolderContents(m_folder.at("job")))
            count += std::regex_match(name, temporary) ? 1 : 0;
        return count;
    };
    // The first file operation after which a kill leaves more than one temporary.
    for (std::uint64_t at = 1; temporaries() < 2; ++at) {
        m_environment.Set("ZEPHOST_KILL_AT_FILE_OPERATION", std::to_string(at));
        const bool killed = Export();
        m_environment.Unset("ZEPHOST_KILL_AT_FILE_OPERATION");
        ASSERT_TRUE(killed) << "no kill left two temporaries";
    }
    ASSERT_FALSE(Export()) << m_folder.read("out");
    EXPECT_EQ(temporaries(), 0u);
    const auto left = ExportedFiles(m_folder.at("job"));
    for (const auto& [name, content] : exported)
        EXPECT_TRUE(left.contains(name)) << name;
}

// After an export killed just before each of its file operations in turn, over an earlier
// export's files, the next export of the job into the folder leaves what it leaves after the
// earlier export alone or after the killed export run to its end: the killed export's files old
// or new together, each whole, and no temporary or journal.
class KilledExportThenNext : public KilledExport,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(KilledExportThenNext, LeavesTheOldOrTheNewFilesTogether) {
    const std::string job = GetParam();
    const auto companion = Listen();
    const auto exported = [&](int times) {
        fs::remove_all(m_folder.at("job"));
        fs::create_directory(m_folder.at("job"));
        for (int i = 0; i < times; ++i)
            EXPECT_FALSE(Export(job)) << m_folder.read("out");
        return std::pair(ExportedFiles(m_folder.at("job")),
                         FolderContents(m_folder.at("job")).size());
    };
    const auto old = exported(2);  // the earlier export, then the next
    const auto done = exported(3); // the earlier export, the killed one run to its end, the next
    ASSERT_NE(old, done);
    exported(1);
    fs::remove_all(m_folder.at("earlier"));
    fs::copy(m_folder.at("job"), m_folder.at("earlier"), fs::copy_options::recursive);
    std::uint64_t at = 1;
    for (;; ++at) {
        m_environment.Set("ZEPHOST_KILL_AT_FILE_OPERATION", std::to_string(at));
        fs::remove_all(m_folder.at("job"));
        fs::copy(m_folder.at("earlier"), m_folder.at("job"), fs::copy_options::recursive);
        const bool killed = Export(job);
        m_environment.Unset("ZEPHOST_KILL_AT_FILE_OPERATION");
        if (!killed)
            break;
        ASSERT_FALSE(Export(job)) << m_folder.read("out");
        const auto left =
            std::pair(ExportedFiles(m_folder.at("job")), FolderContents(m_folder.at("job")).size());
        EXPECT_TRUE(left == old || left == done) << "killed at " << at;
    }
    EXPECT_GT(at, 20u) << "an export makes more file operations than that";
}

INSTANTIATE_TEST_SUITE_P(Jobs, KilledExportThenNext,
                         ::testing::Values("spring_sale_pdf", "spring_sale_eps"),
                         [](const auto& info) { return std::string(info.param); });

// Two exports into one job folder at once, as two people, or a person and a script, start them
// over an earlier export's files: the first stops itself at its first file operation, holding
// the folder; the second starts, waits for it and writes nothing meanwhile; the first goes on.
// Each reports what it would alone, and the folder holds what the two leave one after the other:
// a late failure of either undoes only its own files.
TEST(TwoExports, IntoOneFolderRunOneAfterTheOtherAndEachReportsItsOwnOutcome) {
    CompanionFixture companion;
    const auto inbox = companion.Listen();
    const TempFolder& folder = companion.m_folder;
    companion.m_environment.Set("ZEP_DRIVE_J", folder.at("job"));
    // The example job with its page-item file in a folder that does not exist: it fails after
    // the host wrote its PDF.
    std::ifstream example(std::string(ZEP_EXAMPLES_DIR) + "/jobs/spring_sale_pdf.json");
    folder.write("failing.json",
                 Replaced(std::string(std::istreambuf_iterator<char>(example), {}),
                          "\"J:/spring-sale.items\"", "\"J:/missing/spring-sale.items\""));
    ASSERT_EQ(std::system((std::string(ZEP_MAKE_SAMPLE_JOB) + " --hex " +
                           folder.at("failing.json") + " " + folder.at("failing.hex"))
                              .c_str()),
              0);
    const std::string done = "called expY: done (preflight: ";
    const std::string failed =
        "called expY: ended in an alert: The file J:/missing/spring-sale.items cannot be written";
    const auto command = [&](const std::string& job, const std::string& out) {
        const std::string text = job == "failing"
                                     ? folder.at("failing.hex")
                                     : std::string(ZEP_EXAMPLES_DIR) + "/jobs/" + job + ".hex";
        return std::string(ZEP_ZEPHOST) + " " + Replaced(kAd, "%E", ZEP_EXAMPLES_DIR) +
               "call expY --zemp @" + text + " >" + folder.at(out) + " 2>&1";
    };
    // The folder after the earlier export and then these, one after the other.
    const auto after = [&](const std::vector<std::string>& jobs) {
        fs::remove_all(folder.at("job"));
        fs::create_directory(folder.at("job"));
        EXPECT_EQ(std::system(command("spring_sale_pdf", "out").c_str()), 0) << folder.read("out");
        for (const std::string& job : jobs)
            static_cast<void>(std::system(command(job, "out").c_str()));
        return std::pair(ExportedFiles(folder.at("job")), FolderContents(folder.at("job")).size());
    };
    const struct {
        const char* name;
        std::string first, second;
        std::string firstSays, secondSays;
    } cases[] = {
        {"the first fails late", "failing", "spring_sale_pdf", failed, done},
        {"both succeed", "spring_sale_pdf", "spring_sale_pdf", done, done},
        {"the second fails late", "spring_sale_pdf", "failing", done, failed},
    };
    for (const auto& c : cases) {
        std::vector<std::string> succeeded;
        for (const std::string& job : {c.first, c.second})
            if (job != "failing")
                succeeded.push_back(job);
        const auto expected = after(succeeded);
        after({});
        const auto earlier = FolderContents(folder.at("job"));
        const auto exportedEvents = [&] {
            const auto messages = inbox->Messages();
            return std::count_if(messages.begin(), messages.end(), [](const std::string& message) {
                return message.find("\"what\":\"exported\"") != std::string::npos;
            });
        };
        const auto eventsBefore = exportedEvents();
        BackgroundProgram first(command(c.first, "first"),
                                {{"ZEPHOST_STOP_AT_FILE_OPERATION", "1"}});
        ASSERT_TRUE(first.WaitStopped()) << c.name << ": " << folder.read("first");
        BackgroundProgram second(command(c.second, "second"), {});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(second.Running()) << c.name;
        EXPECT_EQ(FolderContents(folder.at("job")), earlier) << c.name;
        first.Continue();
        first.Wait();
        second.Wait();
        EXPECT_THAT(folder.read("first"), HasSubstr(c.firstSays)) << c.name;
        EXPECT_THAT(folder.read("second"), HasSubstr(c.secondSays)) << c.name;
        // The companion application heard of each export that succeeded, and of no other.
        EXPECT_EQ(exportedEvents() - eventsBefore, static_cast<std::ptrdiff_t>(succeeded.size()))
            << c.name;
        EXPECT_EQ(
            std::pair(ExportedFiles(folder.at("job")), FolderContents(folder.at("job")).size()),
            expected)
            << c.name;
    }
}

} // namespace
