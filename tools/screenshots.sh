#!/usr/bin/env bash
# Regenerates the panel screenshots of the README (docs/images/) from the
# built panel on the simulated camera: USER and FACTORY layouts.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/src/kestrel
[[ -x $bin ]] || { echo "screenshots: $bin is missing; build first." >&2; exit 1; }
mkdir -p docs/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KESTREL_CONFIG=$work/kestrel.ini
# A fixed font and style so the pictures do not depend on the desktop.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QT_STYLE_OVERRIDE=Fusion

shoot() {
  "$bin" --simulator --screenshot "$1" "${@:2}" \
    2> >(grep -v -e 'propagateSizeHints' -e 'does not support raise' -e 'XDG_RUNTIME_DIR' >&2) \
    >/dev/null
  echo "wrote $1"
}
shoot docs/images/panel-user.png
shoot docs/images/panel-factory.png --factory
