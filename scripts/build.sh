#!/usr/bin/env bash
# Configures and builds Tavrel into build/ (or the folder given as BUILD_DIR): everything,
# or only the targets named in BUILD_TARGETS (as the demo does: the three programs).
# Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
targets=()
for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
