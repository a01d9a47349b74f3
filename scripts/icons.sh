#!/usr/bin/env bash
# Draws the PNG sizes and the Windows icon from packaging/icons/tavrel.svg, the one
# drawing; run it after changing the SVG and commit what it writes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" librsvg2-bin
icons=$root/packaging/icons
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  rsvg-convert -w "$size" -h "$size" "$icons/tavrel.svg" -o "$icons/tavrel-$size.png"
done
# One .ico with the sizes Windows' shell and title bar pick from.
convert "$icons"/tavrel-{16,24,32,48,64,256}.png "$icons/tavrel.ico"
echo "icons: $icons"
