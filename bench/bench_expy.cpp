// 'expY' through the plug-in core, as the companion application calls it: generated documents of
// 10, 100 and 1,000 pages, each page with 50 page items (40 frames with a fill, two of them
// transparent, 5 text frames with a story of their own and 5 placed graphics with a link), each
// exported with the example PDF job (examples/jobs/spring_sale_pdf) booked for all of the
// document's pages, and fitted ('Zerp' true); the companion application's pipe is served. Then
// the same for 1,000 and 10,000 pages of two page items each (a text frame and a transparent
// frame), each page's objects numbered from a multiple of 100,000, as the UIDs of a document
// edited for long lie far apart. Each export's peak heap is counted in one more export of the
// document after the timed ones ("peak", and per page "peak/page"; bench/heap_peak.h): the
// highest heap in use during the export, counted from a fresh session, so the opened document
// counts too. Each export starts from cold caches when asked (cold_caches.h).
// The same two-item documents also go through zephost, the stand-in host program, as a user runs
// it: one process that opens the session and the document, calls 'expY' and reports on the call
// (its outcome line with the preflight, the PDF's pages and every record of the page-item file
// with the item it stands for), so that what zephost adds to the export is measured with it; and
// at 100 and 1,000 pages with the example EPS job, two host commands a page.
// Beside them, the page-item file written from the items an export run collects on the 10- to
// 1,000-page documents for the same job (the records the run keeps: "records").
// The job model has no reader of the page-item file, so only its write is measured. All must
// grow linearly in the items; the rate is page items per second.
#include "Export/ZEPExportHelper.h"
#include "Plugin/ZEPPlugin.h"
#include "Request_Handling/ZEPScriptProvider.h"
#include "host/standin/Description.h"
#include "host/standin/Host.h"
#include "host/standin/Scripting.h"
#include "model/BJobFile.h"
#include "model/JobText.h"
#include "platform/fileseams.h"
#include "platform/pipe.h"
#include "support/JobDescription.h"
#include "utils/Logger.h"

#include "cold_caches.h"
#include "heap_peak.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/magic.h>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/vfs.h>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kItemsPerPage = 50;
const char* const kUser = "bench";

// The folder the export benchmarks write into: $ZEP_BENCH_DIR, else the temporary folder.
std::filesystem::path BenchFolder() {
    const char* folder = std::getenv("ZEP_BENCH_DIR");
    return folder && *folder ? std::filesystem::path(folder)
                             : std::filesystem::temp_directory_path();
}

