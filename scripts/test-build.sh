# The test build shared by test.sh and repeat-tests.sh: AddressSanitizer and
# UndefinedBehaviorSanitizer in build-tests/, warnings as errors. Sourced, after deps.sh.

# varnok_build_tests JOBS
varnok_build_tests() {
    varnok_compiler_cache
    # Line tables are all the sanitizers' reports need; full debug information would take a
    # fifth of the compile time.
    cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DVARNOK_SANITIZE=ON -DVARNOK_WERROR=ON \
        -DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1 "${VARNOK_CACHE_ARGS[@]}"
    cmake --build build-tests -j"$1"
}

# The system libraries' leaks are let pass by their library's name, which needs no symbols;
# reading the symbols would take most of a short test's time.
varnok_test_environment() {
    export ASAN_OPTIONS=symbolize=0 UBSAN_OPTIONS=symbolize=0
}
