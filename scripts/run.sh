#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/build-env.sh
kolvara_build kolvara
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Kolvara needs a desktop display and none was found; start it inside one, or without a desktop run: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
exec "$build/app/kolvara" "$@"
