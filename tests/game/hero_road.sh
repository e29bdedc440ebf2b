#!/usr/bin/env bash
# The hero in the real game under the headless host with a key script: NEW GAME (and X through
# its opening talk) puts the hero in the new-game room (area 111, MAP/kyoto/ride.bin) at (104, 168); it settles on the bedroom's floor,
# walks right while the map scrolls after the companion, drops into the hole onto the ledge under it
# and jumps up and right onto the floor beyond. tools/actor-trace runs the same keys over the same
# grid from the same place; each saved frame must show the hero's cell exactly where the trace puts
# it (hero_frame_check.py), first with the map still, then scrolled.
# usage: hero_road.sh BRISGAL DEMO_DATA_GEN ACTOR_TRACE
set -euo pipefail
game=$1
gen=$2
trace=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/brisgal-hero.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$gen" --short-music "$work" > /dev/null
cat > "$work/keys.txt" <<'KEYS'
# frame  event  DirectInput key
10 down 45      # X on NEW GAME: the opening talk, play frozen
11 up 45
# X every eight frames through the talk: its last command runs at frame 75, play from frame 76
14 down 45
15 up 45
22 down 45
23 up 45
30 down 45
31 up 45
38 down 45
39 up 45
46 down 45
47 up 45
54 down 45
55 up 45
62 down 45
63 up 45
70 down 45
71 up 45
165 down 205    # RIGHT, once the hero stands on the floor
165 save        # the first step, the map still
315 save        # the companion has passed x 160: the map scrolls
437 down 44     # Z: jump from the ledge in the hole
445 save
465 up 44
495 save        # landed on the floor beyond the hole
505 up 205
535 save
545 down 1      # Escape
KEYS
cd "$work"
status=0
KELMOR_HOST=headless KELMOR_FRAME_DIR="$work" KELMOR_KEY_SCRIPT="$work/keys.txt" timeout 900 "$game" > out.txt 2>&1 || status=$?
if [ "$status" != 0 ]; then
  echo "brisgal ended with $status"
  tail -20 out.txt
  exit 1
fi
"$trace" --map MAP/kyoto/ride.bin --at 104,168 --keys keys.txt --from 76 --frames 535 > trace.txt
# The trace itself: on the ledge in the hole just before the jump, on the floor beyond after it.
python3 - trace.txt <<'PY'
import sys
lines = {int(l.split()[0]): l.split() for l in open(sys.argv[1])}
def at(frame, key):
    words = lines[frame]
    return float(words[words.index(key) + 1])
assert at(436, "ground") == 1 and at(436, "y") == 185.9, f"not on the ledge: {' '.join(lines[436])}"
assert at(495, "ground") == 1 and at(495, "y") == 169.9 and at(495, "x") > 496, f"not beyond the hole: {' '.join(lines[495])}"
PY
for shot in 165:still 315:scrolled 445:scrolled 495:scrolled 535:scrolled; do
  python3 "$here/hero_frame_check.py" "frame00${shot%%:*}.png" trace.txt "${shot%%:*}" DataForWork/MyChar.bmp "${shot##*:}"
done
echo "hero road ok"
