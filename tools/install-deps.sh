#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running, testing and packing
# quelvaro need: apt-get update once, then only what is missing. Uses sudo when not root.
set -euo pipefail

packages=(
  cmake g++ pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libfontconfig-dev libx11-dev fonts-liberation
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0 libgles-dev libegl-dev libegl-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool openbox wmctrl imagemagick x11-utils python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  dpkg-dev file desktop-file-utils appstream
  lintian man-db groff-base
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
