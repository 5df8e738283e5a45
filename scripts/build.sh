#!/usr/bin/env bash
# Configures once and builds incrementally into build/; the program folder is build/velmorant/.
# Arguments go to the build, e.g. --target velmorant_program for the program alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORANT_BUILD_DIR:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
else
  # Quick when nothing changed; a target added since the last build is known before it is asked for.
  cmake -S "$root" -B "$build" >/dev/null
fi
cmake --build "$build" -j "$(nproc)" "$@" -- --no-print-directory -s
