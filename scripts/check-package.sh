#!/bin/bash
# Builds the release ZIP from the win32-release preset and checks what users
# get: the exact file list, a 32-bit x86 executable of at most 192 KiB that
# needs only the system's own DLLs, and a Shift-JIS readme with CRLF line ends.
#   scripts/check-package.sh        (from anywhere; exits non-zero on a fault)
# PLUM_RELEASE_BUILD_DIR: the build folder (default build/win32-release).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The tools' output read below is matched in English, whatever the caller's
# language (objdump, for one, is translated).
export LC_ALL=C
build=${PLUM_RELEASE_BUILD_DIR:-build/win32-release}
max_exe_size=196608

fail() {
  echo "check-package: FAILED: $*" >&2
  exit 1
}

for tool in cmake cpack unzip file i686-w64-mingw32-objdump iconv; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

cmake --preset win32-release -B "$build"
cmake --build "$build"
(cd "$build" && cpack -G ZIP)

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip="$build/plum_dock-${version}-win32.zip"
[ -n "$version" ] && [ -f "$zip" ] || fail "package $zip was not made"
echo "check-package: checking $zip"

expected=$'help.html\nhelp/index.html\nplum_dock.exe\nreadme.txt'
actual=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
  fail "$zip holds"$'\n'"$actual"$'\n'"instead of"$'\n'"$expected"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
exe="$work/plum_dock.exe"

description=$(file -b "$exe")
case "$description" in
  PE32+*) fail "plum_dock.exe is 64-bit: $description" ;;
  PE32\ *Intel\ 80386* | PE32\ *Intel\ i386*) ;;
  *) fail "plum_dock.exe is not a PE32 executable for Intel 80386: $description" ;;
esac
i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386' ||
  fail "objdump does not read plum_dock.exe as pei-i386"
exe_size=$(stat -c %s "$exe")
[ "$exe_size" -le "$max_exe_size" ] ||
  fail "plum_dock.exe is $exe_size bytes, more than $max_exe_size ($((max_exe_size / 1024)) KiB)"

system_dlls='kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt'
allowed="^(${system_dlls}|api-ms-win-.*)\\.dll$"
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "objdump lists no DLLs for plum_dock.exe"
unexpected=$(grep -Ev "$allowed" <<<"$dlls" || true)
[ -z "$unexpected" ] || fail "plum_dock.exe needs DLLs that Windows does not have: $unexpected"

readme="$work/readme.txt"
iconv -f CP932 -t UTF-8 "$readme" >/dev/null 2>&1 ||
  fail "readme.txt is not Shift-JIS (code page 932)"
if iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 &&
  LC_ALL=C grep -q $'[\x80-\xff]' "$readme"; then
  fail "readme.txt is still UTF-8"
fi
lf=$(tr -cd '\n' <"$readme" | wc -c)
crlf=$(LC_ALL=C grep -c $'\r$' "$readme" || true)
[ "$lf" -gt 0 ] && [ "$lf" -eq "$crlf" ] || fail "readme.txt lines do not all end in CRLF"

for page in help.html help/index.html; do
  cmp -s "$work/$page" "src/browser/help/$page" || fail "$page differs from src/browser/help/$page"
done

echo "check-package: OK: $zip"
echo "  plum_dock.exe: $exe_size bytes (at most $max_exe_size)"
echo "$dlls" | sed 's/^/  needs /'
