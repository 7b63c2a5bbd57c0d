#!/bin/bash
# Runs a command in the Wine test bed: the build folder's own prefix with
# code page 932, drive D: and the temp folder emptied, one wineserver for the
# whole command, a virtual display of its own. Of the caller's environment
# only PATH and PLUM_LOAD_ROUNDS reach it (README: "The test bed").
#   tests/wine-session.sh [--build DIR] [--display] [--dpi N] command...
# --build: the build folder (build/win64); --display: the caller's X display
# (DISPLAY, XAUTHORITY); --dpi: the screen at N dots per inch, in a prefix of
# its own made from the test bed's, sharing its drive C:.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ ${1:-} != --clean ]]; then
  build=$root/build/win64 display=false dpi=0
  while [[ ${1:-} == --* ]]; do
    case $1 in
      --build) build=$(realpath -m "$2") && shift 2 ;;
      --display) display=true && shift ;;
      --dpi) dpi=$2 && shift 2 ;;
      *) echo "wine-session.sh: unknown option $1" >&2 && exit 2 ;;
    esac
  done
  keep=(PATH="$PATH" HOME="$(getent passwd "$(id -u)" | cut -d: -f6)" USER="$(id -un)"
    ${PLUM_LOAD_ROUNDS:+PLUM_LOAD_ROUNDS="$PLUM_LOAD_ROUNDS"})
  $display && exec env -i "${keep[@]}" DISPLAY="${DISPLAY:-}" ${XAUTHORITY:+XAUTHORITY="$XAUTHORITY"} \
    "$0" --clean "$build" "$dpi" "$@"
  exec env -i "${keep[@]}" xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --clean "$build" "$dpi" "$@"
fi
build=$2 dpi=$3 && shift 3
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEPREFIX=$build/wineprefix
# comdlg32 and comctl32 native first: a copy planted beside a program would be
# loaded, as on Windows (the dock must never load one).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;comdlg32,comctl32=n,b"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Wine draws the window frames itself, as Windows does, so captions and
  # close boxes are there to see and click without a window manager.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
mkdir -p "$build/drive_d"
ln -sfn "$build/drive_d" "$WINEPREFIX/dosdevices/d:"

# The GUI tests run xdotool through sh (Wine starts a Linux program reached
# through a name ending in ".exe", but does not wait for it).
mkdir -p "$build/test_tools"
ln -sfn "$(command -v sh)" "$build/test_tools/sh.exe"
export PLUM_TEST_TOOLS="Z:${build//\//\\}\\test_tools"

if [ "$dpi" != 0 ]; then
  # The registry is read when the prefix's wineserver starts: none may run yet.
  base=$WINEPREFIX && export WINEPREFIX=$build/wineprefix-dpi$dpi PLUM_TEST_DPI=$dpi
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
  cp -a "$base"/*.reg "$base/.update-timestamp" "$base/dosdevices" "$WINEPREFIX/"
  ln -s "$base/drive_c" "$WINEPREFIX/drive_c"
  sed -i "/^\[Control Panel\\\\\\\\Desktop\]/a \"LogPixels\"=dword:$(printf %08x "$dpi")" "$WINEPREFIX/user.reg"
fi
# A wineserver of this prefix left from an earlier run would hold an old
# display and registry; files left by a run that was killed go too.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
[ "$dpi" != 0 ] || rm -rf "${build:?}"/drive_d/* "$WINEPREFIX"/drive_c/users/*/Temp/*
if [ "$dpi" != 0 ]; then wineserver -p5; else wineserver -p; fi
# Start Wine's own services now, with no test's output pipe for them to
# inherit (a runner would otherwise wait for them to close it).
wine cmd /c exit </dev/null >/dev/null 2>&1
# A DPI session is the test itself, so that a time-out's kill ends it; its
# wineserver goes 5 seconds after its last program.
[ "$dpi" = 0 ] || exec "$@"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$@"
