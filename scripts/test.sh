#!/usr/bin/env bash
# Builds everything and runs all tests under Wine on a private Xvfb display,
# in a fresh Wine prefix. Extra arguments go to ctest (e.g. -R Folder).
set -euo pipefail
cd "$(dirname "$0")/.."
# An absolute folder, whichever way it was given.
export BUILD_DIR=$(realpath -m "${BUILD_DIR:-build}")
./scripts/build.sh
. scripts/wine-env.sh
start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
if [ "$WINEARCH" = win32 ]; then
  fresh_prefix "$BUILD_DIR/wineprefix"
  cd "$BUILD_DIR"
  exec ctest --output-on-failure --timeout 300 "$@"
fi

# A kernel that runs no 32-bit code: everything that runs a program runs on
# the 64-bit build of the same sources, under 64-bit Wine; the checks of the
# programs' files read the 32-bit build's.
echo "This kernel runs no 32-bit code: the tests run the programs' 64-bit build under 64-bit Wine;"
echo "the checks of the programs' images, imports and signatures read the 32-bit build in $BUILD_DIR."
build64=$BUILD_DIR/x86_64
CONFIGURE_OPTIONS="-DIMAGES_FROM=$BUILD_DIR" BUILD_DIR=$build64 BUILD_ARCH=x86_64 SKIP_DEPS=1 ./scripts/build.sh
fresh_prefix "$build64/wineprefix"
cd "$build64"
exec ctest --output-on-failure --timeout 300 "$@"
