#!/usr/bin/env bash
# Makes docs/screenshot.png: the window right after start, rendered offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build="${KOLVARA_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target kolvara-screenshot
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/app/kolvara-screenshot" docs/screenshot.png
echo "wrote docs/screenshot.png"
