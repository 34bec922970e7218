#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer and the fuzz targets
# (clang, into build-asan/), runs every test there, then each fuzz target on its seed corpus for
# ORV_FUZZ_SECONDS seconds (default 10). Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${ORV_FUZZ_SECONDS:-10}"
bash scripts/install-deps.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DORV_FUZZ=ON -DORV_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"

# Leaks inside system libraries at exit (fonts, D-Bus, the GL stack) are suppressed by name;
# every other leak fails the run.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
# Full stacks at each allocation, so that the suppressions can name the functions.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && ctest --output-on-failure -j2 "$@")

# New inputs a run finds go to a scratch directory; the seed corpus stays as it is. The input of a
# finding (crash, leak, time-out) is kept in build-asan/fuzz-findings/ and its report shown.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-asan/fuzz-findings
for corpus in fuzz/corpus/*/; do
  target="$(basename "$corpus")"
  mkdir -p "$scratch/$target"
  echo "fuzzing $target for ${seconds}s"
  "build-asan/fuzz/$target" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$PWD/build-asan/fuzz-findings/" \
    "$scratch/$target" "$corpus" 2>"$scratch/$target.log" || { cat "$scratch/$target.log"; exit 1; }
done
