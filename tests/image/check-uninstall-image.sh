#!/bin/sh
# Checks the shape of Uninstal.exe: what Setup.exe must be (a 32-bit GUI
# program that Windows 95 and NT 3.5 load, importing system DLLs only, the
# shell not at all), and at most 20 KiB besides.
set -u
exe=$1
fail=0
sh "$(dirname "$0")/check-setup-image.sh" "$exe" || fail=1

size=$(wc -c < "$exe")
if [ "$size" -le 20480 ]; then echo "ok: $size bytes, at most 20 KiB"; else echo "FAIL: $size bytes, more than 20 KiB"; fail=1; fi
exit $fail
