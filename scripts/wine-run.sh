#!/usr/bin/env bash
# Runs a Windows test program under Wine, in a prefix of the build's own that is
# created once. Usage: wine-run.sh [--winver winxp|win98|...] program.exe [args...]
# A missing Wine is a failure, never a skip.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
winver=""
if [ "${1:-}" = "--winver" ]; then
  winver=$2
  shift 2
fi
[ $# -ge 1 ] || { echo "usage: wine-run.sh [--winver VERSION] program.exe [args...]" >&2; exit 2; }
program=$1
shift

if ! command -v wine >/dev/null 2>&1; then
  echo "wine-run: wine is not installed; run scripts/bootstrap.sh" >&2
  exit 1
fi

export WINEPREFIX=${QUOREL_WINEPREFIX:-$here/../build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"

# Create the prefix once; concurrent tests wait for the first one to finish it.
(
  flock 9
  if [ ! -f "$WINEPREFIX/.quorel-ready" ]; then
    echo "wine-run: creating the Wine prefix $WINEPREFIX (once; slow where 32-bit code is emulated)" >&2
    rm -rf "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quorel-ready"
  fi
) 9>"$WINEPREFIX.lock"

if [ -n "$winver" ]; then
  # Wine reports the release per program name: run a copy under a name of its own.
  base=$(basename "$program" .exe)
  workdir=$(mktemp -d)
  trap 'rm -rf "$workdir"' EXIT
  copy="$workdir/$base-$winver.exe"
  cp "$program" "$copy"
  # reg.exe is a 64-bit program: the 64-bit loader runs it natively, much faster.
  reg_loader=wine
  [ -x /usr/lib/wine/wine64 ] && reg_loader=/usr/lib/wine/wine64
  "$reg_loader" reg add "HKCU\\Software\\Wine\\AppDefaults\\$base-$winver.exe" /v Version /d "$winver" /f \
    </dev/null >/dev/null 2>&1
  program=$copy
fi

# Wine's own console noise goes to stderr; the program's output and exit code pass through.
wine "$program" "$@" </dev/null
