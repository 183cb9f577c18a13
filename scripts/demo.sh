#!/usr/bin/env bash
# Builds the project and runs its main job. Until the viewer exists this runs
# what exists and says plainly what is not there yet.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
./scripts/install-deps.sh
build="${ZEL_DEMO_BUILD_DIR:-build/demo}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

echo
echo "The viewer (zelconsole) and the reference agent's demo desktop do not exist yet."
echo "Built so far, in $build/bin:"
ls -1 "$build/bin" 2>/dev/null | sed 's/^/  /' || true
