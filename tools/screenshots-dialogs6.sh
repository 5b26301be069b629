#!/usr/bin/env bash
# Regenerates the pictures of the LUT editor and the calibration dialogs
# (docs/images/lut-editor.png, docs/images/calibration.png) from the built GUI
# test program, which draws them against the simulated camera.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/tests/test_gui
[[ -x $bin ]] || { echo "screenshots-dialogs6: $bin is missing; build test_gui first." >&2; exit 1; }
mkdir -p docs/images
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QT_STYLE_OVERRIDE=Fusion
KESTREL_SHOTS_DIR=$PWD/docs/images "$bin" \
  --gtest_filter='Dialogs6Test.EditorGraphAndCalibrationDialogDraw' 2>/dev/null | tail -1
echo "wrote docs/images/lut-editor.png docs/images/calibration.png"
