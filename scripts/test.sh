#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in its own folder
# (warnings are errors), builds the unit's variant so it cannot rot, and runs every test
# through CTest under a virtual display, where the display tests render the screens; their
# screenshots stay in build-tests/artifacts/screenshots. A skipped test fails the run.
# Then the fuzzing programs run for a short while each (scripts/fuzz.sh; VARNOK_FUZZ_SECONDS,
# 0 leaves them out). Arguments go to ctest (e.g. -R Decoder).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
varnok_install_deps
jobs="${VARNOK_JOBS:-$(nproc)}" # parallel jobs: all cores unless VARNOK_JOBS says

cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DVARNOK_SANITIZE=ON -DVARNOK_WERROR=ON
cmake --build build-tests -j"$jobs"

# The unit's variant (Linux backend) only builds here: there is no board to run it on.
cmake -S . -B build-unit -DVARNOK_BOARD_LINUX=ON -DVARNOK_TESTS=OFF -DVARNOK_BENCH=OFF -DVARNOK_WERROR=ON
cmake --build build-unit -j"$jobs"

rm -rf build-tests/artifacts/screenshots
log=build-tests/ctest.log
xvfb-run -a ctest --test-dir build-tests --output-on-failure -j"$jobs" --timeout 300 "$@" 2>&1 | tee "$log"
if grep -q "tests did not run" "$log"; then
    echo "test.sh: tests were skipped or not run (see above); every test runs here." >&2
    exit 1
fi
echo "Screenshots of every screen: build-tests/artifacts/screenshots/"

if [ "${VARNOK_FUZZ_SECONDS:-30}" != "0" ]; then
    bash scripts/fuzz.sh
fi
