#!/usr/bin/env bash
# Installs Debian's libfec (a general-purpose FEC library, used here for comparison only), builds
# the comparison benchmark and runs it on one core. Run from anywhere as root; BUILD may name the
# build directory (default: build in the repository).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD:-$root/build}"
if ! dpkg -s libfec-dev >/dev/null 2>&1; then
  apt-get update
  apt-get install -y libfec-dev
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target orv_fec_compare_bench -j2
cpu=""
command -v taskset >/dev/null && cpu="taskset -c 0"
$cpu "$build/bench/fec/orv_fec_compare_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_color=false "$@"
