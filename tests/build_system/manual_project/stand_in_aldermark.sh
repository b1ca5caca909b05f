#!/bin/sh
# Stands in for aldermark signal and render: writes a few bytes to the file after --out, into
# a folder that must exist, as the real program needs.
while [ $# -gt 0 ]; do
  if [ "$1" = --out ]; then printf 'stand-in\n' > "$2" || exit 1; fi
  shift
done
