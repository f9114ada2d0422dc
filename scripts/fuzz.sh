#!/usr/bin/env bash
# Builds the libFuzzer programs of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for VARNOK_FUZZ_SECONDS (30 by
# default) from its seed corpus with its dictionary, as many at once as there are jobs
# (VARNOK_JOBS, all cores by default). New inputs it finds go to build-fuzz/corpus/<name>/, a
# crash or a failed check to build-fuzz/artifacts/ (and the run fails). Arguments name the
# programs to run: remote, modem, xml (all by default). Each stage says its wall and
# processor time.
# clang and its libFuzzer runtime are installed when missing; where that cannot be done,
# fuzzing is left out with a message and the run does not fail.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/stage.sh
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

build() {
    varnok_compiler_cache
    # Line tables are all a crash report needs.
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DVARNOK_FUZZ=ON \
        -DVARNOK_TESTS=OFF -DVARNOK_BENCH=OFF -DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
        "${VARNOK_CACHE_ARGS[@]}" >/dev/null
    cmake --build build-fuzz -j"$jobs" --target "${names[@]/#/fuzz_}"
}

# Runs one program, its log kept in build-fuzz/<name>.log.
fuzz() {
    local name="$1"
    mkdir -p "build-fuzz/corpus/$name"
    "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -dict="tests/fuzz/$name.dict" -artifact_prefix="build-fuzz/artifacts/$name-" -print_final_stats=1 \
        "build-fuzz/corpus/$name" "tests/fuzz/corpus/$name" >"build-fuzz/$name.log" 2>&1
}

# The programs side by side, at most one per job; then each one's log in turn, without the
# progress lines of new inputs and functions.
run() {
    local failed=0 name
    local -a pids=()
    mkdir -p build-fuzz/artifacts
    for name in "${names[@]}"; do
        if [ "${#pids[@]}" -ge "$jobs" ]; then
            wait "${pids[0]}" || failed=1
            pids=("${pids[@]:1}")
        fi
        echo "fuzz.sh: fuzz_$name for ${seconds} s"
        fuzz "$name" &
        pids+=("$!")
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || failed=1
    done
    for name in "${names[@]}"; do
        echo "fuzz.sh: fuzz_$name"
        grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)|^[[:space:]]+NEW_FUNC' "build-fuzz/$name.log" || true
    done
    if [ "$failed" -ne 0 ]; then
        echo "fuzz.sh: a fuzzing program failed (see above); the input is in build-fuzz/artifacts/" >&2
        return 1
    fi
}

varnok_stage "fuzz build" build
varnok_stage fuzzers run
