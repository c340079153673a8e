#!/usr/bin/env bash
# Builds Setup.exe, the tests and the staged setup folder in $BUILD_DIR (build/).
# SKIP_DEPS=1 skips the dependency installer on a machine that has the tools;
# BUILD_ARCH=x86_64 builds the same sources for 64-bit Windows instead of i686;
# CONFIGURE_OPTIONS go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${SKIP_DEPS:-0}" = 1 ] || ./scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-${BUILD_ARCH:-i686}.cmake ${CONFIGURE_OPTIONS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
