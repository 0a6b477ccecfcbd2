#!/usr/bin/env bash
# Builds the two Debian packages, saldo-server and saldo-desktop, into build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset package >/dev/null
cmake --build --preset package
(cd build/package && cpack -G DEB)
ls -1 build/package/*.deb
