#!/usr/bin/env bash
# End-to-end tests of the Windows build under Wine: listing, extraction of the
# sample library and the exit codes, compared with what the Linux build does.
# Console lines are text mode on Windows, so the listing ends its lines in
# CR LF there; export files are binary on both and must match byte for byte.
# Usage: tests/windows/run-under-wine.sh <lorvex.exe> <linux lorvex>
set -uo pipefail
exe=$(realpath "$1")
native=$(realpath "$2")
sample=$(realpath "$(dirname "$0")/../../examples/sample.pbl")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all TZ=UTC
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
failures=0
passes=0

check() {  # check <description> <condition...>
  local what=$1; shift
  if "$@"; then passes=$((passes + 1)); else failures=$((failures + 1)); echo "FAILED: $what"; fi
}
wine_run() {  # wine_run <folder> <arguments...>: standard output to <folder>.out, exit code to <folder>.code
  local dir=$1; shift
  mkdir -p "$work/$dir"
  (cd "$work/$dir" && "$wine" "$exe" "$@" >"$work/$dir.out" 2>/dev/null; echo $? >"$work/$dir.code")
}
native_run() {
  local dir=$1; shift
  mkdir -p "$work/$dir"
  (cd "$work/$dir" && "$native" "$@" >"$work/$dir.out" 2>/dev/null; echo $? >"$work/$dir.code")
}
code_is() { [ "$(cat "$work/$1.code")" = "$2" ]; }
crlf_of() { sed 's/$/\r/' "$work/$1.out"; }
same_listing() { cmp -s <(crlf_of "$2") "$work/$1.out"; }
same_tree() { diff -r "$work/$1" "$work/$2" >/dev/null; }

"$wine" wineboot -i >/dev/null 2>&1 || true

wine_run usage; native_run usage-native
check "no arguments: exit 1" code_is usage 1
check "banner and usage in CR LF lines" same_listing usage usage-native

wine_run unknown -x missing.pbl
check "unknown switch: exit 3" code_is unknown 3
check "unknown switch message" cmp -s "$work/unknown.out" <(printf 'Unknown command line switch: -x\r\n')

wine_run missing -v missing.pbl
check "missing library: exit 2" code_is missing 2
check "open error message" cmp -s "$work/missing.out" <(printf 'File open error or wrong format!\r\n')

wine_run list -V "$sample"; native_run list-native -v "$sample"
check "listing: exit 0" code_is list 0
check "listing equals the Linux one with CR LF line ends" same_listing list list-native

wine_run all -e "$sample"; native_run all-native -e "$sample"
check "extract all: exit 0" code_is all 0
check "export files byte-exact" same_tree all all-native

wine_run named -e "$sample" w_main.srw 'PCODE\u_toolbar.udo' u_toolbar.sru missing
native_run named-native -e "$sample" w_main.srw 'PCODE\u_toolbar.udo' u_toolbar.sru missing
check "named extraction: exit 0" code_is named 0
check "extracting lines" same_listing named named-native
check "named export files with binary data sections byte-exact" same_tree named named-native

mkdir -p "$work/blocked/w_main.win"
wine_run blocked -e "$sample" 'PCODE\w_main.win' w_main.srw
check "unwritable export: exit 4" code_is blocked 4
check "the entry after it is never extracted" test ! -e "$work/blocked/w_main.srw"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
