#!/usr/bin/env bash
# Runs each named road test twice, each run in a folder of its own, and checks that both runs
# saved the same frames byte for byte (the game's own random sequence, fixed steps, no clock).
# With --script, runs a road script twice side by side (env ROAD_FRAMES names the folder it keeps
# its checked frames in): side by side, both runs read the local hour, which picks the sky, alike,
# unless the hour turns while they run (one may lag the other by many seconds under load), and
# then both run once more.
# usage: same_frames.sh TESTS FILTER...
#        same_frames.sh --script ROAD_SCRIPT ARG...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
if [ "$1" = --script ]; then
  shift
  for attempt in 1 2; do
    hour=$(date +%H)
    for run in a b; do
      rm -rf "${work:?}/$run"
      mkdir -p "$work/$run"
      (
        cd "$work/$run"
        status=0
        ROAD_FRAMES="$work/$run/road-frames" "$@" > out.txt 2>&1 || status=$?
        echo "$status" > status
      ) &
    done
    wait
    [ "$(date +%H)" = "$hour" ] && break
    echo "the hour turned during attempt $attempt"
  done
  for run in a b; do
    [ "$(cat "$work/$run/status")" = 0 ] || { tail -40 "$work/$run/out.txt"; echo "run $run failed"; exit 1; }
  done
else
  tests=$1; shift
  for run in a b; do
    for filter in "$@"; do
      mkdir -p "$work/$run"
      if ! (cd "$work/$run" && KELMOR_HOST=headless "$tests" --gtest_filter="$filter" > out.txt 2>&1); then
        cat "$work/$run/out.txt"; echo "run $run of $filter failed"; exit 1
      fi
    done
  done
fi
count=$(ls "$work/a/road-frames" | wc -l)
[ "$count" -gt 0 ] || { echo "no frames saved"; exit 1; }
for f in "$work/a/road-frames"/*; do
  cmp -s "$f" "$work/b/road-frames/$(basename "$f")" || {
    echo "$(basename "$f") differs between the runs"
    [ "${f##*.}" = png ] && python3 "$here/frame_diff.py" "$f" "$work/b/road-frames/$(basename "$f")"
    exit 1
  }
done
echo "$count frames alike"
