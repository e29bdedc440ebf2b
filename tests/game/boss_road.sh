#!/usr/bin/env bash
# ガルド in its lair in the real game under the headless host with a key script. A continued save
# (HP 500) takes the road into the field (road_to_field); the hero jumps over the mushroom that
# comes at it by the west door and crosses the hillside to the east door (62, 15-16): DOWN, the
# cave's entrance (area 15). It runs down the ramp, over the bridge across the pool, up the slopes
# onto the conveyors and drops down the shaft at column 53 to the breakable wall (cells 57-58,
# rows 15-17), shoots it open with the gun in hand, drops behind it into the lower cave, goes left
# and down, then right to the lair's door (60, 34-35): DOWN, the boss room (19). The runs of held
# buttons are those tools/actor-trace finds over the maps from each resting place. ガルド wakes as
# the room is entered: its first line stands in the message box over the boss bar; once the line
# is gone the bar stands at (280, 151), drawn from BossLife.bmp, full. The frames are checked
# pixel for pixel (menu_frame_check.py: the glyphs of the Shift-JIS font, the bar's cells).
# usage: boss_road.sh BRISGAL DEMO_DATA_GEN
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=road_play.sh
. "$here/road_play.sh"
road_setup boss "$2"
python3 "$here/road_save.py" "$work/EX03_19_SCORE_DATA.DAT" --hp 500
{
road_to_field
cat <<'KEYS'
402 down 44     # Z and RIGHT at once: over the mushroom at the west door
402 down 205
420 up 44
480 up 205      # resting at (128, 314)
1125 down 208   # DOWN at the field's east door: the cave's entrance (56, 120)
1126 up 208
2410 down 208   # DOWN at the lair's door: the boss room at its door back (88, 264)
2411 up 208
2420 save       # ガルド's first line
2560 save       # the line gone: the boss bar
2570 down 1     # Escape
KEYS
# The field from (128, 314): jumps onto the mound, over the outcrop, the pits and the slopes.
python3 "$here/road_keys.py" 500 -5 R18 RJ30 R57 RJ30 R57 RJ20 RJ30 R57 RJ30 R57 RJ30 R51 RJ30 R45 RJ30 R10
# The cave from its entrance: the ramp, the bridge, the slopes, onto the conveyors and down the
# shaft (frame 1740); six shots at the wall, on through it and down behind it (1880), out of the
# pit left, down to the lower floor (2160) and right to the door (2400).
python3 "$here/road_keys.py" 1127 -10 R290 RJ30 R57 RJ30 R57 RJ30 R60 -40 \
  S3 -7 S3 -7 S3 -7 S3 -7 S3 -7 S3 -7 R90 -60 LJ20 L195 R230
} > "$work/keys.txt"
road_play "$1"
cd "$work"
check() { python3 "$here/menu_frame_check.py" "frame0$1.png" DataForWork "${@:2}"; }
speech="13,154,ガルド「ここは　わしの　ねぐらだ。　かえらぬなら　つぶすまで！」"
bar="Obj/BossLife.bmp"
# Over the line's box the bar is hidden; the line gone, the bar's frame edges and its full fill.
check 2420 "j:$speech" "!g:$bar,1,13,30,2,281,152"
check 2560 "!j:$speech" "g:$bar,0,9,32,1,280,151" "g:$bar,0,12,32,1,280,154" "g:$bar,0,9,1,4,280,151" \
  "g:$bar,31,9,1,4,311,151" "g:$bar,1,13,30,2,281,152"
echo "boss road ok"
