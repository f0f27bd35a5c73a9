#!/usr/bin/env bash
# The viewer's memory while leafing: peak resident size of the window (offscreen) leafing
# through COUNT pictures of 2048 x 2048, half PNG and half JPEG, each until it is painted.
# Target: under the decoded-picture cap (512 MB) plus 150 MB.
# Usage: bench/leaf_rss.sh [BUILD_DIR] [COUNT]   (build/release, 200)
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${1:-build/release}/bench/viewer_bench
count=${2:-200}
[ -x "$bench" ] || { echo "missing $bench: build the viewer_bench target" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (Debian package time)" >&2; exit 2; }

report=$(mktemp)
trap 'rm -f "$report"' EXIT
/usr/bin/time -v "$bench" --leaf "$count" 2> "$report"
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$report")
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$report")
awk -v kb="$peak" -v wall="$wall" -v n="$count" 'BEGIN {
  printf "leafing %d pictures of 2048 x 2048: peak resident %.0f MB (target < %d MB), %s wall\n",
         n, kb / 1024, 512 + 150, wall }'
