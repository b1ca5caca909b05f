#!/usr/bin/env bash
# live_cpu.sh [BUILD_DIR] [SECONDS] [SCALE]: CPU use of the whole `aldermark live` process with its
# window open and the needles moving (editor idled at 60 Hz), fed a -18 dBFS 1 kHz tone, on a
# private JACK dummy server at 48 kHz / 128 frames inside a private Xvfb, for SECONDS
# (default 60), the editor at the desktop scale SCALE (default 1, stated as GDK_SCALE). Prints
# its CPU time as a share of one core, the editor's window size and the xruns the server reported to it (the dummy
# server is not real-time: a figure, not a gate). Needs the build's
# tests/live/live_tone_client. Only processes of its own are started and ended.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/linux}" && pwd)"
seconds="${2:-60}"
scale="${3:-1}"
bench_name=live_cpu
source "$root/bench/tone_desk.sh"
xvfb-run -a -s "-screen 0 1280x800x24" env GDK_SCALE="$scale" /usr/bin/time -v "$build/bin/aldermark" live --connect '^tone:' --fresh \
  --meter vu --reference -18 --idle-hz 60 --seconds "$seconds" > "$work/live.out" 2> "$work/time.log"
awk -v seconds="$seconds" -v scale="$scale" '
  /User time \(seconds\)/ { user = $NF }
  /System time \(seconds\)/ { sys = $NF }
  /Elapsed \(wall clock\)/ { n = split($NF, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
  END { printf "aldermark live at scale %s, %s s: %.2f %% of one core (user %.2f s, system %.2f s over %.1f s)\n",
               scale, seconds, 100 * (user + sys) / s, user, sys, s }
' "$work/time.log"
grep -E '^open ' "$work/live.out" | sed 's/^open /editor window: /'
grep -E '^xruns ' "$work/live.out" | sed "s/^xruns /xruns over $seconds s at 48 kHz \/ 128 frames: /"
