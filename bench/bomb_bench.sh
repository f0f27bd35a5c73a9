#!/usr/bin/env bash
# A hostile file against the wipe's search for leftover copies: a 4.7 MB PNG whose 280 zTXt
# chunks each inflate to 16 MiB of zeros. Prints the wipe's time and peak memory (targets:
# under 2 s, under 100 MB) and, for a folder of four such files wiped with --jobs 1, how long
# the tool takes to end after SIGINT (target: under 1 s).
# Usage: bench/bomb_bench.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
tool=$build/cli/tarvo-params
maker=$build/bench/MakeBenchFolder
for f in "$tool" "$maker"; do
  [ -x "$f" ] || { echo "missing $f: build the release preset" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$maker" --kind bomb "$work/one" 1
file=$(ls "$work"/one/*.png)
echo "file: $(stat -c %s "$file") bytes"
/usr/bin/time -f "%e %M" -o "$work/time" "$tool" wipe --all --json "$file" >"$work/out"
read -r seconds kb <"$work/time"
echo "wipe: $seconds s, peak $((kb / 1024)) MB (targets: < 2 s, < 100 MB)"
echo "record: $(cat "$work/out")"

# SIGINT lands while the first file is searched; the run ends after it with its report.
"$maker" --kind bomb "$work/four" 4
for delay in 0.02 0.05 0.08; do
  cp -r "$work/four" "$work/run"
  "$tool" wipe --all --jobs 1 "$work/run" >/dev/null 2>&1 &
  pid=$!
  sleep "$delay"
  sent=$(date +%s%N)
  kill -INT "$pid" 2>/dev/null || true
  wait "$pid" || true
  ms=$((($(date +%s%N) - sent) / 1000000))
  echo "SIGINT after ${delay} s: ended ${ms} ms later"
  rm -rf "$work/run"
done
echo "target: every SIGINT acted on within 1000 ms"
