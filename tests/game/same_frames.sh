#!/usr/bin/env bash
# Runs each named road test twice, each run in a folder of its own, and checks that both runs
# saved the same frames byte for byte (the game's own random sequence, fixed steps, no clock).
set -euo pipefail
tests=$1; shift
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
for run in a b; do
  for filter in "$@"; do
    mkdir -p "$work/$run"
    if ! (cd "$work/$run" && KELMOR_HOST=headless "$tests" --gtest_filter="$filter" > out.txt 2>&1); then
      cat "$work/$run/out.txt"; echo "run $run of $filter failed"; exit 1
    fi
  done
done
count=$(ls "$work/a/road-frames" | wc -l)
[ "$count" -gt 0 ] || { echo "no frames saved"; exit 1; }
for f in "$work/a/road-frames"/*; do
  cmp -s "$f" "$work/b/road-frames/$(basename "$f")" || { echo "$(basename "$f") differs between the runs"; exit 1; }
done
echo "$count frames alike"
