// The export run's page-item collection and analysis (records per page and item, the printout
// and spread transparency analyses, the hand-over into the job) over generated documents of
// 1,000, 10,000 and 100,000 page items on 20 pages (one page a spread), every fifth item
// transparent. Each run must grow linearly in the items; the rate is page items per second.
// Beside it ("host"), the host's item walk alone over the same pages with a visitor that does
// nothing: the collection's time over the walk's is what the plug-in adds to it. Both start each
// iteration from cold caches when asked (cold_caches.h).
#include "Export/ZEPExportHelper.h"
#include "Plugin/ZEPPlugin.h"
#include "host/sdk/ItemWalk.h"
#include "host/sdk/Layout.h"
#include "host/standin/Document.h"
#include "host/standin/Host.h"
#include "host/standin/Layout.h"
#include "model/BJobFile.h"

#include "cold_caches.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr std::int64_t kPages = 20;

// A folder of this process in the temporary folder, removed at the end.
struct TempFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zep_bench_export_" + std::to_string(getpid()));
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

// A front document of `count` page items made through the host's layout model.
host::Document& MakeDocument(std::int64_t count) {
    std::unique_ptr<host::Document> document = host::CreateDocument("Generated.indd");
    host::DataBase& db = *document->db;
    host::Layout& layout = document->layout;
    const UID layer = db.NewObject(host::kDocumentLayerBoss);
    layout.layers.push_back(layer);
    layout.layerData[layer] = {"Layer 1"};
    const std::int64_t perPage = count / kPages;
    for (std::int64_t first = 0; first < count; first += perPage) {
        const UID spread = db.NewObject(host::kSpreadBoss);
        const UID page = db.NewObject(host::kPageBoss);
        layout.spreads.push_back(spread);
        host::Spread& data = layout.spreadData[spread];
        data.offset = PMPoint(0, 1000.0 * static_cast<double>(layout.spreads.size()));
        data.pages.push_back(page);
        layout.pages[page] = {spread, 500, 700, {}};
        for (std::int64_t i = 0; i < perPage; ++i) {
            const UID uid = db.NewObject(host::kFrameItemBoss);
            host::Item item;
            item.cls = host::kFrameItemBoss;
            item.spread = spread;
            item.layer = layer;
            const double x = 45.0 * static_cast<double>(i % 10);
            const double y = 6.0 * static_cast<double>(i / 10 % 100);
            item.bounds = PMRect(x, y, x + 40, y + 100);
            item.transparent = i % 5 == 0;
            layout.items.emplace(uid, item);
            data.items.push_back(uid);
        }
    }
    layout.view = host::View{layout.spreads.front(), layout.spreadData.begin()->second.pages[0]};
    document->view = db.NewObject(host::kLayoutViewBoss);
    return host::OpenDocument(std::move(document));
}

// A fresh host with the plug-in loaded; false when it does not load.
bool StartHost(benchmark::State& state) {
    host::Reset();
    if (host::Attach(GetPlugIn()))
        return true;
    state.SkipWithError("the plug-in does not load");
    return false;
}

void StopHost(benchmark::State& state, std::int64_t count) {
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
    host::UnloadAll();
    host::Reset();
}

// A visitor that does nothing.
class NoVisit final : public ICallback {
public:
    void Visit(const PMMatrix&, IPMUnknown*, std::int32_t) override {}
    IPMUnknown* GetCallbackObject() const override { return nullptr; }
};

// The host's item walk as the collection makes it (a walker for the run; page by page the page's
// spread, walked by page into groups), visiting every item and doing nothing with it.
void BM_CollectPageItems_host(benchmark::State& state) {
    if (!StartHost(state))
        return;
    const std::int64_t count = state.range(0);
    host::Document& document = MakeDocument(count);
    NoVisit visitor;
    for (auto _ : state) {
        cold_caches::EvictUntimed(state);
        InterfacePtr<IItemWalker> walker(
            static_cast<IItemWalker*>(CreateObject(kItemWalkerBoss, IItemWalker::kDefaultIID)));
        InterfacePtr<IPageList> pages(document.Get(), UseDefaultIID{});
        for (std::int32_t index = 0; index < kPages; ++index) {
            const UIDRef page(document.db.get(), pages->GetNthPageUID(index));
            InterfacePtr<IHierarchy> hierarchy(page, UseDefaultIID{});
            InterfacePtr<IShape> spread(UIDRef(page.GetDataBase(), hierarchy->GetSpreadUID()),
                                        UseDefaultIID{});
            walker->Walk(PMMatrix(), GetUIDRef(spread.get()), &visitor,
                         IItemWalker::kByPage | IItemWalker::kEnterGroups);
        }
    }
    StopHost(state, count);
}

void BM_CollectPageItems_zep(benchmark::State& state) {
    if (!StartHost(state))
        return;
    const std::int64_t count = state.range(0);
    host::Document& document = MakeDocument(count);
    const TempFolder folder;
    BJobFile job;
    job.jobFolder.assign(ustring(("Z:" + folder.path.string()).c_str()));
    job.GetAbsoluteRuns().AddRun(1, static_cast<std::int32_t>(kPages));
    for (auto _ : state) {
        cold_caches::EvictUntimed(state);
        ZEPExportHelper owner;
        owner.Prepare(document.Get(), &job);
        ZEPExportJobFileHelper helper(owner);
        helper.CollectPageItems();
        benchmark::DoNotOptimize(job.GetPageSet(kAnalysedPageSet).items.size());
        job.GetPageSet(kAnalysedPageSet).pageFlatteners.clear();
    }
    StopHost(state, count);
}

} // namespace

BENCHMARK(BM_CollectPageItems_zep)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectPageItems_host)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