// A folder of this process in the bench folder for the job's files (its drive J:), the pipe's
// socket and an empty registry (no companion application to start); removed at the end.
struct TempFolder {
    std::filesystem::path path = BenchFolder() / ("zep_bench_expy_" + std::to_string(getpid()));
    TempFolder() {
        std::filesystem::create_directories(path);
        std::ofstream(path / "registry").flush();
        ::setenv("ZEP_PIPE_DIR", path.c_str(), 1);
        ::setenv("ZEP_REGISTRY", (path / "registry").c_str(), 1);
        ::setenv("USERNAME", kUser, 1);
        ::setenv("ZEP_DRIVE_J", path.c_str(), 1);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

// The companion application: takes every message the plug-in sends and counts it.
class Companion {
public:
    Companion()
        : m_listener(u"\\\\.\\pipe\\zephrin_tarnwell_com." +
                         std::u16string(kUser, kUser + std::char_traits<char>::length(kUser)),
                     [this](const std::string&) { ++m_messages; }) {}
    int Messages() {
        m_listener.Drain();
        return m_messages;
    }

private:
    std::atomic<int> m_messages = 0;
    platform::PipeListener m_listener;
};

// The description of a document of `pages` pages of `itemsPerPage` items each, one page a
// spread. With a `stride`, each page's objects are numbered from 100 + the page's index times it.
std::string DescribeDocument(int pages, int itemsPerPage = kItemsPerPage, int stride = 0) {
    std::string spreads;
    std::string stories;
    int next = 100;
    const int firstPage = next + 1;
    for (int p = 0; p < pages; ++p) {
        if (stride)
            next = 100 + p * stride;
        const int spread = next++;
        const int page = next++;
        spreads += (p ? ",\n" : "") + std::string(R"({"id": )") + std::to_string(spread) +
                   R"(, "offset": [0, )" + std::to_string(500 * p) + R"(], "pages": [{"id": )" +
                   std::to_string(page) +
                   R"(, "width": 270, "height": 390, "margins": [14, 14, 14, 14]}], "items": [)";
        for (int i = 0; i < itemsPerPage; ++i) {
            const int id = next++;
            const double x = 5.0 * (i % 10) + 14;
            const double y = 7.0 * (i / 10) + 14;
            const std::string bounds = "[" + std::to_string(x) + ", " + std::to_string(y) + ", " +
                                       std::to_string(x + 120) + ", " + std::to_string(y + 80) +
                                       "]";
            spreads += (i ? ", " : "") + std::string(R"({"id": )") + std::to_string(id) +
                       R"(, "bounds": )" + bounds;
            if (i % 10 == 0) {
                const int story = next++;
                const int frameList = next++;
                spreads += R"(, "layer": 5, "fonts": ["Minion Pro"],
  "textFrame": {"start": 0, "span": 11}})";
                stories +=
                    (stories.empty() ? "" : ",\n") + std::string(R"({"id": )") +
                    std::to_string(story) + R"(, "frameList": )" + std::to_string(frameList) +
                    R"(, "text": "Spring sale", "frames": [)" + std::to_string(id) +
                    R"(], "attributes": [{"span": 11, "font": "Minion Pro", "fill": {"color": 70, "tint": 100}}],
  "lines": [{"y": )" +
                    std::to_string(y + 50) +
                    R"(, "count": 11, "runs": [{"start": 0, "span": 11, "width": 100, "height": 20,
             "matrix": [1, 0, 0, 1, )" +
                    std::to_string(x + 5) + ", 0]}]}]}";
            } else if (i % 10 == 5) {
                const int link = next++;
                const int resource = next++;
                spreads += R"(, "layer": 4, "placed": {"attributes": {"103": "02000000"},
  "fileTypes": ["TIFF"], "links": [{"id": )" +
                           std::to_string(link) + R"(, "resource": )" + std::to_string(resource) +
                           R"(, "fullName": "C:/Images/picture)" + std::to_string(id) +
                           R"(.tif"}]}})";
            } else if (i % 25 == 1) {
                spreads += R"(, "layer": 3, "graphics": {"fill": 70},
  "transparency": {"opacity": 60}, "transparent": true})";
            } else {
                spreads += R"(, "layer": 3, "graphics": {"fill": 70}})";
            }
        }
        spreads += "]}";
    }
    return R"({"kind": "document", "name": "Generated.indd",
  "workspace": {"pageSetup": {"bleed": {"top": 3, "left": 3, "bottom": 3, "right": 3}}},
  "layers": [{"id": 3, "name": "Background"}, {"id": 4, "name": "Pictures"},
             {"id": 5, "name": "Text"}],
  "colors": [{"id": 70, "space": 6, "values": [0, 0, 0, 1], "tint": 100}],
  "inks": [{"id": 80, "name": "Black", "process": true, "color": 70}],
  "swatches": [70],
  "spreads": [)" +
           spreads + R"(],
  "stories": [)" +
           stories + R"(],
  "sections": [{"name": "", "start": )" +
           std::to_string(firstPage) + R"(, "count": )" + std::to_string(pages) +
           R"(, "style": "0x4C1A"}],
  "view": {"spread": 100, "page": 101}})";
}

// The job file of an example job (its description, which its hex text is made from; by default
// the PDF job), booked for pages 1 to `pages`. Its files go to its drive J:.
std::string JobBytes(int pages, const char* example = "spring_sale_pdf") {
    const std::filesystem::path description =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "jobs" /
        (std::string(example) + ".json");
    std::ifstream file(description);
    std::string json{std::istreambuf_iterator<char>(file), {}};
    const std::string count = std::to_string(pages);
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{R"("pageCount": 2)", R"("pageCount": )" + count},
          {R"("first": 1, "count": 2})", R"("first": 1, "count": )" + count + "}"}}) {
        const std::size_t at = json.find(from);
        if (at == std::string::npos)
            throw std::runtime_error("the example job has changed: " + from);
        json.replace(at, from.size(), to);
    }
    return describedJobBytes(json);
}

// The plug-in logs every script call: the records are formatted as usual but written nowhere.
void DiscardLogRecords() {
    static std::ostream discard(nullptr);
    zeu::logger.setStream(discard);
}

