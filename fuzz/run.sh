#!/usr/bin/env bash
# Builds the fuzzers with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# in build-fuzz, then runs each for a bounded time with a fixed seed, starting
# from the test files, the bad inputs, the profiles and the beginnings of the
# examples. A crash, a leak, a hang or a broken invariant fails the script,
# with the input kept in build-fuzz/artifacts. Inputs that once found a fault
# (tests/data/fuzz_*) are replayed first. The test suite replays them too,
# through the same harnesses built without libFuzzer.
# Usage: fuzz/run.sh [seconds per harness, default 50] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-50}
# A run count makes the run repeatable (same seed, same inputs); the seconds
# then only cap it.
runs=${2:--1}
build=build-fuzz
harnesses="fuzz_sync_reader fuzz_async_reader fuzz_export fuzz_operations fuzz_profile"
failed=""

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVIREO_BUILD_FUZZ=ON -DVIREO_BUILD_TESTS=OFF -DVIREO_BUILD_BENCH=OFF
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $harnesses

seeds="$build/seeds"
rm -rf "$seeds" "$build/corpus" "$build/artifacts"
mkdir -p "$seeds" "$build/artifacts"
cp tests/data/*.csv fuzz/profiles/* "$seeds/"
for input in tests/data/bad/*; do
  cp "$input" "$seeds/bad_$(basename "$input")"
done
find tests/data -maxdepth 1 -name 'fuzz_*' -exec cp {} "$seeds/" \;
for example in examples/*.csv; do
  head -n 40 "$example" >"$seeds/head_$(basename "$example")"
done

export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$PWD/.ci/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

for harness in $harnesses; do
  corpus="$build/corpus/$harness"
  mkdir -p "$corpus"
  echo "=== $harness: $seconds s, $runs runs"
  log="$build/$harness.log"
  dict=fuzz/csv.dict
  if [ "$harness" = fuzz_profile ]; then dict=fuzz/profile.dict; fi
  status=0
  "$build/fuzz/$harness" -seed=1 -max_total_time="$seconds" -runs="$runs" -max_len=4096 -timeout=20 \
    -rss_limit_mb=2048 -dict="$dict" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$harness-" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  grep -aE '^stat::(number_of_executed_units|peak_rss_mb)|^#[0-9]+ +DONE' "$log" || true
  if [ "$status" -ne 0 ]; then
    grep -aE -A30 'invariant broken|ERROR|WARNING' "$log" | head -60 || true
    echo "$harness failed (exit $status); the input is in $build/artifacts, the log in $log"
    failed="$failed $harness"
  fi
done
if [ -n "$failed" ]; then
  echo "=== fuzzers failed:$failed"
  exit 1
fi
echo "=== fuzzers: no fault"
