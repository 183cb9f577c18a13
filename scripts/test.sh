#!/usr/bin/env bash
# Builds everything under AddressSanitizer and UndefinedBehaviorSanitizer with
# warnings as errors, checks the formatting, and runs every test with ctest.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
./scripts/install-deps.sh

build="${ZEL_TEST_BUILD_DIR:-build/test}"
jobs="$(nproc)"

./scripts/check-format.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEL_SANITIZE=ON -DZEL_WERROR=ON -DZEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" -j "$jobs" --output-on-failure --no-tests=error
