#!/usr/bin/env bash
# Opens the viewer on the demo program under a virtual X display, once in each
# listing style, answers the summary message, and saves pictures of the window:
# docs/screenshot.png (classic vocabulary, the first run's style) and
# docs/screenshot-complete.png (Options > Complete Vocabulary ticked), then
# the demo's sprite bank in the bank viewer: docs/screenshot-banks.png. Last,
# File > Save As through the real file dialog must write the file named.
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

# File > Save As through the real file dialog: type a name, press Return, and
# the web page must be there.
save_through_dialog() {
  local target="$settings/saved.html" window= dialog=
  "$bin/zarvex" examples/demo.AMOS &
  viewer=$!
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
  xdotool key alt+f a
  for _ in $(seq 50); do
    dialog=$(xdotool search --onlyvisible --name '^Save As$' 2>/dev/null | head -1 || true)
    [ -n "$dialog" ] && break
    sleep 0.2
  done
  [ -n "$dialog" ] || { echo "File > Save As showed no dialog" >&2; exit 1; }
  sleep 0.5
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool key ctrl+a
  xdotool type --delay 20 "$target"
  xdotool key Return
  for _ in $(seq 25); do
    [ -s "$target" ] && break
    sleep 0.2
  done
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  viewer=
  if ! grep -q '<title>demo.AMOS</title>' "$target" 2>/dev/null; then
    echo "File > Save As through the dialog wrote no web page" >&2
    exit 1
  fi
  echo "File > Save As through the real dialog wrote $(wc -c < "$target") bytes of HTML"
}

save_through_dialog
