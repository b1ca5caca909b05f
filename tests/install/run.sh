#!/usr/bin/env bash
# run.sh OUT_DIR CONFIG_BUILDS...: the release artefacts made by tools/package.sh from the
# suite's builds (linux, and win64 with win32 when given) installed and removed as users do.
# usage: run.sh OUT_DIR LINUX_BUILD [WIN64_BUILD WIN32_BUILD]
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$1" linux="$2" win64="${3:-}" win32="${4:-}"
root="$(cd "$here/../.." && pwd)"
status=0
rm -rf "$out"
mkdir -p "$out"
if [ -n "$win64" ]; then
  ALDERMARK_LINUX_BUILD="$linux" ALDERMARK_WIN64_BUILD="$win64" ALDERMARK_WIN32_BUILD="$win32" \
    "$root/tools/package.sh" "$out" || exit 1
  "$here/linux_test.sh" "$linux" "$out"/zeb-aldermark_*_amd64.deb || status=1
  "$here/windows_test.sh" "$win64" "$win32" "$out"/ZEB-Aldermark-*-setup.exe || status=1
else
  cmake --build "$linux" --target aldermark_plugin aldermark_clap manual > /dev/null || exit 1
  "$root/packaging/debian/make-deb.sh" "$linux" "$out" > /dev/null || exit 1
  "$here/linux_test.sh" "$linux" "$out"/zeb-aldermark_*_amd64.deb || status=1
fi
exit "$status"
