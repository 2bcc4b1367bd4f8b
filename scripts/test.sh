#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; then the
# checked suite: the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang-14, in build-sanitize/), and a short run
# of every fuzz target. Arguments go to the first ctest.
#
# FPTR_SANITIZE_TESTS=all|core selects the checked suite: "core" (the
# default, to keep CI within its time) is every test but the window's GUI
# tests: the GUI-less tests, the virtual register's and the fuzz corpora.
# FPTR_FUZZ_SECONDS (default 10) is each fuzz target's time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j"$jobs" "$@"

echo "== checked suite (AddressSanitizer, UndefinedBehaviorSanitizer)"
sanitize=$root/build-sanitize
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$sanitize" -DFPTR_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" >/dev/null
selection=()
targets=()
if [ "${FPTR_SANITIZE_TESTS:-core}" != all ]; then
    selection=(-L checked)
    # Only what those tests run is built (a corpus test runs its fuzz target).
    mapfile -t targets < <(cd "$sanitize" && ctest -N -L checked | sed -n 's/^ *Test *#[0-9]*: *//p' | sed 's/^fuzzcorpus_/fuzz_/')
    targets=(--target "${targets[@]}")
fi
cmake --build "$sanitize" -j"$jobs" "${targets[@]}"
source "$root/scripts/sanitizer-env.sh"
(cd "$sanitize" && ctest --output-on-failure -j"$jobs" "${selection[@]}")

echo "== fuzz smoke run"
FPTR_FUZZ_BUILD=$sanitize "$root/scripts/fuzz.sh" "${FPTR_FUZZ_SECONDS:-10}"
