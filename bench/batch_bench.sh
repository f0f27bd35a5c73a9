#!/usr/bin/env bash
# Times tarvo-params over big folders of typical pictures, each figure next to its input/output
# floor, with the page cache warm and cold. The folders are made by MakeBenchFolder:
#   png200k  10,000 PNG files of ~200 KB with both parameter blocks
#   jpeg     10,000 JPEG files of 64 to 200 KB
#   png2m     1,000 PNG files of ~2 MB
# For each folder, each timed command runs once per run and the best run counts:
#   show --json, warm         against the read floor (IoFloor read: open, one 40012-byte pread
#                             and close per file, one thread), warm
#   show --json, cold         against the same floor, cold: before each cold command the script
#                             runs sync, then IoFloor evict drops the files' cached pages
#                             (POSIX_FADV_DONTNEED; no root needed). Directory entries and inodes
#                             stay cached.
#   show, warm                plain output, against the warm read floor
#   wipe --all FOLDER         with its one sync, against the write floor (IoFloor write: the
#                             reads plus the in-place writes a wipe needs, then one syncfs),
#                             warm; after each wipe IoFloor restore writes back the bytes it
#                             changed (saved before the first), so every run wipes every file
# and the peak resident size of one warm show --json. With --rss, also the peak resident size
# of show --json over a folder of 50,000 small pictures. Ratios are of wall times; the targets
# are printed beside them.
#
# show takes files, not a folder: every command runs inside the folder with the names as
# relative arguments of one process (no xargs, which would start several processes), which
# keeps 50,000 names (about 0.8 MB) below ARG_MAX; the script stops when they would not fit.
# Folders live under ${TMPDIR:-/var/tmp} (a disk-backed file system, or cold means nothing)
# and are removed after their figures and at exit.
#
# Usage: bench/batch_bench.sh [OPTIONS] [-- TOOL_OPTIONS...]
#   --build DIR      a build with TARVO_BENCH and TARVO_TESTS on (default build/release)
#   --runs N         warm runs per figure, best counts (default 3)
#   --cold-runs N    cold runs per figure, best counts (default 2)
#   --scale D        divide every folder's file count by D, for a quick look (default 1)
#   --rss [N]        also the peak resident size of show --json over N small files
#                    (default 50000)
#   TOOL_OPTIONS     given to every tarvo-params command after its command name, as is
#                    TARVO_PARAMS_OPTS (split at spaces); e.g. -- --jobs 1
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { sed -n '/^# Usage:/,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; }

build=build/release
runs=3
cold_runs=2
scale=1
rss_files=0
read -r -a tool_opts <<< "${TARVO_PARAMS_OPTS:-}"
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --cold-runs) cold_runs=$2; shift 2 ;;
    --scale) scale=$2; shift 2 ;;
    --rss)
      rss_files=50000
      if [[ ${2:-} =~ ^[0-9]+$ ]]; then rss_files=$2; shift; fi
      shift ;;
    --) shift; tool_opts+=("$@"); break ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
for number in "$runs" "$cold_runs" "$scale"; do
  [[ $number =~ ^[1-9][0-9]*$ ]] || { echo "not a positive number: $number" >&2; exit 2; }
done

tool=$(realpath "$build/cli/tarvo-params")
maker=$(realpath "$build/bench/MakeBenchFolder")
floor=$(realpath "$build/bench/IoFloor")
for program in "$tool" "$maker" "$floor"; do
  [ -x "$program" ] || { echo "missing $program: build the tarvo-params, MakeBenchFolder and IoFloor targets" >&2; exit 2; }
done
timer=/usr/bin/time
[ -x "$timer" ] || timer=   # peak resident sizes need GNU time (Debian package time)

work=$(mktemp -d "${TMPDIR:-/var/tmp}/tarvo-batch-bench.XXXXXX")
cleanup() { cd /; rm -rf "$work"; }
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
started=$SECONDS

fs_type=$(findmnt -n -o FSTYPE -T "$work" 2>/dev/null || stat -f -c %T "$work")
echo "tarvo-params batch benchmark: $(nproc) cores, folders in $work ($fs_type)"
echo "tool options: ${tool_opts[*]:-(none)}"
[ "$fs_type" = tmpfs ] && echo "warning: $work is in memory (tmpfs); the cold figures will not be cold" >&2

