// Text formatting beside the C library's snprintf and {fmt}'s printf, on the conversions the
// system uses, and the cost of a log statement whose level is masked out.
#include "utils/Logger.h"
#include "utils/ustring.h"

#include <benchmark/benchmark.h>
#include <fmt/printf.h>

#include <cstdio>
#include <string>

namespace {

// One format of each conversion class with the flags and lengths the system uses.
constexpr const char* kMix = "%s#%ld|%-6hd|%.*f|%08x|%5s|%+d|%e|%c";

#define MIX_ARGUMENTS                                                                              \
    "EmbeddedGraphic", 1234567890123L, static_cast<short>(-42), 3, 3.14159265, 0xBEEFu, "ab", 77,  \
        6.02e23, 'z'

std::size_t mixLength() {
    static const std::size_t length =
        static_cast<std::size_t>(std::snprintf(nullptr, 0, kMix, MIX_ARGUMENTS));
    return length;
}

void BM_FormatMix_zep(benchmark::State& state) {
    for (auto _ : state) {
        ustring text = ustring::format(kMix, MIX_ARGUMENTS);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * mixLength()));
}

void BM_FormatMix_snprintf(benchmark::State& state) {
    char buffer[256];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, kMix, MIX_ARGUMENTS);
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * mixLength()));
}

void BM_FormatMix_fmt(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = fmt::sprintf(kMix, MIX_ARGUMENTS);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * mixLength()));
}

// A short format of the kind that builds key and path names.
void BM_FormatShort_zep(benchmark::State& state) {
    for (auto _ : state) {
        ustring text = ustring::format(" (page %d)", 42);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 10));
}

void BM_FormatShort_snprintf(benchmark::State& state) {
    char buffer[32];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, " (page %d)", 42);
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 10));
}

void BM_FormatShort_fmt(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = fmt::sprintf(" (page %d)", 42);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 10));
}

// A statement below the mask: the level test and a branch. The bytes are those of the text
// that would have been logged.
void BM_LogMasked_zep(benchmark::State& state) {
    const std::uint32_t saved = zeu::logger.mask;
    zeu::logger.mask = static_cast<std::uint32_t>(zeu::LogLevel::Error);
    for (auto _ : state) {
        ZEU_LOG(Trace, "..\\libs\\utils\\bench", 1, "bench") << "masked out " << 42;
        benchmark::ClobberMemory();
    }
    zeu::logger.mask = saved;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 13));
}

} // namespace

BENCHMARK(BM_FormatMix_zep);
BENCHMARK(BM_FormatMix_snprintf);
BENCHMARK(BM_FormatMix_fmt);
BENCHMARK(BM_FormatShort_zep);
BENCHMARK(BM_FormatShort_snprintf);
BENCHMARK(BM_FormatShort_fmt);
BENCHMARK(BM_LogMasked_zep);
