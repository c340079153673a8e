#!/usr/bin/env bash
# Builds everything and runs all tests under Wine on a private Xvfb display,
# in a fresh Wine prefix. Extra arguments go to ctest (e.g. -R Folder).
set -euo pipefail
cd "$(dirname "$0")/.."
# An absolute folder, whichever way it was given.
export BUILD_DIR=$(realpath -m "${BUILD_DIR:-build}")
./scripts/build.sh
. scripts/wine-env.sh
build_for_wine
start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
fresh_prefix "$WINE_BUILD_DIR/wineprefix"
cd "$WINE_BUILD_DIR"
ctest --output-on-failure --timeout 300 "$@"
