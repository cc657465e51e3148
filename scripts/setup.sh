#!/usr/bin/env bash
# Installs every Debian package Kolvara needs to build, test and run, and any further
# packages named as arguments (scripts/setup-web.sh names the web version's).
# Idempotent: packages already present are skipped without touching apt.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-tools-dev qt6-tools-dev-tools
  qt6-qpa-plugins libgl-dev qt6-translations-l10n
  fonts-ipafont-gothic fontconfig
  xvfb xauth openbox x11-utils
  cups cups-client cups-bsd cups-ipp-utils libcups2-dev
  poppler-utils python3-reportlab time
  dpkg-dev file desktop-file-utils appstream man-db
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
