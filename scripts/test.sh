#!/usr/bin/env bash
# Builds everything and runs every test (unit, integration, window tests on the offscreen
# platform, the screenshot and window-manager tests under Xvfb), then the same tests again built
# with AddressSanitizer and UndefinedBehaviorSanitizer and a short run of each fuzz target
# (scripts/sanitize.sh). Usage: scripts/test.sh [--no-sanitize] [ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=1
if [ "${1:-}" = "--no-sanitize" ]; then
  sanitize=0
  shift
fi
bash scripts/build.sh
(cd build && ctest --output-on-failure -j2 "$@")
if [ "$sanitize" = 1 ]; then
  ORV_FUZZ_SECONDS="${ORV_FUZZ_SECONDS:-5}" bash scripts/sanitize.sh "$@"
fi
