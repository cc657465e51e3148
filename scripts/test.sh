#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/build-env.sh
kolvara_build
export QT_QPA_PLATFORM="offscreen:configfile=$PWD/scripts/offscreen.json"
ctest --test-dir "$build" --output-on-failure -j 2 "$@"
