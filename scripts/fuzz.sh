#!/usr/bin/env bash
# Builds the libFuzzer programs of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for VARNOK_FUZZ_SECONDS (30 by
# default) from its seed corpus with its dictionary. New inputs it finds go to
# build-fuzz/corpus/<name>/, a crash or a failed check to build-fuzz/artifacts/ (and the run
# fails). Arguments name the programs to run: remote, modem, xml (all by default).
# clang and its libFuzzer runtime are installed when missing; where that cannot be done,
# fuzzing is left out with a message and the run does not fail.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
jobs="${VARNOK_JOBS:-$(nproc)}"
seconds="${VARNOK_FUZZ_SECONDS:-30}"
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(remote modem xml)

probe="$(mktemp -d)"
trap 'rm -rf "$probe"' EXIT
# True when clang++ builds and links a fuzzing program with both sanitizers.
links_fuzzer() {
    command -v clang++ >/dev/null || return 1
    printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
        >"$probe/probe.cpp"
    clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null
}
if ! links_fuzzer; then
    # The runtime is packaged apart from the compiler, under the compiler's major version.
    varnok_install_deps clang || true
    command -v clang >/dev/null && varnok_install_deps "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev" || true
fi
if ! links_fuzzer; then
    echo "fuzz.sh: clang with its libFuzzer runtime is not available here; fuzzing is skipped" >&2
    exit 0
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DVARNOK_FUZZ=ON \
    -DVARNOK_TESTS=OFF -DVARNOK_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target "${names[@]/#/fuzz_}"

mkdir -p build-fuzz/artifacts
for name in "${names[@]}"; do
    mkdir -p "build-fuzz/corpus/$name"
    echo "fuzz.sh: fuzz_$name for ${seconds} s"
    # The progress lines of new inputs and functions are left out of the log; the rest shows.
    if ! "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -dict="tests/fuzz/$name.dict" -artifact_prefix="build-fuzz/artifacts/$name-" -print_final_stats=1 \
        "build-fuzz/corpus/$name" "tests/fuzz/corpus/$name" 2>&1 | { grep -v -E '^#[0-9]+ +(NEW|REDUCE|pulse)|^\s+NEW_FUNC' || true; }; then
        echo "fuzz.sh: fuzz_$name failed; the input is in build-fuzz/artifacts/" >&2
        exit 1
    fi
done
