#!/bin/bash
# Runs a Windows program of the tests with the screen at DPI dots per inch: in
# the test bed (tests/wine-session.sh) of a prefix of its own, the test bed's
# registry with LogPixels set, sharing its drive C:. PLUM_TEST_DPI tells it.
#   tests/dpi-session.sh 144 build/win64/tests/dpi_tests.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dpi=$1 && shift
build="${PLUM_BUILD_DIR:-$here/../build/win64}"
base="$build/wineprefix" prefix="$build/wineprefix-dpi$dpi"
[ -f "$base/system.reg" ] || PLUM_BUILD_DIR="$build" "$here/wine-session.sh" true

# The registry is read when the prefix's wineserver starts: none may run yet.
WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 && WINEPREFIX="$prefix" wineserver -w || true
rm -rf "$prefix"
mkdir -p "$prefix"
cp -a "$base"/*.reg "$base/.update-timestamp" "$base/dosdevices" "$prefix/"
ln -s "$base/drive_c" "$prefix/drive_c"
sed -i "/^\[Control Panel\\\\\\\\Desktop\]/a \"LogPixels\"=dword:$(printf %08x "$dpi")" "$prefix/user.reg"

export PLUM_TEST_DPI="$dpi" WINEPREFIX="$prefix" PLUM_BUILD_DIR="$build"
exec "$here/wine-session.sh" "$here/wine-exec.sh" "$@"
