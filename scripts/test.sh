#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in its own
# folder and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
varnok_install_deps

cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DVARNOK_SANITIZE=ON
cmake --build build-tests -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
ctest --test-dir build-tests --output-on-failure -j"$(nproc)" --timeout 300 "$@"
