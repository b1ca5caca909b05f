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
  libsndfile1-dev jackd2 libjack-jackd2-dev
  lv2-dev liblilv-dev lilv-utils x42-plugins
  jalv qtractor ardour
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
  # A mirror in mid-sync can fail one index for a while: try again, then go on with the
  # lists that did arrive and let the install say what, if anything, is missing.
  for attempt in 1 2 3 4; do
    "${sudo_cmd[@]}" apt-get update -qq && break
    echo "setup: apt-get update failed (attempt $attempt of 4)"
    [ "$attempt" -lt 4 ] && sleep $((attempt * 15))
  done
  install=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
  if ! "${install[@]}" "${missing[@]}"; then
    # With one architecture's update index missing, the two architectures' candidates of a
    # shared library differ and cannot be installed together: take both from the release
    # itself, whose indexes did arrive for every architecture.
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
    echo "setup: installing again from $codename's own archive"
    "${install[@]}" -t "$codename" "${missing[@]}"
  fi
fi
