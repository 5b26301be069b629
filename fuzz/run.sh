#!/usr/bin/env bash
# Runs every fuzz harness in build dir $1 for $2 seconds each; fails on any finding.
set -euo pipefail
dir=${1:-build-fuzz}
secs=${2:-20}
shopt -s nullglob
status=0
for h in "$dir"/fuzz/fuzz_*; do
  [ -x "$h" ] || continue
  name=$(basename "$h")
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/${name#fuzz_}"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  if "$h" -max_total_time="$secs" -print_final_stats=0 "${args[@]}" >"$dir/$name.log" 2>&1; then
    echo "fuzz $name: ${secs}s, no finding"
  else
    echo "fuzz $name: FINDING (see $dir/$name.log)"; tail -n 40 "$dir/$name.log"; status=1
  fi
done
exit $status
