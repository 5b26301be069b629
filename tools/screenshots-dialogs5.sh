#!/bin/sh
# Pictures of the terminal, the communication dialog and the area selection
# dialog for docs/images, taken on the offscreen platform against the
# simulated camera. Usage: tools/screenshots-dialogs5.sh [build-dir]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
cmake --build "$build" --target test_gui -j2
mkdir -p "$here/docs/images"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
KESTREL_SCREENSHOT_DIR="$here/docs/images" \
  "$build/tests/test_gui" --gtest_filter='Dialogs5Screenshots.*' >/dev/null
ls -l "$here/docs/images/terminal.png" "$here/docs/images/communication.png" \
  "$here/docs/images/area-select.png"
