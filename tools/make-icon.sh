#!/usr/bin/env bash
# Draws the application icon (a gauge over a processor chip) and writes
# src/app/resources/quelmo-eval.ico with 16, 32 and 48 pixel images.
# Needs ImageMagick; the .ico is committed, so the build does not run this.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48; do
  s=$((size * 8))   # draw large, then scale down for clean edges
  convert -size ${s}x${s} xc:none \
    -fill '#1f5fa8' -stroke '#0d3566' -strokewidth $((s / 32)) \
    -draw "roundrectangle $((s/16)),$((s/16)) $((s - s/16 - 1)),$((s - s/16 - 1)) $((s/6)),$((s/6))" \
    -stroke '#ffffff' -strokewidth $((s / 14)) -fill none \
    -draw "arc $((s/5)),$((s/4)) $((s - s/5)),$((s - s/5 + s/10)) 180,360" \
    -stroke '#ffcc33' -strokewidth $((s / 12)) \
    -draw "line $((s/2)),$((s*3/5)) $((s*7/10)),$((s*7/20))" \
    -stroke none -fill '#ffcc33' \
    -draw "circle $((s/2)),$((s*3/5)) $((s/2 + s/14)),$((s*3/5))" \
    -fill '#ffffff' \
    -draw "rectangle $((s/4)),$((s*4/5)) $((s*3/4)),$((s*4/5 + s/16))" \
    -resize ${size}x${size} "$tmp/icon-$size.png"
done
convert "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" src/app/resources/quelmo-eval.ico
identify src/app/resources/quelmo-eval.ico
