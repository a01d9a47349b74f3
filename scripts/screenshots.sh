#!/usr/bin/env bash
# Pictures of every tab of the program as it starts on the demo cockpit, as a user sees
# it: on a virtual X display (Xvfb) with a window manager (openbox) and without one, at
# 96 and at 144 dpi (the desktop's Xft.dpi). One folder per case under the folder given
# (build/screenshots by default), one PNG per tab, the window manager's frame included.
# The tabs are walked with Ctrl+Tab as an operator would, until the first comes round
# again. Builds first when the program is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$(mkdir -p "${1:-$build/screenshots}" && cd "${1:-$build/screenshots}" && pwd)
if [[ ! -x $build/tavrel ]]; then
  bash "$root/scripts/setup.sh"
  bash "$root/scripts/build.sh"
fi
names=(control phidgetled-64 phidget-0-16-16 text-displays gauges g-suit epic-usb switches)

work=$(mktemp -d)
pids=()
stop_all() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT

# The tab row (and the title bar above it) tells which tab is in front.
tab_row() { convert "$1" -crop "x$(($2 * 12 / 100))+0+0" +repage "$3"; }
same_picture() { [[ $(compare -metric AE "$1" "$2" null: 2>&1 || true) == 0 ]]; }

shoot() {
  local dpi=$1 wm=$2 dir="$out/${1}dpi-$2"
  rm -rf "$dir" && mkdir -p "$dir"
  # -noreset: the display keeps its settings between clients
  Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
  : >"$work/display"
  xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t%s\n' "$dpi")"
  if [[ $wm == openbox ]]; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  fi

  local run="$work/run-$dpi-$wm"
  mkdir -p "$run/runtime" && chmod 700 "$run/runtime" && cp "$root/demo/Tavrel.cfg" "$run/"
  (cd "$run" && XDG_RUNTIME_DIR="$run/runtime" QT_QPA_PLATFORM=xcb exec "$build/tavrel" >"$run/log" 2>&1) &
  pids+=($!)
  local id=""
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name '^Tavrel Version' 2>/dev/null | tail -1) && [[ -n $id ]] && break
    sleep 0.1
  done
  [[ -n $id ]] || { echo "screenshots: no window at $dpi dpi ($wm)" >&2; cat "$run/log" >&2; return 1; }
  sleep 3 # the simulated flight comes up after 2 s
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowactivate --sync "$id"

  local n=0 file
  while ((n < ${#names[@]})); do
    file="$dir/tab-$n-${names[n]}.png"
    import -window "$id" -frame "$file"
    tab_row "$file" "$(identify -format %h "$file")" "$work/row-$n.png"
    if ((n > 0)) && same_picture "$work/row-0.png" "$work/row-$n.png"; then
      rm "$file"
      break
    fi
    echo "$file ($(identify -format %wx%h "$file"))"
    n=$((n + 1))
    xdotool key ctrl+Tab
    sleep 0.5
  done
  stop_all
}

for dpi in 96 144; do
  for wm in openbox none; do
    shoot "$dpi" "$wm"
  done
done
