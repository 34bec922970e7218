#!/usr/bin/env bash
# Whole-process benchmarks of the telemetry file commands, run as a user runs them: one orv-cli
# process per command on a log of a million records such as a station writes (every kind of block,
# about 3 % damaged and marked failed, a consecutive repeat after every 50th record, now and then
# the FEC-rebuilt copy of a good A block with the same time, appended record by record), against a
# reference in the same run: `cat LOG > /dev/null` for what reads the log, `cp LOG NEW` for a filter
# into a file. Each row runs reference, start-up (`orv-cli filter` of an empty log: the program
# and its command module loading and doing nothing) and command in turn, ROUNDS times, and prints
# medians (bench/files/time_pairs.cpp tells the columns). Warm rows have the logs in the page
# cache; cold rows drop the log from it before every run.
#
#   bash bench/run-files.sh [ROUNDS]     (default 7; BUILD names the build directory, DIR the
#                                         folder for the two 488 MiB logs, removed at the end)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$root/build}"
rounds="${1:-7}"
dir="${DIR:-${TMPDIR:-/tmp}/orv-files-bench}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target orv-cli orv_station_log orv_time_pairs -j2 >"${TMPDIR:-/tmp}/orv-files-bench-build.log" 2>&1 ||
  { cat "${TMPDIR:-/tmp}/orv-files-bench-build.log"; exit 1; }

cli="$build/src/app/orv-cli"
records=1000000
mkdir -p "$dir"
log="$dir/T031128.raw"    # the station's log of every block
alog="$dir/A031128.tlm"   # a log of A blocks with a correct CRCC, for the graph
out="$dir/out"
trap 'rm -f "$log" "$alog" "$out" "$empty"' EXIT
# Written anew each time: a log read back from the disk lies in the page cache in larger pieces
# than one appended record by record (the cold rows below read it back).
"$build/bench/files/orv_station_log" "$log" "$records"
"$build/bench/files/orv_station_log" "$alog" "$records" --a-blocks
cat "$log" "$alog" >/dev/null

pairs() { "$build/bench/files/orv_time_pairs" --rounds "$rounds" "$@"; }
empty="$dir/T000000.raw"   # an empty log: the start-up row loads the command module and reads nothing
: >"$empty"
startup=("$cli" filter "$empty" /dev/null --force)
channels=(--addr 0x1A7 --addr 448 --addr 0x140 --addr 0x130 --addr 0x1C0 --addr 300 --mask 0x0F --addr 0x10B --addr 0x190)

echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $rounds rounds, $records records per log"
echo
echo "| command | reference ms | command ms | x reference | start-up ms | beyond start-up ms | x reference beyond start-up | peak MB | first run ms | M blocks/s |"
echo "|---|---|---|---|---|---|---|---|---|---|"
for kind in all A D E K; do
  for crcc in filter ignore; do
    pairs "filter --kind $kind --crcc $crcc, to /dev/null, against cat" -- cat "$log" \
      -- "$cli" filter "$log" /dev/null --force --kind "$kind" --crcc "$crcc" -- "${startup[@]}"
  done
done
pairs --remove "$out" "filter --kind all --crcc ignore, into a file, against cp" -- cp "$log" "$out" \
  -- "$cli" filter "$log" "$out" --kind all --crcc ignore -- "${startup[@]}"
pairs --remove "$out" "filter --kind A, into a file, against cp" -- cp "$log" "$out" \
  -- "$cli" filter "$log" "$out" --kind A -- "${startup[@]}"
pairs --items "$records" "export of 8 channels --trans, to /dev/null, against cat" -- cat "$log" \
  -- "$cli" export "$log" /dev/null "${channels[@]}" --trans -- "${startup[@]}"
pairs --items "$records" --remove "$out" "export of 8 channels --trans, into a file, against cat" -- cat "$log" \
  -- "$cli" export "$log" "$out" "${channels[@]}" --trans -- "${startup[@]}"
pairs --items "$records" --remove "$out" "export of 8 channels, CSV, into a file, against cat" -- cat "$log" \
  -- "$cli" export "$log" "$out" "${channels[@]}" --format csv -- "${startup[@]}"
pairs --items "$records" "graph --addr 300 --trans of 1 M A blocks, against cat" -- cat "$alog" \
  -- "$cli" graph "$alog" --addr 300 --trans -- "${startup[@]}"

cold=$(( rounds < 3 ? rounds : 3 ))
pairs() { "$build/bench/files/orv_time_pairs" --rounds "$cold" "$@"; }
pairs --cold "$log" "cold: filter --kind A, to /dev/null, against cat" -- cat "$log" \
  -- "$cli" filter "$log" /dev/null --force --kind A -- "${startup[@]}"
pairs --cold "$log" --items "$records" "cold: export of 8 channels --trans, to /dev/null, against cat" -- cat "$log" \
  -- "$cli" export "$log" /dev/null "${channels[@]}" --trans -- "${startup[@]}"
pairs --cold "$alog" --items "$records" "cold: graph --addr 300 --trans of 1 M A blocks, against cat" -- cat "$alog" \
  -- "$cli" graph "$alog" --addr 300 --trans -- "${startup[@]}"
