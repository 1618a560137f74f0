#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it must not use. Arrows point
# down only:
#   runtime < platform/posix < store < core
#   platform/posix < platform < gui, components (components may use store)
#   core, gui and components < the windows (process, report, settings) < app
# Layers of the same rank do not include each other.
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"

declare -A erlaubt=(
  [runtime]="runtime"
  [platform/posix]="runtime platform/posix"
  [store]="runtime platform/posix store"
  [core]="runtime platform/posix store core"
  [platform]="runtime platform/posix platform"
  [gui]="runtime platform/posix platform gui"
  [components]="runtime platform/posix platform store components"
  [process]="runtime platform/posix store core platform gui components process"
  [report]="runtime platform/posix store core platform gui components report"
  [settings]="runtime platform/posix store core platform gui components settings"
  [app]="runtime platform/posix store core platform gui components process report settings app"
)

# The layer of a path: platform/posix/... belongs to platform/posix, the rest to its
# first folder.
schicht_von() {
  case "$1" in
    platform/posix/*) echo platform/posix ;;
    *) echo "${1%%/*}" ;;
  esac
}

fehler=0
for schicht in "${!erlaubt[@]}"; do
  [ -d "$schicht" ] || continue
  while IFS= read -r treffer; do
    datei=${treffer%%:*}
    [ "$(schicht_von "$datei")" = "$schicht" ] || continue # a sub-layer's file
    pfad=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$treffer")
    ziel=$(schicht_von "$pfad")
    [ -n "${erlaubt[$ziel]+x}" ] || continue # not a layer: a header beside the file
    if [[ " ${erlaubt[$schicht]} " != *" $ziel "* ]]; then
      echo "$datei: $schicht/ darf $ziel/ nicht einbinden: ${treffer#*:}"
      fehler=1
    fi
  done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$schicht" \
             --include='*.cpp' --include='*.h' || true)
done
exit $fehler
