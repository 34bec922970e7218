#!/bin/sh
# The installed tree: `cmake --install` into a temporary root (DESTDIR, prefix /usr) holds the
# programs, man pages, user guide, desktop entry, icon, systemd unit and configuration file, and
# the installed programs run.
# Usage: installed_tree_test.sh BUILD_DIR ROOT
set -eu
build=$1
root=$2
rm -rf "$root"
DESTDIR="$root" cmake --install "$build" --prefix /usr > /dev/null
fail=0
for f in usr/bin/orv usr/bin/orv-cli usr/share/man/man1/orv.1 usr/share/man/man1/orv-cli.1 \
         usr/share/doc/orv/user-guide.html usr/share/applications/orv.desktop \
         usr/share/icons/hicolor/scalable/apps/orv.svg usr/lib/systemd/system/orv-station.service \
         etc/orv/station.conf; do
  [ -s "$root/$f" ] || { echo "missing or empty: /$f"; fail=1; }
done
# Every picture the installed guide shows lies beside it.
for picture in $(grep -o 'src="[^"]*"' "$root/usr/share/doc/orv/user-guide.html" | sed 's/^src="//; s/"$//'); do
  [ -s "$root/usr/share/doc/orv/$picture" ] || { echo "the guide's picture $picture is not installed"; fail=1; }
done
[ -x "$root/usr/bin/orv-cli" ] || { echo "orv-cli is not executable"; fail=1; }
"$root/usr/bin/orv-cli" --version | grep -q '^orv-cli ' || { echo "installed orv-cli --version fails"; fail=1; }
"$root/usr/bin/orv" --version | grep -q '^orv ' || { echo "installed orv --version fails"; fail=1; }
# The unit starts the installed program with the installed configuration file.
grep -q '^ExecStart=/usr/bin/orv-cli station --config /etc/orv/station.conf$' \
  "$root/usr/lib/systemd/system/orv-station.service" || { echo "the unit's ExecStart is wrong"; fail=1; }
# Every key of the shipped configuration file is accepted by the station.
grep -E '^[a-z-]+ *=' "$root/etc/orv/station.conf" | sed 's/ *=.*//' | while read -r key; do
  "$root/usr/bin/orv-cli" station --help | grep -q -- "--$key" || { echo "station.conf key \"$key\" is no station option"; exit 1; }
done || fail=1
# The man pages are roff that man can format, and name every station option.
if command -v man > /dev/null; then
  MANWIDTH=80 man -l "$root/usr/share/man/man1/orv-cli.1" 2>&1 | grep -q 'orv-cli station' || { echo "orv-cli.1 does not format"; fail=1; }
fi
# The desktop entry is valid where the checker is installed.
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$root/usr/share/applications/orv.desktop" || fail=1
fi
exit $fail
