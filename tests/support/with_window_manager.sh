#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) under a real window manager (openbox), as an
# operator's desktop would place and frame its windows. Usage: with_window_manager.sh CMD [ARGS...]
# Exits with the command's status; 77 (skipped) when Xvfb or openbox is missing.
set -u
command -v Xvfb >/dev/null && command -v openbox >/dev/null || { echo "Xvfb or openbox missing"; exit 77; }
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wmlog=$(mktemp)
cleanup() { kill "$wm" "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -f "$wmlog"; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
openbox >"$wmlog" 2>&1 &
wm=$!
# The window manager is up once it owns the screen's selection.
for _ in $(seq 1 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break; sleep 0.1; done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" || { echo "openbox did not start:"; cat "$wmlog"; exit 1; }
"$@"
