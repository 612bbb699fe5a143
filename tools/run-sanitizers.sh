#!/usr/bin/env bash
# The sanitizer and fuzzing jobs of CI, after the plain test run:
#  1. AddressSanitizer + UndefinedBehaviorSanitizer (with LeakSanitizer): every test, the
#     desktop program's offscreen.
#  2. ThreadSanitizer: every test that runs the download engine or a refresh (the engine, the
#     refresh service, the command line and the end-to-end tests). The desktop program stays out:
#     Qt's own locks are invisible to an uninstrumented Qt, so every queued call would be
#     reported as a race.
#  3. The libFuzzer targets built with clang, each run a few seconds over its seed corpus.
# Builds go to build-asan/, build-tsan/ and build-fuzz/ (LW_SAN_BUILD_ROOT moves them), at -O1.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${LW_SAN_BUILD_ROOT:-$top}
jobs=${LW_JOBS:-2}
smoke_seconds=${LW_FUZZ_SMOKE_SECONDS:-5}
started=$(date +%s)
step() { echo "== $* ($(( $(date +%s) - started )) s)"; }

common=(-G Ninja -DLW_BUILD_BENCH=OFF -DLW_WERROR=ON -DCMAKE_BUILD_TYPE=None "-DCMAKE_CXX_FLAGS=-O1 -g")

step "AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S "$top" -B "$root/build-asan" "${common[@]}" -DLW_BUILD_GUI=ON -DLW_SANITIZE=address >/dev/null
cmake --build "$root/build-asan" -j"$jobs"
(cd "$root/build-asan" &&
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
  LSAN_OPTIONS=suppressions=$top/tools/lsan-suppressions.txt:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j"$jobs" --timeout 600 -LE soak)

step "ThreadSanitizer"
cmake -S "$top" -B "$root/build-tsan" "${common[@]}" -DLW_BUILD_GUI=OFF -DLW_SANITIZE=thread >/dev/null
tsan_tests=$(cd "$top/tests" &&
  grep -ho 'lw_add_test([A-Za-z0-9_]*' download/CMakeLists.txt cli*/CMakeLists.txt e2e*/CMakeLists.txt |
    sed 's/lw_add_test(//')
cmake --build "$root/build-tsan" -j"$jobs" --target lotwarden auction-sim $tsan_tests
# Only the executables built here have discovered tests; the others show as *_NOT_BUILT.
(cd "$root/build-tsan" &&
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --output-on-failure -j"$jobs" --timeout 600 -LE soak -E '_NOT_BUILT$|^refdata_generator')

step "fuzz targets (smoke, ${smoke_seconds} s each)"
cmake -S "$top" -B "$root/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DLW_FUZZ=ON \
  -DLW_SANITIZE=address -DLW_BUILD_GUI=OFF -DLW_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=None \
  "-DCMAKE_CXX_FLAGS=-O1 -g" >/dev/null
cmake --build "$root/build-fuzz" -j"$jobs" --target fuzzers
LOTWARDEN="$root/build-asan/bin/lotwarden" "$top/fuzz/make-seeds.sh" "$root/build-fuzz/fuzz" >/dev/null
for target in "$root/build-fuzz/fuzz"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  cp -r "$root/build-fuzz/fuzz/corpus-$name/." "$work/"
  ASAN_OPTIONS=detect_leaks=1 "$target" -max_total_time="$smoke_seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" 2>"$work.log" || { tail -50 "$work.log"; exit 1; }
  echo "$name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work.log" | grep -o '[0-9]*$') runs"
  rm -rf "$work" "$work.log"
done
step "sanitizer and fuzz jobs passed"
