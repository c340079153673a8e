#!/bin/sh
# The image check passes a shipped program whose budget is exactly its size,
# and fails it, naming the fault, for each rule a change can break: a byte
# over the budget, an import the allow-list lacks, a DLL that is not the
# program's, a subsystem version that Windows 95 and NT 3.5 refuse, no
# address randomisation or data execution prevention.
#   image-check-test.sh <folder of check-image.sh> <program> <allow-list> <dll>...
set -u
checker=$1/check-image.sh exe=$2 list=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# check <name> <expected exit: 0 or 1> <text its output must hold> <check-image.sh arguments>...
check() {
  name=$1 expected=$2 text=$3
  shift 3
  if sh "$checker" "$@" >"$work/out" 2>&1; then got=0; else got=1; fi
  if [ "$got" = "$expected" ] && grep -qF -- "$text" "$work/out"; then
    echo "ok: $name"
  else
    echo "FAIL: $name (exit $got, expected $expected and \"$text\")"; cat "$work/out"; fail=1
  fi
}

# A copy of the program with <count> bytes written at <offset> from the start
# of its optional header (the PE header's offset is at 0x3C; the optional
# header follows the 24 bytes of signature and file header).
patched() {
  pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
  cp "$exe" "$work/$1.exe"
  printf "$3" | dd of="$work/$1.exe" bs=1 seek=$((pe + 24 + $2)) conv=notrunc 2>/dev/null
  echo "$work/$1.exe"
}

size=$(wc -c < "$exe")
grep -vx 'KERNEL32.dll CloseHandle' "$list" >"$work/short.imports"

check "its own size as budget" 0 "ok: size $size bytes, budget $size" "$exe" "$size" "$list" "$@"
check "one byte over the budget" 1 "FAIL: size $size bytes, over the budget of $((size - 1))" "$exe" $((size - 1)) "$list" "$@"
check "an import missing from the allow-list" 1 "FAIL: kernel32.dll CloseHandle is not in the allow-list" \
  "$exe" "$size" "$work/short.imports" "$@"
first=$1
shift
check "a DLL that is not the program's" 1 "FAIL: imports $first" "$exe" "$size" "$list" "$@"
set -- "$first" "$@"
# MajorSubsystemVersion and MinorSubsystemVersion at 48: 4.0, the linker's default.
check "subsystem version 4.0" 1 "FAIL: subsystem major version 3" "$(patched subsystem 48 '\004\000\000\000')" "$size" "$list" "$@"
# DllCharacteristics at 70, cleared.
check "no randomisation, no data execution prevention" 1 "FAIL: data execution prevention" \
  "$(patched characteristics 70 '\000\000')" "$size" "$list" "$@"
exit $fail
