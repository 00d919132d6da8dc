#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a fixed time, seeded with the
# builder's libraries and, when they sit beside the project, the real ones.
# Any crash, leak, timeout or sanitizer report fails the run and shows the input.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-90}
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds"
./build/fuzz/fuzz/make_seeds "$work/seeds"
[ -d ../shared/corpus ] && find ../shared/corpus -type f \( -iname '*.pb[ld]' -o -iname '*.exe' \) \
  -size -200k -exec cp {} "$work/seeds/" \;
for target in FuzzReader FuzzExtract; do
  mkdir -p "$work/$target" && cp "$work/seeds"/* "$work/$target/"
  echo "== $target for ${seconds}s"
  if ! ./build/fuzz/fuzz/$target "$work/$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/" \
      >"$work/$target.log" 2>&1; then
    tail -n 40 "$work/$target.log"
    for input in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -f "$input" ] && { echo "input $input:"; od -A x -t x1z "$input" | head -n 64; }
    done
    exit 1
  fi
  grep -E '^stat::' "$work/$target.log"
done
