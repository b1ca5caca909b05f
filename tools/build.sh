#!/usr/bin/env bash
# build.sh CONFIG: configures and builds one of the project's builds under build/CONFIG.
#   linux      native release build with tests, benchmarks and the plug-in
#   asan       native debug build with AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan       native debug build with ThreadSanitizer
#   win64      Windows x64 build (MinGW-w64)
#   win32      Windows x86 build (MinGW-w64, SSE2 arithmetic)
#   fuzz       clang build of the libFuzzer targets with AddressSanitizer and UBSan
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
config="$1"
# ALDERMARK_BUILD_DIR puts the build elsewhere (several builds of one configuration side by side).
dir="${ALDERMARK_BUILD_DIR:-$root/build/$config}"
mkdir -p "$(dirname "$dir")"
args=(-G Ninja -S "$root" -B "$dir" -DALDERMARK_TESTS=ON)
case "$config" in
  linux) args+=(-DCMAKE_BUILD_TYPE=Release -DALDERMARK_BENCH=ON) ;;
  asan)  args+=(-DCMAKE_BUILD_TYPE=Debug -DALDERMARK_SANITIZE=address) ;;
  tsan)  args+=(-DCMAKE_BUILD_TYPE=Debug -DALDERMARK_SANITIZE=thread) ;;
  win64) args+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
  fuzz)  args+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
               -DALDERMARK_SANITIZE=address -DALDERMARK_FUZZ=ON -DALDERMARK_GUI=OFF -DALDERMARK_TESTS=OFF
               "-DALDERMARK_FOLDERS=platform;model;metering;core;vst2;fuzz") ;;
  win32) args+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
  *) echo "build.sh: unknown configuration '$config'" >&2; exit 2 ;;
esac
cmake "${args[@]}" > "$dir.configure.log" 2>&1 || { mkdir -p "$dir"; cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j "$(nproc)"
