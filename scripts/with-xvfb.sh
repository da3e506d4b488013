#!/usr/bin/env bash
# Runs a command with DISPLAY set to an Xvfb server of its own (a free display number, 24-bit
# screen), stopped afterwards. Usage: with-xvfb.sh command [args...]; exits with the command's code.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: with-xvfb.sh command [args...]" >&2; exit 2; }
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "with-xvfb: Xvfb is not installed; run scripts/bootstrap.sh" >&2
  exit 1
fi

workdir=$(mktemp -d)
server=""
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$workdir/display" >"$workdir/log" 2>&1 &
server=$!
for _ in $(seq 300); do
  grep -q '^[0-9][0-9]*$' "$workdir/display" 2>/dev/null && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "with-xvfb: Xvfb did not start:" >&2
    cat "$workdir/log" >&2
    exit 1
  fi
  sleep 0.1
done
if ! grep -q '^[0-9][0-9]*$' "$workdir/display"; then
  echo "with-xvfb: Xvfb gave no display number within 30 s" >&2
  exit 1
fi

status=0
DISPLAY=":$(cat "$workdir/display")" "$@" || status=$?
exit "$status"
