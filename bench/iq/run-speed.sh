#!/usr/bin/env bash
# orv-cli iq on a 1.024 MHz cu8 recording of the beacon (35 s: idle, block A, an FEC frame,
# block K; an rtl-sdr's DC spike, noise), as a user runs it: the whole process, CPU time (user +
# system), cold (page cache dropped, where allowed) and warm, with the beacon 3.3 kHz from the
# centre and, mixed down from 100 kHz below it, 3.3 kHz from the offset. Reference in the same
# run: cat of the same file, the cost of reading it. Run from the source tree after a Release build.
set -euo pipefail
build=${BUILD:-build}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/iq/orv_iq_recording" "$dir/centre.cu8" cu8 1024000 3300
"$build/bench/iq/orv_iq_recording" "$dir/offset.cu8" cu8 1024000 -96700
seconds=34.7
measure() {  # label, command...
  local label=$1; shift
  /usr/bin/time -o "$dir/time" -f "%U %S %e" "$@" >/dev/null 2>&1
  read -r user sys wall <"$dir/time"
  awk -v l="$label" -v u="$user" -v s="$sys" -v w="$wall" -v d="$seconds" \
    'BEGIN { c = u + s; printf "| %s | %.2f s | %.2f s | %s |\n", l, c, w, (c > 0 ? sprintf("%.0f x", d / c) : "-") }'
}
drop() { sync; echo 3 > /proc/sys/vm/drop_caches 2>/dev/null || true; }
echo "| run | CPU | wall | x real time (CPU) |"
echo "|---|---|---|---|"
for f in centre offset; do
  args=("$build/src/app/orv-cli" iq "$dir/$f.cu8" --rate 1024000 --log "$dir/$f.tlm")
  [ "$f" = offset ] && args+=(--offset -100000)
  drop; measure "cat $f.cu8, cold" cat "$dir/$f.cu8"
  drop; rm -f "$dir/$f.tlm"; measure "orv-cli iq $f.cu8, cold" "${args[@]}"
  rm -f "$dir/$f.tlm"; measure "orv-cli iq $f.cu8, warm" "${args[@]}"
  rm -f "$dir/$f.tlm"; measure "orv-cli iq $f.cu8, warm again" "${args[@]}"
  test "$(stat -c %s "$dir/$f.tlm")" = 1536 || echo "$f: not all three blocks decoded"
done
