#!/usr/bin/env bash
# Checks a built program file from outside, without running it: the PE type
# and machine, that it imports only Windows' own DLLs, that it carries the
# version information, the icon and a manifest for its own architecture.
# Usage: check-program-file.sh PROGRAM.exe win32|win64
# Prints one line per check; exits non-zero when any fails.
set -uo pipefail
exe=$1 form=$2
case $form in
  win32) triple=i686-w64-mingw32 file_type='PE32 executable (GUI) Intel 80386' arch=x86 ;;
  win64) triple=x86_64-w64-mingw32 file_type='PE32+ executable (GUI) x86-64' arch=amd64 ;;
  *) echo "usage: check-program-file.sh PROGRAM.exe win32|win64" >&2; exit 2 ;;
esac
failed=0
check() {  # check WHAT OK(0/1) [DETAIL]
  if [ "$2" -eq 0 ]; then echo "ok: $1"; else echo "FAILED: $1${3:+ ($3)}"; failed=1; fi
}
if [ ! -f "$exe" ]; then echo "FAILED: no program at $exe"; exit 1; fi

described=$(file -b "$exe")
[[ $described == "$file_type"* ]]; check "file type: $file_type" $? "$described"

objdump=$(command -v "$triple-objdump" || command -v objdump)
headers=$("$objdump" -p "$exe" 2>&1)

# Windows' own DLLs only: no runtime DLL of the compiler (libgcc, libstdc++,
# winpthread) may be needed beside the program.
system_dlls=' advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll ws2_32.dll '
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
foreign=
for dll in $imports; do
  case $system_dlls in *" $dll "*) ;; *) foreign="$foreign $dll" ;; esac
done
[ -n "$imports" ] && [ -z "$foreign" ]; check "imports only system DLLs: ${imports% }" $? "not Windows' own:${foreign:- none found}"

# The top level of the resource directory lists the resource types.
types=$(sed -nE 's/^[0-9a-f]{3}   Entry: ID: 0x0*([0-9a-f]+),.*/\1/p' <<<"$headers" | tr '\n' ' ')
has_type() { case " $types" in *" $1 "*) return 0 ;; esac; return 1; }
has_type 10; check "version information (resource type 16)" $? "types: $types"
has_type 3 && has_type e; check "icon (resource types 3 and 14)" $? "types: $types"
has_type 18; check "manifest (resource type 24)" $? "types: $types"
manifest_arch=$(grep -a -o 'assemblyIdentity type="win32" name="Quelmo.QuelmoEval" version="[0-9.]*" processorArchitecture="[a-z0-9]*"' "$exe" | sed -E 's/.*processorArchitecture="([a-z0-9]*)"/\1/' | head -n 1)
[ "$manifest_arch" = "$arch" ]; check "manifest for $arch" $? "manifest says '${manifest_arch:-nothing}'"
# No test seam can be switched on in the shipped program: it holds no
# QUELMO_SEAM text, neither as bytes nor as UTF-16.
narrow_seams=$(grep -a -c 'QUELMO_SEAM' "$exe" || true)
wide_seams=$(LC_ALL=C grep -a -c -P 'Q\x00U\x00E\x00L\x00M\x00O\x00_\x00S\x00E\x00A\x00M' "$exe" || true)
seam_text=$((narrow_seams + wide_seams))
[ "$seam_text" -eq 0 ]; check "no QUELMO_SEAM text in the program" $? "found $seam_text times"
exit $failed
