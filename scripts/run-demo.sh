#!/usr/bin/env bash
# Shows the demo menu with the Linux build: in the current display when there is one, else on a
# private Xvfb display, saving the window's picture to build/run.png. Used by `make run`.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=$root/build/linux/quorel
[ -x "$program" ] || { echo "run-demo: $program is missing; run 'make run'" >&2; exit 1; }
cd "$root/demo"
if [ -n "${DISPLAY:-}" ]; then
  "$program"
  exit
fi
# Debian's python3, which has python3-xlib (a python3 earlier on the PATH may not).
python=/usr/bin/python3
[ -x "$python" ] || python=python3
echo "run-demo: no DISPLAY; showing the menu on a private Xvfb display"
"$python" "$root/tests/e2e/snapshot.py" --quorel "$program" --out "$root/build/run.png"
echo "run-demo: the picture is $root/build/run.png"
