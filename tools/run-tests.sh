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

for config in ${ALDERMARK_CONFIGS:-linux asan tsan win64 win32 fuzz}; do
  run_ctest "$config"
done
# The release artefacts of the builds above, installed and removed as users do.
configs=" ${ALDERMARK_CONFIGS:-linux asan tsan win64 win32 fuzz} "
if [[ "$configs" == *" linux "* ]]; then
  echo "=== packages: test"
  windows=()
  [[ "$configs" == *" win64 "* && "$configs" == *" win32 "* ]] && windows=("$root/build/win64" "$root/build/win32")
  if "$root/tests/install/run.sh" "$root/build/packages" "$root/build/linux" "${windows[@]}"; then
    passed=$((passed + 1))
  else
    echo "=== packages: FAILED"; failed=$((failed + 1))
  fi
fi
wineserver -k 2>/dev/null || true

echo "configurations: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
