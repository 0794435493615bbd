#!/usr/bin/env bash
# Prints every include in src/ that crosses from one folder into another, and
# fails on one that goes up: each folder may use only the folders below it.
#   text <- platform <- ui <- sysinfo <- bench <- app
# Usage: tools/check-layers.sh [SRC_DIR]
set -uo pipefail
src=${1:-$(dirname "$0")/../src}
layers=(text platform ui sysinfo bench app)
rank() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}
status=0
count=0
while IFS= read -r file; do
  from=${file#"$src"/}; from=${from%%/*}
  from_rank=$(rank "$from")
  if [ "$from_rank" -lt 0 ]; then
    echo "UNKNOWN FOLDER: $file (not one of: ${layers[*]})"; status=1; continue
  fi
  while IFS= read -r included; do
    to=${included%%/*}
    [ "$to" = "$from" ] && continue
    to_rank=$(rank "$to")
    [ "$to_rank" -lt 0 ] && continue  # not a folder of ours
    count=$((count + 1))
    if [ "$to_rank" -gt "$from_rank" ]; then
      echo "UP:   ${file#"$src"/} -> $included"; status=1
    else
      echo "down: ${file#"$src"/} -> $included"
    fi
  done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
if [ $status -eq 0 ]; then
  echo "layers: $count includes across folders, none goes up"
else
  echo "layers: an include goes up (see UP lines)"
fi
exit $status
