#!/usr/bin/env bash
# Runs the perft tool on every position and depth of an EPD file of published
# counts (lines "FEN ;D1 n ;D2 n ...") and compares the totals. The published
# suite is kept beside this script (tools/perft.epd).
# Usage: tools/perft_check.sh PERFT_BINARY [EPD_FILE] [MAX_DEPTH]
set -u
perft=${1:?usage: perft_check.sh PERFT_BINARY [EPD_FILE] [MAX_DEPTH]}
epd=${2:-"$(dirname "$0")/perft.epd"}
max_depth=${3:-99}
failures=0
checks=0
while IFS= read -r line || [ -n "$line" ]; do
  [ -z "${line// /}" ] && continue
  fen=${line%% ;*}
  fields=${line#*;}
  IFS=';' read -ra entries <<<"$fields"
  for entry in "${entries[@]}"; do
    read -r label expected <<<"$entry"
    depth=${label#D}
    [ "$depth" -le "$max_depth" ] || continue
    start=$(date +%s.%N)
    got=$("$perft" "$fen" "$depth" | awk '/^Nodes searched:/ {print $3}')
    seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    checks=$((checks + 1))
    if [ "$got" = "$expected" ]; then
      printf 'ok    D%s %12s  %7.2fs  %s\n' "$depth" "$expected" "$seconds" "$fen"
    else
      printf 'FAIL  D%s expected %s got %s  %s\n' "$depth" "$expected" "${got:-nothing}" "$fen"
      failures=$((failures + 1))
    fi
  done
done <"$epd"
echo "$checks checks, $failures failures"
[ "$failures" -eq 0 ]
