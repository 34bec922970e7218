#!/usr/bin/env bash
# Builds everything and runs every test (unit, integration, window tests on the offscreen
# platform, the screenshot test under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
ctest --output-on-failure -j2 "$@"
