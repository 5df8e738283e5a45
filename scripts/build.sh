#!/usr/bin/env bash
# Configures once and builds incrementally into build/; the program folder is build/velmorant/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORANT_BUILD_DIR:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" -- --no-print-directory -s
