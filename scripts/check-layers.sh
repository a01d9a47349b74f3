#!/usr/bin/env bash
# Checks that every part of the program includes only from its own folder and the parts
# below it:
#
#   app, tools  the programs
#   ui          the window
#   cockpit     start-up, the cycle, the controls
#   check       the configuration's rules (shared with tavrel-check)
#   sources, phidget, epic, input   the outside world, each on its own: none includes another
#   core        the rest builds on it
#
# A folder of src/ that is not in the list is an error too, so a new part gets its place.
# Prints each include that breaks the order as file:line: what, and exits 1; 0 when none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

declare -A rank=([core]=0 [sources]=1 [phidget]=1 [epic]=1 [input]=1 [check]=2 [cockpit]=3 [ui]=4 [app]=5)
top=6 # tools/

failures=0
fail() {
  echo "$1" >&2
  failures=$((failures + 1))
}

for dir in src/*/; do
  part=$(basename "$dir")
  [[ -n ${rank[$part]+set} ]] || fail "src/$part: a folder in no layer: give it its place in scripts/check-layers.sh"
done

# file:line:#include "part/..." for every include of a folder of src/ (or of another folder).
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  text=${rest#*:}
  [[ $text =~ include[[:space:]]*[\<\"]([A-Za-z0-9_]+)/ ]] || continue
  included=${BASH_REMATCH[1]}
  if [[ $file == tools/* ]]; then
    own=tools
    level=$top
  else
    own=${file#src/}
    own=${own%%/*}
    level=${rank[$own]:-}
    [[ -n $level ]] || continue # reported above
  fi
  if [[ -z ${rank[$included]+set} ]]; then
    # Outside headers come in angle brackets; a quoted one from elsewhere is no part of the program.
    [[ $file == src/* && $text == *'"'* ]] && fail "$file:$line: $own includes $included/, which is no part of the program"
    continue
  fi
  there=${rank[$included]}
  if ((there > level)); then
    fail "$file:$line: $own includes $included/, a layer above it"
  elif ((there == level)) && [[ $included != "$own" ]]; then
    fail "$file:$line: $own includes $included/, a part beside it"
  fi
done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][A-Za-z0-9_]+/' src tools)

if ((failures)); then
  echo "check-layers: $failures include(s) against the layers" >&2
  exit 1
fi
echo "check-layers: every include goes to its own part or a layer below"
