#!/usr/bin/env bash
# Opens the viewer on the demo program under a virtual X display, once in each
# listing style, answers the summary message, and saves pictures of the window:
# docs/screenshot.png (classic vocabulary, the first run's style) and
# docs/screenshot-complete.png (Options > Complete Vocabulary ticked), then
# the demo's sprite bank in the bank viewer: docs/screenshot-banks.png. With
# the shared bank files beside the project (../shared/banks), two bank files
# opened the same way: the resource bank's image sheet
# (docs/screenshot-resource.png) and the music bank's songs
# (docs/screenshot-music.png). With the shared disk images beside it
# (../shared/containers), a DD disk with Latin-1 names in the navigator, one
# of its programs listed beside the tree: docs/screenshot-navigator.png.
# Last, File > Save As through the real file dialog must write the file named.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/default/bin
mkdir -p docs

viewer=
settings=$(mktemp -d)
# A display no other server holds: Xvfb picks the number and writes it.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$settings/display" &
xvfb=$!
trap 'kill $viewer $xvfb 2>/dev/null || true; rm -rf "$settings"' EXIT
for _ in $(seq 50); do
  [ -s "$settings/display" ] && break
  sleep 0.2
done
[ -s "$settings/display" ] || { echo "the virtual X display did not start" >&2; exit 1; }
sleep 0.5
export DISPLAY=:$(head -1 "$settings/display")
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
# and sets $window to the main window, named "Zarvex - " and the file's name
# for a program; a bank file only lists its banks and leaves the window named
# "Zarvex v" and the version. The summary is waited for SUMMARY_TRIES looks
# (as window_named): the demo's load always ends with one, a bank file's only
# when its bytes, read as a program, hold calls to count.
open_file() {  # FILE STYLE [SUMMARY_TRIES]
  printf '[listing]\nstyle=%s\n' "$2" > "$settings/Zarvex/Zarvex.conf"
  "$bin/zarvex" "$1" &
  viewer=$!
  local name box
  name=$(basename "$1" | sed 's/[.[\*^$]/\\&/g')
  window=$(window_named "^Zarvex( - $name| v[0-9.]+)\$")
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

# A disk image in the navigator: the tree of its files, Beispiele/H-0 opened
# from the keyboard and its first program (Help_1.AMOS) listed beside it,
# scrolled to its code.
containers=../shared/containers
if [ -f "$containers/ffs_intl_dd.adf" ]; then
  printf '[listing]\nstyle=complete\n' > "$settings/Zarvex/Zarvex.conf"
  "$bin/zarvex" "$(realpath "$containers/ffs_intl_dd.adf")" &
  viewer=$!
  window=$(window_named '^Zarvex')
  [ -n "$window" ] || { echo "the viewer's window did not appear" >&2; exit 1; }
  xdotool windowsize --sync "$window" 1100 700 2>/dev/null || true
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + WIDTH - 5)) $((Y + HEIGHT - 30))  # out of the picture's way
  # The filter box keeps Help_1.AMOS and its folders (Beispiele, H-0); the
  # tree then opens it from the keyboard, and the filter is emptied again.
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key Tab
  xdotool type --delay 20 "Help_1.AMOS"
  sleep 0.3
  xdotool key --delay 150 Tab Down Down Down Return
  listed=$(window_named '^Zarvex - Help_1\.AMOS$')
  [ -n "$listed" ] || { echo "Help_1.AMOS from the navigator was not listed" >&2; exit 1; }
  box=$(window_named '^Zarvex$' 10)
  if [ -n "$box" ]; then
    sleep 0.5
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
  fi
  sleep 0.5
  # The whole tree again, then from the tree to the listing, and down to the
  # program's code.
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --delay 150 shift+Tab ctrl+a BackSpace Tab Tab ctrl+End
  shoot_window "$window" docs/screenshot-navigator.png
  close_demo
else
  echo "no $containers/ffs_intl_dd.adf beside the project: docs/screenshot-navigator.png not taken"
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
