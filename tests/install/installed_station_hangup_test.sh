#!/bin/sh
# The installed headless station as the service runs it: `orv-cli station --config FILE` with
# the installed configuration file exactly as shipped but for the serial device, fed by the
# installed simulator through a pseudo-terminal. The data directory and settings file the file
# names (the service's /var/lib/orv) are moved into WORK_DIR on the command line. After the log file is moved away (as
# logrotate does) SIGHUP makes the station say so and go on logging into a new file of the same
# name; the station keeps running until SIGTERM, which ends it with status 0.
# Usage: installed_station_hangup_test.sh ROOT WORK_DIR   (ROOT: the installed tree)
set -u
cli=$1/usr/bin/orv-cli
work=$2
rm -rf "$work"
mkdir -p "$work/data"
sim_pid=
station_pid=
cleanup() {
  [ -n "$station_pid" ] && kill "$station_pid" 2> /dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2> /dev/null
  wait 2> /dev/null
}
trap cleanup EXIT
fail() { echo "$*"; echo "--- station status:"; cat "$work/status" 2> /dev/null; exit 1; }

# Polls (every 0.2 s, up to 60 s) until the command succeeds.
wait_for() {
  n=0
  while ! eval "$1"; do
    n=$((n + 1))
    [ $n -gt 300 ] && return 1
    sleep 0.2
  done
}
records() { [ -f "$1" ] && echo $(( $(wc -c < "$1") / 512 )) || echo 0; }

"$cli" simulate --pty --speed 20 --seed 7 > "$work/pty" 2> "$work/sim" &
sim_pid=$!
wait_for '[ -s "$work/pty" ]' || fail "the simulator gave no pseudo-terminal"
pty=$(head -n 1 "$work/pty")
sed "s#^serial = .*#serial = $pty#" "$1/etc/orv/station.conf" > "$work/station.conf"
[ "$(diff "$1/etc/orv/station.conf" "$work/station.conf" | grep -c '^[<>]')" -eq 2 ] || fail "the device line was not changed alone"
"$cli" station --config "$work/station.conf" --data-dir "$work/data" --settings "$work/settings.ini" \
  > "$work/blocks" 2> "$work/status" &
station_pid=$!

wait_for 'log=$(ls "$work"/data/telemetry/*.raw 2> /dev/null | head -n 1); [ -n "$log" ] && [ $(records "$log") -ge 2 ]' ||
  fail "the station logged no blocks"
log=$(ls "$work"/data/telemetry/*.raw | head -n 1)
mv "$log" "$log.1"
kill -HUP "$station_pid"
wait_for 'grep -q "SIGHUP" "$work/status"' || fail "the station did not report the SIGHUP"
grep -q "SIGHUP: log file closed; the next block reopens $log" "$work/status" || fail "the SIGHUP report names no file"
wait_for '[ $(records "$log") -ge 2 ]' || fail "no blocks in the reopened log file"
kill -0 "$station_pid" 2> /dev/null || fail "SIGHUP ended the station"
[ $(( $(wc -c < "$log.1") % 512 )) -eq 0 ] || fail "the moved log file holds a partial record"
[ $(( $(wc -c < "$log") % 512 )) -eq 0 ] || fail "the reopened log file holds a partial record"
kill -TERM "$station_pid"
wait "$station_pid"
code=$?
station_pid=
[ $code -eq 0 ] || fail "the station ended with status $code after SIGTERM"
exit 0
