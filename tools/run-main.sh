#!/usr/bin/env bash
# Sets everything up, builds the native release and runs the main job: the metering demo of
# the command-line host.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/build.sh" linux
"$root/build/linux/bin/aldermark" demo --pictures "$root/out/pictures"
