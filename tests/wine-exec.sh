#!/bin/sh
# CTest's emulator: a Windows test program under wine64 in the test bed of
# tests/wine-session.sh, which it starts when it runs outside one.
[ -n "${PLUM_TEST_TOOLS:-}" ] && exec wine "$@" || exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
