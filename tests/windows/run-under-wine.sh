#!/usr/bin/env bash
# End-to-end tests of the Windows build under Wine: each command runs with
# lorvex.exe and with the Linux build in fresh folders, and must give the same
# exit code, the same console lines (CR LF under Windows) and the same files;
# names that mean something else to Windows must fail there instead.
# Usage: tests/windows/run-under-wine.sh <lorvex.exe> <linux lorvex> <make_windows_fixtures>
set -uo pipefail
exe=$(realpath "$1")
native=$(realpath "$2")
sample=$(realpath "$(dirname "$0")/../../examples/sample.pbl")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all TZ=UTC
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
"$wine" wineboot -i >/dev/null 2>&1 || true
fixtures="$work/fixtures"
mkdir "$fixtures" && "$3" "$fixtures" || exit 1
runs=0 failures=0
fail() { failures=$((failures + 1)); echo "FAILED: $*"; }

# same <expected exit code> <setup command> <arguments...>
# The console's text mode ends each line in CR LF there; -p writes in binary
# mode, so its bytes are compared as they are.
same() {
  local expected=$1 setup=$2 console=(sed 's/$/\r/'); shift 2
  [ "${1:-}" = -p ] && console=(cat)
  runs=$((runs + 1))
  local w="$work/w$runs" n="$work/n$runs" code
  mkdir -p "$w" "$n"
  (cd "$n" && eval "$setup" && "$native" "$@" 2>/dev/null | "${console[@]}" >"$n.out")
  code=$(cd "$w" && eval "$setup" && "$wine" "$exe" "$@" >"$w.out" 2>/dev/null; echo $?)
  [ "$code" = "$expected" ] && cmp -s "$w.out" "$n.out" && diff -r "$w" "$n" >/dev/null ||
    fail "lorvex $* (exit $code, expected $expected)"
}

same 1 true; same 3 true -x missing.pbl; same 2 true -v missing.pbl
same 0 true -V "$sample"; same 0 true -T "$sample"; same 0 true -e "$sample"
same 0 true -e "$sample" w_main.srw 'PCODE\u_toolbar.udo' u_toolbar.sru missing
same 4 'mkdir w_main.win' -e "$sample" 'PCODE\w_main.win' w_main.srw
same 0 true -s -o out --codepage=1252 "$fixtures/cp1252.pbl"
same 0 true -s -o out --encoding=hexascii --codepage=936 "$fixtures/cp936.pbl"
same 0 true -s -o out "$fixtures/unicode.pbl"
same 0 true --version; same 2 true -t "$sample" "$fixtures/unicode.pbl" missing.pbl "$fixtures/cp1252.pbl"
same 2 true -l --json --codepage=1252 "$sample" "$fixtures/cp1252.pbl" missing.pbl "$fixtures/unicode.pbl"
same 0 true -p "$sample"; same 0 true -p --codepage=1252 "$fixtures/cp1252.pbl"; same 0 true -p "$fixtures/cp936.pbl"
same 0 true -p "$fixtures/unicode.pbl"; same 2 true -p missing.pbl
same 0 true -l "$fixtures/cp936.pbl"; same 0 true -e -o out/sub "$sample" '*.sr?' 'pcode\*.BIN'
# A workspace, its target and a library in a folder of its own; dry runs over nothing and over the result.
make_app() {
  mkdir -p a/lib && cp "$fixtures/cp1252.pbl" a/lib/x.pbl &&
    printf 'LibList "lib\\\\x.pbl";\r\n' >a/t.pbt &&
    printf '@begin Targets\r\n 0 "t.pbt";\r\n@end;\r\n' >a/a.pbw
}
same 0 make_app -s -o ws --codepage=1252 a/a.pbw
same 5 make_app -s --check -o ws --codepage=1252 a/a.pbw
same 0 'make_app && "$native" -s -o ws --codepage=1252 a/a.pbw >/dev/null' -s --check -o ws --codepage=1252 a/a.pbw

# Names the system takes for one file: the second fails.
runs=$((runs + 1)) && mkdir "$work/case$runs"
code=$(cd "$work/case$runs" && "$wine" "$exe" -s -o out "$fixtures/cases.pbl" >/dev/null 2>&1; echo $?)
[ "$code" = 4 ] && [ "$(ls "$work/case$runs/out/fixtures/cases.pbl.src" | wc -l)" = 1 ] ||
  fail "lorvex -s cases.pbl (exit $code)"

# A colon, a device name, a trailing dot or space: nothing is written, here or on drive C.
for name in 'RESOURCES\c:evil.gif' 'RESOURCES\a:b' 'PCODE\x.gif.' 'PCODE\y.gif ' nul.srw 'PCODE\CON' \
            'PCODE\aux.gif' 'PCODE\prn' 'PCODE\Com1' 'PCODE\lpt9.txt'; do
  runs=$((runs + 1)) && mkdir "$work/name$runs"
  code=$(cd "$work/name$runs" && "$wine" "$exe" -e "$fixtures/names.pbl" "$name" >"$work/name$runs.err" 2>&1; echo $?)
  [ "$code" = 4 ] && [ -z "$(ls -A "$work/name$runs")" ] ||
    fail "lorvex -e names.pbl '$name' (exit $code): $(head -c 300 "$work/name$runs.err")"
done
[ ! -e "$WINEPREFIX/drive_c/evil.gif" ] || fail "evil.gif was written to drive C"
# and -t counts each of them as damage here, where no extraction of them can succeed.
runs=$((runs + 1))
code=$(cd "$work" && "$wine" "$exe" -t "$fixtures/names.pbl" >/dev/null 2>&1; echo $?)
[ "$code" = 4 ] || fail "lorvex -t names.pbl (exit $code)"

echo "$((runs - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
