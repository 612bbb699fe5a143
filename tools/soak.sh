#!/usr/bin/env bash
# The refresh soak: builds lotwarden, auction-sim and the soak driver, then refreshes 10,000
# items on every simulated site three times with 5% injected faults (see tests/soak/).
# LW_BUILD_DIR picks the build (build/ by default); extra arguments go to the driver
# (--items N, --fault-percent P, --rounds R).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LW_BUILD_DIR:-$top/build}
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLW_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j"${LW_JOBS:-2}" --target lotwarden auction-sim soak_refresh
export TZ=Europe/Paris LC_ALL=C.UTF-8 LW_SOAK=1
home=$build/test-home/soak
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache
mkdir -p "$home"
exec "$build/bin/soak_refresh" --lotwarden "$build/bin/lotwarden" --sim "$build/bin/auction-sim" \
  --work "$home/run" "$@"
