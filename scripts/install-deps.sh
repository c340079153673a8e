#!/usr/bin/env bash
# Installs the cross toolchain, Wine, Xvfb and the test libraries on a Debian machine.
# Safe to run again: it only installs what is missing.
set -euo pipefail

need=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386
      xvfb x11-utils googletest liblnk-utils imagemagick libxml2-utils locales
      osslsigncode openssl)

# Not a Debian machine: say which of the tools are missing, install nothing.
if ! command -v dpkg-query >/dev/null; then
  missing=()
  for tool in cmake make i686-w64-mingw32-g++ i686-w64-mingw32-windres wine Xvfb xdpyinfo lnkinfo convert \
              xmllint localedef osslsigncode openssl; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  [ -d /usr/src/googletest ] || missing+=(/usr/src/googletest)
  [ ${#missing[@]} -eq 0 ] && exit 0
  echo "Missing: ${missing[*]}. Install them, or run with SKIP_DEPS=1 if they are elsewhere." >&2
  exit 1
fi

SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
updated=0
install_missing() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  [ $updated = 1 ] || $SUDO apt-get update -q
  updated=1
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
}
install_missing "${need[@]}"
# A kernel that runs no 32-bit code gets the tests run on the 64-bit build
# under 64-bit Wine (scripts/wine-env.sh, scripts/test.sh).
/lib/ld-linux.so.2 --version >/dev/null 2>&1 ||
  install_missing g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
