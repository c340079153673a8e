#!/bin/sh
# Checks the shape of one of the shipped programs: a 32-bit Intel GUI program
# that Windows 95 and NT 3.5 load (subsystem 3.10), placed at a random address
# with its data not executable where Windows can; importing from its own
# system DLLs alone (so no C runtime and not the shell), and from them only
# functions of the allow-list; and no larger than its budget in bytes.
#
#   check-image.sh <program> <budget in bytes> <allow-list> <dll>...
#
# The allow-list holds one "DLL function" a line (# starts a comment); the
# DLLs are those the program may import at all.
set -u
[ $# -ge 4 ] || { echo "usage: check-image.sh <program> <budget in bytes> <allow-list> <dll>..."; exit 2; }
exe=$1 budget=$2 list=$3
shift 3
case $budget in ''|*[!0-9]*) echo "FAIL: budget '$budget' is not a number of bytes"; exit 2 ;; esac
[ -r "$list" ] || { echo "FAIL: cannot read the allow-list $list"; exit 2; }
fail=0
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }

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

# DLL names compare in lower case, as the loader compares them; function
# names exactly. An import by ordinal alone matches no entry.
own=$(printf '%s\n' "$@" | tr 'A-Z' 'a-z')
dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports from: $(printf '%s ' $dlls)"
for dll in $dlls; do
  printf '%s\n' "$own" | grep -qxF "$dll" || { echo "FAIL: imports $dll, not one of $(printf '%s ' $own)"; fail=1; }
done

allowed=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list" | awk '{ print tolower($1), $2 }')
imports=$(printf '%s\n' "$dump" | awk '
  /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
  /^[[:space:]]*$/ { dll = "" }
  dll != "" && $1 ~ /^[0-9a-f]+$/ { print dll, (NF == 3 ? $3 : "ordinal-" $2) }')
if [ -z "$imports" ]; then
  echo "FAIL: no imports found"; fail=1
else
  count=0
  while read -r dll function; do
    count=$((count + 1))
    if ! printf '%s\n' "$allowed" | grep -qxF "$dll $function"; then
      echo "FAIL: $dll $function is not in the allow-list $(basename "$list")"; fail=1
    fi
  done <<EOF_IMPORTS
$imports
EOF_IMPORTS
  echo "imports: $count functions checked against $(basename "$list")"
fi

size=$(wc -c < "$exe")
if [ "$size" -le "$budget" ]; then
  echo "ok: size $size bytes, budget $budget"
else
  echo "FAIL: size $size bytes, over the budget of $budget"; fail=1
fi
exit $fail
