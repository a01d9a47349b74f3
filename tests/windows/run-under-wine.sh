#!/usr/bin/env bash
# The Windows tests: the cross-built programs under wine, in a wine prefix of their own,
# headless where they can be and on a private Xvfb display where a window is needed.
# Needs build-win/ and its zip (scripts/build-windows.sh) and build/ (scripts/build.sh).
# Each part is a script beside this one that reads root, win, app (the unpacked zip),
# build and work from the environment.
set -euo pipefail
export root=$(cd "$(dirname "$0")/../.." && pwd)
export win=${BUILD_WIN:-$root/build-win}
export build=${BUILD_DIR:-$root/build}
export work=$(mktemp -d)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Waits until FILE holds a line matching PATTERN, COUNT times (default once).
wait_for() {
  local file=$1 pattern=$2 count=${3:-1} found
  for ((i = 0; i < 600; i++)); do
    found=$(grep -a -c -- "$pattern" "$file" 2>/dev/null) || true # no file yet: nothing found
    ((${found:-0} >= count)) && return 0
    sleep 0.1
  done
  echo "wine test: no '$pattern' in $file after 60 s:" >&2
  cat "$file" >&2
  return 1
}
export -f wait_for

# The zip as a user unpacks it: the tests run the zip's programs from their folder.
zip=$(ls "$win"/tavrel-*-windows-x64.zip)
(cd "$work" && cmake -E tar xf "$zip")
export app=$work/$(basename "$zip" .zip)

wineboot -i >/dev/null 2>&1
for part in zip relay com keys; do
  echo "== wine: $part"
  bash "$root/tests/windows/$part.sh"
done
echo "wine test: passed"
