#!/usr/bin/env bash
# lv2_ui_cpu.sh [BUILD_DIR] [SECONDS]: CPU use of our LV2 UI in jalv.gtk3 beside our VST 2.4
# editor in `aldermark live`, one after the other on the same private JACK dummy server
# (48 kHz / 128 frames) inside a private Xvfb, each fed the -18 dBFS 1 kHz test tone with its
# needles moving for SECONDS (default 30). Both editors draw from their own 60 Hz timer
# thread ("editor-timer"): its CPU time per frame is the editor's cost, apart from what the
# host around it spends. Whole-process shares are printed as well. Needs the build's tests/live/live_tone_client and
# the LV2 bundle; only processes of its own are started and ended.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/linux}" && pwd)"
seconds="${2:-30}"
bench_name=lv2_ui_cpu
source "$root/bench/tone_desk.sh"
export LV2_PATH="$build/bin/lv2"

share() {  # share NAME TIME_LOG: the process's CPU time over its wall time
  awk -v name="$1" '
    /User time \(seconds\)/ { user = $NF }
    /System time \(seconds\)/ { sys = $NF }
    /Elapsed \(wall clock\)/ { n = split($NF, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
    END { printf "%s: %.2f %% of one core (user %.2f s, system %.2f s over %.1f s)\n",
                 name, 100 * (user + sys) / s, user, sys, s }' "$2"
}

timer_ms() {  # timer_ms PID: CPU milliseconds of the process's editor-timer thread so far
  local total=0
  for task in /proc/"$1"/task/*; do
    [ "$(cat "$task/comm" 2> /dev/null)" = editor-timer ] || continue
    read -r -a f < <(sed 's/^.*) //' "$task/stat")
    total=$((total + (f[11] + f[12]) * 1000 / $(getconf CLK_TCK)))
  done
  echo "$total"
}

# jalv connects nothing itself: the tone goes to its inputs once its client is there.
cat > "$work/jalv.sh" << SCRIPT
$(declare -f timer_ms)
jalv.gtk3 --jack-name aldermark-ui https://kestrune-zeb.com/plugins/aldermark > "$work/jalv.out" 2>&1 &
pid=\$!
for _ in \$(seq 100); do jack_lsp 2> /dev/null | grep -q '^aldermark-ui:in_r' && break; sleep 0.1; done
jack_connect tone:out_1 aldermark-ui:in_l || true
jack_connect tone:out_2 aldermark-ui:in_r || true
sleep "$seconds"
echo "\$(timer_ms \$pid)" > "$work/jalv-timer"
kill -INT \$pid
wait \$pid || true
SCRIPT
xvfb-run -a -s "-screen 0 800x600x24" /usr/bin/time -v bash "$work/jalv.sh" > /dev/null 2> "$work/jalv-time.log"
share "LV2 UI in jalv.gtk3, $seconds s" "$work/jalv-time.log"
cat > "$work/live.sh" << SCRIPT
$(declare -f timer_ms)
"$build/bin/aldermark" live --connect '^tone:' --fresh --meter vu --reference -18 --idle-hz 60 \
  --seconds "$((seconds + 2))" > "$work/live.out" 2>&1 &
pid=\$!
sleep "$seconds"
echo "\$(timer_ms \$pid)" > "$work/live-timer"
wait \$pid || true
SCRIPT
xvfb-run -a -s "-screen 0 800x600x24" /usr/bin/time -v bash "$work/live.sh" > /dev/null 2> "$work/live-time.log"
share "VST 2.4 editor in aldermark live, $seconds s" "$work/live-time.log"
frames=$((seconds * 60))
for which in jalv live; do
  ms=$(cat "$work/$which-timer")
  awk -v ms="$ms" -v frames="$frames" -v which="$which" 'BEGIN {
    printf "editor-timer thread in %s: %d ms of CPU, %.3f ms per frame at 60 Hz\n", which, ms, ms / frames }'
done
