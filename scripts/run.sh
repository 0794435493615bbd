#!/usr/bin/env bash
# Builds quelmo-eval.exe and runs it under Wine.
# - With a display (DISPLAY set): the program opens there; this waits until
#   you close it and reports its exit code.
# - Without one: the program runs on a private Xvfb display; one evaluation
#   is run (Start, Yes), both boxes are printed, a screenshot of the window is
#   saved to build/screenshot.png (or the file named by --screenshot FILE),
#   then the program is closed with its Exit button and its exit code reported.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
shot=$root/build/screenshot.png
while [ $# -gt 0 ]; do
  case $1 in
    --screenshot) shot=$(realpath -m "$2"); shift 2 ;;
    *) echo "usage: scripts/run.sh [--screenshot FILE]" >&2; exit 2 ;;
  esac
done

bash scripts/bootstrap.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target quelmo-eval quelmo-drive >/dev/null
exe=$root/build/win32/quelmo-eval.exe
export QUELMO_BUILD_DIR=$root/build/win32

if [ -n "${DISPLAY:-}" ]; then
  set +e
  cmake/wine-run.sh "$exe"
  code=$?
  echo "quelmo-eval exited with code $code"
  exit $code
fi

fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display_number <"$fifo"; rm -f "$fifo"
export DISPLAY=:$display_number
cleanup() {
  WINEPREFIX=$root/build/win32/wineprefix wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

echo "Running one evaluation on a private display ($DISPLAY); this takes a minute or more." >&2
out=$(mktemp); go=$(mktemp -u)
QUELMO_WINE_STREAM=1 cmake/wine-run.sh "$root/build/win32/quelmo-drive.exe" --evaluate --go-file "Z:${go//\//\\}" \
  'Z:'"${exe//\//\\}" >"$out" 2>&1 </dev/null &
drive_pid=$!
code=
printed=0
# Follow the driver's output until it reports the exit code or ends.
while :; do
  alive=1; kill -0 "$drive_pid" 2>/dev/null || alive=0
  mapfile -t lines <"$out"
  while [ "$printed" -lt "${#lines[@]}" ]; do
    line=${lines[$printed]%$'\r'}; printed=$((printed + 1))
    case $line in
      "SHOT "*)
        read -r _ x y w h <<<"$line"
        mkdir -p "$(dirname "$shot")"
        import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
        echo "screenshot: $shot"
        touch "$go"
        ;;
      "EXIT "*) code=${line#EXIT } ;;
      *) printf '%s\n' "$line" ;;
    esac
  done
  [ -n "$code" ] || [ "$alive" -eq 0 ] && break
  sleep 0.5
done
wait "$drive_pid" 2>/dev/null || true
rm -f "$out" "$go"
if [ -z "$code" ]; then
  echo "quelmo-eval: the run did not complete" >&2
  exit 1
fi
echo "quelmo-eval exited with code $code"
exit "$code"
