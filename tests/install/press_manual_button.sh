#!/usr/bin/env bash
# press_manual_button.sh LOG HOST... : runs "HOST edit ..." (the command-line host with its
# arguments: the plug-in to load, the signal) in the X display of this process, clicks the
# editor's manual button as a user does and waits until the stand-in xdg-open has written
# LOG. Ends the host afterwards in any case (a message box would keep it open). Prints the
# window titles seen, for a failure's report.
set -uo pipefail
log="$1"; shift
"$@" > /dev/null 2>&1 &
host=$!
window=""
for _ in $(seq 300); do
  window="$(xdotool search --name "aldermark edit" 2> /dev/null | head -1)"
  [ -n "$window" ] && break
  # xvfb-run can hand over its display a moment before it takes connections: a host that
  # could not open it has ended, so start it again.
  if ! kill -0 "$host" 2> /dev/null; then
    sleep 0.5
    "$@" > /dev/null 2>&1 &
    host=$!
  fi
  sleep 0.2
done
# The manual button, top right; clicked again while nothing opened (a slow first frame).
for _ in 1 2 3; do
  [ -n "$window" ] || break
  sleep 2
  xdotool mousemove --window "$window" 512 6 click 1
  for _ in $(seq 50); do [ -s "$log" ] && break; sleep 0.2; done
  [ -s "$log" ] && break
done
sleep 0.5
for w in $(xdotool search --name "." 2> /dev/null); do echo "window: $(xdotool getwindowname "$w")"; done
kill "$host" 2> /dev/null
wait "$host" 2> /dev/null
[ -s "$log" ]
