# Sourced by the install tests: counted checks, a stand-in xdg-open, the manual button.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
passed=0 failed=0

# check WHAT COMMAND...: runs the command, counts and reports the outcome.
check() {
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what" >&2; fi
}
same() { [ "$1" = "$2" ] || { echo "  got:      '$1'" >&2; echo "  expected: '$2'" >&2; return 1; }; }
# The files and folders under a folder, one a line, sorted.
listing() { (cd "$1" && find . -mindepth 1 | LC_ALL=C sort); }

# A stand-in for the desktop's xdg-open, first on PATH: records its arguments in $opened.
fake_desktop() {
  fake_bin="$1/bin" opened="$1/opened"
  mkdir -p "$fake_bin"
  printf '#!/bin/sh\nprintf "%%s\\n" "$@" >> "%s"\n' "$opened" > "$fake_bin/xdg-open"
  chmod +x "$fake_bin/xdg-open"
}

# press_manual HOST...: the editor of the plug-in the host loads, in a private X server; a
# click on its manual button. Answers what xdg-open was handed (empty when nothing).
press_manual() {
  rm -f "$opened"
  local windows
  windows="$(PATH="$fake_bin:$PATH" timeout 180 xvfb-run -a -s "-screen 0 800x600x24" \
    "$here/press_manual_button.sh" "$opened" "$@" 2>&1)" || echo "$windows" >&2
  cat "$opened" 2> /dev/null
}

summary() {
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
