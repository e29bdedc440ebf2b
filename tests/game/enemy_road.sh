#!/usr/bin/env bash
# The field's enemies in the real game under the headless host with a key script: CONTINUE
# resumes the road save at the save point (area 99); the hero walks out of its west door into the
# village (89), east along the street, jumps out of the dip and takes the east gate into the field
# (53, at its west door), where the mushrooms of its enemy set walk (kind 12: NpcWeed.bmp (0, 0),
# 16 x 16, four steps in rows 0 and 1). Each saved frame is searched for the mushroom's cells
# pixel for pixel (enemy_frame_check.py): none in the village, one or more in the field as they
# walk.
# usage: enemy_road.sh BRISGAL DEMO_DATA_GEN
set -euo pipefail
game=$1
gen=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=road_play.sh
. "$here/road_play.sh"
road_setup enemy "$gen"
python3 "$here/road_save.py" "$work/EX03_19_SCORE_DATA.DAT"
cat > "$work/keys.txt" <<'KEYS'
# frame  event  DirectInput key: 208 DOWN, 203 LEFT, 205 RIGHT, 45 X (SHOT), 44 Z (JUMP)
5 down 208
6 up 208
10 down 45      # CONTINUE: the save point
11 up 45
40 down 203     # LEFT to the west door
172 up 203
180 down 208    # DOWN: the village at the shrine door
181 up 208
210 down 205    # RIGHT along the street
340 down 44     # Z: out of the dip
360 up 44
380 up 205      # at the east gate
395 save        # the village: no mushroom
400 down 208    # DOWN: the field at its west door
401 up 208
420 save
450 save
480 save
490 down 1      # Escape
KEYS
road_play "$game"
cd "$work"
mushroom="DataForWork/Obj/NpcWeed.bmp 0,0,16,16,4,2"
# shellcheck disable=SC2086
{
python3 "$here/enemy_frame_check.py" frame00395.png $mushroom 0
for shot in 420 450 480; do
  python3 "$here/enemy_frame_check.py" "frame00$shot.png" $mushroom 1
done
}
echo "enemy road ok"
