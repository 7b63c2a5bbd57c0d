#!/bin/sh
# CTest's emulator: a Windows test program under wine64 in the test bed of
# tests/wine-session.sh, which it starts when it runs outside one.
if [ -n "${PLUM_TEST_TOOLS:-}" ]; then exec wine "$@"; fi
exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
