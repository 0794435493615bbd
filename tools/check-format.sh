#!/usr/bin/env bash
# Checks that every C++ source of the project is formatted as .clang-format
# says (clang-format --dry-run); prints the files that are not.
# Format them with: tools/check-format.sh --fix
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' \
  'fuzz/*.cpp' 'fuzz/*.h' 2>/dev/null)
if [ "${#files[@]}" -eq 0 ]; then
  mapfile -t files < <(find src tests tools fuzz -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
fi
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
unformatted=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if [ "${#unformatted[@]}" -gt 0 ]; then
  printf 'not formatted: %s\n' "${unformatted[@]}"
  echo "format: ${#unformatted[@]} of ${#files[@]} files differ from .clang-format (tools/check-format.sh --fix)"
  exit 1
fi
echo "format: all ${#files[@]} files as .clang-format says"
