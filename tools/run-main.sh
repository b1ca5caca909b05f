#!/usr/bin/env bash
# Sets everything up, builds the native release and runs the main job: the metering demo.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/build.sh" linux
"$root/build/linux/tools/meter_demo/meter_demo"
