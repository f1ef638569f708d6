#!/bin/bash
# One command on a fresh Debian 12 machine (as root): installs what the build
# and the tests need, configures, builds and runs every test under Wine.
# CTest's summary is the last thing printed.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts/prepare-machine.sh
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)" 2>&1 | grep -Ev '^\[ *[0-9]+%\]' || true
test "${PIPESTATUS[0]}" -eq 0 || cmake --build "$BUILD" -j1
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" --timeout 1200
