#!/usr/bin/env bash
# Installs what is missing, builds quelvaro (plain, with sanitizers, and for
# Windows: the 32-bit executable that ships and a 64-bit one that runs under
# Wine) and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install-deps.sh

jobs=$(nproc)
# The suites once more under AddressSanitizer and UndefinedBehaviorSanitizer;
# the plain tree's ctest runs them, so one summary covers everything.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUELVARO_SANITIZE=ON -DQUELVARO_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs" --target core_tests platform_tests

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELVARO_ASAN_TREE="$PWD/build-asan" >/dev/null
cmake --build build -j "$jobs"

cd build
ctest --output-on-failure -j "$jobs"
