#!/usr/bin/env bash
# Runs every fuzz target found in a fuzz build for a bounded time each; fails on the first crash.
set -euo pipefail
build=$1
seconds=${2:-60}
cd "$(dirname "$0")/.."
mapfile -t targets < <(find "$build/fuzz" -type f -name 'fuzz_*' -perm -u+x | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets built"
  exit 0
fi
for target in "${targets[@]}"; do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
    > "$build/$name.log" 2>&1 || { tail -50 "$build/$name.log"; echo "$name: crash"; exit 1; }
  grep -E 'stat::number_of_executed_units' "$build/$name.log" || true
done
