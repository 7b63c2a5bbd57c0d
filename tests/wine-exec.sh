#!/bin/sh
# CTest's emulator: a test program under wine64 in the test bed, which it starts when outside one.
if [ -n "${PLUM_TEST_TOOLS:-}" ]; then exec wine "$@"; fi
exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
