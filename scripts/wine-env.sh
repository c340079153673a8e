# Sourced by the run and test scripts: a private Wine prefix and a display.
# Expects BUILD_DIR; sets WINEPREFIX and DISPLAY and starts what is missing.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine runs 32-bit Windows programs with 32-bit Linux code. A kernel built or
# booted without 32-bit support refuses that code ("Exec format error"), and
# offers 64-bit Wine no 32-bit code segment either. On such a kernel the
# programs' 64-bit build is what runs (scripts/test.sh), under 64-bit Wine.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  export WINEARCH=win32
else
  export WINEARCH=win64
  PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:$PATH"
fi

# The build that Wine runs: $BUILD_DIR itself, or on a kernel without 32-bit
# code the 64-bit build of the same sources in $BUILD_DIR/x86_64, made here;
# its checks of the programs' files read the 32-bit build's. Sets
# WINE_BUILD_DIR.
build_for_wine() {
  WINE_BUILD_DIR=$BUILD_DIR
  [ "$WINEARCH" = win64 ] || return 0
  echo "This kernel runs no 32-bit code: Wine runs the programs' 64-bit build, made in $BUILD_DIR/x86_64."
  WINE_BUILD_DIR=$BUILD_DIR/x86_64
  CONFIGURE_OPTIONS="-DIMAGES_FROM=$BUILD_DIR" BUILD_DIR=$WINE_BUILD_DIR BUILD_ARCH=x86_64 SKIP_DEPS=1 ./scripts/build.sh
}

# A fresh prefix: Setup.exe writes to the registry and the Start Menu, and
# every run should start from a machine that never saw the product.
fresh_prefix() {
  export WINEPREFIX="$1"
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # Keep one wineserver for the whole run instead of one per program.
  wineserver -p
  wineboot -i >/dev/null 2>&1
  # A second drive, R:, whose root the tests may install into.
  mkdir -p "$WINEPREFIX/drive_r"
  ln -sfn ../drive_r "$WINEPREFIX/dosdevices/r:"
  # Without a window manager Wine waits for every hidden window unless its
  # windows are unmanaged.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# Starts Xvfb on a free display ($XVFB_SCREEN, 1024x768x24 unless set) and
# remembers it for stop_xvfb.
start_xvfb() {
  local n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && return 0; sleep 0.1; done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
