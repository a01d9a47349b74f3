#!/usr/bin/env bash
# Installs what is missing, builds Tavrel and starts it on the demo cockpit
# (built-in simulated flight, virtual boards).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/demo"
exec "$root/build/tavrel"
