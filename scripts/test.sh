#!/usr/bin/env bash
# Builds both builds and runs every test: the native unit tests (plain, with
# ASan+UBSan, with ThreadSanitizer), short fuzz runs, and the Windows unit and
# end-to-end tests under Wine on a private Xvfb display.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/bootstrap.sh || exit 1

jobs=${QUELMO_JOBS:-$(nproc)}
total_pass=0
total_fail=0
failed_suites=()
log_dir=$root/build/test-logs
mkdir -p "$log_dir"

# run_suite NAME PRESET [CTEST ARGS...]: configure, build and test one preset.
run_suite() {
  local name=$1 preset=$2; shift 2
  echo "== $name: configure and build"
  if ! cmake --preset "$preset" >"$log_dir/$name-configure.log" 2>&1; then
    cat "$log_dir/$name-configure.log"; failed_suites+=("$name (configure)"); total_fail=$((total_fail + 1)); return
  fi
  if ! cmake --build --preset "$preset" -j "$jobs" >"$log_dir/$name-build.log" 2>&1; then
    tail -n 60 "$log_dir/$name-build.log"; failed_suites+=("$name (build)"); total_fail=$((total_fail + 1)); return
  fi
  echo "== $name: test"
  ctest --test-dir "build/$preset" --output-on-failure "$@" 2>&1 | tee "$log_dir/$name-ctest.log"
  local summary
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log_dir/$name-ctest.log" | tail -n 1)
  if [ -z "$summary" ]; then
    if grep -q 'No tests were found' "$log_dir/$name-ctest.log"; then return; fi
    failed_suites+=("$name (no summary)"); total_fail=$((total_fail + 1)); return
  fi
  local failed all
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  all=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  total_pass=$((total_pass + all - failed))
  total_fail=$((total_fail + failed))
  [ "$failed" -eq 0 ] || failed_suites+=("$name")
}

run_suite native native -j "$jobs"
run_suite native-asan native-asan -j "$jobs"
run_suite native-tsan native-tsan -j "$jobs"
run_suite fuzz fuzz -j "$jobs"

# The Windows tests need one X display for the whole run (Wine's windows and
# clipboard live there).
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display_number <"$fifo"; rm -f "$fifo"
  export DISPLAY=:$display_number
fi
export QUELMO_BUILD_DIR=$root/build/win32
run_suite win32 win32
WINEPREFIX=$root/build/win32/wineprefix wineserver -k >/dev/null 2>&1 || true
[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null

echo
if [ "${#failed_suites[@]}" -gt 0 ]; then
  echo "failing: ${failed_suites[*]}"
fi
echo "total: $total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ]
