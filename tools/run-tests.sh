#!/usr/bin/env bash
# Builds Lotwarden with warnings as errors and runs the whole test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$top/build}
jobs=${LW_JOBS:-2}

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLW_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"
cd "$build"
ctest --output-on-failure -j"$jobs" --timeout 300
