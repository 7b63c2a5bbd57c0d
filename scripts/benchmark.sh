#!/bin/bash
# Start-up, drop latency, size, memory and handle counts of the dock, measured
# under the Wine test bed; prints one markdown table and the machine it ran on.
#   scripts/benchmark.sh                  (20 start-ups of each, 50 drops)
#   scripts/benchmark.sh --runs 40 --drops 100
# PLUM_BENCH_BUILD: the win64 build folder (default build/win64); the test
# bed's own variables (PLUM_BUILD_DIR, WINEPREFIX) pass through.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >/dev/null
build="${PLUM_BENCH_BUILD:-$PWD/build/win64}"
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target plum_bench handles_tests >/dev/null
cmake --preset win32-release >/dev/null
cmake --build --preset win32-release --target plum_dock >/dev/null

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Machine: $cpu, $(nproc) CPUs, $(free -g | awk '/Mem:/ {print $2}') GiB;" \
     "$(uname -sr); $(wine --version); Xvfb; $(date -u +%Y-%m-%d)"
echo
echo "| measure | value |"
echo "|---|---:|"
echo "| i686 release plum_dock.exe size | $(stat -c %s build/win32-release/src/plum_dock.exe) bytes |"
tests/wine-session.sh tests/wine-exec.sh "$build/tests/plum_bench.exe" "$@" | tr -d '\r' | grep '^|'
echo
echo "Objects of plum_dock_counted.exe after a warm-up, then 500 drops, 100 settings"
echo "dialogs and 100 About windows (tests/handles_test.cpp):"
echo
tests/wine-session.sh env PLUM_LEAK_DROPS=500 PLUM_LEAK_SETTINGS=100 PLUM_LEAK_ABOUTS=100 \
  tests/wine-exec.sh "$build/tests/handles_tests.exe" --gtest_filter='Handles.Drops*' |
  tr -d '\r' | grep -E '^\||OK \]|FAILED +\]'
