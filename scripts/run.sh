#!/usr/bin/env bash
# Sets up, builds and starts Velmorant from its program folder on the delivered database.
# Builds the program and its folder only; scripts/test.sh builds the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" --target velmorant_program
build=${VELMORANT_BUILD_DIR:-$root/build}
cd "$build/velmorant"
exec ./velmorant "$@"
