#!/usr/bin/env bash
# Runs one test program under Valgrind's memcheck (default: tst_e2e_day, the
# whole window through a trading day against the virtual register) and
# fails on any memory error or definite leak.
#
#   scripts/memcheck.sh [TEST] [valgrind options...]
#
# Builds into build/ first. The log goes to build/memcheck-TEST.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
test=${1:-tst_e2e_day}
shift || true
"$root/scripts/build.sh" >/dev/null
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
log=$root/build/memcheck-$test.log
status=0
HOME=$home QT_QPA_PLATFORM=offscreen valgrind --tool=memcheck --leak-check=full \
    --show-leak-kinds=definite --errors-for-leak-kinds=definite --error-exitcode=99 \
    --num-callers=30 --log-file="$log" "$@" "$root/build/bin/$test" >"$log.out" 2>&1 || status=$?
tail -1 "$log.out"
grep -E "definitely lost|ERROR SUMMARY" "$log" | sed 's/^==[0-9]*== *//'
case $status in
0) echo "memcheck $test: no error, no definite leak" ;;
99) echo "memcheck $test: FAILED, see $log" >&2; exit 1 ;;
*) echo "memcheck $test: the test failed ($status), see $log.out" >&2; exit 1 ;;
esac
