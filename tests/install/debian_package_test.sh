#!/bin/sh
# The Debian package CPack makes: its file list holds everything the installed tree must hold,
# its control data names a version and dependencies, and unpacked into a temporary root (dpkg -x,
# never onto this system) its orv-cli runs.
# Usage: debian_package_test.sh BUILD_DIR WORK_DIR
set -eu
build=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/orv_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' > "$work/files"
fail=0
for f in /usr/bin/orv /usr/bin/orv-cli /usr/share/man/man1/orv.1 /usr/share/man/man1/orv-cli.1 \
         /usr/share/doc/orv/user-guide.html /usr/share/applications/orv.desktop \
         /usr/share/icons/hicolor/scalable/apps/orv.svg /usr/lib/systemd/system/orv-station.service \
         /etc/orv/station.conf; do
  grep -qx "$f" "$work/files" || { echo "not in the package: $f"; fail=1; }
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || { echo "the package does not depend on Qt"; fail=1; }
dpkg-deb -I "$deb" conffiles | grep -qx '/etc/orv/station.conf' || { echo "station.conf is not a conffile"; fail=1; }
dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/orv-cli" --version > /dev/null || { echo "the packaged orv-cli does not run"; fail=1; }
exit $fail
