#!/usr/bin/env bash
# Kills folder wipes of tarvo-params at random moments (SIGKILL, SIGINT, SIGTERM) and checks
# that no file is left damaged, that the output ends at a record boundary and lists only
# files that are wiped, and that a second run makes every file byte-identical to a wipe
# that was never interrupted. Pictures come from the project's own generator.
# Usage: scripts/kill-check.sh [BUILD_DIR] [FILES] [KILLS]   (build/release, 2000, 30)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-2000}
kills=${3:-30}
tool=$build/cli/tarvo-params
maker=$build/bench/MakeBenchFolder
for program in "$tool" "$maker"; do
  [ -x "$program" ] || { echo "missing $program" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/var/tmp}/tarvo-kill-check.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$maker" "$work/source" "$count"
cp -a "$work/source" "$work/reference"
"$tool" wipe --all "$work/reference" > /dev/null

signals=(KILL INT TERM)
damaged=0 mismatched=0 listedWrong=0 torn=0
for run in $(seq 1 "$kills"); do
  signal=${signals[$((run % 3))]}
  rm -rf "$work/run"
  cp -a "$work/source" "$work/run"
  "$tool" wipe --all --json "$work/run" > "$work/out.jsonl" 2> /dev/null &
  pid=$!
  sleep "0.$(printf '%03d' $((RANDOM % 400)))"
  kill -s "$signal" "$pid" 2> /dev/null || true
  status=0
  wait "$pid" || status=$?
  # The output ends at a record boundary, and every file it lists as wiped is wiped.
  [ ! -s "$work/out.jsonl" ] || [ "$(tail -c 1 "$work/out.jsonl" | od -An -c | tr -d ' ')" = '\n' ] || torn=$((torn + 1))
  while IFS= read -r path; do
    cmp -s "$path" "$work/reference/${path##*/}" || listedWrong=$((listedWrong + 1))
  done < <(grep '"code":0,' "$work/out.jsonl" | sed 's/^{"path":"\([^"]*\)".*/\1/')
  # No parameter chunk may be left with a checksum that does not match its data.
  damaged=$((damaged + $("$tool" show --json "$work/run"/* 2> /dev/null | grep -c '"damagedChunks":\["' || true)))
  "$tool" wipe --all "$work/run" > /dev/null || true
  diff -rq "$work/run" "$work/reference" > /dev/null || mismatched=$((mismatched + 1))
  echo "run $run: SIG$signal, exit $status, $(wc -l < "$work/out.jsonl") records"
done
echo "$kills interrupted runs of $count files: $damaged damaged chunks after a kill," \
  "$torn outputs cut inside a record, $listedWrong listed files not wiped," \
  "$mismatched folders different from an uninterrupted wipe after the rerun"
[ "$torn" -eq 0 ] && [ "$listedWrong" -eq 0 ] && [ "$mismatched" -eq 0 ]
