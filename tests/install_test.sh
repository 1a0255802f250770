#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the installed
# programs find libMorvane.so and work from there: the window through its
# RUNPATH, zarvex-list (which has none, to start faster) by looking in its
# installed library folder itself.
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
for f in bin/zarvex bin/zarvex-list lib/libMorvane.so share/applications/zarvex.desktop \
         share/mime/packages/zarvex-amos.xml share/icons/hicolor/32x32/apps/zarvex.png; do
  [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
readelf -d "$prefix/bin/zarvex" | grep -q 'RUNPATH.*\$ORIGIN/\.\./lib' || { echo "no RUNPATH to ../lib"; exit 1; }
if readelf -d "$prefix/bin/zarvex-list" | grep -q 'RUNPATH\|RPATH'; then echo "zarvex-list has a RUNPATH"; exit 1; fi
# Run from elsewhere, so only the program's own place can lead to the library.
cd /
listing=$("$prefix/bin/zarvex-list" --text "$source/examples/demo.AMOS" 2>/dev/null)
[[ "$listing" == *"Screen Open 0,320,200,16,Lowres"* ]] || { echo "installed zarvex-list did not list the demo"; exit 1; }
echo "install ok"
