#!/usr/bin/env bash
# Installs what the web version needs besides what scripts/setup.sh installs: Emscripten,
# Chromium and the font tools from Debian, and web/'s npm packages as its lock file pins
# them. Idempotent: what is there already is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

packages=(emscripten chromium python3-fonttools python3-brotli librsvg2-bin nodejs)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! command -v npm >/dev/null; then
  echo "Installing: npm"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends npm
fi

# The packages exactly as locked, again only when the lock file changed since.
stamp=web/node_modules/.kolvara-lock
lock_sum=$(sha256sum web/package-lock.json | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$lock_sum" ]; then
  (cd web && npm ci --no-audit --no-fund --loglevel=error)
  echo "$lock_sum" >"$stamp"
fi
