#!/usr/bin/env bash
# Builds the browser version into the given folder (Release, WebAssembly and
# WebGL 1) with Debian's emscripten, from the same sources: cmake/web.cmake
# says what it holds. Nothing is downloaded or compiled beyond our own
# sources: emscripten's libraries come prebuilt with Debian's package.
#
#   tools/build-web.sh [OUT]     (OUT defaults to build-web/)
#
# It always makes render_frame.html (the frame's cases on a WebGL canvas, for
# the browser tests). Once platform/web/ holds the web backend it also makes
# quelvaro.html, .js and .wasm, the program, and packs them with a read-me and
# the licence as OUT/package/quelvaro-<version>-web.zip, and layout_probe.html
# (the dialogs' layout probe on the same layer, for layout.windows).
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$src/build-web}"

fail() { echo "web build: $*"; exit 1; }
command -v em++ >/dev/null || fail "no em++: install Debian's emscripten (tools/install-deps.sh does)"
# Debian's node modules (emcc's optimiser needs acorn from there).
export NODE_PATH=/usr/share/nodejs

# QUELVARO_WERROR=ON in the environment (./test.sh sets it) makes warnings errors.
cmake -S "$src" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/emscripten.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUELVARO_WERROR="${QUELVARO_WERROR:-OFF}" >/dev/null
cmake --build "$out" -j "$(nproc)"
out=$(cd "$out" && pwd)

for file in render_frame.html render_frame.js render_frame.wasm; do
  [[ -s "$out/$file" ]] || fail "no $out/$file"
done
if [[ ! -e "$out/quelvaro.html" ]]; then
  echo "web build: made render_frame.html; no web backend in platform/web/ yet, so no quelvaro.html and no zip"
  exit 0
fi

# The zip a web server's folder is unpacked from: the program's three files,
# the read-me and the licence, nothing else.
(cd "$out" && cpack -G ZIP -B "$out/package" >/dev/null)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$out/CPackConfig.cmake")
zip="$out/package/quelvaro-$version-web.zip"
[[ -f "$zip" ]] || fail "cpack made no $zip"
listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
expected="LICENSE README.txt quelvaro.html quelvaro.js quelvaro.wasm "
[[ "$listed" == "$expected" ]] || fail "$zip holds: $listed(expected: $expected)"
echo "web build: made quelvaro.html and $zip"
