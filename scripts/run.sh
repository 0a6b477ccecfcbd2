#!/usr/bin/env bash
# Sets the machine up, builds, and runs the program on the embedded SQLite default.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
echo "Built. The desktop shell arrives with the host; see the README."
