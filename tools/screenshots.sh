#!/usr/bin/env bash
# Regenerates every picture in docs/images from the built programs, against the
# simulated camera on the offscreen platform: the panel in USER and FACTORY
# mode (the README's pictures), then every tool window (kestrel-tool-shots).
# Usage:
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
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QT_STYLE_OVERRIDE=Fusion
export KESTREL_SCREENSHOT_DIR=$PWD/docs/images
quiet() { "$@" 2> >(grep -v -e 'propagateSizeHints' -e 'does not support raise' -e 'XDG_RUNTIME_DIR' >&2) >/dev/null; }

# The panel on a laptop and on a full-HD screen, light and dark, in both modes:
# panel-<mode>-<screen>[-dark].png. The window fits the screen and scrolls
# what does not fit; the FACTORY pictures show the factory area.
for screen in 1366x768 1920x1080; do
  for look in light dark; do
    for mode in user factory; do
      suffix=""
      args=(--simulator)
      [[ $look == dark ]] && suffix=-dark && args+=(--dark)
      [[ $mode == factory ]] && args+=(--factory)
      args+=(--screenshot "docs/images/panel-$mode-$screen$suffix.png")
      rm -f "$KESTREL_CONFIG"
      QT_QPA_PLATFORM=offscreen:configfile=$PWD/tests/gui/screens/$screen.json \
        quiet "$build/src/kestrel" "${args[@]}"
    done
  done
done
quiet "$build/tools/kestrel-tool-shots" docs/images
ls docs/images/*.png | sed 's/^/wrote /'
