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
{
road_to_field
cat <<'KEYS'
395 save        # the village: no mushroom
420 save
450 save
480 save
490 down 1      # Escape
KEYS
} > "$work/keys.txt"
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
