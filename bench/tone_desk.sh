# Sourced by the CPU benches: a private JACK dummy server at 48 kHz / 128 frames named after
# the bench, the live tests' tone client playing a -18 dBFS 1 kHz sine on it (tone:out_1,
# tone:out_2), a scratch folder $work, and all of it ended when the bench exits.
# Expects $build (the build folder) and $bench_name.
tone="$build/tests/live/live_tone_client"
[ -x "$tone" ] || { echo "$bench_name: build the live_tone_client target first" >&2; exit 1; }
work="$(mktemp -d)"
export JACK_DEFAULT_SERVER="aldermark-$bench_name-$$" XDG_CONFIG_HOME="$work/config"
jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 128 > "$work/jackd.log" 2>&1 &
jackd_pid=$!
tone_pid=
cleanup() {
  [ -n "$tone_pid" ] && kill "$tone_pid" 2> /dev/null || true
  kill "$jackd_pid" 2> /dev/null || true
  wait 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
timeout 20 jack_wait -s "$JACK_DEFAULT_SERVER" -w > /dev/null 2>&1
"$tone" > "$work/tone.log" 2>&1 &
tone_pid=$!
for _ in $(seq 100); do grep -q ready "$work/tone.log" && break; sleep 0.1; done
