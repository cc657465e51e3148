#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Without a display it makes
# a week of numbered sheets with their answers as a PDF instead, and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/build-env.sh
kolvara_build kolvara kolvara-sheet
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
  exec "$build/app/kolvara" "$@"
fi

folder=$(xdg-user-dir DOCUMENTS 2>/dev/null || true)
if [ -z "$folder" ] || [ "$folder" = "$HOME" ] || [ ! -d "$folder" ] || [ ! -w "$folder" ]; then
  folder="$PWD/$build"
fi
pdf="$folder/kolvara-week-$(date +%F).pdf"
echo "No display found: making a week of sheets (5 numbered sheets with answers) instead of opening the window."
"$build/app/kolvara-sheet" --sheets 5 -o "$pdf"
echo "PDF: $pdf"
