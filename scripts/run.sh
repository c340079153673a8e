#!/usr/bin/env bash
# Builds Setup.exe and runs it in a fresh Wine prefix ($BUILD_DIR/run-prefix),
# in a 1024x768 Wine virtual desktop so that the backdrop fills a screen and
# the pages get their title bars whatever the window manager.
#
#   scripts/run.sh          with a usable display: the wizard, to click through
#   scripts/run.sh --demo   (and without a display): a scripted installation on
#                           a private Xvfb display, then its removal through
#                           Wine's list of installed programs, with a
#                           screenshot of the backdrop, of every page and of
#                           the uninstaller's boxes saved as PNG files in
#                           $BUILD_DIR/screenshots/
#   --dpi N                 with either: the screen set to N dots per inch
#                           (96 unless given) and the desktop grown to match,
#                           1024x768 at 96
#
# Either way it then prints what was installed: the install folder, the
# registry entries and the Start Menu shortcut; the demo prints it again
# after the removal.
set -euo pipefail
cd "$(dirname "$0")/.."
# An absolute folder, whichever way it was given.
export BUILD_DIR=$(realpath -m "${BUILD_DIR:-build}")

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
build_for_wine
BUILD_DIR=$WINE_BUILD_DIR
[ "$demo" = 1 ] && start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
trap 'exit 130' INT TERM
echo "Making a fresh Wine prefix in $BUILD_DIR/run-prefix..."
fresh_prefix "$BUILD_DIR/run-prefix"
[ "$dpi" = 96 ] || wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
media=$(winepath -w "$BUILD_DIR/media")
desktop=/desktop=Setup,${width}x${height}

# What an installation leaves: the install folder, the registry entries and
# the Start Menu shortcut, and after a removal what waits for the restart.
show_state() {
  echo
  echo "== Install folder"
  local folder
  folder=$(wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Tessel.exe' /v Path 2>/dev/null \
           | tr -d '\r' | sed -n 's/^ *Path *REG_SZ *//p' || true)
  if [ -n "$folder" ]; then
    echo "$folder"
    ls -l "$(winepath -u "$folder")"
    last_folder=$folder
  elif [ -n "${last_folder:-}" ] && [ -d "$(winepath -u "$last_folder")" ]; then
    echo "(nothing installed; $last_folder is still there)"
    ls -l "$(winepath -u "$last_folder")"
  elif [ -n "${last_folder:-}" ]; then
    echo "(nothing installed; $last_folder is gone)"
  else
    echo "(nothing installed)"
  fi

  echo
  echo "== Registry"
  local key out
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
  local found=0 link
  while IFS= read -r -d '' link; do
    found=1
    echo "${link#"$WINEPREFIX"/}"
    lnkinfo "$link" | sed -n 's/^\t\(Local path\|Working directory\|Description\)/  \1/p'
  done < <(find "$WINEPREFIX/drive_c" -name Brindlecast.lnk -print0)
  [ "$found" = 1 ] || echo "(none)"
}

# The files Windows removes at the next restart: the uninstaller's
# temporary copy once the removal is done.
show_restart_list() {
  echo
  echo "== Removed at the next restart"
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null \
    | tr -d '\r' | sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p' | sed 's/\\0/\n/g' | sed '/^$/d' \
    || true
}

to_png() {
  local bmp
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" -strip "${bmp%.bmp}.png"
    rm -f "$bmp"
  done
}

if [ "$demo" = 1 ]; then
  shots="$BUILD_DIR/screenshots"
  rm -rf "$shots"
  mkdir -p "$shots"
  demo_exe=$(winepath -w "$BUILD_DIR/bin/demo.exe")
  echo "Running the scripted installation from $media..."
  # The driver runs on the setup's desktop, where it sees the setup's windows.
  timeout 120 wine explorer "$desktop" "$demo_exe" install "$media" "$(winepath -w "$shots")" | tr -d '\r' || true
  to_png
  show_state
  echo
  echo "Removing Brindlecast through Wine's list of installed programs..."
  timeout 120 wine explorer "$desktop" "$demo_exe" remove "$(winepath -w "$shots")" | tr -d '\r' || true
  to_png
  echo "Screenshots in $BUILD_DIR/screenshots/: $(cd "$shots" && ls -v -- *.png | tr '\n' ' ')"
  show_state
  show_restart_list
  for shot in 6-finish 10-programs-after; do
    if [ ! -e "$shots/$shot.png" ]; then
      echo "The scripted run did not get as far as $shot.png." >&2
      exit 1
    fi
  done
else
  # The desktop is a window of the user's display: let the window manager frame it.
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  echo "Running $media\\Setup.exe: click through the wizard in the window that opens."
  wine explorer "$desktop" "$media\\Setup.exe" || true
  show_state
  echo
  echo "To remove it again: WINEPREFIX=$WINEPREFIX wine uninstaller"
fi
