#!/usr/bin/env bash
# Which Windows builds of the program this machine can run under Wine.
#
# Every x86-64 machine runs the 64-bit program (win64) with Wine's 64-bit
# loader. The 32-bit program (win32) needs a kernel that runs 32-bit code:
# some refuse it ("32-bit emulation disabled"), and Wine's 32-bit loader then
# fails with "Exec format error". The probe asks that loader for its version.
#
# QUELMO_WINDOWS_BUILDS forces the answer ("win64", or "win32 win64"), so the
# 64-bit-only path can be tried on any machine.
#
# Run:    cmake/windows-builds.sh          prints the runnable builds on one line
#         cmake/windows-builds.sh --why    prints why win32 is not among them
# Source: quelmo_windows_builds            sets QUELMO_RUNNABLE_BUILDS and
#                                          QUELMO_NOT_RUNNABLE_WHY

QUELMO_WINE32_LOADER=${QUELMO_WINE32_LOADER:-/usr/lib/wine/wine}
QUELMO_WINE64_LOADER=${QUELMO_WINE64_LOADER:-/usr/lib/wine/wine64}

# quelmo_probe_32bit: succeeds when Wine's 32-bit loader starts here; on
# failure QUELMO_NOT_RUNNABLE_WHY says why in a line.
quelmo_probe_32bit() {
  if [ ! -e "$QUELMO_WINE32_LOADER" ]; then
    QUELMO_NOT_RUNNABLE_WHY="Wine's 32-bit loader ($QUELMO_WINE32_LOADER) is not installed"
    return 1
  fi
  local said
  if said=$("$QUELMO_WINE32_LOADER" --version 2>&1 </dev/null); then
    return 0
  fi
  said=$(printf '%s' "$said" | tr '\n' ' ' | sed -E 's/^.*: //; s/ +$//')
  QUELMO_NOT_RUNNABLE_WHY="this machine does not run 32-bit code (Wine's 32-bit loader: ${said:-no answer})"
  return 1
}

quelmo_windows_builds() {
  QUELMO_NOT_RUNNABLE_WHY=
  if [ -n "${QUELMO_WINDOWS_BUILDS:-}" ]; then
    local b out=
    for b in $QUELMO_WINDOWS_BUILDS; do
      case $b in
        win32|win64) out="$out $b" ;;
        *) echo "QUELMO_WINDOWS_BUILDS: unknown build '$b' (win32, win64)" >&2; return 2 ;;
      esac
    done
    QUELMO_RUNNABLE_BUILDS=${out# }
    case " $QUELMO_RUNNABLE_BUILDS " in
      *" win32 "*) ;;
      *) QUELMO_NOT_RUNNABLE_WHY="QUELMO_WINDOWS_BUILDS=$QUELMO_WINDOWS_BUILDS leaves it out" ;;
    esac
    return 0
  fi
  if quelmo_probe_32bit; then
    QUELMO_RUNNABLE_BUILDS="win32 win64"
  else
    QUELMO_RUNNABLE_BUILDS="win64"
  fi
}

# quelmo_can_run BUILD: whether BUILD is among the runnable builds.
quelmo_can_run() {
  quelmo_windows_builds || return 2
  case " $QUELMO_RUNNABLE_BUILDS " in *" $1 "*) return 0 ;; esac
  return 1
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  quelmo_windows_builds || exit 2
  if [ "${1:-}" = --why ]; then
    echo "${QUELMO_NOT_RUNNABLE_WHY:-win32 and win64 both run here}"
  else
    echo "$QUELMO_RUNNABLE_BUILDS"
  fi
fi
