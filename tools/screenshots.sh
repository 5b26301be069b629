#!/usr/bin/env bash
# Regenerates every picture in docs/images from the built programs, against the
# simulated camera: the panel in USER and FACTORY mode (the README's pictures),
# then every tool window (kestrel-tool-shots). Usage:
# tools/screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

for bin in "$build/src/kestrel" "$build/tools/kestrel-tool-shots"; do
  [[ -x $bin ]] || { echo "screenshots: $bin is missing; build first." >&2; exit 1; }
done
mkdir -p docs/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KESTREL_CONFIG=$work/kestrel.ini
# A fixed platform and style so the pictures do not depend on the desktop.
export QT_STYLE_OVERRIDE=Fusion
export KESTREL_SCREENSHOT_DIR=$PWD/docs/images
quiet() { "$@" 2> >(grep -v -e 'propagateSizeHints' -e 'does not support raise' -e 'XDG_RUNTIME_DIR' >&2) >/dev/null; }

# The panel on a laptop and on a full-HD screen (and that screen at 150 %),
# light and dark, in both modes: panel-<mode>-<screen>[-dark].png. The window
# fits the screen and scrolls what does not fit; the FACTORY pictures show the
# factory area. Where Xvfb and openbox are installed the panel runs under a
# real window manager, so the pictures show the frame and the fit counts it;
# otherwise on offscreen screens of the same sizes.
panel_shot() {  # screen look mode [scale]
  local screen=$1 look=$2 mode=$3 scale=${4:-}
  local suffix="" args=(--simulator)
  [[ -n $scale ]] && suffix=-150
  [[ $look == dark ]] && suffix+=-dark && args+=(--dark)
  [[ $mode == factory ]] && args+=(--factory)
  args+=(--screenshot "docs/images/panel-$mode-$screen$suffix.png")
  rm -f "$KESTREL_CONFIG"
  if [[ $use_x == 1 ]]; then
    QT_SCALE_FACTOR=${scale:-1} QT_QPA_PLATFORM=xcb \
      xvfb-run -a -s "-screen 0 ${screen}x24" bash -c \
      'openbox >/dev/null 2>&1 & sleep 1; "$@"; status=$?; kill %1; exit $status' \
      shot "$build/src/kestrel" "${args[@]}"
  else
    QT_SCALE_FACTOR=${scale:-1} \
      QT_QPA_PLATFORM=offscreen:configfile=$PWD/tests/gui/screens/$screen.json \
      "$build/src/kestrel" "${args[@]}"
  fi
}
use_x=0
command -v xvfb-run >/dev/null && command -v openbox >/dev/null && use_x=1
for screen in 1366x768 1920x1080; do
  for look in light dark; do
    for mode in user factory; do
      panel_shot $screen $look $mode 2> >(grep -v -e 'propagateSizeHints' -e 'does not support raise' \
        -e 'XDG_RUNTIME_DIR' >&2) | grep -E '^  window|^Screenshot' || true
    done
  done
done
for mode in user factory; do
  panel_shot 1920x1080 light $mode 1.5 2>/dev/null | grep -E '^  window|^Screenshot' || true
done
QT_QPA_PLATFORM=offscreen quiet "$build/tools/kestrel-tool-shots" docs/images
ls docs/images/*.png | sed 's/^/wrote /'
