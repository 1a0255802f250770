#!/usr/bin/env bash
# Opens the viewer on the bundled demo program. Without a display it prints the
# demo's listing with zarvex-list instead and says how to see the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/default/bin
demo=examples/demo.AMOS

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/zarvex" ]; then
  exec "$bin/zarvex" "$demo"
fi

echo "No display here: the demo's listing, printed by zarvex-list:"
echo
"$bin/zarvex-list" --text "$demo" || true
echo
echo "To see the window, run 'make run' on a desktop, or under a virtual display:"
echo "  xvfb-run -a $bin/zarvex $demo"
