#!/usr/bin/env bash
# What installing orv-station pulls into a clean Debian 12: a minimal system made with
# `debootstrap --variant=minbase bookworm`, then `apt-get install ./orv-station_*.deb` in it.
# Prints the count and installed size of the packages it brings, and fails when any of them is
# an X11, OpenGL/EGL, Wayland or Qt GUI package. Then the station starts there from the installed
# /etc/orv/station.conf with only its serial line changed (to the simulator's pseudo-terminal) and
# must log blocks into /var/lib/orv, as the service would. Last, as the reference in the same
# run, the packages the desktop package orv brings on top. Needs root, debootstrap and the network to a mirror;
# builds the packages first (cpack in build/) unless DEB_DIR holds them. Nothing is installed on
# this system: everything happens in the throw-away root (removed at the end).
# Usage: sudo bash scripts/headless-install-size.sh [MIRROR]   (default http://deb.debian.org/debian)
set -euo pipefail
cd "$(dirname "$0")/.."
mirror=${1:-http://deb.debian.org/debian}
debs=${DEB_DIR:-build/packages}
if ! ls "$debs"/orv-station_*.deb > /dev/null 2>&1; then
  mkdir -p "$debs"
  (cd build && cpack -G DEB -B "$PWD/../$debs" > /dev/null)
fi
root=$(mktemp -d /tmp/orv-minbase.XXXXXX)
cleanup() {
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2> /dev/null
  [ -n "${station_pid:-}" ] && kill "$station_pid" 2> /dev/null
  wait 2> /dev/null || true
  umount "$root/dev/pts" "$root/proc" 2> /dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
echo "debootstrap --variant=minbase bookworm into $root ..."
debootstrap --variant=minbase bookworm "$root" "$mirror" > "$root.log" 2>&1 || { tail "$root.log"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
ln -sf pts/ptmx "$root/dev/ptmx"
cp "$debs"/orv-station_*.deb "$debs"/orv_*.deb "$root/tmp/"
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C "$@"; }
in_root apt-get update -qq
packages() { in_root dpkg-query -W -f '${Package} ${Installed-Size}\n' | sort; }

# Installs `deb` and reports the packages it brought; $gui_found says whether any is a GUI one.
measure() {
  local name=$1 deb=$2 before after added count size
  before=$(packages)
  in_root apt-get install -y -qq --no-install-recommends "$deb" > /dev/null
  after=$(packages)
  added=$(comm -13 <(echo "$before") <(echo "$after"))
  count=$(echo "$added" | grep -c . || true)
  size=$(echo "$added" | awk '{s += $2} END {printf "%.1f", s / 1024}')
  echo "$name: $count packages, $size MB installed"
  echo "$added" | awk '{print "  " $1}' | paste -sd ' ' | fold -s -w 100
  gui=$(echo "$added" | awk '{print $1}' | grep -E '^(libx11|libxcb|libxext|libxau|libxdmcp|libxrender|libxfixes|libxkbcommon|libgl1|libglx|libglvnd|libglapi|libegl|libgbm|libopengl|libwayland|libdrm|libqt6gui|libqt6widgets|libqt6opengl|qt6-qpa|libvulkan|x11-|xkb-data)' || true)
}
measure "orv-station (apt-get install ./orv-station_*.deb)" /tmp/$(basename "$debs"/orv-station_*.deb)
station_gui=$gui

# The shipped configuration, only the device changed, starts the station.
chroot "$root" sh -c 'exec orv-cli simulate --pty --speed 20 --seed 3 > /tmp/pty 2> /tmp/sim' &
sim_pid=$!
for _ in $(seq 50); do [ -s "$root/tmp/pty" ] && break; sleep 0.2; done
sed -i "s#^serial = .*#serial = $(head -n 1 "$root/tmp/pty")#" "$root/etc/orv/station.conf"
mkdir -p "$root/var/lib/orv"
chroot "$root" sh -c 'exec orv-cli station --config /etc/orv/station.conf > /tmp/blocks 2> /tmp/status' &
station_pid=$!
sleep 10
blocks=$(cat "$root"/var/lib/orv/telemetry/*.raw 2> /dev/null | wc -c)
echo "the shipped station.conf (serial line changed): $((blocks / 512)) blocks logged in /var/lib/orv in 10 s"
sed 's/^/  status: /' "$root/tmp/status" | head -n 5
[ "$blocks" -ge 1024 ] || { echo "the station did not start from the shipped configuration"; exit 1; }
kill "$station_pid" "$sim_pid" 2> /dev/null || true
wait 2> /dev/null || true
station_pid=
sim_pid=

measure "orv on top of it (the desktop program, for reference)" /tmp/$(basename "$debs"/orv_*.deb)
in_root orv-cli --version
if [ -n "$station_gui" ]; then
  echo "orv-station pulled GUI packages: $station_gui"
  exit 1
fi
echo "orv-station pulled no X11, GL or Qt GUI package."
