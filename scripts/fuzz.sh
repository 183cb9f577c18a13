#!/usr/bin/env bash
# Builds the fuzz targets as libFuzzer programs with clang (ASan+UBSan) and runs
# each for a while on its corpus. New inputs that libFuzzer finds are kept in
# build/fuzz/corpus-new/<target>/, never in the checked-in corpus.
#   ./scripts/fuzz.sh [seconds-per-target] [target-name-filter]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
./scripts/install-deps.sh
seconds="${1:-60}"
filter="${2:-}"
build="build/fuzz"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEL_FUZZ=ON -DZEL_SANITIZE=ON -DZEL_BUILD_TESTS=OFF -DZEL_BUILD_BENCH=OFF >/dev/null
mapfile -t targets < <(cd fuzz && ls *.cmake 2>/dev/null | sed 's/\.cmake$//' | grep -- "$filter" || true)
if [ ${#targets[@]} -eq 0 ]; then echo "no fuzz targets"; exit 0; fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
status=0
for t in "${targets[@]}"; do
  new="$build/corpus-new/$t"
  mkdir -p "$new"
  seeds=()
  [ -d "fuzz/corpus/$t" ] && seeds+=("fuzz/corpus/$t")
  echo "== $t ($seconds s)"
  if ! "$build/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/" "$new" "${seeds[@]}" 2>"$build/$t.log"; then
    echo "   FAILED: see $build/$t.log"; tail -30 "$build/$t.log"; status=1
  else
    tail -1 "$build/$t.log" | sed 's/^/   /'
  fi
done
exit $status
