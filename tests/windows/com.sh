#!/usr/bin/env bash
# The data server over COM under wine: the test data server is registered with regsvr32
# and the link's tests (windows_tests.exe) run headless; then tavrel.exe, started on the demo
# configuration ("DCOM") under Xvfb, polls the server and drives virtual boards with its
# values, and ends through its menu with Close reaching the server. Takes root, win
# (build-win), app (the unpacked zip, if any) and a prepared WINEPREFIX from its caller;
# run alone, it prepares a prefix of its own. TAVREL_WIN_SCREENSHOT names a PNG file to
# save the screen to.
set -euo pipefail
root=${root:-$(cd "$(dirname "$0")/../.." && pwd)}
win=${win:-${BUILD_WIN:-$root/build-win}}
work=$(mktemp -d)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
own_prefix=
if [[ -z ${WINEPREFIX:-} ]]; then
  export WINEPREFIX=$work/wine
  own_prefix=1
fi
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [[ -z $own_prefix ]] || wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
die() {
  echo "com test: $*" >&2
  exit 1
}

# Waits until FILE holds a line matching PATTERN (grep -E), COUNT times (default once),
# while tavrel.exe runs once started.
wait_for() {
  local file=$1 pattern=$2 count=${3:-1} found
  for ((i = 0; i < 900; i++)); do
    found=$(grep -a -c -E -- "$pattern" "$file" 2>/dev/null) || true
    ((${found:-0} >= count)) && return 0
    [[ -z ${tavrel:-} ]] || kill -0 "$tavrel" 2>/dev/null || die "tavrel.exe ended early: $(cat "$work/tavrel.log")"
    sleep 0.1
  done
  echo "com test: no '$pattern' in $file after 90 s:" >&2
  tail -n 20 "$file" >&2 || true
  return 1
}

[[ -z $own_prefix ]] || DISPLAY= wineboot -i >/dev/null 2>&1
DISPLAY= wine regsvr32 /s "$(winepath -w "$win/ostrel-test-server.dll")" >/dev/null 2>&1 ||
  die "regsvr32 did not register ostrel-test-server.dll"
DISPLAY= wine "$win/tests/windows/windows_tests.exe" --gtest_filter='ComDataServer.*' || die "the data server test failed"

# The demo cockpit on a display of its own, with the built-in virtual boards. Wine takes
# its display when its session starts, so the headless session ends first.
wineserver -w
exec 4>"$work/display"
Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 4>&-
wait_for "$work/display" '^[0-9]+$'
export DISPLAY=:$(head -n 1 "$work/display")
# From the unpacked zip where the caller gives one (app): its tavrel.exe started in its
# folder, on the Tavrel.cfg beside it; otherwise the build's, on the demo cockpit.
if [[ -n ${app:-} ]]; then
  run=$app
  exe=$app/tavrel.exe
else
  run=$work/run
  exe=$win/tavrel.exe
  mkdir "$run"
  cp "$root/demo/Tavrel.cfg" "$run/"
fi
cmp -s "$run/Tavrel.cfg" "$root/demo/Tavrel.cfg" || die "$run/Tavrel.cfg is not the demo cockpit"
export TAVREL_DATA_SERVER_JOURNAL="Z:$run/server.journal" TAVREL_PHIDGET_JOURNAL="Z:$run/boards.journal"
unset TAVREL_VIRTUAL_PHIDGETS # the default twelve boards
(cd "$run" && exec wine "$exe") >"$work/tavrel.log" 2>&1 &
tavrel=$!
pids+=("$tavrel")

# Polling runs only while the simulator is active, so polls prove the window shows it.
wait_for "$run/server.journal" '^FillFlightData$' 10
# The start-up test of the server's flight: the FLCS lamp, its fault on the pilot fault
# list, the RPM needle at idle.
wait_for "$run/boards.journal" $'^1001\tDiscreteLED\t1\t[1-9]'
wait_for "$run/boards.journal" $'^3001\tDisplayString\t0\tFLCS   BUS FAIL'
wait_for "$run/boards.journal" $'^6001\tMotorPosition\t0\t6[0-9]'
window=
for ((i = 0; i < 300 && ${#window} == 0; i++)); do
  window=$(xdotool search --name '^Tavrel Version' 2>/dev/null | head -n 1) || sleep 0.1
done
[[ -n $window ]] || die "no Tavrel window on $DISPLAY"
if [[ -n ${TAVREL_WIN_SCREENSHOT:-} ]]; then # the "Gauges" tab, its values moving
  xdotool mousemove --window "$window" 380 45 click 1 2>/dev/null || true
  sleep 2
  import -window root "$TAVREL_WIN_SCREENSHOT" || echo "com test: no screenshot taken" >&2
fi

# File > Exit ends the program; its shutdown closes the data server last.
for ((tries = 0; tries < 3; tries++)); do
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  for key in Escape alt+f x; do
    xdotool key "$key" 2>/dev/null || true
    sleep 0.5 # let the menu open before the next key
  done
  for ((i = 0; i < 100; i++)); do
    kill -0 "$tavrel" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$tavrel" 2>/dev/null || break
done
status=0
wait "$tavrel" || status=$?
((status == 0)) || die "tavrel.exe ended with $status after File > Exit"
[[ $(tail -n 1 "$run/server.journal") == Close ]] || die "the data server did not get Close last"
echo "com test: passed"
