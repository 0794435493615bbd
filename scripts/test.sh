#!/usr/bin/env bash
# Builds every build and runs every test: the native unit tests (plain, with
# ASan+UBSan, with ThreadSanitizer), short fuzz runs, and the Windows unit,
# end-to-end and reliability tests under Wine on a private Xvfb display, for
# each form of the program this machine can run (win32 and win64, or win64
# alone where the kernel runs no 32-bit code; QUELMO_WINDOWS_BUILDS forces the
# choice). A form it cannot run is still built and its program file checked
# from outside.
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

# build_preset NAME PRESET [--no-warnings]: configure and build one preset;
# false on failure (counted as one failed test), also on a compiler warning
# with --no-warnings.
build_preset() {
  local name=$1 preset=$2 strict=${3:-}
  echo "== $name: configure and build"
  if ! cmake --preset "$preset" >"$log_dir/$name-configure.log" 2>&1; then
    cat "$log_dir/$name-configure.log"; failed_suites+=("$name (configure)"); total_fail=$((total_fail + 1)); return 1
  fi
  if ! cmake --build --preset "$preset" -j "$jobs" >"$log_dir/$name-build.log" 2>&1; then
    tail -n 60 "$log_dir/$name-build.log"; failed_suites+=("$name (build)"); total_fail=$((total_fail + 1)); return 1
  fi
  if [ "$strict" = --no-warnings ] && grep -q 'warning:' "$log_dir/$name-build.log"; then
    grep -A3 'warning:' "$log_dir/$name-build.log" | head -n 40
    failed_suites+=("$name (warnings)"); total_fail=$((total_fail + 1)); return 1
  fi
}

# run_suite NAME PRESET [CTEST ARGS...]: configure, build and test one preset.
run_suite() {
  local name=$1 preset=$2; shift 2
  build_preset "$name" "$preset" || return
  test_suite "$name" "$preset" "$@"
}

# test_suite NAME PRESET [CTEST ARGS...]: run the tests of a built preset and
# add up its counts.
test_suite() {
  local name=$1 preset=$2; shift 2
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

# run_check NAME COMMAND...: a check of the sources, counted as one test.
run_check() {
  local name=$1; shift
  echo "== $name"
  if "$@" >"$log_dir/$name.log" 2>&1; then
    tail -n 1 "$log_dir/$name.log"
    total_pass=$((total_pass + 1))
  else
    grep -v '^down:' "$log_dir/$name.log" | head -n 60
    failed_suites+=("$name"); total_fail=$((total_fail + 1))
  fi
}

run_check layers bash tools/check-layers.sh
run_check format bash tools/check-format.sh

run_suite native native -j "$jobs"
run_suite native-asan native-asan -j "$jobs"
run_suite native-tsan native-tsan -j "$jobs"
run_suite fuzz fuzz -j "$jobs"

# Both Windows forms are built on every machine; their tests run where the
# machine runs them.
. cmake/windows-builds.sh
quelmo_windows_builds || exit 2
echo "== Windows forms this machine runs: $QUELMO_RUNNABLE_BUILDS"
built_forms=()
for form in win32 win64; do
  build_preset "$form" "$form" --no-warnings && built_forms+=("$form")
done

# The Windows tests need one X display for the whole run (Wine's windows and
# clipboard live there).
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display_number <"$fifo"; rm -f "$fifo"
  export DISPLAY=:$display_number
  export QUELMO_PRIVATE_DISPLAY=1
fi
for form in "${built_forms[@]}"; do
  if quelmo_can_run "$form"; then
    QUELMO_BUILD_DIR=$root/build/$form test_suite "$form" "$form"
    WINEPREFIX=$root/build/$form/wineprefix wineserver -k >/dev/null 2>&1 || true
  else
    echo "== $form: its tests are not run here: $QUELMO_NOT_RUNNABLE_WHY; its program file is checked from outside"
    test_suite "$form-file" "$form" -L outside -V
  fi
done
[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null

echo
if [ "${#failed_suites[@]}" -gt 0 ]; then
  echo "failing: ${failed_suites[*]}"
fi
echo "total: $total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ]
