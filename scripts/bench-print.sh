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
QT_QPA_PLATFORM="offscreen:configfile=$PWD/scripts/offscreen.json" "$build/bench/print_bench" "$@"

# The kept document of the newest job with the given title, once the printer has written it.
# The job list is CSV, oldest first: job-id,job-state,job-name (the name maybe in quotes).
kept() {
  local id i
  id=$(scripts/cups-test-env.sh jobs "$cups" | awk -v title="$1" '
    NR > 1 {
      id = $0; sub(/,.*/, "", id)
      name = substr($0, length(id) + 2); sub(/^[^,]*,/, "", name); gsub(/^"|"$/, "", name)
      if (name == title) newest = id
    }
    END { print newest }')
  [ -n "$id" ] || { echo "no job titled $1" >&2; return 1; }
  for ((i = 0; i < 300; i++)); do
    [ -f "$KOLVARA_CUPS_OUT/job-$id.pdf" ] && { echo "$KOLVARA_CUPS_OUT/job-$id.pdf"; return; }
    sleep 0.1
  done
  echo "job $id ($1) was not kept within 30 s" >&2
  return 1
}

# The answer page as the program prints it (vectors) and the screen capture print_bench
# titles "bitmap"; crop the first problem of each at 300 dpi.
vector=$(kept "Kolvara解答値あり")
bitmap=$(kept bitmap)
mkdir -p docs
pdftoppm -r 300 -x 80 -y 150 -W 700 -H 500 -png -singlefile "$vector" docs/print-crop-vector
pdftoppm -r 300 -x 80 -y 150 -W 700 -H 500 -png -singlefile "$bitmap" docs/print-crop-bitmap
echo "wrote docs/print-crop-vector.png and docs/print-crop-bitmap.png"
