#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for SECONDS each
# (default 60), up to one target per core at a time, from the checked-in seeds
# in fuzz/corpus. New corpus entries go to a temporary folder, so the seeds
# never change. Exits non-zero on any crash, leak, undefined behaviour,
# timeout (2 s) or memory blow-up (2 GB), naming the input that caused it;
# the inputs are kept in build-fuzz/findings/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=build-fuzz/findings
mkdir -p "$findings"

targets=()
for source in fuzz/*Fuzz.cpp; do
  targets+=("$(basename "${source%.cpp}")")
done

run() {
  local target=$1
  mkdir -p "$work/$target"
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 \
    -dict=fuzz/tarvine.dict -artifact_prefix="$findings/$target-" -print_final_stats=1 \
    "$work/$target" fuzz/corpus >"$work/$target.log" 2>&1
}

# One target per core at a time.
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  (if run "$target"; then echo 0; else echo $?; fi >"$work/$target.status") &
  running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
  log="$work/$target.log"
  if [ "$(cat "$work/$target.status")" -eq 0 ]; then
    # The last status line: "#12345 NEW cov: 608 ft: 3263 corp: 492/231Kb ..."
    status=$(grep -E '^#[0-9]+.* cov: ' "$log" | tail -1 || true)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: $runs runs in ${seconds}s, $(sed -E 's/.*(cov: [0-9]+ ft: [0-9]+ corp: [0-9]+).*/\1/' <<<"$status")"
  else
    failed=1
    echo "$target FAILED:"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|broken:|.*runtime error)' "$log" | head -5 || true
    grep -E 'Test unit written to' "$log" | sed "s|.*Test unit written to |  input (rerun: build-fuzz/fuzz/$target INPUT): |" || true
    echo "  log: $findings/$target.log"
    cp "$log" "$findings/$target.log"
  fi
done
exit "$failed"
