#!/usr/bin/env bash
# The one test command: installs the dependencies, builds everything warning-free
# (warnings are errors), runs every test, then builds the Qt-free core and its
# tests again with AddressSanitizer and UndefinedBehaviorSanitizer and runs them,
# then runs the libFuzzer targets (clang) for a bounded time.
#
#   scripts/test.sh            both builds, all tests
#   scripts/test.sh --quick    the normal build only
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

quick=0
for arg in "$@"; do
  case "$arg" in
    --quick) quick=1 ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) echo "test.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
scripts/check-layers.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
export KELVANE_TIME_SCALE=${KELVANE_TIME_SCALE:-0.05}

echo "== normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# ---- wait benchmark (benchmarks/wait_stall_page_bench.cpp): one short sweep
# of the event loop's longest pauses; a measurement, so only a crash fails it.
echo "== wait benchmark, short sweep"
timeout 300 build/bin/wait_stall_page_bench --quick

if [ "$quick" -eq 1 ]; then exit 0; fi

echo "== sanitizer build (core)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVANE_WERROR=ON \
  -DKELVANE_SANITIZE=ON -DKELVANE_GUI=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L core

# ---- fuzz stage (tests/fuzz, scripts/fuzz.sh): every libFuzzer target runs for
# a bounded time behind its loopback-only guard; a finding fails the run.
echo "== fuzz targets"
scripts/fuzz.sh --seconds "${KELVANE_FUZZ_SECONDS:-20}" --parallel 2

# ---- package stage (scripts/package.sh, scripts/package-test.sh): builds the
# Debian packages, lints them, installs them with apt, checks capabilities,
# installed programs and an unprivileged discovery probe on loopback, then
# purges them. Last, because it binds port 68 like the namespace tests.
echo "== Debian packages"
scripts/package.sh --output build/packages
scripts/package-test.sh build/packages
echo "== all tests passed"
