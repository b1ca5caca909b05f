#!/usr/bin/env bash
# Sets everything up, builds every configuration and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
source "$root/tools/wine-env.sh"

failed=0
passed=0
run_ctest() {
  local config="$1"
  echo "=== $config: build"
  if ! "$root/tools/build.sh" "$config"; then
    echo "=== $config: BUILD FAILED"; failed=$((failed + 1)); return
  fi
  echo "=== $config: test"
  if (cd "$root/build/$config" && ctest --output-on-failure); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
}

for config in ${ALDERMARK_CONFIGS:-linux asan tsan win64 win32}; do
  run_ctest "$config"
done
wineserver -k 2>/dev/null || true

echo "configurations: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
