#!/usr/bin/env bash
# Draws the program icon (32 x 32, 256 colours) with ImageMagick:
# resources/zarvex.png for the windows, resources/zarvex.ico for a Windows build.
set -euo pipefail
cd "$(dirname "$0")/../resources"
convert -size 32x32 xc:none \
  -fill '#1d3f8f' -draw 'roundrectangle 0,0 31,31 6,6' \
  -fill '#f29f05' -draw 'rectangle 4,24 27,27' \
  -fill white -font DejaVu-Sans-Mono-Bold -pointsize 24 -gravity center -annotate +0-3 'Z' \
  -colors 256 PNG8:zarvex.png
convert zarvex.png zarvex.ico
