// The benchmark program's entry point: runs the benchmarks, then prints for each group the
// throughput of every implementation and how the system's own ("zep") compares to each peer, and
// for each group that measures the host's own work beneath the system's ("host") the system's
// time over the host's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kOwnImpl = "zep";
constexpr const char* kHostImpl = "host";

// Splits a run name "BM_<Group>_<impl>[/args]" into the group (with the args) and the impl.
// Returns false for names outside that convention.
bool splitName(const benchmark::BenchmarkReporter::Run& run, std::string& group,
               std::string& impl) {
    const std::string& function = run.run_name.function_name;
    const std::string::size_type underscore = function.rfind('_');
    if (function.rfind("BM_", 0) != 0 || underscore == std::string::npos || underscore < 3) {
        return false;
    }
    group = function.substr(3, underscore - 3);
    impl = function.substr(underscore + 1);
    // The run's name without the aggregate's suffix ("_median").
    const std::string full = run.run_name.str();
    const std::string::size_type tail = full.find('/', function.size());
    if (tail != std::string::npos) {
        group += full.substr(tail);
    }
    return !group.empty() && !impl.empty();
}

// Binary multiples, as the benchmark library prints its own rates.
std::string humanRate(double bytesPerSecond) {
    const char* units[] = {"B/s", "KiB/s", "MiB/s", "GiB/s", "TiB/s"};
    int unit = 0;
    while (bytesPerSecond >= 1024 && unit < 4) {
        bytesPerSecond /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f %s", bytesPerSecond, units[unit]);
    return text;
}

// The console report as usual, plus the bytes/second of every run that sets it, kept per group
// in the order the benchmarks ran. With repetitions, the median stands for the group: one run
// slowed by another process on the machine does not move it.
class PeerTableReporter : public benchmark::ConsoleReporter {
public:
    PeerTableReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            collect(run);
        }
    }

    void printTables() const {
        printTable();
        printHostTable();
    }

private:
    void printTable() const {
        if (groups_.empty()) {
            return;
        }
        std::printf("\nThroughput per group; zep/peer > 1 means the system's own is faster\n");
        std::printf("%-32s %-10s %14s %10s\n", "group", "impl", "throughput", "zep/peer");
        for (const std::string& group : order_) {
            const auto& impls = groups_.at(group);
            const double* own = nullptr;
            for (const auto& [impl, rate] : impls) {
                if (impl == kOwnImpl) {
                    own = &rate;
                }
            }
            for (const auto& [impl, rate] : impls) {
                std::string ratio = "-";
                if (own != nullptr && impl != kOwnImpl && rate > 0) {
                    char text[16];
                    std::snprintf(text, sizeof text, "%.2f", *own / rate);
                    ratio = text;
                }
                std::printf("%-32s %-10s %14s %10s\n", group.c_str(), impl.c_str(),
                            humanRate(rate).c_str(), ratio.c_str());
            }
        }
    }

    // The time per item of the system's own run over that of the host's work alone.
    void printHostTable() const {
        if (hostGroups_.empty()) {
            return;
        }
        std::printf("\nTime per item of the system's own run over the host's work alone\n");
        std::printf("%-32s %10s\n", "group", "zep/host");
        for (const std::string& group : hostOrder_) {
            const auto& rates = hostGroups_.at(group);
            const auto own = rates.find(kOwnImpl);
            const auto host = rates.find(kHostImpl);
            if (own == rates.end() || host == rates.end() || own->second <= 0) {
                continue;
            }
            std::printf("%-32s %10.2f\n", group.c_str(), host->second / own->second);
        }
    }

    void collect(const Run& run) {
        if (run.error_occurred) {
            return;
        }
        const bool repeated = run.repetitions > 1;
        if (run.run_type == Run::RT_Aggregate ? run.aggregate_name != "median" : repeated) {
            return;
        }
        std::string group;
        std::string impl;
        if (!splitName(run, group, impl)) {
            return;
        }
        collectHostPair(run, group, impl);
        const auto counter = run.counters.find("bytes_per_second");
        if (counter == run.counters.end()) {
            return;
        }
        auto [entry, added] = groups_.try_emplace(group);
        if (added) {
            order_.push_back(group);
        }
        entry->second.emplace_back(impl, counter->second.value);
    }

    // Items per second of the system's own run and of the host's work alone, by group.
    void collectHostPair(const Run& run, const std::string& group, const std::string& impl) {
        const auto counter = run.counters.find("items_per_second");
        if (counter == run.counters.end() || (impl != kOwnImpl && impl != kHostImpl)) {
            return;
        }
        auto [entry, added] = hostGroups_.try_emplace(group);
        if (added) {
            hostOrder_.push_back(group);
        }
        entry->second[impl] = counter->second.value;
    }

    std::map<std::string, std::vector<std::pair<std::string, double>>> groups_;
    std::vector<std::string> order_;
    std::map<std::string, std::map<std::string, double>> hostGroups_;
    std::vector<std::string> hostOrder_;
};

} // namespace

int main(int argc, char** argv) {
    // Each iteration frees what it allocated. By default glibc gives freed memory back to the
    // system, and serves large blocks straight from it, above thresholds that move with the
    // largest block freed so far: a benchmark whose memory outgrew them (a job of 100,000
    // destinations) paid page faults for all of it on every iteration, one of a tenth the size
    // none. Fixed thresholds keep the memory for the next iteration, for every implementation.
    constexpr int kLargestFromHeap = 32 << 20; // the most glibc accepts
    constexpr int kKeptFree = 1 << 30;
    if (mallopt(M_MMAP_THRESHOLD, kLargestFromHeap) == 0 ||
        mallopt(M_TRIM_THRESHOLD, kKeptFree) == 0)
        std::fprintf(stderr, "mallopt failed: iterations may pay page faults\n");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    PeerTableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTables();
    benchmark::Shutdown();
    return 0;
}
