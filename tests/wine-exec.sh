#!/bin/sh
# Runs a Windows test program under wine64 with the test bed's settings:
# code page 932, a private prefix under the build folder, no debug noise.
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../build/win64/wineprefix}"
export WINEPREFIX
export LC_ALL=ja_JP.UTF-8 WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
