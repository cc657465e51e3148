#!/usr/bin/env bash
# Makes docs/screenshot.png: the window right after start, rendered offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/build-env.sh
kolvara_build kolvara-screenshot
mkdir -p docs
QT_QPA_PLATFORM="offscreen:configfile=$PWD/scripts/offscreen.json" "$build/app/kolvara-screenshot" docs/screenshot.png
echo "wrote docs/screenshot.png"
