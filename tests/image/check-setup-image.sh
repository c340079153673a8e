#!/bin/sh
# Checks the shape of Setup.exe: a 32-bit Intel GUI program that Windows 95
# and NT 3.5 can load, importing only the system DLLs it is meant to use,
# placed at a random address with its data not executable where Windows can,
# and no larger than its size budget in bytes (31 KiB, unsigned, unless a
# second argument gives another).
set -u
exe=$1
budget=${2:-31744}
fail=0
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "cannot read $exe"; exit 1; }

expect() {
  if printf '%s\n' "$dump" | grep -Eq "$1"; then echo "ok: $2"; else echo "FAIL: $2"; fail=1; fi
}
expect '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' "PE32 image"
expect 'file format pei-i386' "Intel 386 code"
expect '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' "GUI subsystem"
expect '^MajorSubsystemVersion[[:space:]]+3$' "subsystem major version 3"
expect '^MinorSubsystemVersion[[:space:]]+10$' "subsystem minor version 10"
expect '^[[:space:]]+DYNAMIC_BASE$' "relocatable (address space layout randomisation)"
expect '^[[:space:]]+NX_COMPAT$' "data execution prevention"

dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
echo "imports: $dlls"
for dll in $dlls; do
  case $dll in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|ole32.dll) ;;
    *) echo "FAIL: imports $dll"; fail=1 ;;
  esac
done
[ -n "$dlls" ] || { echo "FAIL: no imports found"; fail=1; }

size=$(wc -c < "$exe")
if [ "$size" -le "$budget" ]; then
  echo "ok: size $size bytes, budget $budget"
else
  echo "FAIL: size $size bytes, over the budget of $budget"; fail=1
fi
exit $fail
