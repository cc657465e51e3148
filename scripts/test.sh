#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless; then builds
# the program and its tests again with AddressSanitizer and UndefinedBehaviorSanitizer
# into "$build-asan" and runs them there (label "sanitizers"). Arguments go to every
# ctest run. KOLVARA_SANITIZERS=0 leaves the second run out. In between, the web version is
# built into build-web/ and its tests (label "web") run in Debian's headless Chromium from
# build-webtest/; KOLVARA_WEB=0 leaves that out.
set -euo pipefail
# No test may hang a run: one that takes ten minutes has failed.
cd "$(dirname "$0")/.."
. scripts/build-env.sh
kolvara_build
export QT_QPA_PLATFORM="offscreen:configfile=$PWD/scripts/offscreen.json"
status=0
ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2 "$@" || status=$?

if [ "${KOLVARA_WEB:-1}" != 0 ]; then
  start=$SECONDS
  bash scripts/setup-web.sh
  emcmake cmake -S web -B build-web -G Ninja >/dev/null
  cmake --build build-web
  # The page is held against kolvara-sheet and the desktop's layout from the build above.
  desktop=$(cd "$build" && pwd)
  cmake -S tests/web -B build-webtest -G Ninja -DKOLVARA_SITE="$PWD/build-web/site" \
        -DKOLVARA_SHEET="$desktop/app/kolvara-sheet" -DKOLVARA_SHEET_DUMP="$desktop/bench/sheet_dump" >/dev/null
  cmake --build build-webtest -j "$(nproc)"
  ctest --test-dir build-webtest --output-on-failure --timeout 600 -L web "$@" || status=$?
  echo "web run: $((SECONDS - start)) s"
fi

if [ "${KOLVARA_SANITIZERS:-1}" != 0 ]; then
  start=$SECONDS
  sanitized="$build-asan"
  # No benchmarks and no screenshot program: nothing there runs as a test.
  cmake -S . -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVARA_SANITIZE=ON \
        -DKOLVARA_WITH_BENCH=OFF -DKOLVARA_WITH_SCREENSHOT=OFF >/dev/null
  cmake --build "$sanitized" -j "$(nproc)"
  built=$SECONDS
  ctest --test-dir "$sanitized" --output-on-failure --timeout 600 -j 2 -L sanitizers "$@" || status=$?
  echo "sanitizer run: build $((built - start)) s, tests $((SECONDS - built)) s"
fi
exit "$status"
