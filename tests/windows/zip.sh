#!/usr/bin/env bash
# The Windows zip as a user unpacks it: every file in its folder, the companion programs
# naming the build's version under wine, and tavrel-check.exe finding the zip's Tavrel.cfg
# (the demo cockpit) clean. Takes app (the unpacked folder) and a prepared WINEPREFIX from
# run-under-wine.sh.
set -euo pipefail
die() {
  echo "zip test: $*" >&2
  exit 1
}
[[ -d ${app:-} ]] || die "no unpacked zip (app='${app:-}')"
for file in tavrel.exe tavrel-relay.exe tavrel-check.exe Tavrel.cfg README.md docs/configuration.md LICENSE.txt \
  READ-ME-FIRST.txt; do
  [[ -f $app/$file ]] || die "no $file in $(basename "$app")"
done
version=${app##*/tavrel-}
version=${version%-windows-x64}
for program in tavrel-check tavrel-relay; do
  says=$(cd "$app" && DISPLAY= wine "$program.exe" --version | tr -d '\r') || die "$program.exe --version failed"
  [[ $says == "$program $version" ]] || die "$program.exe --version says '$says', not '$program $version'"
  echo "zip test: $says"
done
(cd "$app" && DISPLAY= wine tavrel-check.exe --quiet Tavrel.cfg) || die "tavrel-check.exe finds problems in Tavrel.cfg"
echo "zip test: passed"
