#!/usr/bin/env bash
# Runs the AVI reader fuzzer for a bounded time from a freshly generated seed corpus.
# usage: run-fuzz.sh <fuzzer> <seed-generator> <seconds> <work-folder>
set -eu
fuzzer=$1 seeds=$2 seconds=$3 work=$4
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$seeds" "$work/seeds"
# Inputs are written to a file per run: memory-backed when the machine has one.
[ -d /dev/shm ] && export TMPDIR=${TMPDIR:-/dev/shm}
"$fuzzer" -max_total_time="$seconds" -max_len=16384 -malloc_limit_mb=64 -rss_limit_mb=1024 \
  -timeout=10 -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" 2>&1 \
  | tee "$work/fuzz.log" | grep -E "^(#[0-9]+ +DONE|Done|stat::|==|SUMMARY)" || true
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ] || ls "$work/artifacts"/* >/dev/null 2>&1; then
  echo "run-fuzz: the fuzzer failed or left crash inputs in $work/artifacts (see $work/fuzz.log)" >&2
  exit 1
fi
