#!/usr/bin/env bash
# Builds quelvaro.exe for 32-bit Windows into the given folder and checks that
# it is a 32-bit GUI executable that carries the program's resources.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$src/build-windows}"
cmake -S "$src" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out" -j "$(nproc)"
exe="$out/quelvaro.exe"


i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386' || { echo "not a 32-bit PE"; exit 1; }
# Subsystem 2 is the Windows GUI.
i686-w64-mingw32-objdump -p "$exe" | grep -E '^Subsystem' | grep -q '00000002' || { echo "not a GUI program"; exit 1; }
i686-w64-mingw32-objdump -h "$exe" | grep -q '\.rsrc' || { echo "no resources"; exit 1; }
echo "windows build: ok"
