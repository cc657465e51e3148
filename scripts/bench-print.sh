#!/usr/bin/env bash
# Runs the print benchmark against a private scheduler, then renders a crop of the printed
# sheet and of a screen-capture print at 300 dpi into docs/ for comparison.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/build-env.sh
kolvara_build print_bench
cups="$PWD/$build/bench/cups"
trap 'scripts/cups-test-env.sh stop "$cups" >/dev/null' EXIT
scripts/cups-test-env.sh start "$cups" >/dev/null
. "$cups/env"
unset PRINTER LPDEST
QT_QPA_PLATFORM=offscreen "$build/bench/print_bench" "$@"

# Newest kept bitmap page and newest vector answer page; crop the first problem at 300 dpi.
bitmap=$(ls -t "$KOLVARA_CUPS_OUT"/job-*.pdf | head -n 1)
vector=$(ls -t "$KOLVARA_CUPS_OUT"/job-*.pdf | sed -n 4p)
mkdir -p docs
pdftoppm -r 300 -x 80 -y 150 -W 700 -H 500 -png -singlefile "$vector" docs/print-crop-vector
pdftoppm -r 300 -x 80 -y 150 -W 700 -H 500 -png -singlefile "$bitmap" docs/print-crop-bitmap
echo "wrote docs/print-crop-vector.png and docs/print-crop-bitmap.png"
