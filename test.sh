#!/usr/bin/env bash
# Installs what is missing, builds quelvaro (plain, with sanitizers, for the
# browser, and for Windows: the 32-bit executable that ships, run under 32-bit
# Wine through qemu, and a 64-bit one run under wine64) and runs every test
# through ctest.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install-deps.sh

jobs=$(nproc)
# Every build made here treats a compiler warning as an error, the Windows one
# (built by a test through tools/build-windows.sh) included.
export QUELVARO_WERROR=ON
# The suites once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the program, which the display-loss test runs too; the plain tree's
# ctest runs them, so one summary covers everything.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUELVARO_SANITIZE=ON -DQUELVARO_BENCH=OFF -DQUELVARO_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs" --target core_tests platform_tests planted_leak quelvaro

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELVARO_ASAN_TREE="$PWD/build-asan" -DQUELVARO_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
# The browser version (emscripten), which the plain tree's browser tests load
# in headless chromium.
bash tools/build-web.sh "$PWD/build-web"

cd build
ctest --output-on-failure -j "$jobs"
