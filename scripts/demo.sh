#!/usr/bin/env bash
# Installs what is missing, builds the three programs (not the tests) and starts Tavrel
# on the demo cockpit (built-in simulated flight, virtual boards).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
BUILD_TARGETS="tavrel tavrel-relay tavrel-check" bash "$root/scripts/build.sh"
cd "$root/demo"
exec "$root/build/tavrel"
