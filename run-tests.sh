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
echo "Building (log: $BUILD/build.log)..."
if ! cmake --build "$BUILD" -j"$(nproc)" >"$BUILD/build.log" 2>&1; then
  grep -E 'error|Error' -A5 "$BUILD/build.log" | head -80
  echo "The build failed."
  exit 1
fi
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" --timeout 1200
