#!/usr/bin/env bash
# Installs what is missing, builds quelvaro and starts it. Without a display it
# runs on a virtual one, saves build/screenshot.png after a few seconds and
# closes the program the way a window manager would.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install-deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target quelvaro

if [[ -n "${DISPLAY:-}" ]]; then
  exec ./build/quelvaro
fi
exec bash tools/screenshot.sh ./build/quelvaro build/screenshot.png
