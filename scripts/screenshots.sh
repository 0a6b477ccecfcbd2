#!/usr/bin/env bash
# Refreshes the README's pictures in docs/images/: runs the shell's end-to-end screen tests
# against a real saldo-server, saving a picture of the window at each step. The widgets paint
# themselves on Qt's offscreen platform, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset dev -DSALDO_HOST_SCREEN_TESTS=ON >/dev/null
cmake --build --preset dev --target host_tests saldo-server Rdq63500
mkdir -p docs/images
SALDO_SCREENSHOT_DIR="$PWD/docs/images" QT_QPA_PLATFORM=offscreen \
  build/dev/bin/host_tests --gtest_filter='ScreenTest.*'
ls -l docs/images
