#!/usr/bin/env bash
# Builds, writes the ten-year database into build/bench/, runs the
# benchmark on a copy of it and prints the table. Options go to the benchmark
# (e.g. --benchmark_filter=Adress).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build=${VELMORANT_BUILD_DIR:-$root/build}
data="$build/bench/bench.mdb"
# Written again only when the schema, the base rows or the generator changed.
if [ ! -f "$data" ] || [ "$root/resources/schema.sql" -nt "$data" ] || [ "$root/resources/seed.sql" -nt "$data" ] \
   || [ "$build/bench/velmorant_makebench" -nt "$data" ]; then
  echo "Writing the ten-year database $data"
  "$build/bench/velmorant_makebench" --schema "$root/resources/schema.sql" --seed "$root/resources/seed.sql" --out "$data"
fi
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"\
  "$(free -m | awk '/^Mem:/ {printf "%.0f", $2 / 1024}') GB memory"
export QT_QPA_PLATFORM=offscreen
exec "$build/bench/velmorant_bench" --db "$data" "$@"
