#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in its own folder
# (warnings are errors), links the unit's variant (Linux backend) from the same libraries so
# it cannot rot, and runs every test through CTest under a virtual display, where the display
# tests render the screens; their screenshots stay in build-tests/artifacts/screenshots. A
# skipped test fails the run. Then the fuzzing programs run for a short while each
# (scripts/fuzz.sh; VARNOK_FUZZ_SECONDS, 0 leaves them out). Each stage says its wall and
# processor time, and the run ends with all of them. A compiler cache (ccache) is used where
# one is installed. Arguments go to ctest (e.g. -R Decoder).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/stage.sh
source scripts/test-build.sh
varnok_install_deps
jobs="${VARNOK_JOBS:-$(nproc)}" # parallel jobs: all cores unless VARNOK_JOBS says
# Most tests spend much of their time waiting for timers, the display and the simulated
# modem: three times as many run as there are cores.
test_jobs=$((jobs * 3))

VARNOK_STAGE_LOG="$(mktemp)"
export VARNOK_STAGE_LOG
summary() {
    echo "Stages of this run:"
    cat "$VARNOK_STAGE_LOG"
    rm -f "$VARNOK_STAGE_LOG"
}
trap summary EXIT

build() { varnok_build_tests "$jobs"; }

run_tests() {
    rm -rf build-tests/artifacts/screenshots
    local log=build-tests/ctest.log status=0
    # A failed test runs once more with symbols, so that a sanitizer's report names the code.
    (varnok_test_environment &&
        xvfb-run -a ctest --test-dir build-tests --output-on-failure -j"$test_jobs" --timeout 300 "$@") 2>&1 |
        tee "$log" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "test.sh: the failed tests once more, with the sanitizers' reports symbolized:"
        xvfb-run -a ctest --test-dir build-tests --output-on-failure --rerun-failed --timeout 300 || true
        return "$status"
    fi
    if grep -q "tests did not run" "$log"; then
        echo "test.sh: tests were skipped or not run (see above); every test runs here." >&2
        return 1
    fi
    echo "Screenshots of every screen: build-tests/artifacts/screenshots/"
}

varnok_stage build build
# The unit's variant (Linux backend) only builds here: there is no board to run it on.
varnok_stage "unit build" cmake --build build-tests -j"$jobs" --target varnok_unit
varnok_stage tests run_tests "$@"
if [ "${VARNOK_FUZZ_SECONDS:-30}" != "0" ]; then
    bash scripts/fuzz.sh
fi
