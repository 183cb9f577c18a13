#!/usr/bin/env bash
# Builds the project and runs its main job. The viewer does not exist yet, so
# this shows what does: it starts the reference agent on 127.0.0.2, then asks
# it for its properties through the session transport (libzellink.so), which
# starts the proxy (zelrelay) on demand, and prints the session's figures and
# messages.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
./scripts/install-deps.sh
build="${ZEL_DEMO_BUILD_DIR:-build/demo}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BUILD_TESTS=OFF \
  -DZEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target zelagent zelquery zelrelay zelreg

bin="$(cd "$build/bin" && pwd)"
# A namespace of its own, so the demo's proxy never meets another one.
export ZEL_NAMESPACE="demo-$$"
"$bin/zelagent" --address 127.0.0.2 --machine DEMO-DESKTOP --user operator &
agent=$!
stop() {
  kill "$agent" 2>/dev/null || true
  wait "$agent" 2>/dev/null || true
  pkill -TERM -f "^$bin/zelrelay" 2>/dev/null || true
}
trap stop EXIT
sleep 0.5

echo
echo "== zelquery 127.0.0.2 (through libzellink.so and zelrelay)"
"$bin/zelquery" 127.0.0.2

echo
echo "Not there yet: the viewer (zelconsole) with the remote view of the agent's demo"
echo "desktop, and the other tools. See README.md, \"What exists\"."
