#!/usr/bin/env bash
# Installs what the web version needs besides what scripts/setup.sh installs: Emscripten,
# Chromium and the font tools from Debian, Firefox ESR and WebKitGTK with its Python
# bindings for the smoke tests in those engines, and web/'s npm packages as its lock file
# pins them. Idempotent: what is there already is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh emscripten chromium python3-fonttools python3-brotli librsvg2-bin nodejs \
  firefox-esr gir1.2-webkit2-4.1 python3-gi
# npm comes with some builds of Node.js; Debian's own npm only where it does not.
command -v npm >/dev/null || bash scripts/setup.sh npm

# The packages exactly as locked, again only when the lock file changed since.
stamp=web/node_modules/.kolvara-lock
lock_sum=$(sha256sum web/package-lock.json | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$lock_sum" ]; then
  (cd web && npm ci --no-audit --no-fund --loglevel=error)
  echo "$lock_sum" >"$stamp"
fi
