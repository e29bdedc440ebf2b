#!/usr/bin/env bash
# The viewer plays the demo data's movie on the headless host: frames 30 and 90 of its loop, saved
# through a key script, show different pictures of the movie, and the run ends with nothing
# left allocated.
#   viewer_movie.sh VIEWER DEMO_DATA_GEN
set -euo pipefail
viewer=$(realpath "$1")
gen=$(realpath "$2")
command -v convert > /dev/null || { echo "convert missing"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kelmor-movie.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$gen" --short-music "$work" > /dev/null
cd "$work/DataForWork"
printf '30 save\n90 save\n' > keys.txt
KELMOR_HOST=headless KELMOR_FRAME_DIR="$work" KELMOR_KEY_SCRIPT=keys.txt "$viewer" --frames 100 demo.ogv > viewer.out
grep -q "^shown 320 x 240$" viewer.out || { echo "the movie did not load as a 320 x 240 graph"; cat viewer.out; exit 1; }
for n in 30 90; do
  [ -e "$work/frame000$n.png" ] || { echo "frame $n was not saved"; exit 1; }
  convert "$work/frame000$n.png" -crop 320x240+0+0 -depth 8 "rgb:$work/movie$n.rgb"
done
if cmp -s "$work/movie30.rgb" "$work/movie90.rgb"; then echo "the movie did not move"; exit 1; fi
grep -a -q "Alloc num:0" Log.txt || { echo "memory left allocated"; exit 1; }
echo "ok"
