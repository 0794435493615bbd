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
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=${QUELMO_WINE_LANG:-zh_CN.UTF-8}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      # A 64-bit prefix where wine64 is installed: the 32-bit program then runs
      # under WoW64, as on 64-bit Windows, which is where users run it.
      if [ -x /usr/lib/wine/wine64 ]; then
        WINEARCH=win64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
      else
        wineboot -i >/dev/null 2>&1 || true
      fi
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
    exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$@"
  fi
  exec wine "$exe" "$@"
fi
out=$(mktemp); err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$@" >"$out" 2>"$err"
else
  wine "$exe" "$@" >"$out" 2>"$err"
fi
rc=$?
cat "$out"
cat "$err" >&2
exit $rc
