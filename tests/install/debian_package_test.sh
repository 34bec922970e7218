#!/bin/sh
# The two Debian packages CPack makes: orv-station (headless: orv-cli, the unit, its
# configuration) and orv (the desktop program, depending on orv-station). Their file lists hold
# what the installed tree holds, split as it should be; orv-station depends on no GUI library and
# its orv-cli, unpacked into a temporary root (dpkg -x, never onto this system), loads none and
# runs; lintian, where installed, finds no error and no warning.
# Usage: debian_package_test.sh BUILD_DIR WORK_DIR
set -eu
build=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
station=$(ls "$work"/orv-station_*.deb)
desktop=$(ls "$work"/orv_*.deb)
fail=0
has() {  # has DEB FILE...
  deb=$1
  shift
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' > "$work/files"
  for f in "$@"; do
    grep -qx "$f" "$work/files" || { echo "not in $(basename "$deb"): $f"; fail=1; }
  done
}
has "$station" /usr/bin/orv-cli /usr/libexec/orv/orv-cli-commands.so /usr/share/man/man1/orv-cli.1.gz /lib/systemd/system/orv-station.service \
    /etc/orv/station.conf /etc/logrotate.d/orv-station /usr/share/doc/orv-station/copyright \
    /usr/share/doc/orv-station/changelog.gz /usr/share/doc/orv-station/README.md \
    /usr/share/doc/orv-station/docs/net.md
grep -q '^/usr/bin/orv$' "$work/files" && { echo "the desktop program is in orv-station"; fail=1; }
has "$desktop" /usr/bin/orv /usr/share/man/man1/orv.1.gz /usr/share/doc/orv/user-guide.html \
    /usr/share/applications/orv.desktop /usr/share/icons/hicolor/scalable/apps/orv.svg \
    /usr/share/doc/orv/copyright /usr/share/doc/orv/changelog.gz
grep -q '^/usr/bin/orv-cli$' "$work/files" && { echo "orv-cli is in the desktop package"; fail=1; }

dpkg-deb -f "$desktop" Depends | grep -q 'orv-station (= ' || { echo "orv does not depend on orv-station"; fail=1; }
depends=$(dpkg-deb -f "$station" Depends)
echo "$depends" | grep -q 'libqt6core6' || { echo "orv-station does not depend on Qt Core"; fail=1; }
echo "$depends" | grep -Eq 'libqt6gui|libqt6widgets|libqt6multimedia|libgl|libegl|libx11|libxcb|qt6-qpa' &&
  { echo "orv-station depends on a GUI library: $depends"; fail=1; }
dpkg-deb -f "$station" Description | grep -q ';' && { echo "the Description holds a stray ;"; fail=1; }
dpkg-deb -I "$station" conffiles | grep -qx '/etc/orv/station.conf' || { echo "station.conf is not a conffile"; fail=1; }

dpkg-deb -x "$station" "$work/root"
# The launcher runs crcc itself and finds its program module for the rest (--version).
echo 123456789 | tr -d '\n' | "$work/root/usr/bin/orv-cli" crcc - | grep -qx 29B1 || { echo "the packaged orv-cli crcc fails"; fail=1; }
"$work/root/usr/bin/orv-cli" --version | grep -q '^orv-cli ' || { echo "the packaged orv-cli does not find its module"; fail=1; }
ldd "$work/root/usr/bin/orv-cli" "$work/root/usr/libexec/orv/orv-cli-commands.so" > "$work/ldd"
grep -E 'libQt6Gui|libGL|libEGL|libX11|libxcb' "$work/ldd" && { echo "orv-cli loads a GUI library"; fail=1; }

if command -v lintian > /dev/null; then
  lintian --tag-display-limit 0 "$station" "$desktop" > "$work/lintian.txt" 2>&1 || true
  if grep -E '^[EW]:' "$work/lintian.txt"; then
    echo "lintian finds errors or warnings"
    fail=1
  fi
fi
exit $fail
