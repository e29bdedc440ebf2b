#!/usr/bin/env bash
# Runs every fuzz driver (image or model) over a corpus of damaged fixtures: each must run every input
# and end cleanly (in the sanitizer build, any fault ends it otherwise).
# Usage: image_fuzzers.sh CORPUS_WRITER DRIVER...
set -u
writer=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$writer" "$work/corpus" > /dev/null || { echo "corpus writer failed"; exit 1; }
files=$(find "$work/corpus" -type f | wc -l)
status=0
for driver in "$@"; do
  out=$("$driver" "$work/corpus" 2>&1)
  rc=$?
  if [ $rc -ne 0 ] || ! grep -q "^$files inputs run$" <<< "$out"; then
    echo "$(basename "$driver"): exit $rc"
    echo "$out" | tail -20
    status=1
  fi
done
[ $status -eq 0 ] && echo "$# drivers ran $files inputs each"
exit $status
