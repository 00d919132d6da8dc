#!/usr/bin/env bash
# End-to-end tests of the Windows build under Wine: each command runs with
# lorvex.exe and with the Linux build in fresh folders, and must give the same
# exit code, the same console lines (CR LF under Windows) and the same files.
# Usage: tests/windows/run-under-wine.sh <lorvex.exe> <linux lorvex>
set -uo pipefail
exe=$(realpath "$1")
native=$(realpath "$2")
sample=$(realpath "$(dirname "$0")/../../examples/sample.pbl")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all TZ=UTC
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
"$wine" wineboot -i >/dev/null 2>&1 || true
failures=0
runs=0

# same <expected exit code> <setup command> <arguments...>
same() {
  local code=$1 setup=$2; shift 2
  runs=$((runs + 1))
  mkdir -p "$work/w$runs" "$work/n$runs"
  (cd "$work/w$runs" && eval "$setup" && "$wine" "$exe" "$@" >../w$runs.out 2>/dev/null; echo $? >../w$runs.code)
  (cd "$work/n$runs" && eval "$setup" && "$native" "$@" 2>/dev/null | sed 's/$/\r/' >../n$runs.out)
  if [ "$(cat "$work/w$runs.code")" != "$code" ] || ! cmp -s "$work/w$runs.out" "$work/n$runs.out" ||
     ! diff -r "$work/w$runs" "$work/n$runs" >/dev/null; then
    failures=$((failures + 1)); echo "FAILED: lorvex $* (exit $(cat "$work/w$runs.code"), expected $code)"
  fi
}

same 1 true
same 3 true -x missing.pbl
same 2 true -v missing.pbl
same 0 true -V "$sample"
same 0 true -e "$sample"
same 0 true -e "$sample" w_main.srw 'PCODE\u_toolbar.udo' u_toolbar.sru missing
same 4 'mkdir w_main.win' -e "$sample" 'PCODE\w_main.win' w_main.srw

echo "$((runs - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
