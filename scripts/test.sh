#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless; then builds
# the program and its tests again with AddressSanitizer and UndefinedBehaviorSanitizer
# into "$build-asan" and runs them there (label "sanitizers"). Arguments go to both ctest
# runs. KOLVARA_SANITIZERS=0 leaves the second run out.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/build-env.sh
kolvara_build
export QT_QPA_PLATFORM="offscreen:configfile=$PWD/scripts/offscreen.json"
status=0
ctest --test-dir "$build" --output-on-failure -j 2 "$@" || status=$?

if [ "${KOLVARA_SANITIZERS:-1}" != 0 ]; then
  start=$SECONDS
  sanitized="$build-asan"
  # No benchmarks and no screenshot program: nothing there runs as a test.
  cmake -S . -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVARA_SANITIZE=ON \
        -DKOLVARA_WITH_BENCH=OFF -DKOLVARA_WITH_SCREENSHOT=OFF >/dev/null
  cmake --build "$sanitized" -j "$(nproc)"
  built=$SECONDS
  ctest --test-dir "$sanitized" --output-on-failure -j 2 -L sanitizers "$@" || status=$?
  echo "sanitizer run: build $((built - start)) s, tests $((SECONDS - built)) s"
fi
exit "$status"
