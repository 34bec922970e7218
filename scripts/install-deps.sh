#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, if any is missing.
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
          libgtest-dev googletest libbenchmark-dev xvfb xauth openbox x11-utils
          dpkg-dev file lintian debootstrap systemd logrotate gzip libliquid-dev libsndfile1-dev libasound2-dev
          libpng-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core libmosquitto-dev mosquitto
          openssl python3-jinja2 clang libclang-rt-14-dev g++-aarch64-linux-gnu qemu-user
          libsoapysdr-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
