#!/usr/bin/env bash
# Opens the viewer on the demo program under a virtual X display, once in each
# listing style, answers the summary message, and saves pictures of the window:
# docs/screenshot.png (classic vocabulary, the first run's style) and
# docs/screenshot-complete.png (Options > Complete Vocabulary ticked), then
# the demo's sprite bank in the bank viewer: docs/screenshot-banks.png. With
# the shared bank files beside the project (../shared/banks), two bank files
# opened the same way: the resource bank's image sheet
# (docs/screenshot-resource.png) and the music bank's songs
# (docs/screenshot-music.png). Last, File > Save As through the real file
# dialog must write the file named.
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
mkdir -p "$settings/Zarvex"

# The first window whose name matches, once it shows; empty after TRIES
# looks 0.2 seconds apart (10 seconds unless given).
window_named() {  # NAME [TRIES]
  local found=
  for _ in $(seq "${2:-50}"); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && break
    sleep 0.2
  done
  echo "$found"
}

# Starts the viewer on FILE in STYLE, answers the summary that comes over it,
# and sets $window to the main window, named "Zarvex - " and the file's name.
# The summary is waited for SUMMARY_TRIES looks (as window_named): the demo's
# load always ends with one, a bank file's only when its bytes, read as a
# program, hold calls to count.
open_file() {  # FILE STYLE [SUMMARY_TRIES]
  printf '[listing]\nstyle=%s\n' "$2" > "$settings/Zarvex/Zarvex.conf"
  "$bin/zarvex" "$1" &
  viewer=$!
  local name box
  name=$(basename "$1" | sed 's/[.[\*^$]/\\&/g')
  window=$(window_named "^Zarvex - $name\$")
  [ -n "$window" ] || { echo "the viewer's window did not appear" >&2; exit 1; }
  box=$(window_named '^Zarvex$' "${3:-10}")
  if [ -n "$box" ]; then
    sleep 0.5
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
  fi
  sleep 0.5
}

open_demo() {  # STYLE
  open_file examples/demo.AMOS "$1" 50
}

# Tab to the bank list, choose the first bank, Tab to View Bank and press it;
# sets $bank to the bank viewer.
view_first_bank() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key Tab Home Tab space
  bank=$(window_named '^View Bank - ')
  [ -n "$bank" ] || { echo "the bank viewer did not appear" >&2; exit 1; }
}

close_demo() {
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  viewer=
}

# Without a window manager windows have no frame: take the screen and cut the
# window's rectangle out of it.
shoot_window() {  # WINDOW OUTPUT
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  echo "wrote $2"
}

open_demo classic
shoot_window "$window" docs/screenshot.png
close_demo

open_demo complete
shoot_window "$window" docs/screenshot-complete.png
close_demo

# The demo's sprite bank.
open_demo classic
view_first_bank
shoot_window "$bank" docs/screenshot-banks.png
close_demo

# Bank files from the shared folder, each holding one bank: the resource
# bank shows its image sheet first, the music bank its songs and length.
shared=../shared/banks
if [ -d "$shared" ]; then
  open_file "$shared/Example_Resource.Abk" classic
  view_first_bank
  shoot_window "$bank" docs/screenshot-resource.png
  close_demo

  open_file "$shared/Music.abk" classic
  view_first_bank
  shoot_window "$bank" docs/screenshot-music.png
  close_demo
else
  echo "no $shared beside the project: docs/screenshot-resource.png and docs/screenshot-music.png not taken"
fi

# File > Save As through the real file dialog: type a name, press Return, and
# the web page must be there.
target="$settings/saved.html"
open_demo classic
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key alt+f a
dialog=$(window_named '^Save As$')
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
close_demo
grep -q '<title>demo.AMOS</title>' "$target" 2>/dev/null || { echo "File > Save As through the dialog wrote no web page" >&2; exit 1; }
echo "File > Save As through the real dialog wrote $(wc -c < "$target") bytes of HTML"
