#!/usr/bin/env bash
# Runs every fuzz target for a bounded time from a copy of its seed corpus; fails on any crash, leak,
# sanitizer report or broken invariant. The repository is never written: corpora, crash files and logs go to
# a temporary folder, kept (and named) when a target fails.
#   fuzz/smoke.sh <build-dir> [seconds-per-target]     (default 30)
#   fuzz/smoke.sh <build-dir> --runs <executions>      (a campaign: each target until it has run that often,
#                                                       with a table of what each run reached)
#   FUZZ_ONLY="<target> ..." fuzz/smoke.sh ...           (those targets alone)
# The build folder is one configured with the fuzz preset, e.g.
#   cmake --preset fuzz && cmake --build --preset fuzz -j2 && fuzz/smoke.sh build/fuzz
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 <build-dir> [seconds-per-target]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
if [ "${2:-}" = "--runs" ]; then
  runs=${3:?"--runs needs a number of executions"}
  limit="-runs=$runs"
  what="$runs executions"
else
  runs=
  seconds=${2:-30}
  limit="-max_total_time=$seconds"
  what="${seconds}s"
fi
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/imagetune-fuzz-smoke-XXXXXX")

# The longest input each target is given: longer ones only slow the search. The style merge takes the
# whole box style with its diversity document.
max_len_of() {
  case "$1" in
    fuzz_merge_style) echo 40000 ;;
    fuzz_dna_style) echo 16384 ;;
    *) echo 4096 ;;
  esac
}
# One row of the campaign's table from a finished run's log: executions, seconds, executions per second,
# coverage (edges, features), the corpus it grew and the peak memory.
campaign_row() {
  local target=$1 log=$2 elapsed=$3
  local execs rate rss last cov ft corp
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
  printf '| `%s` | %s | %s | %s | %s | %s | %s | %s |\n' \
    "$target" "$execs" "$elapsed" "$rate" "$cov" "$ft" "$corp" "$rss" >>"$work/campaign.md"
}
if [ -n "$runs" ]; then
  {
    echo "| target | executions | seconds | per second | edges | features | corpus | peak RSS (MB) |"
    echo "|---|---|---|---|---|---|---|---|"
  } >"$work/campaign.md"
fi

failed=()
for seeds in "$here"/corpus/*/; do
  target=$(basename "$seeds")
  # FUZZ_ONLY="target ...": those targets alone (a campaign for a new target, say).
  if [ -n "${FUZZ_ONLY:-}" ] && ! grep -qw -- "$target" <<<"$FUZZ_ONLY"; then continue; fi
  exe="$build/fuzz/$target"
  if [ ! -x "$exe" ]; then
    echo "fuzz smoke: $target is not built in $build" >&2
    failed+=("$target (not built)")
    continue
  fi
  corpus="$work/$target/corpus"
  mkdir -p "$corpus" "$work/$target/artifacts"
  cp -R "$seeds". "$corpus/"
  max_len=$(max_len_of "$target")
  echo "=== fuzz $target for $what"
  started=$(date +%s)
  # -error_exitcode and the sanitizers' own exit codes are non-zero on any finding; leaks are checked.
  if (cd "$work/$target" &&
      ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}" \
      UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}" \
      "$exe" "$limit" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
             -error_exitcode=77 -print_final_stats=1 \
             -artifact_prefix="$work/$target/artifacts/" "$corpus" >"$work/$target/log" 2>&1); then
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$target/log" | tail -1 || true
    [ -z "$runs" ] || campaign_row "$target" "$work/$target/log" $(($(date +%s) - started))
  else
    echo "fuzz smoke: $target FAILED; log and inputs in $work/$target" >&2
    tail -40 "$work/$target/log" >&2
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz smoke: failures: ${failed[*]} (kept $work)" >&2
  exit 1
fi
if [ -n "$runs" ]; then
  cat "$work/campaign.md"
  echo "fuzz campaign: every target ran $what without a finding; grown corpora kept in $work"
  exit 0
fi
rm -rf "$work"
echo "fuzz smoke: every target ran $what without a finding"
