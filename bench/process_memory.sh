#!/usr/bin/env bash
# process_memory.sh [BUILD_DIR] [FOLDER]: peak memory and speed of `aldermark process` on a
# 1-hour 48 kHz stereo programme, as 16-bit WAV and as FLAC (made once in FOLDER, default
# /tmp/aldermark-bench; about 700 MB and 300 MB, never committed). Prints for each input the
# maximum resident set size (from /usr/bin/time -v) and the real-time factor.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/linux}"
folder="${2:-/tmp/aldermark-bench}"
"$build/bench/audio_file_bench" --make-files "$folder"
for input in "$folder/hour.wav" "$folder/hour.flac"; do
  /usr/bin/time -v "$build/bin/aldermark" process --input "$input" --output "$folder/out.wav" 2> "$folder/time.log"
  awk -v input="$(basename "$input")" '
    /Maximum resident set size/ { rss = $NF }
    /Elapsed \(wall clock\)/ { n = split($NF, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
    END { printf "%-10s peak memory %6.1f MB   %6.0f x real time (%.1f s for 3600 s)\n", input, rss / 1024, 3600 / s, s }
  ' "$folder/time.log"
done
rm -f "$folder/out.wav" "$folder/time.log"
