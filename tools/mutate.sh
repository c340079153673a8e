#!/usr/bin/env bash
# Applies one-line faults to a scratch copy of the sources, one at a time,
# builds, runs the tests and reports each fault that no test noticed. The
# worktree itself is never touched.
#
#   tools/mutate.sh [-f FAULTS] [-t TARGET] [-k] [-- CTEST-ARGS...]
#
#   -f FAULTS   the list of faults (default tools/faults.txt)
#   -t TARGET   build only this target for each fault (e.g. unit_tests), for
#               a subset of tests that needs no other
#   -k          keep the scratch copy and say where it is
#   CTEST-ARGS  a subset to run, e.g. -- -R Registry, or -- -E Resources
#
# A fault is one line of FAULTS: the file, the text to find and the text to
# put in its place, separated by tabs. The text must occur exactly once in
# the file. Empty lines and lines starting with # are skipped.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
faults=$top/tools/faults.txt
keep=0
only=()
while [ $# -gt 0 ]; do
  case $1 in
    -f) faults=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    -t) only=(--target "$2"); shift 2 ;;
    -k) keep=1; shift ;;
    --) shift; break ;;
    *) echo "usage: tools/mutate.sh [-f FAULTS] [-t TARGET] [-k] [-- CTEST-ARGS...]" >&2; exit 2 ;;
  esac
done
[ -f "$faults" ] || { echo "no fault list $faults" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/mutate.XXXXXX")
src=$scratch/src
build=$scratch/build
mkdir -p "$src"
# The sources as they are in the worktree now, uncommitted changes included.
(cd "$top" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) | tar -xf - -C "$src"

export BUILD_DIR=$build
. "$src/scripts/wine-env.sh"
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_xvfb
  if [ "$keep" = 1 ]; then echo "scratch copy kept in $scratch"; else rm -rf "$scratch"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

log=$scratch/log
echo "Building the unchanged copy in $build..."
toolchain=(-DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake")
if [ "$WINEARCH" = win64 ]; then
  # A kernel without 32-bit code runs the tests on the 64-bit build. The
  # checks of the programs' files read an unchanged 32-bit build, so a fault
  # that shows only in those files goes unnoticed on such a kernel.
  cmake -S "$src" -B "$scratch/i686" "${toolchain[@]}" >"$log" 2>&1
  cmake --build "$scratch/i686" -j"$(nproc)" >>"$log" 2>&1 || { cat "$log"; echo "the unchanged copy does not build" >&2; exit 1; }
  toolchain=(-DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-x86_64.cmake" -DIMAGES_FROM="$scratch/i686")
fi
cmake -S "$src" -B "$build" "${toolchain[@]}" >>"$log" 2>&1
cmake --build "$build" -j"$(nproc)" >>"$log" 2>&1 || { cat "$log"; echo "the unchanged copy does not build" >&2; exit 1; }
start_xvfb

# Runs the tests in a fresh prefix; prints the names of those that failed.
run_tests() {
  fresh_prefix "$build/wineprefix"
  (cd "$build" && ctest --timeout 300 "$@" >"$log" 2>&1) || true
  sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\(Failed\|Timeout\|Not Run\|Exception\|SEGFAULT\|Child aborted\|Subprocess aborted\))$/\1/p' "$log"
  grep -q 'tests passed' "$log" || echo "(no test ran)"
}

echo "Running the tests on the unchanged copy..."
failing=$(run_tests "$@")
if [ -n "$failing" ]; then
  printf 'The unchanged copy already fails:\n%s\n' "$failing" >&2
  exit 1
fi

unnoticed=()
count=0
while IFS=$'\t' read -r file from to || [ -n "$file" ]; do
  case $file in ''|'#'*) continue ;; esac
  count=$((count + 1))
  label="$file: $from  =>  ${to:-(removed)}"
  target=$src/$file
  if [ ! -f "$target" ]; then
    echo "[$count] SKIPPED, no such file: $label"; continue
  fi
  original=$(cat "$target"; printf x)
  original=${original%x}
  rest=${original#*"$from"}
  if [ "$rest" = "$original" ] || [ "${rest#*"$from"}" != "$rest" ]; then
    echo "[$count] SKIPPED, the text is not in the file exactly once: $label"; continue
  fi
  printf '%s' "${original/"$from"/"$to"}" >"$target"
  if ! cmake --build "$build" -j"$(nproc)" "${only[@]}" >"$log" 2>&1; then
    echo "[$count] DOES NOT BUILD: $label"
  else
    failing=$(run_tests "$@")
    if [ -z "$failing" ]; then
      echo "[$count] NOT NOTICED: $label"
      unnoticed+=("$label")
    else
      echo "[$count] noticed: $label"
      printf '%s\n' "$failing" | sed 's/^/      by /'
    fi
  fi
  printf '%s' "$original" >"$target"
done <"$faults"

echo
echo "$count faults, ${#unnoticed[@]} not noticed by any test."
for label in "${unnoticed[@]}"; do echo "  $label"; done
[ ${#unnoticed[@]} -eq 0 ]
