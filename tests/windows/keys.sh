#!/usr/bin/env bash
# The Windows-only parts of tavrel.exe under wine: the EPIC card's library found by name
# (headless), then on a virtual X display of its own: keys through SendInput into a
# window, and one running copy per session (a second tavrel.exe in the same folder shows
# "Duplicate Execution", is confirmed with Return and ends with 0; the first runs on until
# it is closed). Takes root, win (the Windows build), WINEPREFIX (prepared) from the
# environment; without a WINEPREFIX it prepares one of its own. Ends the prefix's
# wineserver before the display part and when done.
set -euo pipefail
root=${root:-$(cd "$(dirname "$0")/../.." && pwd)}
win=${win:-${BUILD_WIN:-$root/build-win}}
export root win WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fail() {
  echo "keys.sh: $*" >&2
  exit 1
}

if [[ ${1:-} != --on-display ]]; then
  own=
  if [[ -z ${WINEPREFIX:-} ]]; then
    own=$(mktemp -d)
    export WINEPREFIX=$own/wine
    DISPLAY= wineboot -i >/dev/null 2>&1
  fi
  trap 'wineserver -k 2>/dev/null || true; [[ -z $own ]] || rm -rf "$own"' EXIT
  DISPLAY= wine "$win/tests/windows/windows_tests.exe" --gtest_filter='EFReaderDll.*' || fail "the card library test failed"
  # A wineserver begun without a display keeps a desktop with none: windows made under it
  # never come to the foreground.
  wineserver -k 2>/dev/null || true
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --on-display
  echo "keys.sh: passed"
  exit 0
fi

# On the display from here.
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The id of a visible window whose title matches the pattern, waiting up to 60 s.
window() {
  local id
  for ((i = 0; i < 600; i++)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [[ -n $id ]] && {
      echo "$id"
      return 0
    }
    sleep 0.1
  done
  fail "no window '$1' after 60 s"
}

wine "$win/tests/windows/windows_tests.exe" --gtest_filter='SendInput.*' || fail "the SendInput test failed"

# The relay as source, with nothing listening: no data server, no message at start-up.
printf '[COMPREF]\r\nTCP/IP\r\n[TCPIP-IP]\r\n127.0.0.1\r\n[TCPIP-PORT]\r\n9\r\n' >"$work/Tavrel.cfg"
start() { (cd "$work" && exec wine "$win/tavrel.exe") >"$work/$1.log" 2>&1 & }
start first
first=$!
pids+=("$first")
main=$(window '^Tavrel Version')
start second
second=$!
pids+=("$second")
box=$(window '^Duplicate Execution$')
xdotool windowfocus --sync "$box" key Return
status=0
wait "$second" || status=$?
((status == 0)) || fail "the second copy ended with $status after the Duplicate Execution box"
kill -0 "$first" 2>/dev/null || fail "the first copy ended with the second"
[[ $(window '^Tavrel Version') == "$main" ]] || fail "the first copy's window changed"

# Closed as the operator closes it: the window's close message, then the shutdown routine.
wine taskkill /im tavrel.exe >/dev/null 2>&1
status=0
wait "$first" || status=$?
((status == 0)) || fail "the first copy ended with $status when closed"
