#!/usr/bin/env bash
# Builds the libFuzzer programs of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for VARNOK_FUZZ_SECONDS (30 by
# default) from its seed corpus with its dictionary. New inputs it finds go to
# build-fuzz/corpus/<name>/, a crash or a failed check to build-fuzz/artifacts/ (and the run
# fails). Arguments name the programs to run: remote, modem, xml (all by default).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
varnok_install_deps $VARNOK_FUZZ_PACKAGES
jobs="${VARNOK_JOBS:-$(nproc)}"
seconds="${VARNOK_FUZZ_SECONDS:-30}"
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(remote modem xml)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DVARNOK_FUZZ=ON \
    -DVARNOK_TESTS=OFF -DVARNOK_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target "${names[@]/#/fuzz_}"

mkdir -p build-fuzz/artifacts
for name in "${names[@]}"; do
    mkdir -p "build-fuzz/corpus/$name"
    echo "fuzz.sh: fuzz_$name for ${seconds} s"
    "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -dict="tests/fuzz/$name.dict" -artifact_prefix="build-fuzz/artifacts/$name-" -print_final_stats=1 \
        "build-fuzz/corpus/$name" "tests/fuzz/corpus/$name" 2>&1 | grep -v -E '^#[0-9]+ +(NEW|REDUCE|pulse)' || {
        echo "fuzz.sh: fuzz_$name failed; the input is in build-fuzz/artifacts/" >&2
        exit 1
    }
done
