#!/usr/bin/env bash
# Times a quiet removal (Uninstal.exe /S) under Wine from its start until
# every process of it, the temporary copy included, has ended and the install
# folder is gone; repeated, with the least, the median and the most time.
# Not a test: a measure to compare two builds by.
#
#   tools/bench-removal.sh [RUNS]        (10 unless given)
#
# BUILD_DIR names the build whose staged setup folder (media/) is measured,
# relative to the repository's top folder or absolute; build/ unless set. On
# a kernel that runs no 32-bit code, the 64-bit build beside it
# (BUILD_DIR/x86_64, as scripts/test.sh makes it) is what runs. It uses a
# Wine prefix of its own in the measured build and a private Xvfb display,
# as scripts/test.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=$(realpath -m "${BUILD_DIR:-build}")
runs=${1:-10}

. scripts/wine-env.sh
measured=$BUILD_DIR
[ "$WINEARCH" = win32 ] || measured=$BUILD_DIR/x86_64
media=$measured/media
[ -f "$media/Uninstal.exe" ] || { echo "No staged setup folder in $media: build first (scripts/test.sh)." >&2; exit 1; }
start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
fresh_prefix "$measured/bench-prefix"

windows_folder='C:\Bench\Brindlecast'
folder=$WINEPREFIX/drive_c/Bench/Brindlecast
temp=$(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 4 -iname temp -type d | head -n 1)
[ -n "$temp" ] || { echo "No temporary folder in $WINEPREFIX" >&2; exit 1; }

# Processes of this prefix whose command line names the uninstaller or a
# temporary copy of it (Bcu*.tmp in the temporary folder of earlier builds,
# Bcu*\Uninstal.tmp since).
removal_running() {
  local pid
  for pid in $(pgrep -f 'Uninstal\.(exe|tmp)|Bcu[0-9A-Fa-f]*\.tmp' || true); do
    tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

times=()
for run in $(seq "$runs"); do
  # An installation the uninstaller recognises by its files alone: the
  # staged product files without the setup program.
  rm -rf "$folder"
  mkdir -p "$folder"
  for file in "$media"/*; do
    [ "$(basename "$file")" = Setup.exe ] || cp "$file" "$folder/"
  done
  rm -rf "$temp"/Bcu*
  start=$(date +%s%N)
  wine "$windows_folder\\Uninstal.exe" /S || code=$?
  limit=$((start + 120000000000))
  while [ -d "$folder" ] || removal_running; do
    [ "$(date +%s%N)" -lt "$limit" ] || { echo "run $run: not done after the time limit" >&2; exit 1; }
    sleep 0.01
  done
  end=$(date +%s%N)
  ms=$(((end - start) / 1000000))
  times+=("$ms")
  echo "run $run: $ms ms (exit code ${code:-0})"
  unset code
done

sorted=($(printf '%s\n' "${times[@]}" | sort -n))
count=${#sorted[@]}
if [ $((count % 2)) -eq 1 ]; then
  median=${sorted[$((count / 2))]}
else
  median=$(((sorted[count / 2 - 1] + sorted[count / 2]) / 2))
fi
echo "removal of $media: $count runs, min ${sorted[0]} ms, median $median ms, max ${sorted[$((count - 1))]} ms"
