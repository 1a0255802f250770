#!/usr/bin/env bash
# Opens the viewer on the demo program under a virtual X display, answers the
# summary message, and saves a picture of the window to docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/default/bin
out=docs/screenshot.png
mkdir -p docs

display=:97
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
xvfb=$!
trap 'kill $viewer $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
unset QT_QPA_PLATFORM

"$bin/zarvex" examples/demo.AMOS &
viewer=$!

# The summary of extension and undefined tokens comes before the window.
for _ in $(seq 50); do
  box=$(xdotool search --onlyvisible --name '^Zarvex$' 2>/dev/null | head -1 || true)
  [ -n "$box" ] && break
  sleep 0.2
done
if [ -n "${box:-}" ]; then
  sleep 0.5
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return
fi

for _ in $(seq 50); do
  window=$(xdotool search --onlyvisible --name '^Zarvex - demo.AMOS$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "${window:-}" ] || { echo "the viewer's window did not appear" >&2; exit 1; }
sleep 1
# Without a window manager the window has no frame: take the screen and cut
# the window's rectangle out of it.
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "wrote $out"
