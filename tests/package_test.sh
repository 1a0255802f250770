#!/usr/bin/env bash
# Builds the Debian package, unpacks it with dpkg-deb and runs the packaged
# zarvex-list from there: the package holds what it takes to work.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/zarvex ./usr/bin/zarvex-list ./usr/lib/libMorvane.so ./usr/share/applications/zarvex.desktop \
         ./usr/share/mime/packages/zarvex-amos.xml ./usr/share/icons/hicolor/32x32/apps/zarvex.png; do
  grep -q " $f\$" <<< "$contents" || { echo "the package lacks $f"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
# zarvex-list carries its C++ runtime and PNG writer; the viewer needs Qt.
for library in libc6 libqt6widgets6 libarchive13 libxmp4; do
  [[ "$depends" == *"$library"* ]] || { echo "Depends lacks $library: $depends"; exit 1; }
done
dpkg-deb -x "$deb" "$work/root"
cd /
listing=$("$work/root/usr/bin/zarvex-list" --quiet "$source/examples/demo.AMOS")
[[ "$listing" == *"Screen Open 0,320,200,16,Lowres"* ]] || { echo "the packaged zarvex-list did not list the demo"; exit 1; }
echo "package ok: $(basename "$deb")"
