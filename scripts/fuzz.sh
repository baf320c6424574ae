#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a few seconds from its seed corpus.
# Any sanitizer report fails the run: the build makes every report fatal (the fuzzer then keeps
# the input in fuzz/artifacts/), and a report found in a target's log fails it all the same.
# Usage: scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ not found, skipping the fuzz targets"
    exit 0
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

shopt -s nullglob
for target in build/fuzz/fuzz/fuzz_*; do
    [[ -x $target ]] || continue
    name=$(basename "$target")
    work=build/fuzz/corpus/$name
    mkdir -p "$work" fuzz/artifacts
    seeds=()
    [[ -d fuzz/corpus/$name ]] && seeds=(fuzz/corpus/$name)
    echo "fuzz: $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
        -artifact_prefix=fuzz/artifacts/ "$work" "${seeds[@]}" >"build/fuzz/$name.log" 2>&1 &&
        ! grep -qE 'runtime error:|ERROR: [A-Za-z]+Sanitizer' "build/fuzz/$name.log" || {
        tail -n 60 "build/fuzz/$name.log"
        echo "fuzz: $name failed"
        exit 1
    }
done
echo "fuzz: all targets ran clean"
