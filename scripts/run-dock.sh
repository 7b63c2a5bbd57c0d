#!/bin/bash
# Builds the dock and starts it under Wine from build/dock/.
# With a display ($DISPLAY) the dock stays until you close it. Without one it
# runs on a virtual display, writes a screenshot to build/dock/screenshot.png
# and ends. When this machine has a JDK, "java" and "javac" in the dock's
# scripts reach it, so a dropped .java file compiles and runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target plum_dock

dock="$root/build/dock"
mkdir -p "$dock/help" "$root/build/jdk-bridge"
cp build/win64/src/plum_dock.exe "$dock/"
cp src/browser/help/help.html "$dock/"
cp src/browser/help/help/index.html "$dock/help/"

# Wine starts a Linux program reached through a name ending in .exe. java is a
# script that hands it each Windows absolute path as its Linux path: a Linux
# java cannot open C:\... (the applet viewer that the dock writes is one).
rm -f "$root"/build/jdk-bridge/*.exe
for tool in javac appletviewer; do
  if command -v "$tool" >/dev/null 2>&1; then
    ln -s "$(readlink -f "$(command -v "$tool")")" "$root/build/jdk-bridge/$tool.exe"
  fi
done
if command -v java >/dev/null 2>&1; then
  cat >"$root/build/jdk-bridge/java.exe" <<EOF
#!/bin/sh
export WINEPREFIX="$root/build/win64/wineprefix"
for a; do
  case \$a in [A-Za-z]:\\\\*) a=\$(winepath -u "\$a") ;; esac
  shift; set -- "\$@" "\$a"
done
exec "$(readlink -f "$(command -v java)")" "\$@"
EOF
  chmod +x "$root/build/jdk-bridge/java.exe"
fi
bridge="WINEPATH=Z:${root//\//\\}\\build\\jdk-bridge"

if [ -n "${DISPLAY:-}" ]; then
  exec tests/wine-session.sh --display env "$bridge" wine "$dock/plum_dock.exe"
fi

tests/wine-session.sh bash -c '
  cd "$1"
  env "$2" wine plum_dock.exe &
  for i in $(seq 1 100); do
    xdotool search --onlyvisible --name "ＰＬＵＭ" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 2
  xdotool search --onlyvisible --name "ＰＬＵＭ" windowraise >/dev/null 2>&1 || true
  sleep 0.5
  import -window root -crop 640x480+0+0 "$1/screenshot.png"
  echo "The dock ran on a virtual display; screenshot: $1/screenshot.png"
  wineserver -k' sh "$dock" "$bridge"
