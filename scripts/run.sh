#!/usr/bin/env bash
# Builds quelmo-eval.exe and runs it under Wine: the 32-bit program where this
# machine runs 32-bit code, else the 64-bit one (QUELMO_WINDOWS_BUILDS=win64
# forces the latter).
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

bash scripts/bootstrap.sh || { echo "run: could not install what the program needs (see above)" >&2; exit 1; }

# The 32-bit program (the shipped form) where this machine runs 32-bit code,
# else the 64-bit one.
. cmake/windows-builds.sh
quelmo_windows_builds || exit 2
if quelmo_can_run win32; then
  form=win32
  echo "run: the 32-bit program (build/win32/quelmo-eval.exe)" >&2
else
  form=win64
  echo "run: the 64-bit program (build/win64/quelmo-eval.exe); not the 32-bit one: $QUELMO_NOT_RUNNABLE_WHY" >&2
fi
if ! command -v wine >/dev/null 2>&1 || [ ! -x "$QUELMO_WINE64_LOADER" ]; then
  echo "run: Wine is not installed (scripts/bootstrap.sh installs it)" >&2
  exit 1
fi
log=$root/build/run-$form-build.log
mkdir -p "$root/build"
if ! { cmake --preset "$form" && cmake --build --preset "$form" -j "$(nproc)" --target quelmo-eval quelmo-drive; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "run: the program could not be built (the whole log: $log)" >&2
  exit 1
fi
exe=$root/build/$form/quelmo-eval.exe
export QUELMO_BUILD_DIR=$root/build/$form

if [ -n "${DISPLAY:-}" ]; then
  set +e
  cmake/wine-run.sh "$exe"
  code=$?
  echo "quelmo-eval exited with code $code"
  exit $code
fi

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "run: there is no display (DISPLAY is not set) and no Xvfb to make one: install xvfb (scripts/bootstrap.sh does) or run with a display" >&2
  exit 1
fi
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
display_number=
read -r -t 30 display_number <"$fifo" || true; rm -f "$fifo"
if [ -z "$display_number" ]; then
  kill "$xvfb_pid" 2>/dev/null || true
  echo "run: Xvfb did not start, so there is no display to run the program on" >&2
  exit 1
fi
export DISPLAY=:$display_number
export QUELMO_PRIVATE_DISPLAY=1
cleanup() {
  WINEPREFIX=$root/build/$form/wineprefix wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

echo "Running one evaluation on a private display ($DISPLAY); this takes a minute or more." >&2
out=$(mktemp); go=$(mktemp -u)
QUELMO_WINE_STREAM=1 cmake/wine-run.sh "$root/build/$form/quelmo-drive.exe" --evaluate --go-file "Z:${go//\//\\}" \
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
  echo "run: the run did not complete: the driver ended without the program's exit code (its words are above)" >&2
  exit 1
fi
echo "quelmo-eval exited with code $code"
exit "$code"
