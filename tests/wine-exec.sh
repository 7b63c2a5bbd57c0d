#!/bin/sh
# Runs a Windows test program under wine64 (CTest's emulator) in the test bed
# of tests/wine-session.sh; outside one, it starts one.
[ -n "${PLUM_TEST_TOOLS:-}" ] || exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
exec wine "$@"
