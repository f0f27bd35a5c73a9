#!/usr/bin/env bash
# The cost of a wipe's proof (read-back and search for leftover copies) on typical pictures,
# warm cache: runs wipe_bench and prints, per kind of file, the wipe with its proof against
# the same wipe without it (the wipe's time less the search's), target <= 1.5.
# The search is timed with an open and close of its own, which the wipe does not pay, so the
# ratio is an upper bound.
# Usage: bench/wipe_verify_bench.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${1:-build/release}/bench/wipe_bench
[ -x "$bench" ] || { echo "missing $bench: build the wipe_bench target" >&2; exit 2; }

"$bench" --benchmark_format=csv --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk -F, '$1 ~ /_median"?$/ {
      name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
      split(name, part, "/"); kind = part[2]
      if (part[1] == "BM_Wipe") wipe[kind] = $3; else search[kind] = $3
    }
    END {
      printf "%-12s %12s %12s %8s\n", "files", "wipe ms", "search ms", "ratio"
      for (kind in wipe)
        printf "%-12s %12.3f %12.3f %8.2f\n", kind, wipe[kind], search[kind], wipe[kind] / (wipe[kind] - search[kind])
    }'
