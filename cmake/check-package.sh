#!/usr/bin/env bash
# Makes a build's download zip with its package target and checks it as a
# user would: it unpacks to one folder holding the program, the README and
# SHA256SUMS, which `sha256sum -c` accepts.
# Usage: check-package.sh BUILD_DIR ZIP_NAME
set -euo pipefail
build=$1 zip=$2
cmake --build "$build" --target package_zip >/dev/null
[ -f "$build/package/$zip" ] || { echo "FAILED: no $build/package/$zip"; exit 1; }
unpacked=$(mktemp -d); trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$build/package/$zip")
folder=$unpacked/${zip%.zip}
listing=$(cd "$folder" && ls | sort | tr '\n' ' ')
[ "$listing" = "README.md SHA256SUMS quelmo-eval.exe " ] || { echo "FAILED: $zip holds: $listing"; exit 1; }
(cd "$folder" && sha256sum -c SHA256SUMS)
echo "ok: $zip unpacks to ${zip%.zip}/ with $listing and its checksums hold"
