#!/usr/bin/env bash
# A fuzz campaign: every libFuzzer target of tests/fuzz runs for MINUTES
# minutes on a corpus that is kept between campaigns.
#
#   tools/fuzz_campaign.sh MINUTES [JOBS]
#
# JOBS targets run at once (default 1); EPILOOM_FUZZ_TARGETS="a_fuzz b_fuzz"
# runs only those. The targets are built with ASan and
# UBSan in $EPILOOM_FUZZ_BUILD_DIR (default build/fuzz-campaign). In that
# folder, campaign/corpus/TARGET starts from the seeds in
# tests/fuzz/corpus/TARGET and keeps what the fuzzer adds; every input that
# crashed, hung (25 s) or ran out of memory is kept in campaign/findings/TARGET, and
# each target's output is in campaign/logs/TARGET.log. A target that finds
# something is started again on the same corpus until its time is used up
# (at most 20 findings each). Prints executions, corpus size and findings per
# target; the exit status is 1 when this campaign found anything.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: $0 MINUTES [JOBS]" >&2; exit 2; }
[ $# -ge 1 ] && [ $# -le 2 ] || usage
minutes=$1
jobs=${2:-1}
[[ $minutes =~ ^[0-9]+$ ]] && [ "$minutes" -gt 0 ] || usage
[[ $jobs =~ ^[0-9]+$ ]] && [ "$jobs" -gt 0 ] || usage

build=${EPILOOM_FUZZ_BUILD_DIR:-build/fuzz-campaign}
work=$build/campaign
max_findings=20

# Every target, or those named in $EPILOOM_FUZZ_TARGETS (to run one again).
targets=()
for source in tests/fuzz/*_fuzz.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
if [ -n "${EPILOOM_FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$EPILOOM_FUZZ_TARGETS"
fi

echo "Building ${#targets[@]} fuzz targets in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DEPILOOM_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j "${EPILOOM_BUILD_JOBS:-2}" --target "${targets[@]}" >/dev/null

# Files in a folder (0 when it does not exist).
count_files() { find "$1" -maxdepth 1 -type f 2>/dev/null | wc -l; }

# Runs one target for the campaign's time; writes its figures to
# $work/stats/TARGET: executions, corpus files, corpus bytes, new findings.
run_target() {
  local target=$1
  local fuzzer=$build/tests/$target
  local corpus=$work/corpus/$target findings=$work/findings/$target
  local log=$work/logs/$target.log seeds=tests/fuzz/corpus/$target
  local dict=tests/fuzz/${target%_fuzz}.dict
  mkdir -p "$corpus" "$findings"
  if [ -d "$seeds" ]; then cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true; fi
  local options=(-artifact_prefix="$findings/" -print_final_stats=1 -timeout=25 -rss_limit_mb=2048)
  [ -f "$dict" ] && options+=(-dict="$dict")

  local before previous now end executions=0 left status runs=0
  before=$(count_files "$findings")
  previous=$before
  end=$((SECONDS + minutes * 60))
  : >"$log"
  while left=$((end - SECONDS)) && [ "$left" -gt 0 ]; do
    runs=$((runs + 1))
    echo "=== run $runs, $left s left" >>"$log"
    status=0
    "$fuzzer" "${options[@]}" -max_total_time="$left" "$corpus" >>"$log" 2>&1 || status=$?
    # The executions of this run: its final statistics, or its last status line.
    local ran
    ran=$(awk '/=== run/ { n = 0 } /stat::number_of_executed_units:/ { n = $2 } /^#[0-9]+/ { sub("#", "", $1); if ($1 + 0 > n) n = $1 } END { print n + 0 }' "$log")
    executions=$((executions + ran))
    [ "$status" -eq 0 ] && break
    # Stop when the run kept nothing new (an input of the corpus itself
    # fails at every start) or after enough findings.
    now=$(count_files "$findings")
    [ "$now" -gt "$previous" ] || break
    previous=$now
    [ $((now - before)) -ge "$max_findings" ] && break
  done
  echo "$executions $(count_files "$corpus") $(du -sb "$corpus" | cut -f1) $(($(count_files "$findings") - before))" \
    >"$work/stats/$target"
}

mkdir -p "$work/logs" "$work/stats"
rm -f "$work"/stats/*
touch "$work/started"
echo "Running each target for $minutes min, $jobs at once (logs in $work/logs)"
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$target" &
  running=$((running + 1))
done
wait

found=0
printf '\n%-24s %14s %14s %9s\n' target executions corpus findings
for target in "${targets[@]}"; do
  if ! read -r executions files bytes new <"$work/stats/$target"; then
    printf '%-24s did not finish (see %s)\n' "$target" "$work/logs/$target.log"
    found=1
    continue
  fi
  printf '%-24s %14s %14s %9s\n' "$target" "$executions" "$files files/$((bytes / 1024)) KiB" "$new"
  if [ "$new" -gt 0 ]; then
    found=1
    find "$work/findings/$target" -maxdepth 1 -type f -newer "$work/started" -printf '    %p\n'
  fi
done
if [ "$found" -ne 0 ]; then
  echo "Findings kept in $work/findings (reproduce: $build/tests/TARGET FILE)"
  exit 1
fi
echo "No findings"
