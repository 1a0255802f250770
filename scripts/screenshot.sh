#!/usr/bin/env bash
# Opens the viewer on the demo program under a virtual X display, once in each
# listing style, answers the summary message, and saves pictures of the window:
# docs/screenshot.png (classic vocabulary, the first run's style) and
# docs/screenshot-complete.png (Options > Complete Vocabulary ticked), then
# the demo's sprite bank in the bank viewer: docs/screenshot-banks.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/default/bin
mkdir -p docs

display=:97
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
xvfb=$!
viewer=
settings=$(mktemp -d)
trap 'kill $viewer $xvfb 2>/dev/null || true; rm -rf "$settings"' EXIT
sleep 1
export DISPLAY=$display
unset QT_QPA_PLATFORM
# The viewer's remembered choices live here, not in the user's own settings.
export XDG_CONFIG_HOME=$settings

shoot() {  # STYLE OUTPUT
  mkdir -p "$settings/Zarvex"
  printf '[listing]\nstyle=%s\n' "$1" > "$settings/Zarvex/Zarvex.conf"
  "$bin/zarvex" examples/demo.AMOS &
  viewer=$!

  # The summary of extension and undefined tokens comes before the window.
  local box= window=
  for _ in $(seq 50); do
    box=$(xdotool search --onlyvisible --name '^Zarvex$' 2>/dev/null | head -1 || true)
    [ -n "$box" ] && break
    sleep 0.2
  done
  if [ -n "$box" ]; then
    sleep 0.5
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
  fi

  for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name '^Zarvex - demo.AMOS$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "the viewer's window did not appear" >&2; exit 1; }
  sleep 1
  # Without a window manager the window has no frame: take the screen and cut
  # the window's rectangle out of it.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  viewer=
  echo "wrote $2"
}

shoot classic docs/screenshot.png
shoot complete docs/screenshot-complete.png

# The demo's sprite bank in the bank viewer: Tab to the bank list, choose the
# first bank, Tab to View Bank and press it.
shoot_bank() {  # OUTPUT
  printf '[listing]\nstyle=classic\n' > "$settings/Zarvex/Zarvex.conf"
  "$bin/zarvex" examples/demo.AMOS &
  viewer=$!
  local box= window= bank=
  for _ in $(seq 50); do
    box=$(xdotool search --onlyvisible --name '^Zarvex$' 2>/dev/null | head -1 || true)
    [ -n "$box" ] && break
    sleep 0.2
  done
  [ -n "$box" ] && { sleep 0.5; xdotool windowfocus --sync "$box" 2>/dev/null || true; xdotool key Return; }
  for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name '^Zarvex - demo.AMOS$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "the viewer's window did not appear" >&2; exit 1; }
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key Tab Home Tab space
  for _ in $(seq 50); do
    bank=$(xdotool search --onlyvisible --name '^View Bank - ' 2>/dev/null | head -1 || true)
    [ -n "$bank" ] && break
    sleep 0.2
  done
  [ -n "$bank" ] || { echo "the bank viewer did not appear" >&2; exit 1; }
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$bank")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  viewer=
  echo "wrote $1"
}

shoot_bank docs/screenshot-banks.png
