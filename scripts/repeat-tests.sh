#!/usr/bin/env bash
# Runs the test suite several times in a row, built and run as test.sh builds and runs it, with
# a given number of tests at once on a given set of processors, and lists each test that failed
# and in which runs. A verdict that depends on how fast the machine is shows here: run it
# loaded (more tests at once than the processors can keep up with).
#
#   bash scripts/repeat-tests.sh [-n RUNS] [-j TESTS_AT_ONCE] [-c PROCESSORS] [ctest arguments]
#
# RUNS 3, TESTS_AT_ONCE 12, PROCESSORS "0,1" (as taskset takes them) by default; e.g.
#   bash scripts/repeat-tests.sh -n 5 -j 16 -c 0,1 -R ChannelPlanRun
# Each run's log stays in build-tests/repeat/run-N.log. The status is 1 when a test failed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=3 at_once=12 processors=0,1
while [ $# -ge 2 ]; do
    case "$1" in
    -n) runs="$2" ;;
    -j) at_once="$2" ;;
    -c) processors="$2" ;;
    *) break ;;
    esac
    shift 2
done
source scripts/deps.sh
source scripts/test-build.sh
varnok_install_deps util-linux
varnok_build_tests "${VARNOK_JOBS:-$(nproc)}"

out=build-tests/repeat
failed_list=build-tests/Testing/Temporary/LastTestsFailed.log
rm -rf "$out" && mkdir -p "$out"
varnok_test_environment
for run in $(seq 1 "$runs"); do
    rm -f "$failed_list"
    start=$SECONDS
    taskset -c "$processors" xvfb-run -a ctest --test-dir build-tests -j"$at_once" --timeout 300 \
        --output-on-failure "$@" >"$out/run-$run.log" 2>&1 || true
    # Lines "number:name" of the tests that failed or timed out.
    [ -f "$failed_list" ] && cut -d: -f2- "$failed_list" | sed "s/\$/\t$run/" >>"$out/failures"
    echo "run $run of $runs: $(grep -Eo '[0-9]+ tests failed out of [0-9]+|100% tests passed, 0 tests failed out of [0-9]+' \
        "$out/run-$run.log" | tail -1) ($((SECONDS - start)) s)"
done

if [ ! -s "$out/failures" ]; then
    echo "No test failed in $runs runs of $at_once at once on processors $processors."
    exit 0
fi
echo "Failed in $runs runs of $at_once at once on processors $processors (test: runs):"
sort -t"$(printf '\t')" -k1,1 -s "$out/failures" | awk -F'\t' '
    $1 != name { if (name != "") print "  " name ": " runs; name = $1; runs = $2; next }
    { runs = runs ", " $2 }
    END { print "  " name ": " runs }'
exit 1
