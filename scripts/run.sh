#!/usr/bin/env bash
# Builds Setup.exe and runs it in a fresh Wine prefix ($BUILD_DIR/run-prefix),
# in a 1024x768 Wine virtual desktop so that the backdrop fills a screen and
# the pages get their title bars whatever the window manager.
#
#   scripts/run.sh          with a usable display: the wizard, to click through
#   scripts/run.sh --demo   (and without a display): a scripted installation on
#                           a private Xvfb display, with a screenshot of the
#                           backdrop and of every page saved as PNG files in
#                           $BUILD_DIR/screenshots/
#   --dpi N                 with either: the screen set to N dots per inch
#                           (96 unless given) and the desktop grown to match,
#                           1024x768 at 96
#
# Either way it then prints what was installed: the install folder, the
# registry entries and the Start Menu shortcut.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build}

demo=0
dpi=96
while [ $# -gt 0 ]; do
  case "$1" in
    --demo) demo=1 ;;
    --dpi) dpi=${2:-}; shift ;;
    *) echo "usage: scripts/run.sh [--demo] [--dpi N]" >&2; exit 2 ;;
  esac
  shift
done
case "$dpi" in
  ''|*[!0-9]*) echo "usage: scripts/run.sh [--demo] [--dpi N]" >&2; exit 2 ;;
esac
width=$((1024 * dpi / 96))
height=$((768 * dpi / 96))
export XVFB_SCREEN=${width}x${height}x24
if [ "$demo" = 0 ] && { [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; }; then
  echo "No usable display: running the scripted installation instead."
  demo=1
fi

./scripts/build.sh
. scripts/wine-env.sh
[ "$demo" = 1 ] && start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
trap 'exit 130' INT TERM
echo "Making a fresh Wine prefix in $BUILD_DIR/run-prefix..."
fresh_prefix "$PWD/$BUILD_DIR/run-prefix"
[ "$dpi" = 96 ] || wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
media=$(winepath -w "$PWD/$BUILD_DIR/media")
desktop=/desktop=Setup,${width}x${height}

if [ "$demo" = 1 ]; then
  shots="$PWD/$BUILD_DIR/screenshots"
  rm -rf "$shots"
  mkdir -p "$shots"
  echo "Running the scripted installation from $media..."
  # The driver runs on the setup's desktop, where it sees the setup's windows.
  timeout 120 wine explorer "$desktop" \
    "$(winepath -w "$PWD/$BUILD_DIR/bin/demo.exe")" "$media" "$(winepath -w "$shots")" | tr -d '\r' || true
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" -strip "${bmp%.bmp}.png"
    rm -f "$bmp"
  done
  echo "Screenshots in $BUILD_DIR/screenshots/: $(cd "$shots" && echo *.png)"
else
  # The desktop is a window of the user's display: let the window manager frame it.
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  echo "Running $media\\Setup.exe: click through the wizard in the window that opens."
  wine explorer "$desktop" "$media\\Setup.exe" || true
fi

echo
echo "== Install folder"
folder=$(wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Tessel.exe' /v Path 2>/dev/null \
         | tr -d '\r' | sed -n 's/^ *Path *REG_SZ *//p' || true)
if [ -n "$folder" ]; then
  echo "$folder"
  ls -l "$(winepath -u "$folder")"
else
  echo "(nothing installed)"
fi

echo
echo "== Registry"
for key in 'HKLM\SOFTWARE\Tarnwicke' \
           'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Tessel.exe' \
           'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Brindlecast' \
           'HKCU\Software\Tarnwicke' 'HKCR\.tsl' 'HKCR\Brindlecast'; do
  if out=$(wine reg query "$key" /s 2>/dev/null); then
    printf '%s\n' "$out" | tr -d '\r' | sed '/^$/d'
  else
    echo "$key: (none)"
  fi
done

echo
echo "== Start Menu shortcut"
found=0
while IFS= read -r -d '' link; do
  found=1
  echo "${link#"$WINEPREFIX"/}"
  lnkinfo "$link" | sed -n 's/^\t\(Local path\|Working directory\|Description\)/  \1/p'
done < <(find "$WINEPREFIX/drive_c" -name Brindlecast.lnk -print0)
[ "$found" = 1 ] || echo "(none)"

if [ "$demo" = 1 ] && [ ! -e "$shots/6-finish.png" ]; then
  echo "The scripted installation did not reach the finish page." >&2
  exit 1
fi
