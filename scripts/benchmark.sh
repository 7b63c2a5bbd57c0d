#!/bin/bash
# Start-up, memory, drop latency, size and the objects under load of the dock,
# measured from outside its process in the Wine test bed; prints the machine
# and one markdown table (docs/benchmark.md keeps a run). Figures are never
# judged: only a build or a program that breaks ends this with an error.
#   scripts/benchmark.sh                    (20 start-ups of each, 50 drops)
#   scripts/benchmark.sh --runs 40 --drops 100
# PLUM_BENCH_BUILD: the build folder (default build/bench; the i686 release
# build goes in its i686-release folder). PLUM_LOAD_ROUNDS: rounds of the
# load (default 167: 3 drops, a settings dialog and an About window each).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${PLUM_BENCH_BUILD:-$PWD/build/bench}"
rounds="${PLUM_LOAD_ROUNDS:-167}"
cmake --preset win64 -B "$build" -DPLUM_DOCK_BENCH=ON >/dev/null
cmake --build "$build" --target plum_bench >/dev/null
cmake --preset win32-release -B "$build/i686-release" >/dev/null
cmake --build "$build/i686-release" --target plum_dock >/dev/null

export LC_ALL=C
in_wine() { tests/wine-session.sh --build "$build" wine "$@" | tr -d '\r'; }
commit=$(git rev-parse --short HEAD)
git diff --quiet HEAD -- src || commit="$commit with changes to src/"
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
  "$(nproc) CPUs, $(free -g | awk '/Mem:/ {print $2}') GiB; $(uname -sr); $(wine --version 2>/dev/null);" \
  "Xvfb; load average $(cut -d' ' -f1-3 /proc/loadavg) at the start; $(date -u +%Y-%m-%d); $commit"
echo
echo "| measure | value |"
echo "|---|---:|"
echo "| i686 release plum_dock.exe size | $(stat -c %s "$build/i686-release/src/plum_dock.exe") bytes |"
in_wine "$build/bench/plum_bench.exe" "$@" | grep '^|'

# The end-to-end handle test with a full load: after a warm-up round, it
# counts the dock's objects from outside, runs the rounds, counts again.
# Its whole output stays in the build folder.
out=$(PLUM_LOAD_ROUNDS=$rounds in_wine "$build/tests/dock_tests.exe" \
  --gtest_filter='DockTest.HandlesStay*' | tee "$build/load-test.log" || true)
load="after $rounds rounds: $((3 * rounds)) drops, $rounds settings dialogs, $rounds About windows"
sed -n 's/^kernel \([0-9]*\) -> \([0-9]*\), gdi \([0-9]*\) -> \([0-9]*\), windows \([0-9]*\) -> \([0-9]*\)$/\1 \2 \3 \4 \5 \6/p' \
  <<<"$out" | while read -r k0 k1 g0 g1 w0 w1; do
  echo "| kernel handles (system handle list), after a warm-up round -> $load | $k0 -> $k1 |"
  echo "| GDI objects beside cached DCs (GDI table), likewise | $g0 -> $g1 |"
  echo "| windows, top-level and child (enumeration), likewise | $w0 -> $w1 |"
done
grep -q '^\[  PASSED  \] 1 test' <<<"$out" ||
  echo "| the handle test's checks that failed (its log: $build/load-test.log) |" \
    "$(sed -n 's/.*[/\\]\([a-z_]*\.cpp:[0-9]*\): Failure.*/\1/p' <<<"$out" | sort | uniq -c |
      awk '{printf "%s%s %dx", (NR > 1 ? ", " : ""), $2, $1}') |"
