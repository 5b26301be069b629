#!/usr/bin/env bash
# A bounded soak run against kestrel-camsim with its fault knobs: for
# SOAK_MINUTES (default 3) it drives kestrelctl transactions (sets and
# queries, a setting-file replay, a correction table, AFE and dump saves)
# while a long-lived kestrelctl terminal and the panel (offscreen) stay
# connected. It checks:
#   - no program crashes, and every kestrelctl run exits 0 (done) or 1 (failed);
#   - no success is reported for a wrong value: a query that exits 0 after a
#     set that exited 0 prints the value that was set;
#   - resident memory of the long-lived processes stays within 10 % of what
#     they held after the warm-up, and they hold no more open descriptors
#     (Qt's pooled threads give theirs back after 30 s idle: fewer is fine);
#   - every saved file is whole and no temporary file is left.
# `make soak` builds the default preset first; BUILD=dir picks another tree.
set -u
cd "$(dirname "$0")/.."
build=${BUILD:-build}
minutes=${SOAK_MINUTES:-3}
garble=${SOAK_GARBLE:-0.01}
drop=${SOAK_DROP:-0.01}
camsim=$build/tools/kestrel-camsim
ctl=$build/tools/kestrelctl
panel=$build/src/kestrel
for p in "$camsim" "$ctl"; do
  [ -x "$p" ] || { echo "soak: $p does not exist; build first (make soak)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/kestrel-soak-XXXXXX)
export KESTREL_CONFIG=$work/kestrel.ini
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# One simulated camera per client: a port is opened exclusively.
start_camsim() {  # name: sets port_<name>
  "$camsim" --no-link --baud 115200 --garble "$garble" --drop "$drop" --unsolicited 500 \
    >"$work/camsim-$1.out" 2>"$work/camsim-$1.err" &
  pids+=("$!")
  watched+=("camsim-$1:$!")
  for _ in $(seq 50); do [ -s "$work/camsim-$1.out" ] && break; sleep 0.1; done
  local path
  path=$(head -n 1 "$work/camsim-$1.out")
  [ -n "$path" ] || { echo "soak: the simulator did not start" >&2; exit 1; }
  printf -v "port_$1" '%s' "$path"
}
watched=()
start_camsim ctl
start_camsim terminal
port=$port_ctl

# A terminal that lives through the whole run, fed a line now and then.
mkfifo "$work/terminal.in"
"$ctl" --port "$port_terminal" --baud 115200 terminal <"$work/terminal.in" >"$work/terminal.out" 2>&1 &
terminal_pid=$!
pids+=("$terminal_pid")
exec 7>"$work/terminal.in"
watched+=("terminal:$terminal_pid")

if [ -x "$panel" ]; then
  start_camsim panel
  QT_QPA_PLATFORM=offscreen "$panel" --port "$port_panel" >"$work/panel.out" 2>&1 &
  panel_pid=$!
  pids+=("$panel_pid")
  watched+=("panel:$panel_pid")
fi

rss() { awk '/^VmRSS/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
fds() { ls "/proc/$1/fd" 2>/dev/null | wc -l; }

printf 'TGSM=1\r\nLR=170\r\nAR=12\r\n' >"$work/replay.cam"
runs=0 failed=0 bad=0 wrong=0
declare -A expected tries fails
tally() {  # status and name of one kestrelctl run
  runs=$((runs + 1))
  tries[$2]=$((${tries[$2]:-0} + 1))
  case $1 in
    0) ;;
    1) failed=$((failed + 1)); fails[$2]=$((${fails[$2]:-0} + 1)) ;;
    *) bad=$((bad + 1)); echo "soak: kestrelctl $2 exited $1" >&2 ;;
  esac
}

end=$((SECONDS + minutes * 60))
warm=$((SECONDS + minutes * 60 / 5))
declare -A base_rss base_fds peak_rss
round=0
while [ $SECONDS -lt $end ]; do
  round=$((round + 1))
  value=$((170 + RANDOM % 13171))  # within the line-rate range the camera takes
  "$ctl" --port "$port" --baud 115200 --timeout 500 set "LR=$value" >/dev/null 2>&1
  status=$?; tally $status set
  if [ $status -eq 0 ]; then expected[LR]=$value; else unset 'expected[LR]'; fi
  out=$("$ctl" --port "$port" --baud 115200 --timeout 500 query LR 2>/dev/null)
  status=$?; tally $status query
  if [ $status -eq 0 ] && [ -n "${expected[LR]:-}" ] && [ "$out" != "${expected[LR]}" ]; then
    wrong=$((wrong + 1)); echo "soak: query LR printed '$out' after LR=${expected[LR]} was acknowledged" >&2
  fi
  case $((round % 4)) in
    0) "$ctl" --port "$port" --baud 115200 --timeout 500 apply "$work/replay.cam" >/dev/null 2>&1; tally $? apply ;;
    1) "$ctl" --port "$port" --baud 115200 --timeout 500 lut read 1 "$work/lut.csv" >/dev/null 2>&1; tally $? lut ;;
    2) "$ctl" --port "$port" --baud 115200 --timeout 500 afe save "$work/afe.txt" >/dev/null 2>&1; tally $? afe ;;
    3) "$ctl" --port "$port" --baud 115200 --timeout 500 dump 260000 40 "$work/dump.csv" >/dev/null 2>&1; tally $? dump ;;
  esac
  echo "VN?" >&7
  for w in "${watched[@]}"; do
    name=${w%%:*} pid=${w#*:}
    if ! kill -0 "$pid" 2>/dev/null; then echo "soak: $name ended early" >&2; bad=$((bad + 1)); continue; fi
    r=$(rss "$pid")
    if [ $SECONDS -ge $warm ] && [ -z "${base_rss[$name]:-}" ]; then
      base_rss[$name]=$r base_fds[$name]=$(fds "$pid")
    fi
    [ "${r:-0}" -gt "${peak_rss[$name]:-0}" ] && peak_rss[$name]=$r
  done
done

status=0
echo "soak: $minutes min, garble $garble, drop $drop: $runs kestrelctl runs, $failed failed (exit 1), $bad bad, $wrong wrong values reported as done"
for c in "${!tries[@]}"; do printf '%s %d/%d failed  ' "$c" "${fails[$c]:-0}" "${tries[$c]}"; done
echo
[ $bad -eq 0 ] && [ $wrong -eq 0 ] || status=1
for w in "${watched[@]}"; do
  name=${w%%:*} pid=${w#*:}
  kill -0 "$pid" 2>/dev/null || continue
  r=$(rss "$pid") f=$(fds "$pid") b=${base_rss[$name]:-0} bf=${base_fds[$name]:-0}
  growth=$(awk -v a="$b" -v z="$r" 'BEGIN { printf "%.1f", a ? (z - a) * 100 / a : 0 }')
  echo "soak: $name resident ${b} kB after warm-up, ${r} kB at the end (${growth} %), peak ${peak_rss[$name]:-0} kB; descriptors $bf -> $f"
  if awk -v g="$growth" 'BEGIN { exit !(g > 10) }' || [ "$f" -gt "$bf" ]; then status=1; fi
done
left=$(find "$work" -name '.*.tmp*' | wc -l)
echo "soak: temporary files left: $left"
[ "$left" -eq 0 ] || status=1
exec 7>&-
[ $status -eq 0 ] && echo "soak: passed" || echo "soak: FAILED"
exit $status
