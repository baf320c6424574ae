// The job model's files at 1,000, 10,000 and 100,000 items: the page-item file (ten items and one
// flattener record per page) beside one pass over the same items, already in page order, that
// writes the same bytes through the same keyed stream to the same kind of file; and the job file
// (one group of that many destinations) written and read in memory, its writing measured over
// as many jobs as make 100,000 destinations. Each must grow linearly.
#include "model/BJobFile.h"
#include "utils/UKeyStream.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int32_t kItemsPerPage = 10;

// A file of this process in the temporary folder, removed at the end.
struct TempFile {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("zep_bench_" + std::to_string(getpid()) + ".bin"))
                           .string();
    ~TempFile() { std::remove(path.c_str()); }
};

std::size_t fileSize(const std::string& path) {
    return static_cast<std::size_t>(std::filesystem::file_size(path));
}

// Page set 2 of a job of `count` items over count / 10 pages, with one flattener record each:
// text runs, page items with a problem and placed graphics with a link, each with a matrix.
void fillPageSet(BJobFile& job, std::int64_t count) {
    const auto pages = static_cast<std::int32_t>(count / kItemsPerPage);
    job.GetAbsoluteRuns().AddRun(1, pages);
    BPageSet& set = job.GetPageSet(kAnalysedPageSet);
    const double matrix[6] = {1, 0, 0, 1, 72.5, 144.25};
    for (std::int32_t page = 1; page <= pages; ++page) {
        for (std::int32_t i = 0; i < kItemsPerPage; ++i) {
            std::shared_ptr<BPageItem> item;
            switch (i % 3) {
            case 0:
                item = std::make_shared<BTextRunItem>();
                break;
            case 1:
                item = std::make_shared<BPageItem>();
                item->AddProblem("Check_ImageResolution");
                break;
            default: {
                auto graphic = std::make_shared<BPlacedGraphic>();
                graphic->linkPath = "/Volumes/Jobs/images/photo.tif";
                graphic->fileType = kPlacedFileTIFF;
                item = graphic;
                break;
            }
            }
            item->page = page;
            item->SetMatrix(matrix);
            item->scale1 = 0.5;
            set.items.Append(item);
        }
        auto flattener = std::make_shared<BTransparencyFlattener>();
        flattener->page = page;
        flattener->enabled = page % 2 == 0;
        flattener->values = {300, 150, 1, 0.5, 2};
        set.pageFlatteners.push_back(flattener);
    }
}

void BM_PageItemFile_zep(benchmark::State& state) {
    TempFile temp;
    BJobFile job;
    job.pageItemFile.assign(("Z:" + temp.path).c_str());
    fillPageSet(job, state.range(0));
    for (auto _ : state) {
        if (!job.WritePageItemFile())
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fileSize(temp.path)));
    state.SetComplexityN(state.range(0));
}

// The file's records in one walk over the items and flatteners, which lie in page order.
void BM_PageItemFile_onepass(benchmark::State& state) {
    TempFile temp;
    BJobFile job;
    fillPageSet(job, state.range(0));
    const BPageSet& set = job.GetPageSet(kAnalysedPageSet);
    const auto pages = static_cast<std::int32_t>(state.range(0) / kItemsPerPage);
    for (auto _ : state) {
        std::ofstream file(temp.path, std::ios::binary | std::ios::trunc);
        UKeyOutStream out(file, 0);
        out.begin_record(10);
        out.select_key(120).write_int(-2);
        out.begin_record(140).end();
        std::size_t item = 0;
        for (std::int32_t page = 1; page <= pages; ++page) {
            out.select_key(120).write_int(page - 1);
            out.begin_record(140);
            for (; item < set.items.size() && set.items[item]->page == page; ++item)
                set.items[item]->Write(out);
            out.end();
            set.pageFlatteners[static_cast<std::size_t>(page - 1)]->Write(out);
        }
        out.close();
        file.flush();
        if (!file.good())
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fileSize(temp.path)));
    state.SetComplexityN(state.range(0));
}

// A job of one group holding `count` destinations with names and sizes.
void fillJob(BJobFile& job, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        BDestination* destination = job.GetGroups().AddDestination();
        destination->SetName(ustring::format("Daily News %lld", static_cast<long long>(i)));
        destination->SetFirstCode("DN");
        destination->SetSize(200 + static_cast<double>(i % 7), 300);
    }
}

std::string jobBytes(BJobFile& job) {
    std::ostringstream out;
    job.Write(out, kJobFilePartFull);
    return std::move(out).str();
}

// Each iteration writes 100,000 destinations: 100 jobs of 1,000, 10 of 10,000 or one of 100,000,
// each into a text of its own that lives to the iteration's end. Every size so reads and writes
// the same amount of memory, and the rates are equal when the writer grows linearly. A single
// job of 1,000 written again and again would find itself and its text still in the caches from
// the iteration before, which a job of 100,000 outgrows: the growth would measure the caches.
constexpr std::int64_t kDestinationsPerIteration = 100000;

void BM_JobFileWrite_zep(benchmark::State& state) {
    std::vector<std::unique_ptr<BJobFile>> jobs;
    std::size_t bytes = 0;
    for (std::int64_t i = 0; i < kDestinationsPerIteration / state.range(0); ++i) {
        jobs.push_back(std::make_unique<BJobFile>());
        fillJob(*jobs.back(), state.range(0));
        bytes += jobBytes(*jobs.back()).size();
    }
    for (auto _ : state) {
        std::vector<std::ostringstream> texts(jobs.size());
        for (std::size_t i = 0; i < jobs.size(); ++i)
            jobs[i]->Write(texts[i], kJobFilePartFull);
        benchmark::DoNotOptimize(texts.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void BM_JobFileRead_zep(benchmark::State& state) {
    BJobFile source;
    fillJob(source, state.range(0));
    const std::string bytes = jobBytes(source);
    for (auto _ : state) {
        std::istringstream in(bytes);
        BJobFile job;
        job.Read(in, kJobFilePartFull);
        benchmark::DoNotOptimize(job);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_PageItemFile_zep)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageItemFile_onepass)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JobFileWrite_zep)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JobFileRead_zep)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
