#!/usr/bin/env bash
# The web version's figures (bench/web/web_bench.mjs): first-visit transfer size, first
# sheet on screen beside a bare page, "更新" to the new sheet, a 100-sheet PDF in the
# browser. Builds the site first; with a folder, also leaves screenshots at phone, tablet
# and laptop sizes and the printed and saved PDFs as PNG there.
#
#   scripts/bench-web.sh [RUNS] [SCREENSHOT_DIR]       (RUNS of each page load; default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-web.sh
emcmake cmake -S web -B build-web -G Ninja >/dev/null
cmake --build build-web >/dev/null
exec node bench/web/web_bench.mjs build-web/site "${1:-15}" ${2:+"$2"}
