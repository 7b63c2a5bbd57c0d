#!/bin/bash
# Runs a command in the Wine test bed: a private prefix under the build folder,
# drive D: mapped, one wineserver for the whole command, Xvfb when no display.
#   tests/wine-session.sh ctest --preset win64
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PLUM_BUILD_DIR:-$root/build/win64}"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
export LC_ALL=ja_JP.UTF-8 WINEDEBUG="${WINEDEBUG:--all}"
# comdlg32 and comctl32 native first: a copy planted beside a program would be
# loaded, as on Windows (the dock must never load one).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;comdlg32,comctl32=n,b"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Wine draws the window frames itself, as Windows does, so captions and
  # close boxes are there to see and click without a window manager.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
mkdir -p "$build/drive_d" "$build/share" "$WINEPREFIX/dosdevices/unc/plum"
ln -sfn "$build/drive_d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$build/share" "$WINEPREFIX/dosdevices/unc/plum/share"  # \\plum\share

# The GUI tests run xdotool through sh (Wine starts a Linux program reached
# through a name ending in ".exe", but does not wait for it).
mkdir -p "$build/test_tools"
ln -sfn "$(command -v sh)" "$build/test_tools/sh.exe"
mkdir -p "$build/test_tools/jdk 17"  # the machine's JDK
for tool in java javac jar; do
  ln -sfn "$(readlink -f "$(command -v $tool)")" "$build/test_tools/jdk 17/$tool.exe"
done
export PLUM_TEST_TOOLS="Z:${build//\//\\}\\test_tools"

wineserver -p
# Start Wine's own services now, with no test's output pipe for them to
# inherit (a runner would otherwise wait for them to close it).
wine cmd /c exit </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$@"
