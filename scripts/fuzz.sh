#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan + UBSan) and runs each for the
# given number of seconds (default 60), starting from the seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
dir=build/fuzz/fuzz
"$dir/make_fuzz_seeds" "$dir/corpus"
for target in $(cat "$dir/fuzz_targets.txt"); do
  echo "-- $target (${seconds}s)"
  mkdir -p "$dir/corpus/$target"
  "$dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/tarvo.dict -print_final_stats=1 "$dir/corpus/$target" 2>&1 | tail -n 12
done
