#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine (idempotent).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3 python3-fonttools
  libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1-mesa-dri
  xvfb xauth xdotool x11-apps
  libcairo2-dev libx11-dev libxext-dev libxtst-dev libfreetype-dev libpng-dev libfontconfig-dev
  fonts-dejavu-core fonts-liberation
  python3-markdown dpkg-dev lintian nsis zip
  clang libclang-rt-14-dev
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
