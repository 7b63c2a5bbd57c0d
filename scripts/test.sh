#!/bin/bash
# Builds both targets and runs every test: the Windows test programs under
# wine64 with a virtual display, and the release package's checks.
#   scripts/test.sh            (extra arguments go to ctest)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The proof stays lean: everything under tests/ at most half the lines of
# the program's code, its C++ and the Java the dock carries (the applet viewer).
src_lines=$(git ls-files -z 'src/*.cpp' 'src/*.h' 'src/*.java' | xargs -0 cat | LC_ALL=C wc -l)
test_lines=$(git ls-files -z tests | xargs -0 cat | LC_ALL=C wc -l)
echo "lines: src/ C++ and Java $src_lines, tests/ $test_lines (bound $((src_lines / 2)))"
if [ "$test_lines" -gt $((src_lines / 2)) ]; then
  echo "tests/ has more than half as many lines as the C++ and Java under src/" >&2
  exit 1
fi

# The sources follow .clang-format.
git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' |
  xargs -0 clang-format --dry-run --Werror

cmake --preset win64 >/dev/null
cmake --build --preset win64
# The release build must build warning-free too (tests run the x86_64 build).
cmake --preset win32-release >/dev/null
cmake --build --preset win32-release

# The first failing test ends the command, so that its output comes at once.
tests/wine-session.sh ctest --preset win64 --stop-on-failure "$@"
if [ -x scripts/check-package.sh ]; then
  scripts/check-package.sh
fi