# Runs "$@" with standard output to $out (default /dev/null) and leaves its wall time in $wall
# and its processor time (user + system) in $cpu, both in seconds. The command's own messages
# go to $work/messages.log.
timed() {
  local TIMEFORMAT='%R %U %S' times user system
  if ! times=$( { time "$@" > "${out:-/dev/null}" 2>> "$work/messages.log"; } 2>&1 ); then
    echo "failed: $1 $2 ..." >&2
    tail -n 5 "$work/messages.log" >&2
    exit 1
  fi
  read -r wall user system <<< "$times"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.3f", u + s }')
}

# The peak resident size of "$@" in MB (GNU time's %M is in KiB), or n/a.
peak_rss() {
  if [ -z "$timer" ]; then echo n/a; return; fi
  "$timer" -f %M -o "$work/rss" "$@" > /dev/null 2>> "$work/messages.log" || true
  awk '{ printf "%.1f", $1 * 1024 / 1e6 }' "$work/rss"
}

# Drops the cached pages of the files, after a sync; warns when many stay cached.
evict() {
  sync
  "$floor" evict "$@" > "$work/evict.out"
  local cached total
  read -r cached total < <(awk '{ print $3, $5 }' "$work/evict.out")
  if [ "$total" -gt 0 ] && [ $((cached * 100)) -gt "$total" ]; then
    echo "warning: $cached of $total pages stayed cached; the cold figure is not cold" >&2
  fi
}

declare -A best
keep() {
  best[$1.wall]=$(awk -v a="${best[$1.wall]:-999999}" -v b="$wall" 'BEGIN { print (a < b ? a : b) }')
  best[$1.cpu]=$(awk -v a="${best[$1.cpu]:-999999}" -v b="$cpu" 'BEGIN { print (a < b ? a : b) }')
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# "met" or "not met" for ratio r against "<= limit".
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t ? "met" : "not met") }'; }

declare -A summary
row() {
  local files=$1 label=$2 key=$3 rss=${4:-}
  printf '  %-38s %8.3f %9.0f %8.3f %9s\n' "$label" "${best[$key.wall]}" \
    "$(awk -v n="$files" -v t="${best[$key.wall]}" 'BEGIN { print n / t }')" "${best[$key.cpu]}" "$rss"
}
compare() {
  local name=$1 figure=$2 tool_key=$3 floor_key=$4 target=$5 r
  r=$(ratio "${best[$tool_key.wall]}" "${best[$floor_key.wall]}")
  summary[$name.$figure]=$r
  if [ -n "$target" ]; then
    printf '    ratio %s (target <= %s: %s)\n' "$r" "$target" "$(verdict "$r" "$target")"
  else
    printf '    ratio %s\n' "$r"
  fi
}

# The names fit into one command line, or the script stops.
check_arg_max() {
  local bytes limit
  bytes=$(printf '%s\0' "$@" | wc -c)
  limit=$(( $(getconf ARG_MAX) - $(env | wc -c) - 65536 ))
  if [ "$bytes" -gt "$limit" ]; then
    echo "$# names take $bytes bytes, more than one command line holds here ($limit)" >&2
    exit 2
  fi
}

folders=(png200k jpeg png2m)
declare -A kind=([png200k]=png [jpeg]=jpeg [png2m]=png)
declare -A size=([png200k]=200000 [jpeg]=64000-200000 [png2m]=2000000)
declare -A count=([png200k]=10000 [jpeg]=10000 [png2m]=1000)
declare -A label=([png200k]="PNG of ~200 KB with both blocks" [jpeg]="JPEG of 64-200 KB"
                  [png2m]="PNG of ~2 MB with both blocks")

