#!/usr/bin/env bash
# Builds the Debian package tavrel_<version>_amd64.deb in build/ (or BUILD_DIR) and checks
# it: the desktop entry and the AppStream metainfo validate, lintian finds no error, and
# the programs unpacked from it (dpkg -x, nothing installed) run: --version of each, and
# tavrel on the offscreen platform with the demo cockpit, driving the virtual boards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh" dpkg-dev lintian desktop-file-utils appstream help2man
BUILD_DIR=$build BUILD_TARGETS=package-files bash "$root/scripts/build.sh" -DCMAKE_INSTALL_PREFIX=/usr

cd "$build"
rm -f tavrel_*.deb
cpack -G DEB >/dev/null
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' CPackConfig.cmake)
deb=tavrel_${version}_amd64.deb
[[ -f $deb ]] || { echo "package: no $deb in $build" >&2; exit 1; }
echo "package: $build/$deb"
echo "package: Depends: $(dpkg-deb -f "$deb" Depends)"

work=$(mktemp -d)
tavrel=
trap '[[ -z $tavrel ]] || kill "$tavrel" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }
dpkg -x "$deb" "$work/root"
usr=$work/root/usr

desktop-file-validate "$usr"/share/applications/*.desktop
appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml
demo=$(sed -n 's/^Exec=tavrel --config //p' "$usr"/share/applications/*.desktop)
[[ -f $work/root$demo ]] || fail "the menu's demo action names $demo, which the package does not hold"
lintian --fail-on error "$deb"
echo "package: lintian finds no error"
for program in tavrel tavrel-relay tavrel-check; do
  [[ -f $usr/share/man/man1/$program.1.gz ]] || fail "no manual page for $program"
done

# --version without a display, a platform or a configuration file.
for program in tavrel tavrel-relay tavrel-check; do
  says=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/$program" --version) ||
    fail "$program --version ended with $?"
  [[ $says == "$program $version" ]] || fail "$program --version says '$says', not '$program $version'"
  echo "package: $says"
done

# The demo cockpit: clean for tavrel-check, and tavrel runs its cycle on it (the virtual
# boards' journal keeps growing) until SIGTERM ends it cleanly.
mkdir "$work/run"
cp "$usr/share/tavrel/demo/Tavrel.cfg" "$work/run/"
(cd "$work/run" && "$usr/bin/tavrel-check" --quiet Tavrel.cfg) || fail "tavrel-check finds problems in the demo cockpit"
journal=$work/run/journal
(cd "$work/run" && QT_QPA_PLATFORM=offscreen TAVREL_PHIDGET_JOURNAL=$journal exec "$usr/bin/tavrel") \
  >"$work/tavrel.log" 2>&1 &
tavrel=$!
lines() { [[ -f $journal ]] && wc -l <"$journal" || echo 0; }
grows() {
  local before=$1
  for ((i = 0; i < 600; i++)); do
    kill -0 "$tavrel" 2>/dev/null || fail "tavrel ended early: $(cat "$work/tavrel.log")"
    (($(lines) > before)) && return 0
    sleep 0.1
  done
  fail "the virtual boards' journal did not grow past $before lines in 60 s: $(cat "$work/tavrel.log")"
}
grows 0
sleep 1
grows "$(lines)"
kill -TERM "$tavrel"
status=0
wait "$tavrel" || status=$?
tavrel=
((status == 0)) || fail "tavrel ended with $status on SIGTERM: $(cat "$work/tavrel.log")"
echo "package: the unpacked tavrel ran the demo cockpit ($(lines) board writes) and ended cleanly"
