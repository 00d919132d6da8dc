#!/usr/bin/env bash
# Builds the fuzz target and runs it for a fixed time, seeded with the inputs
# that made it fail before, the sample library, a target file, a workspace
# file and, when they sit beside the project, the real libraries, with a
# dictionary of the format's magic values. Any crash, leak, timeout, sanitizer report or bound
# broken fails the run and shows the input.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-90}
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds"
cp examples/sample.pbl fuzz/regressions/*.pbl "$work/seeds/"
printf 'save_format v3.0(19990112)\r\nliblist "input.pbl;input.pbt;sub\\\\a.pbl";\r\n' >"$work/seeds/target"
# A workspace naming the input as its target, whose library list names it as a library.
printf '@begin Targets\r\n 0 "input.pbt";\r\n@end;\r\nLibList "input.pbl;..\\\\x\\\\input.pbl";\r\n' \
  >"$work/seeds/workspace"
[ -d ../shared/corpus ] && find ../shared/corpus -type f \( -iname '*.pb[ld]' -o -iname '*.exe' \) \
  -size -200k -exec cp {} "$work/seeds/" \;
root=$PWD
if ! (cd "$work" && "$root/build/fuzz/fuzz/FuzzCommands" "$work/seeds" -max_total_time="$seconds" \
    -timeout=20 -rss_limit_mb=2048 -max_len=65536 -dict="$root/fuzz/lorvex.dict" \
    -print_final_stats=1 -artifact_prefix="$work/" >"$work/log" 2>&1); then
  tail -n 40 "$work/log"
  for input in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -f "$input" ] && { echo "input $input:"; od -A x -t x1z "$input" | head -n 64; }
  done
  exit 1
fi
grep -E '^stat::' "$work/log"
