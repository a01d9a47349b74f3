#!/usr/bin/env bash
# The relay under wine: tavrel-relay.exe serves what the stand-in simulator publishes in
# its shared memory, and the Linux tavrel-relay records it; the recording must read back
# as the stand-in's values. Run by run-under-wine.sh, which prepares the wine prefix.
set -euo pipefail
: "${root:?} ${win:?} ${build:?} ${work:?} ${WINEPREFIX:?}"
declare -F wait_for >/dev/null
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# The relay first: it waits for the simulator.
wine "$win/tavrel-relay.exe" --port 0 >"$work/relay.log" 2>&1 &
relay=$!
pids+=("$relay")
wait_for "$work/relay.log" "waiting for the simulator's shared memory"
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/relay.log")

mkfifo "$work/steps"
wine "$win/standin-simulator.exe" <"$work/steps" >"$work/standin.log" 2>&1 &
standin=$!
pids+=("$standin")
exec 3>"$work/steps"
step() {
  echo "$1" >&3
  wait_for "$work/standin.log" "^$1"
}

step menu
wait_for "$work/relay.log" "version 118): not in the aircraft"
"$build/tavrel-relay" --record "$work/standin.rec" --from "127.0.0.1:$port" --interval 50 \
  >"$work/recorder.log" 2>&1 &
recorder=$!
pids+=("$recorder")
sleep 2 # asked "X" all along: not flying yet, so nothing is recorded
step fly
wait_for "$work/standin.rec" '^[0-9]* 1 [0-9]*$' 5
step land
wait_for "$work/standin.rec" '^[0-9]* 0 [0-9]*$'
kill -INT "$recorder"
wait "$recorder"
echo quit >&3
wait "$standin"
wait_for "$work/relay.log" "waiting for the simulator's shared memory" 2

TAVREL_STANDIN_RECORDING=$work/standin.rec \
  "$build/tests/windows/shared_memory_tests" --gtest_filter='*RecordingThroughTheWindowsRelay*' --gtest_brief=1

# Ctrl+C ends the relay the ordinary way.
kill -INT "$relay"
wait "$relay" || { echo "wine test: tavrel-relay.exe ended with $? on Ctrl+C" >&2; exit 1; }
echo "wine test: the relay serves the simulator's shared memory"
