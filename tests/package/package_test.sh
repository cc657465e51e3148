#!/usr/bin/env bash
# package_test.sh CPACK BUILD_DIR WORK_DIR
#
# Makes the Debian package from the built tree and checks it as it lands on a machine.
# As root, and when no kolvara package is installed already, the package is installed
# with dpkg and removed again at the end, whatever happens; otherwise (or for a machine
# where the user keeps an installed Kolvara) it is unpacked into WORK_DIR and checked
# there.
set -euo pipefail

cpack=$1 build=$2 work=$3
id=io.github.kolvara.Kolvara
# man and troff warn about a locale that is not installed, and render Japanese pages only
# in a UTF-8 one: this one is on every Debian machine.
export LC_ALL=C.UTF-8

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work"
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack could not make the package"; }
deb=$(echo "$work"/cpack/kolvara_*.deb)
[ -f "$deb" ] || fail "no kolvara_*.deb in $work/cpack"

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in bin/kolvara bin/kolvara-sheet share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/kolvara.1.gz share/man/ja/man1/kolvara.1.gz \
         share/man/man1/kolvara-sheet.1.gz share/man/ja/man1/kolvara-sheet.1.gz share/doc/kolvara/copyright; do
  [ -f "$root/usr/$f" ] || fail "the package lacks /usr/$f"
done

# Every Qt and print-system library the programs link must be a dependency (Debian names
# those packages after the library: libQt6Widgets.so.6 is in libqt6widgets6), and so
# must what they only load at run time (libcups, at the first print).
depends=$(dpkg-deb -f "$deb" Depends)
needed=$(objdump -p "$root/usr/bin/kolvara" "$root/usr/bin/kolvara-sheet" | awk '$1 == "NEEDED" { print $2 }' |
         grep -E '^lib(Qt6|cups)' | sort -u)
[ -n "$needed" ] || fail "objdump found no Qt library in the programs"
for so in $needed libcups2 fonts-ipafont-gothic qt6-translations-l10n qt6-qpa-plugins; do
  package=$(sed -E 's/\.so\.([0-9]+)$/\1/' <<<"$so" | tr '[:upper:]' '[:lower:]')
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package ($so): $depends"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
# The tree as a whole: the metainfo, and the desktop entry and icon it points to.
appstreamcli validate-tree --no-net "$root" || fail "AppStream metadata"

prefix=$root/usr
installed=""
cleanup() {
  if [ -n "${window:-}" ]; then kill "$window" 2>/dev/null || true; fi
  if [ -n "$installed" ]; then dpkg_locked dpkg -P kolvara >/dev/null || echo "could not remove kolvara" >&2; fi
}
trap cleanup EXIT

# Another installer (apt, or this test in another build tree) may hold dpkg's lock.
dpkg_locked() {
  local out
  for _ in $(seq 60); do
    if out=$("$@" 2>&1); then return 0; fi
    grep -qi 'lock' <<<"$out" || break
    sleep 1
  done
  echo "$out" >&2
  return 1
}

if [ "$(id -u)" -eq 0 ]; then
  exec 9>/tmp/kolvara-package-test.lock
  flock -w 120 9 || fail "another package test kept its lock"
  if ! dpkg-query -W -f='${Status}' kolvara 2>/dev/null | grep -q 'install ok installed'; then
    installed=yes
    dpkg_locked dpkg -i "$deb" || fail "dpkg -i $deb"
    prefix=/usr
  fi
fi
echo "checking the programs in $prefix"

for program in kolvara kolvara-sheet; do
  for lang in C ja; do
    page=$(MANPATH=$prefix/share/man man -L "$lang" -w $program) || fail "man -w $program ($lang) finds no page"
    [[ $page == "$prefix"/share/man/* ]] || fail "man $program ($lang) found $page, not the package's page"
    # Any troff warning (a line it cannot break, a bad macro) fails too.
    rendered=$work/man-$program-$lang.txt
    text=$(MANWIDTH=80 man -l "$page" 2>&1 >"$rendered") && [ -z "$text" ] || fail "man -l $page: $text"
    grep -qE '^(EXIT STATUS|終了ステータス)' "$rendered" || fail "$page renders without its exit status"
    # Where source lines join inside Japanese text, troff puts a space.
    ! grep -nE '[、。] ' "$rendered" || fail "$page renders spaces after 、 or 。"
  done
done

export QT_QPA_PLATFORM=offscreen
pdf=$work/sheet.pdf
"$prefix/bin/kolvara-sheet" --seed 502 -o "$pdf" || fail "kolvara-sheet exited with $?"
[ "$(head -c 5 "$pdf")" = "%PDF-" ] || fail "kolvara-sheet wrote no PDF"
pages=$(pdfinfo "$pdf" | awk '$1 == "Pages:" { print $2 }')
[ "$pages" = 2 ] || fail "one sheet with answers gave $pages pages"
# The Japanese on the page comes from the font the package depends on.
pdffonts "$pdf" | grep -q IPA || fail "no IPA font in the PDF: $(pdffonts "$pdf")"
version=$("$prefix/bin/kolvara-sheet" --version)
[ "$version" = "kolvara-sheet $(dpkg-deb -f "$deb" Version)" ] || fail "kolvara-sheet --version says: $version"

# The window program has no way to end itself: it must come up and stay up.
"$prefix/bin/kolvara" >"$work/kolvara.log" 2>&1 &
window=$!
sleep 2
kill -0 "$window" 2>/dev/null || fail "kolvara ended at start: $(cat "$work/kolvara.log")"
kill "$window"
wait "$window" 2>/dev/null || true
window=""
echo "package $deb: installed files, metadata, manual pages and both programs are good"
