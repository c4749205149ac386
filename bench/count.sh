#!/usr/bin/env bash
# Instruction counts of every benchmark with a floor and of its floor, per run of the measured part, taken
# by callgrind (valgrind). Counts do not drift with the machine's load the way times do. The sensor thread
# that init starts is not counted: callgrind's collection is switched per thread.
#   bench/count.sh <bench-build-dir> [runs]      (a folder configured with the bench preset; runs default 5)
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 <bench-build-dir> [runs]" >&2
  exit 2
fi
exe="$1/bench/bench_count"
runs=${2:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/imagetune-count-XXXXXX")
trap 'rm -rf "$work"' EXIT

declare -A counts
names=$("$exe" --list)
for name in $names; do
  # A small environment, as a camera application has: the library looks up IMAGETUNE_ROOT (which bench_count
  # sets itself) before every statement, and the cost of that look-up grows with the environment's size.
  env -i PATH="$PATH" valgrind --tool=callgrind --collect-atstart=no --toggle-collect='benchcount::countedRun*' \
    --callgrind-out-file="$work/cg.out" "$exe" "$name" "$runs" >/dev/null 2>"$work/log"
  total=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/log")
  counts[$name]=$((total / runs))
done
printf '%-28s %16s %16s %7s\n' benchmark "instructions" "floor" ratio
for name in $names; do
  case "$name" in *.floor) continue ;; esac
  lib=${counts[$name]}
  floor=${counts[$name.floor]}
  printf '%-28s %16d %16d %7.2f\n' "$name" "$lib" "$floor" "$(awk -v a="$lib" -v b="$floor" 'BEGIN { print a / b }')"
done