// The session of the example studio: its font and colour settings.
constexpr const char* kSession = R"({"kind": "session",
  "fonts": [{"name": "Minion Pro", "status": 0, "type": 6, "class": 4}],
  "colorManagement": {"on": true, "presets": {"workingRGB": "sRGB IEC61966-2.1",
                                              "workingCMYK": "Coated FOGRA39"}}})";

// A fresh host with the plug-in loaded and the session of the example studio.
bool StartSession() {
    host::Reset();
    DiscardLogRecords();
    if (!host::Attach(GetPlugIn()))
        return false;
    host::LoadSessionDescription(kSession);
    return true;
}

// StartSession, and the document open as the front document.
bool OpenDocument(const std::string& description) {
    if (!StartSession())
        return false;
    host::OpenDocumentDescription(description);
    return true;
}

// 'expY' with the job text, fitted.
bool Export(const std::string& text) {
    const host::ScriptCallResult result =
        host::CallScriptMethod(kExportJobMethod, {{kJobParameter, ScriptData(PMString(text))},
                                                  {kFitParameter, ScriptData(true)}});
    return result.code == kSuccess;
}

// The highest heap in use while the document is exported, over the heap in use with a fresh
// session: the opened document and what the export holds at its peak. What reading the
// description takes only while it reads is not counted. -1 when the export fails.
std::int64_t PeakHeapOfExport(const std::string& description, const std::string& text) {
    if (!StartSession())
        return -1;
    heap_peak::Start();
    host::OpenDocumentDescription(description);
    heap_peak::ForgetPeak();
    const bool exported = Export(text);
    const std::int64_t peak = heap_peak::Stop();
    return exported ? peak : -1;
}

