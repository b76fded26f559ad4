#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for a
# bounded time, two at a time, behind the guard that keeps them on loopback.
#
#   scripts/fuzz.sh [--seconds N] [--parallel P] [--build-dir DIR] [--no-build] [target...]
#
# Targets are named without the fuzz_ prefix (http_response, text_scan, ...);
# none named: all of them. Each run starts from the seeds in
# tests/fuzz/corpus/<target>/ and keeps what it finds in
# <build-dir>/fuzz-work/<target>/ (the seeds are never changed). A crash, a
# leak, a sanitizer report, a broken invariant or a time-out fails the run:
# the script then names the input it saved and exits 1. The guard's own test
# runs first; no target runs when it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

seconds=20
parallel=2
build=build-fuzz
do_build=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --parallel) parallel=$2; shift 2 ;;
    --build-dir) build=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
case "$seconds$parallel" in
  *[!0-9]*) echo "fuzz.sh: --seconds and --parallel take whole numbers" >&2; exit 2 ;;
esac
[ "$parallel" -ge 1 ] || parallel=1

if [ "$do_build" -eq 1 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WERROR=ON \
    -DCMAKE_CXX_COMPILER=clang++ -DKELVANE_FUZZ=ON -DKELVANE_GUI=OFF -DKELVANE_BENCHMARKS=OFF >/dev/null
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kelvane_fuzz_all
fi

bin="$top/$build/fuzz"
if [ ${#targets[@]} -eq 0 ]; then
  for f in tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$f" _fuzz.cpp)
    targets+=("$name")
  done
fi
for t in "${targets[@]}"; do
  if [ ! -x "$bin/fuzz_$t" ]; then echo "fuzz.sh: no target $t ($bin/fuzz_$t)" >&2; exit 2; fi
done

echo "== fuzz guard test"
ctest --test-dir "$build" --output-on-failure -L fuzz

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export KELVANE_TIME_SCALE=${KELVANE_TIME_SCALE:-0.05}
work="$top/$build/fuzz-work"
mkdir -p "$work"

run_one() {
  local t=$1 dir="$work/$1"
  mkdir -p "$dir/found"
  local extra=()
  case "$t" in
    http_response|router_readers) extra=(-max_len=8192) ;;
  esac
  "$bin/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/" "${extra[@]}" "$dir/found" "$top/tests/fuzz/corpus/$t" >"$dir/log" 2>&1
}

echo "== fuzzing ${#targets[@]} targets for ${seconds} s each, $parallel at a time"
status_of() { echo "$work/$1/status"; }
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  rm -f "$(status_of "$t")"
  ( if run_one "$t"; then echo 0 >"$(status_of "$t")"; else echo $? >"$(status_of "$t")"; fi ) &
done
wait || true

failed=0
passed=0
printf '%-18s %12s %10s  %s\n' target executions "exec/s" result
for t in "${targets[@]}"; do
  log="$work/$t/log"
  rc=$(cat "$(status_of "$t")" 2>/dev/null || echo 1)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  if [ "$rc" -eq 0 ]; then
    result=ok
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    result="FAILED (exit $rc) ${artifact:-see $log}"
  fi
  printf '%-18s %12s %10s  %s\n' "$t" "${runs:-?}" "${rate:-?}" "$result"
done
echo "fuzz: $passed passed, $failed failed"
if [ "$failed" -ne 0 ]; then
  for t in "${targets[@]}"; do
    rc=$(cat "$(status_of "$t")" 2>/dev/null || echo 1)
    if [ "$rc" -ne 0 ]; then
      echo "---- $t: end of $work/$t/log"
      tail -n 60 "$work/$t/log"
    fi
  done
  echo "fuzz.sh: a target failed" >&2
  exit 1
fi
echo "fuzz.sh: every target ran ${seconds} s without a finding"
