#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for SECONDS seconds
# (default 60), all at once, each from a copy of fuzz/corpus so that the
# repository is left as it was. Exits non-zero when any target reports a finding (crash,
# failed check, leak, timeout, out-of-memory); the reproducer is kept in the
# findings folder printed at the end.
#
#   scripts/run-fuzzers.sh [SECONDS]
set -u -o pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
targets=(fuzz_card_reader fuzz_results_reader fuzz_settings_file fuzz_dataset_reader)

cd "$root"
cmake --preset fuzz >/dev/null || exit 2
cmake --build --preset fuzz -j2 --target "${targets[@]}" || exit 2

work="$(mktemp -d "${TMPDIR:-/tmp}/stridewell-fuzz.XXXXXX")"
# The targets run side by side, each for SECONDS of wall time, so the whole
# run takes SECONDS however many targets there are.
declare -A pids
for target in "${targets[@]}"; do
  corpus="$work/corpus/$target"
  findings="$work/findings/$target"
  mkdir -p "$corpus" "$findings"
  if [ -d "fuzz/corpus/$target" ]; then cp -R "fuzz/corpus/$target/." "$corpus/"; fi
  echo "== $target: ${seconds}s"
  # Inputs grow step by step up to -max_len; the corpus holds a line longer
  # than the raw line the check sees, so long lines are mutated from the start.
  # -timeout: one input taking this long counts as a hang.
  "build/fuzz/fuzz/$target" "$corpus" \
    -dict=fuzz/card.dict \
    -max_total_time="$seconds" \
    -max_len=200000 \
    -rss_limit_mb=2048 \
    -malloc_limit_mb=2048 \
    -timeout=10 \
    -artifact_prefix="$findings/" \
    -print_final_stats=1 \
    >"$work/$target.log" 2>&1 &
  pids[$target]=$!
done

status=0
for target in "${targets[@]}"; do
  wait "${pids[$target]}"
  rc=$?
  findings="$work/findings/$target"
  echo "== $target"
  grep -E '^#[0-9]+' "$work/$target.log" | tail -n 1
  grep -E '^(stat::|==[0-9]+==|SUMMARY|artifact_prefix|Test unit written)' "$work/$target.log"
  if [ "$rc" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
    echo "!! $target: finding (exit $rc); log $work/$target.log, reproducers in $findings"
    status=1
  else
    echo "== $target: no finding"
  fi
done
if [ "$status" -eq 0 ]; then
  rm -rf "$work"
else
  echo "work folder kept: $work"
fi
exit "$status"
