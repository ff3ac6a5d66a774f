#!/bin/sh
# Builds the page services' smoke program into OUT (default build-web-smoke/):
# web_dom_smoke.html, .js and .wasm, to serve over HTTP.
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:-$root/build-web-smoke}
mkdir -p "$out"
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
nice -n 5 em++ -std=c++17 -O1 -I"$root/platform" \
    "$here/web_dom_smoke.cpp" "$root/platform/web/web_dom.cpp" \
    --js-library "$root/platform/web/web_dom.js" --shell-file "$root/platform/web/web_shell.html" \
    -sASYNCIFY -sMINIFY_HTML=0 -sALLOW_MEMORY_GROWTH -sEXPORTED_RUNTIME_METHODS=UTF8ToString \
    -o "$out/web_dom_smoke.html"
