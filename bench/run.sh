#!/usr/bin/env bash
# Runs every benchmark program in build/bench, then the line-speed comparison
# of kestrelctl and a pyserial script against the pacing camera simulator, then
# how soon the panel and kestrelctl are usable whichever speed the camera is at.
# `make bench` builds the default preset first; BUILD=dir picks another tree.
set -u
cd "$(dirname "$0")/.."
build=${BUILD:-build}
status=0

if [ ! -d "$build/bench" ]; then
  echo "bench: $build/bench does not exist; build first (make bench)" >&2
  exit 1
fi

for prog in "$build"/bench/*; do
  [ -f "$prog" ] && [ -x "$prog" ] || continue
  echo "== $(basename "$prog")"
  "$prog" || { echo "   ($(basename "$prog") failed with status $?)"; status=1; }
  echo
done

echo "== line speed"
if [ -x "$build/tools/kestrel-camsim" ] && /usr/bin/python3 -c 'import serial' 2>/dev/null; then
  /usr/bin/python3 bench/line_speed.py "$build" "${ROUNDS:-5}" || status=1
else
  echo "   skipped: needs $build/tools/kestrel-camsim and Debian's python3-serial"
fi

echo
echo "== start to ready"
if [ -x "$build/src/kestrel" ] && [ -x "$build/tools/kestrel-camsim" ] && [ -x "$build/tools/kestrelctl" ]; then
  /usr/bin/python3 bench/start_to_ready.py "$build" "${ROUNDS:-5}" || status=1
else
  echo "   skipped: needs $build/src/kestrel, $build/tools/kestrel-camsim and $build/tools/kestrelctl"
fi
exit $status
