#!/bin/bash
# Installs the Debian packages that building and testing need, when they are
# missing, and generates the ja_JP.UTF-8 locale (Wine takes code page 932,
# Shift-JIS, from it). As root it does the work; otherwise it prints the
# commands to run and stops.
set -euo pipefail

packages=(
  cmake ninja-build file zip unzip clang-format
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest
  wine wine64
  xvfb xauth xdotool x11-utils imagemagick fonts-ipafont-gothic python3-xlib
  locales openjdk-17-jdk
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
need_locale=false
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || need_locale=true

if [ ${#missing[@]} -eq 0 ] && ! $need_locale; then
  exit 0
fi

commands=()
[ ${#missing[@]} -gt 0 ] && commands+=(
  "apt-get update"
  "DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}")
$need_locale && commands+=(
  "sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen"
  "grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen"
  "locale-gen")

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages or locale. Run these as root, then try again:" >&2
  printf '  %s\n' "${commands[@]}" >&2
  exit 1
fi
for c in "${commands[@]}"; do
  echo "+ $c"
  bash -c "$c"
done
