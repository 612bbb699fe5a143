#!/usr/bin/env bash
# The main job: build Lotwarden and show what it knows. (Grows into the full demo.)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target lotwarden
"$build/bin/lotwarden" --version
"$build/bin/lotwarden" servers
