#!/usr/bin/env bash
# Builds, writes the ten-year database once into build/bench/, runs the
# benchmark on a copy of it and prints the table. Options go to the benchmark
# (e.g. --benchmark_filter=Adress).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build=${VELMORANT_BUILD_DIR:-$root/build}
data="$build/bench/bench.mdb"
if [ ! -f "$data" ]; then
  echo "Writing the ten-year database $data"
  "$build/bench/velmorant_makebench" --schema "$root/resources/schema.sql" --seed "$root/resources/seed.sql" --out "$data"
fi
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"\
  "$(free -g | awk '/^Mem:/ {print $2}') GB memory"
export QT_QPA_PLATFORM=offscreen
exec "$build/bench/velmorant_bench" --db "$data" "$@"
