#!/usr/bin/env bash
# Times tarvo-params over a folder of typical pictures against the input/output floor:
# "show --json" (one thread, and the default threads) against one open, 40012-byte pread and
# close per file on one thread, and "wipe --all" of a folder (with its read-back and search
# for leftovers, durable: one syncfs before the report) against the same reads plus the
# writes a wipe needs and one syncfs. Page cache warm; the commands take turns in each run,
# so a busy machine slows them alike, and each figure is the best of RUNS.
# Targets: show with one thread within 1.4 times the floor, with the default threads within
# 1.2 times, the folder wipe within 1.8 times its floor.
# Usage: bench/cli_bench.sh [BUILD_DIR] [COUNT] [RUNS] [KIND]
#   BUILD_DIR  a build with TARVO_BENCH and TARVO_TESTS on (default build/release)
#   COUNT      number of pictures (default 10000); RUNS repetitions (default 3)
#   KIND       MakeBenchFolder's kind of pictures: mixed (default), png, jpeg, webui
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
count=${2:-10000}
runs=${3:-3}
kind=${4:-mixed}
tool=$build/cli/tarvo-params
maker=$build/bench/MakeBenchFolder
floor=$build/bench/IoFloor
for program in "$tool" "$maker" "$floor"; do
  [ -x "$program" ] || { echo "missing $program: build the tarvo-params, MakeBenchFolder and IoFloor targets" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/var/tmp}/tarvo-cli-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "Making $count pictures in $work ..."
"$maker" --kind "$kind" "$work/pics" "$count"
for run in $(seq 1 "$runs"); do
  cp -a "$work/pics" "$work/wipe$run"
  cp -a "$work/pics" "$work/floor$run"
done
# Flush the copies now, so that each timed sync writes only what its own run changed.
sync
find "$work" -type f -exec cat {} + > /dev/null

# Runs "$@" and leaves its wall time in $wall and its processor time (user + system) in
# $cpu, both in seconds. The command's own messages go to $work/messages.log.
timed() {
  local TIMEFORMAT='%R %U %S' times
  if ! times=$( { time "$@" > /dev/null 2>> "$work/messages.log"; } 2>&1 ); then
    echo "failed: $*" >&2
    tail -n 5 "$work/messages.log" >&2
    exit 1
  fi
  read -r wall user system <<< "$times"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.3f", u + s }')
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }

declare -A best
for key in show1 show read wipe write; do best[$key.wall]=999999; best[$key.cpu]=999999; done
keep() { best[$1.wall]=$(min "${best[$1.wall]}" "$wall"); best[$1.cpu]=$(min "${best[$1.cpu]}" "$cpu"); }
for run in $(seq 1 "$runs"); do
  timed "$tool" show --json --jobs 1 "$work"/pics/*;   keep show1
  timed "$tool" show --json "$work"/pics/*;   keep show
  timed "$floor" read "$work"/pics/*;         keep read
  timed "$tool" wipe --all "$work/wipe$run";  keep wipe
  timed "$floor" write "$work/floor$run"/*;   keep write
done

# A wiped copy answers 4 (nothing left) for every file on a second run: the wipe was real.
"$tool" wipe --all --json "$work/wipe1" | tail -n 1

rate() { awk -v n="$count" -v t="$1" 'BEGIN { printf "%.0f", n / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { printf '%-36s %8.3f %10s %8.3f\n' "$1" "${best[$2.wall]}" "$(rate "${best[$2.wall]}")" "${best[$2.cpu]}"; }
echo
echo "$count files ($kind), best of $runs runs, page cache warm"
printf '%-36s %8s %10s %8s\n' "command" "wall s" "files/s" "cpu s"
row "tarvo-params show --json --jobs 1" show1
row "tarvo-params show --json" show
row "read floor" read
row "tarvo-params wipe --all (folder)" wipe
row "write floor (+ syncfs)" write
echo "show --jobs 1 / read floor: wall $(ratio "${best[show1.wall]}" "${best[read.wall]}"), cpu $(ratio "${best[show1.cpu]}" "${best[read.cpu]}")  (target: wall <= 1.4)"
echo "show / read floor:          wall $(ratio "${best[show.wall]}" "${best[read.wall]}"), cpu $(ratio "${best[show.cpu]}" "${best[read.cpu]}")  (target: wall <= 1.2)"
echo "wipe / write floor:         wall $(ratio "${best[wipe.wall]}" "${best[write.wall]}"), cpu $(ratio "${best[wipe.cpu]}" "${best[write.cpu]}")  (target: wall <= 1.8)"
