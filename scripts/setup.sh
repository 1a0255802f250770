#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the tests and the viewer need and
# this machine lacks. Does nothing when everything is present already.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config dpkg-dev file
  qt6-base-dev qt6-multimedia-dev libgl-dev libpng-dev libxmp-dev libarchive-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation xvfb xauth x11-apps imagemagick xdotool hyperfine time libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
