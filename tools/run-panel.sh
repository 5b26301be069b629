#!/usr/bin/env bash
# Starts the panel on the built-in simulated camera (what `make run` does
# after building). Without a display it renders offscreen, saves a screenshot
# and prints what the panel read from the camera.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/src/kestrel
if [[ ! -x $bin ]]; then
  echo "run-panel: $bin is missing; build first (make build)." >&2
  exit 1
fi

# A simulator run keeps its settings apart from the user's real ones unless
# the caller chose a file.
: "${KESTREL_CONFIG:=$PWD/build/kestrel-run.ini}"
export KESTREL_CONFIG

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  shot=$PWD/build/panel.png
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty): rendering offscreen."
  QT_QPA_PLATFORM=offscreen "$bin" --simulator --screenshot "$shot" "$@" \
    2> >(grep -v -e 'propagateSizeHints' -e 'does not support raise' -e 'XDG_RUNTIME_DIR' >&2)
  echo "Open $shot to see the panel."
else
  exec "$bin" --simulator "$@"
fi
