#!/usr/bin/env bash
# Refreshes the README's pictures in docs/images/: runs the shell's end-to-end screen tests
# (the keyboard road included) against a real saldo-server under Xvfb, saving a picture of
# the window at each step.
# Without xvfb-run the widgets paint themselves on Qt's offscreen platform instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target host_tests saldo-server Rdq63500
mkdir -p docs/images
run=(build/dev/bin/host_tests --gtest_filter='ScreenTest.*:Kinds/KeyboardRoadTest.*')
if command -v xvfb-run >/dev/null; then
  SALDO_SCREENSHOT_DIR="$PWD/docs/images" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1400x900x24" "${run[@]}"
else
  SALDO_SCREENSHOT_DIR="$PWD/docs/images" QT_QPA_PLATFORM=offscreen "${run[@]}"
fi
ls -l docs/images
