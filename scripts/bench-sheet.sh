#!/usr/bin/env bash
# kolvara-sheet against a peer that writes the same 200 pages with Debian's ReportLab
# (bench/reportlab_peer.py, from primitives sheet_dump lays out once beforehand): both run
# in turn, and the ratio is taken pair by pair so a drift in the machine's speed cancels.
# Prints the medians, the ratio, the PDFs' bytes per page and kolvara-sheet's peak memory.
#
#   scripts/bench-sheet.sh [RUNS]      (RUNS of each after one warm-up; default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-7}"
. scripts/build-env.sh
kolvara_build kolvara-sheet sheet_dump
sheet="$PWD/$build/app/kolvara-sheet"
# Debian's interpreter, which has python3-reportlab, whatever python3 comes first on PATH.
python=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/sheet_dump" --sheets 100 --seed 1 -o "$work/pages.json"
kolvara=("$sheet" --sheets 100 --seed 1 -o "$work/kolvara.pdf")
peer=("$python" bench/reportlab_peer.py "$work/pages.json" "$work/reportlab.pdf")

# Wall, user and system seconds of one run.
TIMEFORMAT='%3R %3U %3S'
timed() {
  local figures
  if ! figures=$( { time "$@" >/dev/null 2>"$work/errors"; } 2>&1); then
    echo "failed: $*" >&2
    cat "$work/errors" >&2
    exit 1
  fi
  echo "$figures"
}

for ((i = 0; i <= runs; i++)); do
  a=$(timed "${kolvara[@]}")
  b=$(timed "${peer[@]}")
  ((i > 0)) && echo "$a $b" >>"$work/times"  # run 0 warms the caches
done

median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column() { awk "{ print $1 }" "$work/times" | median; }
pages() { pdfinfo "$1" | awk '/^Pages:/ { print $2 }'; }
perPage() { echo $(($(stat -c %s "$1") / $(pages "$1"))); }

version=$("$python" -c 'import reportlab; print(reportlab.Version)')
echo "200 pages (--sheets 100 --seed 1), $runs runs of each in turn after a warm-up; medians:"
printf '  %-18s wall %6.3f s   cpu %6.3f s   %6d bytes/page\n' \
  kolvara-sheet "$(column '$1')" "$(column '$2 + $3')" "$(perPage "$work/kolvara.pdf")"
printf '  %-18s wall %6.3f s   cpu %6.3f s   %6d bytes/page\n' \
  "reportlab $version" "$(column '$4')" "$(column '$5 + $6')" "$(perPage "$work/reportlab.pdf")"
printf '  kolvara-sheet / reportlab: wall %.3f, cpu %.3f (medians of the pairs'"'"' ratios)\n' \
  "$(column '$1 / $4')" "$(column '($2 + $3) / ($5 + $6)')"

echo "kolvara-sheet's peak resident memory:"
for n in 1 100 1000; do
  if /usr/bin/time -f %M -o "$work/peak" "$sheet" --sheets "$n" --seed 1 -o "$work/peak.pdf" 2>"$work/errors"; then
    printf '  --sheets %-5s %6.1f MiB\n' "$n" "$(awk '{ print $1 / 1024 }' "$work/peak")"
  else
    printf '  --sheets %-5s not written: %s\n' "$n" "$(tail -n 2 "$work/errors" | head -n 1)"
  fi
done
