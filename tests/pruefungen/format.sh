#!/usr/bin/env bash
# Fails when a source file drifts from .clang-format; the message names the file.
# Fix with: clang-format -i FILE
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"
: "${CLANG_FORMAT:=clang-format}"

dateien=()
while IFS= read -r -d '' d; do dateien+=("$d"); done < <(
  find runtime store core platform components process report settings app tests bench \
    \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | sort -z)
"$CLANG_FORMAT" --dry-run -Werror "${dateien[@]}"
