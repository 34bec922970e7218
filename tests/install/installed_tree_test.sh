#!/bin/sh
# The installed tree: `cmake --install` into a temporary root (DESTDIR, prefix /usr) holds the
# programs, gzipped man pages, the docs (README with the pages it links, user guide, copyright,
# changelog), desktop entry, icon, systemd unit, configuration and logrotate files; the installed
# programs run, the unit is hardened as systemd rates it and logrotate takes its file.
# Usage: installed_tree_test.sh BUILD_DIR ROOT
set -eu
build=$1
root=$2
rm -rf "$root"
DESTDIR="$root" cmake --install "$build" --prefix /usr > /dev/null
fail=0
for f in usr/bin/orv usr/bin/orv-cli usr/libexec/orv/orv-cli-commands.so usr/share/man/man1/orv.1.gz usr/share/man/man1/orv-cli.1.gz \
         usr/share/doc/orv/user-guide.html usr/share/doc/orv/copyright usr/share/doc/orv/changelog.gz \
         usr/share/doc/orv-station/README.md usr/share/doc/orv-station/copyright \
         usr/share/doc/orv-station/changelog.gz usr/share/applications/orv.desktop \
         usr/share/icons/hicolor/scalable/apps/orv.svg lib/systemd/system/orv-station.service \
         etc/orv/station.conf etc/logrotate.d/orv-station; do
  [ -s "$root/$f" ] || { echo "missing or empty: /$f"; fail=1; }
done
# Every picture the installed guide shows lies beside it.
for picture in $(grep -o 'src="[^"]*"' "$root/usr/share/doc/orv/user-guide.html" | sed 's/^src="//; s/"$//'); do
  [ -s "$root/usr/share/doc/orv/$picture" ] || { echo "the guide's picture $picture is not installed"; fail=1; }
done
# Every page the installed README links to is installed beside it.
readme="$root/usr/share/doc/orv-station/README.md"
for page in $(grep -o '](docs/[^)#]*' "$readme" | sed 's/^](//' | sort -u); do
  [ -s "$root/usr/share/doc/orv-station/$page" ] || { echo "the README links to $page, which is not installed"; fail=1; }
done
[ -x "$root/usr/bin/orv-cli" ] || { echo "orv-cli is not executable"; fail=1; }
"$root/usr/bin/orv-cli" --version | grep -q '^orv-cli ' || { echo "installed orv-cli --version fails"; fail=1; }
echo 123456789 | tr -d '\n' | "$root/usr/bin/orv-cli" crcc - | grep -qx 29B1 || { echo "installed orv-cli crcc fails"; fail=1; }
"$root/usr/bin/orv" --version | grep -q '^orv ' || { echo "installed orv --version fails"; fail=1; }
# The unit starts the installed program with the installed configuration file.
grep -q '^ExecStart=/usr/bin/orv-cli station --config /etc/orv/station.conf$' \
  "$root/lib/systemd/system/orv-station.service" || { echo "the unit's ExecStart is wrong"; fail=1; }
# Every key of the shipped configuration file, commented out or not, is a station option.
grep -E '^[#;]? *[a-z-]+ *=' "$root/etc/orv/station.conf" | sed 's/^[#;]* *//; s/ *=.*//' | while read -r key; do
  "$root/usr/bin/orv-cli" station --help | grep -q -- "--$key" || { echo "station.conf key \"$key\" is no station option"; exit 1; }
done || fail=1
# The unit: a bad configuration is not retried, the serial and sound groups, and hardening that
# systemd rates at most 4.5 ("OK"), where systemd-analyze is installed.
unit="$root/lib/systemd/system/orv-station.service"
grep -qx 'RestartPreventExitStatus=2' "$unit" || { echo "the unit retries a bad configuration"; fail=1; }
grep -qx 'SupplementaryGroups=dialout audio' "$unit" || { echo "the unit is not in the dialout and audio groups"; fail=1; }
if command -v systemd-analyze > /dev/null; then
  systemd-analyze security --offline=true --threshold=45 "$unit" > "$root/../unit-security.txt" 2>&1 ||
    { tail -n 3 "$root/../unit-security.txt"; echo "systemd-analyze security rates the unit above 4.5"; fail=1; }
fi
# The logrotate file parses (debug mode: nothing is rotated) and tells the station by SIGHUP.
rotate="$root/etc/logrotate.d/orv-station"
grep -q 'kill-whom=main --signal=HUP orv-station.service' "$rotate" || { echo "logrotate sends no SIGHUP"; fail=1; }
if command -v logrotate > /dev/null; then
  logrotate -d -s "$root/../logrotate.state" "$rotate" > "$root/../logrotate.txt" 2>&1 ||
    { cat "$root/../logrotate.txt"; echo "logrotate refuses its file"; fail=1; }
  grep -qi 'error' "$root/../logrotate.txt" && { cat "$root/../logrotate.txt"; echo "logrotate reports an error"; fail=1; }
fi
# The man pages are roff that man can format, and name every station option.
if command -v man > /dev/null; then
  MANWIDTH=80 man -l "$root/usr/share/man/man1/orv-cli.1.gz" 2>&1 | grep -q 'orv-cli station' || { echo "orv-cli.1 does not format"; fail=1; }
fi
# The desktop entry is valid where the checker is installed.
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$root/usr/share/applications/orv.desktop" || fail=1
fi
exit $fail
