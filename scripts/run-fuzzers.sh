#!/usr/bin/env bash
# Runs every libFuzzer target of a build for a fixed time each; any finding fails.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=$2
shopt -s nullglob
targets=("$build"/tests/fuzz/fuzz_*)
[ ${#targets[@]} -gt 0 ] || { echo "run-fuzzers: no fuzz targets in $build" >&2; exit 1; }
# The targets' scratch folders go into a temporary folder of this run's, removed at its end
# also when a target dies on a finding.
work=$(mktemp -d -t quorel-fuzz-run-XXXXXX)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
status=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  artifacts="$build/findings/$name/"
  mkdir -p "$corpus" "$artifacts"
  seeds=$(cd "$(dirname "$0")/.." && pwd)/tests/fuzz/seeds/$name
  [ -d "$seeds" ] || seeds=""
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
       -artifact_prefix="$artifacts" -print_final_stats=0 "$corpus" $seeds >"$build/findings/$name.log" 2>&1; then
    echo "fuzz: $name found a problem; see $build/findings/$name.log" >&2
    tail -40 "$build/findings/$name.log" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "fuzz: all targets ran clean"
exit $status
