#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) under a real window manager (openbox), as an
# operator's desktop would place and frame its windows. Usage: with_window_manager.sh CMD [ARGS...]
# Exits with the command's status; 77 (skipped) when Xvfb or openbox is missing.
set -u
command -v Xvfb >/dev/null && command -v openbox >/dev/null || { echo "Xvfb or openbox missing"; exit 77; }
work=$(mktemp -d)
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Xvfb picks a free display itself and writes its number, so that tests running side by side
# never share a server.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
# The server takes connections once a client can read its root window; on a loaded machine that
# can come after it has written its number.
for _ in $(seq 1 200); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
# The window manager is up once it names itself on the root window; one that ended at once (it
# could not open the display) is started again.
for _ in $(seq 1 200); do
  if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
    openbox >>"$work/openbox.log" 2>&1 &
    wm=$!
  fi
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" || { echo "openbox did not start:"; cat "$work/openbox.log"; exit 1; }
# It names itself a moment before it manages new windows.
sleep 1
"$@"
