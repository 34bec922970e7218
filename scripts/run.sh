#!/usr/bin/env bash
# Builds Orv and runs the station's main job: the desktop program receiving live simulated
# telemetry through its real serial path. Without a display (no DISPLAY or WAYLAND_DISPLAY) it
# runs the same station headless and prints each block it receives.
# Extra arguments go to the program (for example: --modem 512).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/src/app/orv --demo "$@"
fi
echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): running the station headless."
echo "Each line is one received block: kind, CRCC verdict, header line. Ctrl-C ends."
exec ./build/src/app/orv-cli demo "$@"
