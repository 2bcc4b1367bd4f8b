#!/usr/bin/env bash
# Builds the fuzz targets (clang-14, libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every one of them for SECONDS each
# (default 30), one after the other.
#
#   scripts/fuzz.sh [SECONDS] [NAME...]
#
# NAME limits the run to some targets (as listed in tests/fuzz/CMakeLists.txt).
# FPTR_FUZZ_BUILD names the build folder (default build-fuzz). New inputs go
# to BUILD/fuzz-corpus/NAME, findings to BUILD/fuzz-findings/NAME-*, each
# target's output to BUILD/fuzz-logs/NAME.log. A finding worth keeping goes
# into tests/fuzz/corpus/NAME/ beside the seeds, once the fault is mended.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
build=${FPTR_FUZZ_BUILD:-$root/build-fuzz}
case "$build" in /*) ;; *) build=$root/$build ;; esac

"$root/scripts/setup.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFPTR_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target fuzz_all

source "$root/scripts/sanitizer-env.sh"
mkdir -p "$build/fuzz-logs" "$build/fuzz-findings"
passed=0
failed=0
while read -r name seeds; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then
        continue
    fi
    corpus=$build/fuzz-corpus/$name
    log=$build/fuzz-logs/$name.log
    mkdir -p "$corpus"
    # Each input gets 30 s before it counts as a hang.
    if "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-findings/$name-" "$corpus" "$seeds" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        echo "fuzz $name: ${runs:-?} executions in ${seconds} s, no finding"
        passed=$((passed + 1))
    else
        echo "fuzz $name: FAILED (log: $log)"
        grep -E "ERROR|SUMMARY|runtime error|expected|artifact" "$log" | head -20 || true
        failed=$((failed + 1))
    fi
done <"$build/fuzz-targets.txt"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
