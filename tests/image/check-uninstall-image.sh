#!/bin/sh
# Checks the shape of Uninstal.exe: what Setup.exe must be (a 32-bit GUI
# program that Windows 95 and NT 3.5 load, importing system DLLs only), and
# besides at most 16 KiB, with no shell32 import: Windows NT 3.x lacks the
# shell calls it needs, so they are bound at run time.
set -u
exe=$1
fail=0
sh "$(dirname "$0")/check-setup-image.sh" "$exe" || fail=1

size=$(wc -c < "$exe")
if [ "$size" -le 16384 ]; then echo "ok: $size bytes"; else echo "FAIL: $size bytes, more than 16 KiB"; fail=1; fi
if i686-w64-mingw32-objdump -p "$exe" | grep -iq 'DLL Name: shell32'; then
  echo "FAIL: imports shell32.dll"; fail=1
else
  echo "ok: no shell32 import"
fi
exit $fail
