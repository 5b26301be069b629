#!/usr/bin/env bash
# Runs every fuzz harness in build dir $1 for $2 seconds each, starting from
# its seeds; prints the executions per second and fails on any finding.
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
  corpus=$(realpath "$corpus")  # a harness may change its working folder
  seeds=$(realpath "fuzz/seeds/${name#fuzz_}")
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  # QSettings rebuilds "@Variant(…)" values through QDataStream, which may
  # ask for gigabytes on a damaged length (20 GB seen), never touches them and
  # handles a refusal. ASan would map the shadow of such a block and pass the
  # fuzzer's memory limit, so here it refuses anything above 1 GB instead.
  opts=${ASAN_OPTIONS:-}
  [ "$name" = fuzz_settings_store ] &&
    opts="${opts:+$opts:}allocator_may_return_null=1:max_allocation_size_mb=1024"
  if ASAN_OPTIONS=$opts "$h" -max_total_time="$secs" -print_final_stats=1 "${args[@]}" </dev/null >"$dir/$name.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/$name.log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/$name.log" | tail -n 1)
    note=""
    [ "${rate:-0}" -lt 1000 ] && note=" (below 1000 exec/s)"
    printf 'fuzz %-34s %3ss %10s runs %7s exec/s, no finding%s\n' "$name:" "$secs" "${runs:-?}" "${rate:-?}" "$note"
  else
    echo "fuzz $name: FINDING (see $dir/$name.log)"; tail -n 40 "$dir/$name.log"; status=1
  fi
done
exit $status
