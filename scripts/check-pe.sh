#!/usr/bin/env bash
# Checks a built Windows program: its machine (i386 or x86-64), its subsystem
# (gui or console), and that it imports system DLLs only (a static link).
set -euo pipefail
exe=$1 arch=$2 subsystem=$3
dump=$(x86_64-w64-mingw32-objdump -p "$exe")

case $arch in
  i386) format="pei-i386" ;;
  x86-64) format="pei-x86-64" ;;
  *) echo "check-pe.sh: unknown machine $arch" >&2; exit 2 ;;
esac
case $subsystem in
  gui) want="(Windows GUI)" ;;
  console) want="(Windows CUI)" ;;
  *) echo "check-pe.sh: unknown subsystem $subsystem" >&2; exit 2 ;;
esac

status=0
grep -q "file format $format" <<<"$dump" || { echo "$exe: not $format"; status=1; }
grep -q "^Subsystem.*$want" <<<"$dump" || { echo "$exe: subsystem is not $want"; status=1; }

# DLLs that every Windows installation has.
system_dlls="advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi user32 uxtheme version ws2_32 api-ms-win-crt-"
while read -r dll; do
  name=$(tr 'A-Z' 'a-z' <<<"${dll%.dll}" | sed 's/\.dll$//')
  ok=0
  for s in $system_dlls; do
    [[ $name == "$s" || ( $s == *- && $name == "$s"* ) ]] && ok=1
  done
  ((ok)) || { echo "$exe: imports $dll, which is not a system DLL"; status=1; }
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")

((status == 0)) && echo "$exe: $format, $want, system DLLs only"
exit $status
