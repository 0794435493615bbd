#!/usr/bin/env bash
# Runs a Windows program under Wine in the build folder's private prefix
# (created on first use and then reused). Used by CTest as the emulator.
# Without a display it runs on a private Xvfb server.
set -euo pipefail
exe=$1; shift
build=${QUELMO_BUILD_DIR:-}
if [ -z "$build" ]; then
  # The program lives somewhere under the build folder: find its top (CMakeCache.txt).
  d=$(cd "$(dirname "$exe")" && pwd)
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  build=$d
fi
# The loader that fits the program: Wine's 64-bit loader for a 64-bit program,
# started directly (the `wine` script tries the 32-bit loader first, which
# fails where the kernel runs no 32-bit code); `wine` for a 32-bit program.
. "$(dirname "$0")/windows-builds.sh"
pe_machine() {
  # The COFF machine field of a PE file: 8664 (x86-64), 014c (i386).
  local at
  at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$at" ] || return 1
  od -An -tx2 -j$((at + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
if [ ! -f "$exe" ]; then
  echo "wine-run: no program at $exe (build it first)" >&2
  exit 127
fi
machine=$(pe_machine "$exe" || true)
if [ "$machine" = 8664 ]; then
  loader=$QUELMO_WINE64_LOADER
  export WINELOADER=$loader
else
  if ! quelmo_can_run win32; then
    echo "wine-run: cannot run the 32-bit program $(basename "$exe"): $QUELMO_NOT_RUNNABLE_WHY" >&2
    exit 126
  fi
  loader=wine
fi
if ! command -v "$loader" >/dev/null 2>&1; then
  echo "wine-run: Wine is not installed (run scripts/bootstrap.sh)" >&2
  exit 127
fi
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=${QUELMO_WINE_LANG:-zh_CN.UTF-8}
# On a private Xvfb display (no window manager) the windows are not managed:
# Wine otherwise waits about 2 s for a window manager on every window it hides
# or destroys. On a real display (QUELMO_PRIVATE_DISPLAY unset) the window
# manager manages them, as usual.
if [ -n "${QUELMO_PRIVATE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then managed=N; else managed=Y; fi
managed_as_wanted() {
  if grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then [ $managed = N ]; else [ $managed = Y ]; fi
}
if [ ! -f "$WINEPREFIX/system.reg" ] || ! managed_as_wanted; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      # A 64-bit prefix where wine64 is installed: the 32-bit program then runs
      # under WoW64, as on 64-bit Windows, which is where users run it.
      if [ -x "$QUELMO_WINE64_LOADER" ]; then
        WINEARCH=win64 WINELOADER=$QUELMO_WINE64_LOADER "$QUELMO_WINE64_LOADER" wineboot -i >/dev/null 2>&1 || true
      else
        wineboot -i >/dev/null 2>&1 || true
      fi
      wineserver -w || true
    fi
    if ! managed_as_wanted; then
      "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d $managed /f >/dev/null 2>&1 || true
      wineserver -w || true
    fi
  ) 9>"$build/.wineprefix.lock"
fi
# Start the prefix's server on its own, detached from our output: a server
# started by `wine` would inherit this script's pipes and keep them open for
# seconds after the program has ended.
wineserver -p5 </dev/null >/dev/null 2>&1 || true
# The program's output goes through files: processes that Wine starts on the
# program's behalf (dllhost.exe for the script control's WMI calls, which
# outlives it) inherit its standard handles and would keep a pipe open long
# after the program has ended, so whoever reads the pipe (ctest) would wait.
# QUELMO_WINE_STREAM=1 passes the output straight through instead (for a
# caller that reads a file, not a pipe).
if [ -n "${QUELMO_WINE_STREAM:-}" ]; then
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$loader" "$exe" "$@"
  fi
  exec "$loader" "$exe" "$@"
fi
out=$(mktemp); err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$loader" "$exe" "$@" >"$out" 2>"$err"
else
  "$loader" "$exe" "$@" >"$out" 2>"$err"
fi
rc=$?
cat "$out"
cat "$err" >&2
exit $rc
