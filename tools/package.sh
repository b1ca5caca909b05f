#!/usr/bin/env bash
# package.sh [OUT_DIR]: every release artefact in one folder (default out/release): the Debian
# package, the Windows installer and a zip of the binaries with the manual, plus SHA256SUMS.
# Builds the three release builds it needs (build/release, build/release-win64,
# build/release-win32, tests off) unless ALDERMARK_LINUX_BUILD, ALDERMARK_WIN64_BUILD and
# ALDERMARK_WIN32_BUILD name builds to take the binaries from (they are brought up to date).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/out/release}"
version="$(sed -n 's/^project(ZEBAldermark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"

# release_build DIR TOOLCHAIN TARGETS...: configures DIR when new, builds the targets.
release_build() {
  local dir="$1" toolchain="$2"; shift 2
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    local args=(-G Ninja -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DALDERMARK_TESTS=OFF)
    [ -n "$toolchain" ] && args+=("-DCMAKE_TOOLCHAIN_FILE=$root/cmake/$toolchain")
    cmake "${args[@]}" > /dev/null
  fi
  cmake --build "$dir" --target "$@"
}
linux="${ALDERMARK_LINUX_BUILD:-$root/build/release}"
win64="${ALDERMARK_WIN64_BUILD:-$root/build/release-win64}"
win32="${ALDERMARK_WIN32_BUILD:-$root/build/release-win32}"
release_build "$linux" "" aldermark_plugin aldermark_lv2 aldermark_clap aldermark manual
release_build "$win64" mingw-x86_64.cmake aldermark_plugin aldermark_clap
release_build "$win32" mingw-i686.cmake aldermark_plugin aldermark_clap

rm -rf "$out"
mkdir -p "$out"
"$root/packaging/debian/make-deb.sh" "$linux" "$out" > /dev/null
"$root/packaging/windows/make-installer.sh" "$win64" "$win32" "$linux" "$out" > /dev/null

zip_root="$(mktemp -d)"
trap 'rm -rf "$zip_root"' EXIT
files="$zip_root/ZEB-Aldermark-$version"
mkdir -p "$files/Windows x64" "$files/Windows x86" "$files/Linux x86-64"
cp "$win64/bin/ZEB Aldermark_x64.dll" "$win64/bin/clap/ZEB Aldermark.clap" "$files/Windows x64/"
cp "$win32/bin/ZEB Aldermark.dll" "$win32/bin/clap/ZEB Aldermark.clap" "$files/Windows x86/"
cp "$linux/bin/ZEB Aldermark.so" "$linux/bin/clap/ZEB Aldermark.clap" "$files/Linux x86-64/"
cp -r "$linux/manual" "$files/Manual"
cp "$linux/resources/generated/ZEBAldermark-LICENSE.txt" "$files/Font licence.txt"
(cd "$zip_root" && zip -qr -X "$out/ZEB-Aldermark-$version-binaries.zip" "ZEB-Aldermark-$version")
(cd "$out" && sha256sum -- *.deb *.exe *.zip > SHA256SUMS)
ls -1 "$out"
