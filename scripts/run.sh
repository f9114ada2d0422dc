#!/usr/bin/env bash
# Builds the instrument optimised in a folder of its own (build-run) and starts it on the
# simulated board, in a working directory seeded from data/ (kept between runs in ./run-sim).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
varnok_install_deps

cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DVARNOK_TESTS=OFF -DVARNOK_BENCH=OFF
cmake --build build-run -j"$(nproc)"

workdir="${VARNOK_WORKDIR:-$PWD/run-sim}"
if [ ! -d "$workdir" ]; then
    mkdir -p "$workdir"
    cp -r data/. "$workdir/"
fi
cd "$workdir"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # No display: run headless; the remote server on port 1234 still answers.
    export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
fi
exec "$OLDPWD/build-run/varnok" "$@"
