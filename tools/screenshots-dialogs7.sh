#!/usr/bin/env bash
# Regenerates the pictures of the factory tool windows (docs/images/) from the
# GUI test program against the simulated camera.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/tests/test_gui
[[ -x $bin ]] || { echo "screenshots: $bin is missing; build test_gui first." >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KESTREL_CONFIG=$work/kestrel.ini
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# A fixed style so the pictures do not depend on the desktop.
export QT_STYLE_OVERRIDE=Fusion
export KESTREL_DIALOG_SHOTS=$PWD/docs/images
"$bin" --gtest_filter='Dialogs7Screenshots.*' \
  2> >(grep -v -e 'propagateSizeHints' -e 'does not support raise' -e 'XDG_RUNTIME_DIR' >&2) \
  >/dev/null
for f in afe sensor-memory dac fpga temperature about camera-id; do
  echo "wrote docs/images/$f.png"
done
