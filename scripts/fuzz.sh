#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and undefined sanitizers
# into build-fuzz/ and runs each one. Usage: bash scripts/fuzz.sh [seconds per target]
# (600 by default). New inputs that reach new code are kept in build-fuzz/corpus/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
build=$root/build-fuzz
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTAVREL_FUZZ=ON -DTAVREL_SANITIZE=ON -DTAVREL_BUILD_BENCH=OFF >/dev/null
for target in config phidgets recording relay outputs sharedmemory; do
  seeds=("$root/tests/fuzz/corpus/$target")
  [[ $target == outputs ]] && seeds+=("$root/demo") # the demo cockpit's file, where it lives
  cmake --build "$build" --target "${target}_fuzzer"
  mkdir -p "$build/corpus/$target"
  "$build/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=33000 -timeout=10 \
    -print_final_stats=1 "$build/corpus/$target" "${seeds[@]}"
done
