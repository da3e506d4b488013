#!/usr/bin/env bash
# Tells whether a test run left anything of ours in the temporary folder: "record" keeps the
# names there that begin with quorel or pindrel; "compare" fails, naming them, on any such
# name that was not there when the run began.
# Usage: check-temp.sh record|compare LIST_FILE
set -euo pipefail
temporary=${TMPDIR:-/tmp}
ours() { find "$temporary" -mindepth 1 -maxdepth 1 \( -name 'quorel*' -o -name 'pindrel*' \) -printf '%f\n' | sort; }
case ${1:-} in
  record)
    ours >"$2"
    ;;
  compare)
    left=$(comm -13 "$2" <(ours))
    if [ -n "$left" ]; then
      echo "check-temp: the tests left these in $temporary:" >&2
      echo "$left" | sed 's/^/  /' >&2
      exit 1
    fi
    echo "check-temp: the tests left nothing in $temporary"
    ;;
  *)
    echo "usage: check-temp.sh record|compare LIST_FILE" >&2
    exit 2
    ;;
esac
