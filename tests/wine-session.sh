#!/bin/bash
# Runs a command in the Wine test bed (README: "The test bed"): the build folder's prefix, code
# page 932, drive D: and the temp folder emptied, one wineserver for the command, a virtual display
# of its own; of the caller's environment only PATH and PLUM_LOAD_ROUNDS reach it.
#   tests/wine-session.sh [--build DIR (build/win64)] [--display (the caller's)] [--dpi N] command
# --dpi: the screen at N DPI, in a prefix of its own sharing drive C:.
set -euo pipefail
if [[ ${1:-} != --clean ]]; then
  build=$(cd "$(dirname "$0")/.." && pwd)/build/win64 x=(xvfb-run -a -s "-screen 0 1280x1024x24") dpi=0
  while [[ ${1:-} == --* ]]; do
    case $1 in
      --build) build=$(realpath -m "$2") && shift ;;
      --display) x=(env DISPLAY="${DISPLAY:-}" ${XAUTHORITY:+XAUTHORITY="$XAUTHORITY"}) ;;
      --dpi) dpi=$2 && shift ;;
      *) echo "wine-session.sh: unknown option $1" >&2 && exit 2 ;;
    esac
    shift
  done
  # No address randomization: now and then it maps something where Wine puts a new process's
  # shared user data, and that process fails to start.
  exec env -i PATH="$PATH" HOME="$(getent passwd "$(id -u)" | cut -d: -f6)" USER="$(id -un)" \
    ${PLUM_LOAD_ROUNDS:+PLUM_LOAD_ROUNDS="$PLUM_LOAD_ROUNDS"} setarch "$(uname -m)" -R "${x[@]}" \
    "$0" --clean "$build" "$dpi" "$@"
fi
build=$2 dpi=$3
shift 3
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEPREFIX=$build/wineprefix
# comdlg32, comctl32 native first, so that a copy planted beside a program loads as on Windows.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;comdlg32,comctl32=n,b"
# Wine draws the frames itself, as Windows does: captions and close boxes without a window manager.
[ -f "$WINEPREFIX/system.reg" ] || { wineboot -i &&
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f && wineserver -w; } >/dev/null 2>&1
# The GUI tests run xdotool via sh.exe: Wine starts a Linux program so named but does not wait.
mkdir -p "$build/drive_d" "$build/share" "$build/test_tools/jdk 17/bin" "$WINEPREFIX/dosdevices/unc/plum"
ln -sfn "$build/drive_d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$(command -v sh)" "$build/test_tools/sh.exe"
ln -sfn "$build/share" "$WINEPREFIX/dosdevices/unc/plum/share"  # \\plum\share
for tool in java javac jar; do  # the machine's JDK
  ln -sfn "$(readlink -f "$(command -v $tool)")" "$build/test_tools/jdk 17/bin/$tool.exe"
done
# A java that reads what a test wrote to "jdk input/input.txt" as its standard input, the bytes a
# console gives what the learner types; Wine gives a Linux program /dev/null.
input="$build/test_tools/jdk input"
mkdir -p "$input/bin"
printf '#!/bin/sh\nexec "%s" "$@" <"%s/input.txt"\n' "$(readlink -f "$(command -v java)")" "$input" \
  >"$input/bin/java.exe"
chmod +x "$input/bin/java.exe"
# The applet viewer's java, a JDK 17 by its release file. A Linux java cannot open a Windows path:
# each argument that is one (C:\..., any drive) goes as its Linux path. Wine's cmd.exe does not wait
# for a Linux program, so bin/exit_code.txt gets java's exit code when it ends.
bridge="$build/test_tools/jdk bridge"
mkdir -p "$bridge/bin"
echo 'JAVA_VERSION="17.0.15"' >"$bridge/release"
{ printf '#!/bin/sh\nexport WINEPREFIX="%s"\nwinepath="%s" java="%s" bin="%s"\n' "$WINEPREFIX" \
    "$(command -v winepath)" "$(readlink -f "$(command -v java)")" "$bridge/bin"
  cat <<'EOF'
rm -f "$bin/exit_code.txt"
for a; do
  case $a in [A-Za-z]:\\*) a=$("$winepath" -u "$a") ;; esac
  shift
  set -- "$@" "$a"
done
"$java" "$@"
echo $? >"$bin/exit_code.txt"
EOF
} >"$bridge/bin/java.exe"
chmod +x "$bridge/bin/java.exe"
export PLUM_TEST_TOOLS="Z:${build//\//\\}\\test_tools"
[ "$dpi" = 0 ] || base=$WINEPREFIX
[ "$dpi" = 0 ] || export WINEPREFIX=$build/wineprefix-dpi$dpi PLUM_TEST_DPI=$dpi
# What an earlier run left goes: this prefix's wineserver (old display, registry), D: (with the
# folders a test made immutable), Temp, the dock's folder in the user's application data.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
if [ "$dpi" != 0 ]; then  # the registry is read when the prefix's wineserver starts
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  cp -a "$base"/*.reg "$base/.update-timestamp" "$base/dosdevices" "$WINEPREFIX/"
  ln -s "$base/drive_c" "$WINEPREFIX/drive_c"
  sed -i "/^\[Control Panel\\\\\\\\Desktop\]/a \"LogPixels\"=dword:$(printf %08x "$dpi")" "$WINEPREFIX/user.reg"
else
  chattr -R -i "${build:?}"/drive_d 2>/dev/null || true
  rm -rf "${build:?}"/drive_d/* "$build"/share/* "$WINEPREFIX"/drive_c/users/*/Temp/* \
    "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/PLUM_DOCK
fi
# The wineserver and Wine's services start now, without a test's output pipe for a runner to wait
# on. A DPI session is the test itself, so a time-out's kill ends it; its server goes 5 s after.
if [ "$dpi" != 0 ]; then wineserver -p5; else wineserver -p; fi </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
if [ "$dpi" = 0 ]; then  # JDKs a test registered, application data it moved (at its time-out)
  {
    for view in '' 'WOW6432Node\'; do
      for key in 'JavaSoft\JDK' 'JavaSoft\Java Development Kit' 'Eclipse Adoptium' 'Microsoft\JDK' \
        'Azul Systems'; do
        echo "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\$view$key]"
      done
    done
    echo '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders]'
    printf '"AppData"=hex(2):%s\n' "$(printf '%s\0' '%USERPROFILE%\AppData\Roaming' |
      od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//')"
  } | sed '1i REGEDIT4' >"$WINEPREFIX/drive_c/jdks.reg"
  wine regedit /s 'C:\jdks.reg' </dev/null >/dev/null 2>&1
fi
[ "$dpi" = 0 ] || exec "$@"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$@"
