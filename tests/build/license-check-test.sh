#!/bin/sh
# The build's licence check passes the shipped pair of License.txt and
# product facts, and fails loudly for each way the pair can stop agreeing,
# including facts whose numbers it can no longer read.
#   license-check-test.sh <source folder>
set -u
top=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# check <name> <expected exit: 0 or 1> <sed expression applied to the facts>
check() {
  sed "$3" "$top/product.cmake" >"$work/product.cmake"
  if cmake -DLICENSE="$top/resources/License.txt" -DFACTS="$work/product.cmake" \
       -P "$top/cmake/check-license.cmake" >"$work/out" 2>&1; then got=0; else got=1; fi
  if [ "$got" = "$2" ]; then
    echo "ok: $1"
  else
    echo "FAIL: $1 (exit $got)"; cat "$work/out"; fail=1
  fi
}

check "the shipped facts" 0 's/x/x/'
check "a limit written as an expression" 1 's/set(AGREEMENT_MAX [0-9]*)/set(AGREEMENT_MAX "4 * 1024")/'
check "no sum at all" 1 '/set(AGREEMENT_SUM/d'
check "a limit below the file's size" 1 's/set(AGREEMENT_MAX [0-9]*)/set(AGREEMENT_MAX 100)/'
check "a sum one off" 1 's/set(AGREEMENT_SUM \([0-9]*\))/set(AGREEMENT_SUM \11)/'
exit $fail
