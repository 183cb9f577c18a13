#!/usr/bin/env bash
# Fails when a checked-in C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.hpp' 2>/dev/null || true)
[ ${#files[@]} -eq 0 ] && exit 0
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/zel-format.log; then
  head -40 /tmp/zel-format.log
  echo "Formatting differs: run 'clang-format -i' on the files above." >&2
  exit 1
fi