measure() {
  local name=$1 n=$(( ${count[$1]} / scale )) dir=$work/$1 made rss
  [ "$n" -ge 1 ] || n=1
  made=$SECONDS
  "$maker" --kind "${kind[$name]}" --size "${size[$name]}" "$dir" "$n"
  sync
  cd "$dir"
  local files=(pic_*)
  check_arg_max "${files[@]}"
  echo
  echo "== $name: $n ${label[$name]}, $(du -sh . | cut -f1)B, made in $((SECONDS - made)) s"
  printf '  %-38s %8s %9s %8s %9s\n' "" "wall s" "files/s" "cpu s" "peak RSS"

  "$floor" read "${files[@]}" > /dev/null
  for _ in $(seq "$runs"); do
    timed "$tool" show "${tool_opts[@]}" --json "${files[@]}"; keep "$name.json"
    timed "$floor" read "${files[@]}";                         keep "$name.read"
    timed "$tool" show "${tool_opts[@]}" "${files[@]}";        keep "$name.plain"
  done
  rss=$(peak_rss "$tool" show "${tool_opts[@]}" --json "${files[@]}")
  summary[$name.rss]=$rss
  row "$n" "show --json, warm" "$name.json" "$rss MB"
  row "$n" "read floor, warm" "$name.read"
  compare "$name" json "$name.json" "$name.read" 1.2

  for _ in $(seq "$cold_runs"); do
    evict "${files[@]}"
    timed "$floor" read "${files[@]}";                         keep "$name.coldread"
    evict "${files[@]}"
    timed "$tool" show "${tool_opts[@]}" --json "${files[@]}"; keep "$name.coldjson"
  done
  row "$n" "show --json, cold" "$name.coldjson"
  row "$n" "read floor, cold" "$name.coldread"
  compare "$name" cold "$name.coldjson" "$name.coldread" 0.7

  row "$n" "show, warm" "$name.plain"
  row "$n" "read floor, warm" "$name.read"
  compare "$name" plain "$name.plain" "$name.read" ""

  # A wipe reads more of each file than the head (the chunk walk to the end, the search for
  # leftover copies), so the whole files are cached again first.
  cat -- "${files[@]}" > /dev/null
  "$floor" save "$work/heads" "${files[@]}" > /dev/null
  local wiped changed=()
  for _ in $(seq "$runs"); do
    sync
    timed "$floor" write "${files[@]}"; keep "$name.write"
    sync
    out=$work/wipe.out timed "$tool" wipe "${tool_opts[@]}" --all "$dir"; keep "$name.wipe"
    wiped=$(grep -c $'^0\t' "$work/wipe.out" || true)
    changed+=("$wiped")
    [ "$wiped" -eq "$n" ] || echo "warning: the wipe did not change every file; see $work/wipe.out" >&2
    "$floor" restore "$work/heads" "${files[@]}" > /dev/null
  done
  row "$n" "wipe --all folder (+ its sync)" "$name.wipe"
  row "$n" "write floor (+ syncfs)" "$name.write"
  compare "$name" wipe "$name.wipe" "$name.write" 2
  echo "    files changed by each wipe: ${changed[*]} of $n"
  cd "$work"
  rm -rf "$dir"
}

for name in "${folders[@]}"; do
  measure "$name"
done

if [ "$rss_files" -gt 0 ]; then
  dir=$work/small
  "$maker" --kind png --size 2000 "$dir" "$rss_files"
  cd "$dir"
  files=(pic_*)
  check_arg_max "${files[@]}"
  "$floor" read "${files[@]}" > /dev/null
  rss=$(peak_rss "$tool" show "${tool_opts[@]}" --json "${files[@]}")
  echo
  echo "== peak resident size of show --json over $rss_files PNG files of ~2 KB: $rss MB" \
       "(target < 64 MB: $(awk -v r="$rss" 'BEGIN { print (r != "n/a" && r < 64 ? "met" : "not met") }'))"
  cd "$work"
  rm -rf "$dir"
fi

echo
echo "Summary: wall-time ratios to the floor, tool options: ${tool_opts[*]:-(none)}"
printf '  %-34s' "figure"; for name in "${folders[@]}"; do printf ' %9s' "$name"; done; printf '   %s\n' "target"
line() {
  local title=$1 figure=$2 target=$3
  printf '  %-34s' "$title"
  for name in "${folders[@]}"; do printf ' %9s' "${summary[$name.$figure]}"; done
  printf '   %s\n' "$target"
}
line "show --json warm / read floor" json "<= 1.2"
line "show --json cold / cold read floor" cold "<= 0.7"
line "show warm / read floor" plain ""
line "wipe --all / write floor (1 sync)" wipe "<= 2"
line "show --json peak RSS, MB" rss "< 64 at 50,000 files"
echo "whole run: $((SECONDS - started)) s"
