// A way to measure the export benchmarks' work apart from the caches. Left alone, a benchmark
// over a small document finds it in the caches from the iteration before (or from opening it),
// while a large one outgrows them and reads it from memory: the time then grows faster than the
// work. With ZEP_BENCH_COLD_CACHES set (to anything but "0"), the export benchmarks write over a
// buffer larger than the caches before every timed iteration, outside the timing, so that every
// size starts from cold caches and the growth of the time is that of the work.
#pragma once

#include <benchmark/benchmark.h>

namespace cold_caches {

// Whether ZEP_BENCH_COLD_CACHES asks for cold caches (read once).
bool Asked();
// When asked: pushes everything out of the caches. Otherwise nothing. Call it where the timing
// is paused.
void Evict();
// When asked: the same with the timing paused around it. Otherwise nothing, not even a pause.
inline void EvictUntimed(benchmark::State& state) {
    if (!Asked())
        return;
    state.PauseTiming();
    Evict();
    state.ResumeTiming();
}

} // namespace cold_caches
