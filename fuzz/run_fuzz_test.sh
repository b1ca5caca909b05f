#!/bin/sh
# run_fuzz_test.sh FOUND SEEDS TARGET ARGS...: one bounded fuzz run that every machine judges
# alike. libFuzzer orders its seeds by size only, so seeds of equal size would run in the
# order the file system lists them: every seed must have a size of its own. What the run
# finds goes to FOUND, emptied first, so no run starts from what an earlier one found.
set -eu
found="$1" seeds="$2"
shift 2
sizes="$(find "$seeds" -maxdepth 1 -type f -printf '%s\n' | sort -n)"
if [ "$(printf '%s\n' "$sizes" | uniq -d)" != "" ]; then
  echo "run_fuzz_test.sh: seeds in $seeds share a size; give each its own" >&2
  exit 2
fi
rm -rf "$found"
mkdir -p "$found"
exec "$@" "$found" "$seeds"
