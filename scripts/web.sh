#!/usr/bin/env bash
# Builds Kolvara for the browser into build-web/site (installing what is missing) and
# serves it on http://127.0.0.1:8080 until stopped (Ctrl+C). KOLVARA_WEB_PORT picks
# another port.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-web.sh
emcmake cmake -S web -B build-web -G Ninja >/dev/null
cmake --build build-web
exec node web/serve.mjs build-web/site "${KOLVARA_WEB_PORT:-8080}"
