// Building and reading a wide message: adding entries in name order and in random order, and
// looking names up, for 10, 1,000 and 100,000 entries; adding n entries must grow as n log n.
// The peer is the container a user would otherwise pick for named arrays of values.
#include "utils/umessage.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

using PeerMessage = std::map<std::string, std::vector<int>>;

std::vector<std::string> sortedNames(int64_t n) {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(n));
    char text[32];
    for (int64_t i = 0; i < n; ++i) {
        std::snprintf(text, sizeof text, "key%08lld", static_cast<long long>(i));
        names.emplace_back(text);
    }
    return names;
}

std::vector<std::string> shuffledNames(int64_t n) {
    std::vector<std::string> names = sortedNames(n);
    std::shuffle(names.begin(), names.end(), std::mt19937(20240601));
    return names;
}

std::vector<ustring> asUstrings(const std::vector<std::string>& names) {
    std::vector<ustring> texts;
    texts.reserve(names.size());
    for (const std::string& name : names)
        texts.emplace_back(name.data(), name.size());
    return texts;
}

// Rates count the bytes of the names handled.
void countNames(benchmark::State& state, const std::vector<std::string>& names) {
    int64_t bytes = 0;
    for (const std::string& name : names)
        bytes += static_cast<int64_t>(name.size());
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetComplexityN(state.range(0));
}

void addAll(benchmark::State& state, const std::vector<std::string>& names) {
    const std::vector<ustring> texts = asUstrings(names);
    for (auto _ : state) {
        umessage m;
        for (const ustring& name : texts)
            m.add<int>(name, umessage_details::type_int, 1);
        benchmark::DoNotOptimize(m);
    }
    countNames(state, names);
}

void addAllToPeer(benchmark::State& state, const std::vector<std::string>& names) {
    for (auto _ : state) {
        PeerMessage m;
        for (const std::string& name : names)
            m[name].push_back(1);
        benchmark::DoNotOptimize(m);
    }
    countNames(state, names);
}

void BM_UmessageAddSorted_zep(benchmark::State& state) {
    addAll(state, sortedNames(state.range(0)));
}

void BM_UmessageAddSorted_stdmap(benchmark::State& state) {
    addAllToPeer(state, sortedNames(state.range(0)));
}

void BM_UmessageAddRandom_zep(benchmark::State& state) {
    addAll(state, shuffledNames(state.range(0)));
}

void BM_UmessageAddRandom_stdmap(benchmark::State& state) {
    addAllToPeer(state, shuffledNames(state.range(0)));
}

void BM_UmessageGet_zep(benchmark::State& state) {
    const std::vector<std::string> names = shuffledNames(state.range(0));
    const std::vector<ustring> texts = asUstrings(names);
    umessage m;
    for (const ustring& name : texts)
        m.add<int>(name, umessage_details::type_int, 1);
    for (auto _ : state) {
        int sum = 0;
        for (const ustring& name : texts)
            sum += m.value<int>(name);
        benchmark::DoNotOptimize(sum);
    }
    countNames(state, names);
}

void BM_UmessageGet_stdmap(benchmark::State& state) {
    const std::vector<std::string> names = shuffledNames(state.range(0));
    PeerMessage m;
    for (const std::string& name : names)
        m[name].push_back(1);
    for (auto _ : state) {
        int sum = 0;
        for (const std::string& name : names) {
            auto found = m.find(name);
            sum += found == m.end() ? 0 : found->second.front();
        }
        benchmark::DoNotOptimize(sum);
    }
    countNames(state, names);
}

} // namespace

BENCHMARK(BM_UmessageAddSorted_zep)->Arg(10)->Arg(1000)->Arg(100000)->Complexity();
BENCHMARK(BM_UmessageAddSorted_stdmap)->Arg(10)->Arg(1000)->Arg(100000)->Complexity();
BENCHMARK(BM_UmessageAddRandom_zep)->Arg(10)->Arg(1000)->Arg(100000)->Complexity();
BENCHMARK(BM_UmessageAddRandom_stdmap)->Arg(10)->Arg(1000)->Arg(100000)->Complexity();
BENCHMARK(BM_UmessageGet_zep)->Arg(10)->Arg(1000)->Arg(100000)->Complexity();
BENCHMARK(BM_UmessageGet_stdmap)->Arg(10)->Arg(1000)->Arg(100000)->Complexity();
