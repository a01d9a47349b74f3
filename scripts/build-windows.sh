#!/usr/bin/env bash
# Builds tavrel.exe, tavrel-relay.exe and tavrel-check.exe for 64-bit Windows into
# build-win/ (or the folder given as BUILD_DIR). Installs Debian's mingw-w64 cross
# compiler and wine, builds a static Qt (Core, Network, Gui, Widgets) from Debian's
# qt6-base source package once into a cache outside the clone (TAVREL_QT_WIN, by default
# ~/.cache/tavrel/qt6-mingw-static; reused while it was built by the same recipe), then
# builds the programs and the Windows test programs against it, and the zip
# tavrel-<version>-windows-x64.zip of the programs for users.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-win}
qt=${TAVREL_QT_WIN:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrel/qt6-mingw-static}
jobs=$(nproc)

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)

# The host's Qt tools (moc, rcc), CMake and Ninja come with the ordinary set-up.
bash "$root/scripts/setup.sh"
# xauth: xvfb-run for the wine tests; googletest: its source, built for the Windows tests.
packages=(g++-mingw-w64-x86-64-posix wine wine64 xz-utils xauth googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "build-windows: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The host Qt and the Windows Qt must be the same release.
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

fetch_qt_source() {
  # Source packages from the archives this machine already uses: a private apt state
  # whose list is the machine's own deb entries turned into deb-src ones.
  local apt=$1
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
  local n=0 f
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -e $f ]] || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt/sources.list.d/src$((n++)).sources"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -e $f ]] || continue
    sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >"$apt/sources.list.d/src$((n++)).list"
  done
  local opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources.list.d"
              -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
              -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)")
  apt-get "${opts[@]}" update -qq
  (cd "$apt" && apt-get "${opts[@]}" source --download-only -qq "qt6-base=$host_version")
}

failed() {
  tail -n 20 "$work/$1.log" >&2
  echo "build-windows: the Qt $1 step failed; its log is $work/$1.log" >&2
  exit 1
}

# What the static Qt leaves out: the modules the program does not use, the Windows tablet
# support (stripped from Debian's source), and what would look for libraries on this
# machine instead of building Qt's own copies. (Direct2D stays: Qt builds its DirectWrite
# font database only with it, and the Windows platform plugin needs that database.)
features_off=(dbus sql testlib printsupport concurrent xml tabletevent vulkan jpeg
              icu glib openssl schannel zstd brotli libproxy
              system_zlib system_pcre2 system_doubleconversion system_png system_jpeg
              system_harfbuzz system_freetype system_libb2)
recipe="qt $host_version: Core Network Gui Widgets; off: ${features_off[*]}"

if [[ ! -f $qt/.tavrel-complete || $(<"$qt/.tavrel-complete") != "$recipe" ]]; then
  echo "build-windows: building a static Qt for Windows into $qt (once; several minutes)"
  work=$qt.work
  if [[ -e $qt && ! -f $qt/mingw-w64-x86_64.cmake ]]; then
    echo "build-windows: $qt is there but is not a Qt this script began; move it away" >&2
    exit 1
  fi
  rm -rf "$qt" "$work"
  mkdir -p "$work"
  fetch_qt_source "$work/apt"
  tar -xf "$work"/apt/qt6-base_*.orig.tar.* -C "$work"
  src=$(find "$work" -maxdepth 1 -type d -name 'qtbase-*' | head -n 1)
  # The toolchain stays with the cache: Qt's own toolchain file refers to it.
  mkdir -p "$qt"
  cp "$root/cmake/mingw-w64-x86_64.cmake" "$qt/mingw-w64-x86_64.cmake"
  off=()
  for f in "${features_off[@]}"; do off+=("-DFEATURE_$f=OFF"); done
  cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$qt/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt" \
    -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(gcc -dumpmachine)/cmake" \
    "${off[@]}" >"$work/configure.log" 2>&1 || failed configure
  nice -n 10 cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || failed build
  cmake --install "$work/build" >/dev/null
  echo "$recipe" >"$qt/.tavrel-complete"
  rm -rf "$work"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  "$@" >/dev/null
cmake --build "$build" -j "$jobs"
echo "build-windows: $build/tavrel.exe, $build/tavrel-relay.exe, $build/tavrel-check.exe"
# The zip for Windows users: the three programs, README.md and docs/, LICENSE.txt, the demo cockpit
# as Tavrel.cfg and READ-ME-FIRST.txt, in one folder.
rm -f "$build"/tavrel-*-windows-x64.zip
(cd "$build" && cpack -G ZIP >/dev/null)
echo "build-windows: $(ls "$build"/tavrel-*-windows-x64.zip)"