// Exports the document of `pages` pages of `itemsPerPage` items (objects numbered with `stride`,
// DescribeDocument) over and over, then once more to count its peak heap.
void ExportJobPages(benchmark::State& state, int itemsPerPage, int stride) {
    const int pages = static_cast<int>(state.range(0));
    const TempFolder folder;
    Companion companion;
    const std::string description = DescribeDocument(pages, itemsPerPage, stride);
    const std::string text = EncodeJobText(JobBytes(pages));
    for (auto _ : state) {
        state.PauseTiming();
        if (!OpenDocument(description)) {
            state.SkipWithError("the plug-in does not load");
            break;
        }
        cold_caches::Evict();
        state.ResumeTiming();
        if (!Export(text)) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    if (!std::filesystem::exists(folder.path / "spring-sale.pdf"))
        state.SkipWithError("the export wrote no PDF");
    if (companion.Messages() != 2 * static_cast<int>(state.iterations()))
        state.SkipWithError("the companion application was not told of every export");
    const std::int64_t peak = PeakHeapOfExport(description, text);
    if (peak < 0)
        state.SkipWithError("the counted export failed");
    state.counters["peak"] = benchmark::Counter(
        static_cast<double>(peak), benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["peak/page"] =
        benchmark::Counter(static_cast<double>(peak) / pages, benchmark::Counter::kDefaults,
                           benchmark::Counter::kIs1024);
    const std::int64_t items = std::int64_t{pages} * itemsPerPage;
    state.SetItemsProcessed(state.iterations() * items);
    state.SetComplexityN(items);
    host::UnloadAll();
    host::Reset();
}

void BM_ExportJobPages_zep(benchmark::State& state) {
    ExportJobPages(state, kItemsPerPage, 0);
}

// The export of BM_ExportJobPages_zep with its syncs (second argument 1) and without them (0),
// on a disk: what making an export durable costs. A folder on tmpfs, where a sync costs
// nothing, is refused.
void BM_ExportJobPagesSynced_zep(benchmark::State& state) {
    struct statfs info;
    if (::statfs(BenchFolder().c_str(), &info) != 0 || info.f_type == TMPFS_MAGIC) {
        state.SkipWithError("the bench folder is on tmpfs: set ZEP_BENCH_DIR to a folder on disk");
        return;
    }
    platform::setSyncsSkipped(state.range(1) == 0);
    ExportJobPages(state, kItemsPerPage, 0);
    platform::setSyncsSkipped(false);
}

void BM_ExportTwoItemPages_zep(benchmark::State& state) {
    ExportJobPages(state, 2, 100000);
}

// Runs zephost with the arguments, its standard output to `out` and its standard error to `err`;
// its exit status, or -1 when it did not start or end normally.
int RunZephost(const std::vector<std::string>& arguments, const std::filesystem::path& out,
               const std::filesystem::path& err) {
    std::vector<std::string> words{ZEP_ZEPHOST};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    const int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (started != 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// zephost opens the session and the document of `pages` pages of two items each, calls 'expY'
// with the example job `example` booked for them (fitted) and reports on the call, over and
// over; the companion application's pipe is served here.
void ZephostExportTwoItemPages(benchmark::State& state, const char* example) {
    const int pages = static_cast<int>(state.range(0));
    const TempFolder folder;
    Companion companion;
    const std::filesystem::path session = folder.path / "session.json";
    const std::filesystem::path document = folder.path / "document.json";
    const std::filesystem::path job = folder.path / "job.hex";
    std::ofstream(session) << kSession;
    std::ofstream(document) << DescribeDocument(pages, 2, 100000);
    std::ofstream(job) << EncodeJobText(JobBytes(pages, example));
    const std::filesystem::path out = folder.path / "out.txt";
    const std::filesystem::path err = folder.path / "err.txt";
    const std::vector<std::string> arguments{
        "open",   session.string(), "open",   document.string(),
        "call",   "expY",           "--zemp", "@" + job.string(),
        "--zerp", "true",           "report"};
    for (auto _ : state) {
        cold_caches::EvictUntimed(state);
        const int status = RunZephost(arguments, out, err);
        if (status != 0) {
            state.SkipWithError(("zephost ended with " + std::to_string(status) + ": " +
                                 ReadText(err).substr(0, 200))
                                    .c_str());
            break;
        }
    }
    const std::string report = ReadText(out);
    if (report.find("called expY: done (preflight: ") == std::string::npos ||
        report.find("summary: " + std::to_string(pages) + " pages, ") == std::string::npos)
        state.SkipWithError("zephost did not report the export");
    if (companion.Messages() != 2 * static_cast<int>(state.iterations()))
        state.SkipWithError("the companion application was not told of every export");
    const std::int64_t items = std::int64_t{pages} * 2;
    state.SetItemsProcessed(state.iterations() * items);
    state.SetComplexityN(items);
}

void BM_ZephostExportTwoItemPages_zep(benchmark::State& state) {
    ZephostExportTwoItemPages(state, "spring_sale_pdf");
}

// The same with the example EPS job: two host commands a page, the EPS preferences and the
// export of the page, each followed by the report.
void BM_ZephostExportTwoItemPagesEPS_zep(benchmark::State& state) {
    ZephostExportTwoItemPages(state, "spring_sale_eps");
}

void BM_WritePageItemFile_zep(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const TempFolder folder;
    if (!OpenDocument(DescribeDocument(pages))) {
        state.SkipWithError("the plug-in does not load");
        return;
    }
    BJobFile job;
    std::istringstream bytes(JobBytes(pages));
    job.Read(bytes, kJobFilePartFull);
    {
        ZEPExportHelper owner;
        owner.Prepare(host::FrontDocument()->Get(), &job);
        ZEPExportJobFileHelper helper(owner);
        helper.CollectPageItems();
    }
    const std::size_t records = job.GetPageSet(kAnalysedPageSet).items.size();
    if (records == 0) {
        state.SkipWithError("the export run collected no page items");
        return;
    }
    for (auto _ : state)
        if (!job.WritePageItemFile()) {
            state.SkipWithError("the page-item file cannot be written");
            break;
        }
    const std::int64_t items = std::int64_t{pages} * kItemsPerPage;
    state.SetItemsProcessed(state.iterations() * items);
    state.SetComplexityN(items);
    state.counters["records"] = static_cast<double>(records);
    host::UnloadAll();
    host::Reset();
}

} // namespace

BENCHMARK(BM_ExportJobPages_zep)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportJobPagesSynced_zep)
    ->ArgNames({"pages", "synced"})
    ->Args({100, 1})
    ->Args({100, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportTwoItemPages_zep)
    ->Arg(1000)
    ->Arg(10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
// The work is zephost's, in a process of its own: wall-clock time, not this process's CPU time.
BENCHMARK(BM_ZephostExportTwoItemPages_zep)
    ->Arg(1000)
    ->Arg(10000)
    ->UseRealTime()
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZephostExportTwoItemPagesEPS_zep)
    ->Arg(100)
    ->Arg(1000)
    ->UseRealTime()
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePageItemFile_zep)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
