#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it must not use. Arrows point
# down only:
#   runtime < store < core
#   runtime < platform < components (components may use store)
#   core, platform and components < the windows (process, report, settings) < app
# Layers of the same rank do not include each other.
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"

declare -A erlaubt=(
  [runtime]="runtime"
  [store]="runtime store"
  [core]="runtime store core"
  [platform]="runtime platform"
  [components]="runtime platform store components"
  [process]="runtime store core platform components process"
  [report]="runtime store core platform components report"
  [settings]="runtime store core platform components settings"
  [app]="runtime store core platform components process report settings app"
)

fehler=0
for schicht in "${!erlaubt[@]}"; do
  [ -d "$schicht" ] || continue
  while IFS= read -r treffer; do
    datei=${treffer%%:*}
    ziel=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$treffer")
    [ -n "${erlaubt[$ziel]+x}" ] || continue # not a layer: a header beside the file
    if [[ " ${erlaubt[$schicht]} " != *" $ziel "* ]]; then
      echo "$datei: $schicht/ darf $ziel/ nicht einbinden: ${treffer#*:}"
      fehler=1
    fi
  done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$schicht" \
             --include='*.cpp' --include='*.h' || true)
done
exit $fehler
